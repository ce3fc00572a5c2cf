#include "assetfolder.h"

#include "clientmessage.h"
#include "scenelayout.h"

#include <QDir>
#include <QPixmap>

AssetFolder::AssetFolder(const QString &folder) : folder(folder) {}

QString AssetFolder::path(const char *subfolder, const char *file) const
{
    const QString relative = QLatin1String(subfolder) + QLatin1String(file);
    return folder.isEmpty() ? relative : QDir(folder).filePath(relative);
}

QPixmap AssetFolder::texture(const char *file) const
{
    const QString texturePath = path(scene::kTextureFolder, file);
    const QPixmap pixmap(texturePath);
    // A missing image still gets a name and draws blank; say why.
    if (pixmap.isNull())
        printClientMessage(QStringLiteral("cannot read the texture ") + texturePath);
    return pixmap;
}

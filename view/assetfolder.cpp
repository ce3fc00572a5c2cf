#include "assetfolder.h"

#include "scenelayout.h"

#include <QDir>
#include <QPixmap>

#include <iostream>

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
    if (pixmap.isNull())
        std::cerr << "GLWidget: cannot read the texture " << texturePath.toStdString() << std::endl;
    return pixmap;
}

#include "clientfolder.h"

#include "scenelayout.h"

#include <QDir>
#include <QFile>

namespace
{

const QString kSourceFolder = QStringLiteral(RADAR_SOURCE_DIR "/");

// A folder name of the scene layout ("textures/") without its slash.
QString folderName(const char *layoutFolder)
{
    QString name = QString::fromLatin1(layoutFolder);
    name.chop(1);
    return name;
}

} // namespace

ClientFolder::ClientFolder()
{
    for (const char *folder : {scene::kTextureFolder, scene::kSoundFolder}) {
        const QString name = folderName(folder);
        QFile::link(kSourceFolder + name, dir.filePath(name));
    }
    const QString models = folderName(scene::kModelFolder);
    QDir(dir.path()).mkdir(models);
    const QDir sourceModels(kSourceFolder + models);
    for (const QString &name : sourceModels.entryList(QDir::Files))
        QFile::link(sourceModels.filePath(name), dir.filePath(models + "/" + name));
}

ClientFolder::~ClientFolder()
{
    if (!previousFolder.isEmpty())
        QDir::setCurrent(previousFolder);
}

bool ClientFolder::writeSettings(quint16 port, const QString &timeToLive, const QString &name,
                                 const QString &moreElements)
{
    QString body = QString("<host>127.0.0.1</host><port>%1</port>").arg(port);
    if (!timeToLive.isNull())
        body += QString("<timeToLive>%1</timeToLive>").arg(timeToLive);
    return writeSettingsFile(("<settings>" + body + moreElements + "</settings>").toUtf8(), name);
}

bool ClientFolder::writeSettingsFile(const QByteArray &document, const QString &name)
{
    QFile file(dir.filePath(name));
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(document) == document.size();
}

bool ClientFolder::removeModel(const char *file)
{
    return QFile::remove(dir.filePath(QString::fromLatin1(scene::kModelFolder) + file));
}

bool ClientFolder::removeModels()
{
    return QDir(dir.filePath(folderName(scene::kModelFolder))).removeRecursively();
}

bool ClientFolder::removeTextures()
{
    return QFile::remove(dir.filePath(folderName(scene::kTextureFolder)));
}

void ClientFolder::enter()
{
    if (previousFolder.isEmpty())
        previousFolder = QDir::currentPath();
    QDir::setCurrent(dir.path());
}

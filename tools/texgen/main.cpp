// Writes the client's textures as PNG files, under the names the scene
// layout gives them, into a folder (by default the layout's texture folder in
// the working directory); with --icons, the launcher's icon at every size
// into a folder laid out as icon themes are (by default packaging/icons).
// Everything is drawn from code, so the images can be remade and reviewed
// like any other source.
//
//   texgen [folder]
//   texgen --icons [folder]

#include "appicon.h"
#include "panelfont.h"
#include "panelfonttexture.h"
#include "scenelayout.h"
#include "scopetextures.h"
#include "signaltexture.h"
#include "stationtextures.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QString>

#include <cstdio>
#include <cstring>

namespace
{

struct TextureFile {
    const char *name;
    QImage (*make)();
};

const TextureFile kTextures[] = {
    {scene::kScreenTexture, makeScreenTexture},
    {scene::kSweepTexture, makeSweepTexture},
    {scene::kMarkerTexture, makeMarkerTexture},
    {scene::kRadarUnit.textureFile, makeRadarUnitTexture},
    {scene::kTable.textureFile, makeTableTexture},
    {scene::kDisplay.textureFile, makeDisplayTexture},
    {scene::kNoSignalTexture, makeNoSignalTexture},
    {panelfont::kTextureFile, makePanelFontTexture},
};

const char kIconsOption[] = "--icons";
const char kIconFolder[] = "packaging/icons";

// Creates the file's folder as needed, saves the image and names the file.
bool savePng(const QImage &image, const QString &path)
{
    if (!QDir().mkpath(QFileInfo(path).path())) {
        std::fprintf(stderr, "texgen: cannot create the folder of %s\n", qPrintable(path));
        return false;
    }
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "texgen: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool writeTextures(const QDir &folder)
{
    for (const TextureFile &texture : kTextures) {
        if (!savePng(texture.make(), folder.filePath(QString::fromLatin1(texture.name))))
            return false;
    }
    return true;
}

bool writeIcons(const QDir &folder)
{
    for (const int size : kAppIconSizes) {
        if (!savePng(makeAppIcon(size), folder.filePath(appIconPath(size))))
            return false;
    }
    return true;
}

// The folder argument at index, or the fallback when there is none.
QDir folderArgument(int argc, char **argv, int index, const char *fallback)
{
    return QDir(argc > index ? QString::fromLocal8Bit(argv[index]) : QString::fromLatin1(fallback));
}

} // namespace

int main(int argc, char **argv)
{
    const bool icons = argc > 1 && std::strcmp(argv[1], kIconsOption) == 0;
    const bool written = icons
                             ? writeIcons(folderArgument(argc, argv, 2, kIconFolder))
                             : writeTextures(folderArgument(argc, argv, 1, scene::kTextureFolder));
    return written ? 0 : 1;
}

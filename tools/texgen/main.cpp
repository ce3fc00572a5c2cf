// Writes the client's six textures as PNG files, under the names the scene
// layout gives them, into a folder (by default the layout's texture folder in
// the working directory). Everything is drawn from code, so the
// images can be remade and reviewed like any other source.

#include "scenelayout.h"
#include "scopetextures.h"
#include "stationtextures.h"

#include <QDir>
#include <QImage>
#include <QString>

#include <cstdio>

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
};

} // namespace

int main(int argc, char **argv)
{
    const QString folder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString::fromLatin1(scene::kTextureFolder);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "texgen: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    for (const TextureFile &texture : kTextures) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(texture.name));
        if (!texture.make().save(path, "PNG")) {
            std::fprintf(stderr, "texgen: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}

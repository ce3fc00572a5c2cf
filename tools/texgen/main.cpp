// Writes the client's six textures as PNG files into a folder (by default
// "textures" in the working directory). Everything is drawn from code, so the
// images can be remade and reviewed like any other source.

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

const TextureFile Textures[] = {
    {"radarscheibe.png", makeScreenTexture},     {"radgreen.png", makeSweepTexture},
    {"person.png", makeMarkerTexture},           {"radarr2t2hell.png", makeRadarUnitTexture},
    {"radartischr2thell.png", makeTableTexture}, {"radardisplay.png", makeDisplayTexture},
};

} // namespace

int main(int argc, char **argv)
{
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("textures");
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "texgen: cannot create %s\n", qPrintable(folder));
        return 1;
    }
    for (const TextureFile &texture : Textures) {
        const QString path = QDir(folder).filePath(QString::fromLatin1(texture.name));
        if (!texture.make().save(path, "PNG")) {
            std::fprintf(stderr, "texgen: cannot write %s\n", qPrintable(path));
            return 1;
        }
        std::printf("%s\n", qPrintable(path));
    }
    return 0;
}

// Writes the reference frame of the radar view to a PNG file, so that a build
// of the other Qt version can compare its own frame with this build's:
//   frame_dump FILE
// Run it from the source tree (the view's data files) under an X server.
#include "referenceframe.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE\n", argv[0]);
        return 2;
    }
    const QImage frame = renderReferenceFrame();
    if (frame.isNull() || !frame.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "frame_dump: no frame written to %s\n", argv[1]);
        return 1;
    }
    return 0;
}

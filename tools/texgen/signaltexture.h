#pragma once

#include <QImage>

// "nosignal.png": the mark the client lays over its radar screen while it has
// no connection to the server: "NO SIGNAL" in the scope's trace green on a
// dark band, transparent around the band. Image up is away from the camera,
// as on the screen's own texture.
QImage makeNoSignalTexture();

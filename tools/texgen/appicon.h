#pragma once

#include <QImage>
#include <QString>

// The launcher's icon: the radar scope with its sweep and two hits, drawn
// anew at every size instead of scaled down, so that small sizes stay sharp.

// The edge lengths, in pixels, installed into the hicolor icon theme.
inline constexpr int kAppIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

// A size x size icon, transparent around the round scope.
QImage makeAppIcon(int size);

// Where the icon of a size lies below an icon theme's parent folder, as in
// "hicolor/48x48/apps/radar-client.png"; the desktop entry names it
// "radar-client".
QString appIconPath(int size);

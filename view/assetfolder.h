#pragma once

#include <QString>

class QPixmap;

// Where the view reads its textures and models: the folders named in the
// scene's layout, under a given folder, or under the working directory when
// none is given (the paths then stay relative, as the model library's
// messages have always named them).
class AssetFolder
{
public:
    explicit AssetFolder(const QString &folder);

    QString path(const char *subfolder, const char *file) const;

    // The image of a texture file. One that cannot be read gives an empty
    // pixmap, which still gets a texture name and draws blank; the path is
    // said on standard error.
    QPixmap texture(const char *file) const;

private:
    const QString folder; // empty: the working directory
};

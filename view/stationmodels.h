#pragma once

#include <QString>
#include <QtGui/qopengl.h>

#include <functional>

struct GlmMesh;

// The radar station around the screen: the radar unit, the table and the
// display, each read from its OBJ file, fitted to the unit cube and given
// smooth normals, and drawn in its place with its texture. Owns the three
// models from construction to destruction.
class StationModels
{
public:
    // The textures the view loaded for the models, owned by its context.
    struct Textures {
        GLuint radar;
        GLuint table;
        GLuint display;
    };

    // Reads the models, each from the path that pathOf gives its file name.
    // A file that cannot be read ends the process with the model library's
    // message, which names the path.
    explicit StationModels(const std::function<QString(const char *file)> &pathOf);
    ~StationModels();
    StationModels(const StationModels &) = delete;
    StationModels &operator=(const StationModels &) = delete;

    // The table, the radar unit and the display, in this order, with the
    // context current. Leaves the models' colour current and the display's
    // texture bound.
    void draw(const Textures &textures) const;

private:
    GlmMesh *radarModel;
    GlmMesh *tableModel;
    GlmMesh *displayModel;
};

#include "obj_generate.h"

#include <cmath>
#include <cstdio>
#include <vector>

// Rows per column of the grid: the grid is twice as wide as deep.
static constexpr unsigned AspectRatio = 2;
static constexpr size_t WriteBufferBytes = 1 << 20;

static void writeVertices(std::FILE *file, unsigned columns, unsigned rows, ObjFaceForm form)
{
    for (unsigned j = 0; j <= rows; j++) {
        for (unsigned i = 0; i <= columns; i++) {
            double x = double(i) / columns, z = double(j) / rows;
            std::fprintf(file, "v %.6f %.6f %.6f\n", x * 10.0,
                         0.1 * std::sin(x * 40.0) * std::cos(z * 30.0), z * 5.0);
        }
    }
    for (unsigned j = 0; form == ObjFaceForm::VertexTextureNormal && j <= rows; j++) {
        for (unsigned i = 0; i <= columns; i++)
            std::fprintf(file, "vt %.6f %.6f\n", double(i) / columns, double(j) / rows);
    }
    for (unsigned j = 0; form != ObjFaceForm::Vertex && j <= rows; j++) {
        for (unsigned i = 0; i <= columns; i++) {
            double tilt = 0.3 * std::sin(i * 0.05);
            std::fprintf(file, "vn %.6f %.6f %.6f\n", tilt, std::sqrt(1.0 - tilt * tilt), 0.0);
        }
    }
}

static void writeCorner(std::FILE *file, unsigned index, ObjFaceForm form)
{
    switch (form) {
    case ObjFaceForm::VertexTextureNormal:
        std::fprintf(file, " %u/%u/%u", index, index, index);
        break;
    case ObjFaceForm::VertexNormal:
        std::fprintf(file, " %u//%u", index, index);
        break;
    case ObjFaceForm::Vertex:
        std::fprintf(file, " %u", index);
        break;
    }
}

static void writeTriangle(std::FILE *file, unsigned a, unsigned b, unsigned c, ObjFaceForm form)
{
    std::fputc('f', file);
    writeCorner(file, a, form);
    writeCorner(file, b, form);
    writeCorner(file, c, form);
    std::fputc('\n', file);
}

void writeGridObj(const std::string &path, unsigned triangles, ObjFaceForm form)
{
    unsigned rows = static_cast<unsigned>(std::sqrt(triangles / 2.0 / AspectRatio));
    unsigned columns = triangles / 2 / rows;
    std::FILE *file = std::fopen(path.c_str(), "w");
    std::vector<char> buffer(WriteBufferBytes);
    std::setvbuf(file, buffer.data(), _IOFBF, buffer.size());
    std::fprintf(file, "# grid %u x %u\ng grid\n", columns, rows);
    writeVertices(file, columns, rows, form);
    for (unsigned j = 0; j < rows; j++) {
        for (unsigned i = 0; i < columns; i++) {
            unsigned corner = j * (columns + 1) + i + 1;
            unsigned below = corner + columns + 1;
            writeTriangle(file, corner, below, corner + 1, form);
            writeTriangle(file, corner + 1, below, below + 1, form);
        }
    }
    std::fclose(file);
}

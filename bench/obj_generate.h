// Synthetic OBJ files for the reader benchmark: a rippled grid of quads, each
// split into two triangles, written in one of the three face forms.
#ifndef BENCH_OBJ_GENERATE_H
#define BENCH_OBJ_GENERATE_H

#include <string>

enum class ObjFaceForm { VertexTextureNormal, VertexNormal, Vertex };

// Writes about `triangles` triangles (rounded to whole grid rows) to path.
void writeGridObj(const std::string &path, unsigned triangles, ObjFaceForm form);

#endif

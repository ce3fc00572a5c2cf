// Smoothed vertex normals with a crease angle. Linear in the triangles: one
// pass lists for each vertex the triangles that use it, one pass over the
// vertices resolves the lists.
#include "glm.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

static constexpr double kPi = 3.141592653589793;
static constexpr double kDegreesPerHalfTurn = 180.0;
// Every corner of every triangle can need a normal of its own.
static constexpr size_t kCornersPerTriangle = 3;

// The triangles that use each vertex, all vertices' lists in one array: the
// uses of vertex v are uses[first[v]] .. uses[first[v + 1] - 1], the last
// triangle that uses it first. Contiguous lists keep the second pass in cache.
// A triangle that names one vertex in several slots (a degenerate one) has a
// use per slot, and each use sets the normal of its own slot: were the first
// such slot set twice, the others would keep an index into the normals that
// are about to be replaced.
struct UseLists {
    unsigned *first;      // per vertex 0..vertexCount + 1: start of its uses
    unsigned *uses;       // triangle indices, 3 x triangleCount
    unsigned char *slots; // per use: the slot of the triangle that names the vertex
    bool *averaged;       // per use: its facet joins the vertex's averaged normal
};

static UseLists linkUses(const GlmMesh *model)
{
    const size_t vertexSlots = static_cast<size_t>(model->vertexCount) + 2;
    const size_t useCount = kCornersPerTriangle * model->triangleCount;
    UseLists lists;
    lists.first = static_cast<unsigned *>(std::calloc(vertexSlots, sizeof(unsigned)));
    lists.uses = static_cast<unsigned *>(std::malloc((useCount + 1) * sizeof(unsigned)));
    lists.slots = static_cast<unsigned char *>(std::malloc(useCount + 1));
    lists.averaged = static_cast<bool *>(std::malloc((useCount + 1) * sizeof(bool)));
    // Count the uses of each vertex, then turn the counts into end positions.
    for (unsigned t = 0; t < model->triangleCount; t++)
        for (size_t slot = 0; slot < kCornersPerTriangle; slot++)
            lists.first[model->tris[t].vertexIndex[slot] + 1]++;
    for (size_t v = 1; v < vertexSlots; v++)
        lists.first[v] += lists.first[v - 1];
    // Filled back to front, so that each list runs from the last triangle and,
    // within a triangle, from its last slot.
    unsigned *fill = static_cast<unsigned *>(std::malloc(vertexSlots * sizeof(unsigned)));
    std::memcpy(fill, lists.first, vertexSlots * sizeof(unsigned));
    for (unsigned t = model->triangleCount; t-- > 0;) {
        for (size_t slot = kCornersPerTriangle; slot-- > 0;) {
            const unsigned use = fill[model->tris[t].vertexIndex[slot]]++;
            lists.uses[use] = t;
            lists.slots[use] = static_cast<unsigned char>(slot);
        }
    }
    std::free(fill);
    return lists;
}

static void freeUses(UseLists *lists)
{
    std::free(lists->first);
    std::free(lists->uses);
    std::free(lists->slots);
    std::free(lists->averaged);
}

static const float *facetOf(const GlmMesh *model, unsigned triangle)
{
    return &model->facetnorms[3 * model->tris[triangle].facetIndex];
}

// Gives each use of vertex its normal: the average of the facets within the
// crease angle of the front facet, or a copy of its own facet normal.
static void resolveVertex(GlmMesh *model, UseLists *lists, unsigned vertex, float cosAngle,
                          float *normals, unsigned *next)
{
    const unsigned begin = lists->first[vertex];
    const unsigned end = lists->first[vertex + 1];
    const float *reference = facetOf(model, lists->uses[begin]);
    float sum[3] = {0, 0, 0};
    bool anyAveraged = false;
    for (unsigned u = begin; u < end; u++) {
        const float *facet = facetOf(model, lists->uses[u]);
        lists->averaged[u] = glmDotOf(facet, reference) > cosAngle;
        if (lists->averaged[u]) {
            sum[0] += facet[0];
            sum[1] += facet[1];
            sum[2] += facet[2];
            anyAveraged = true;
        }
    }
    unsigned average = 0;
    if (anyAveraged) {
        glmNormalizeVec(sum);
        average = (*next)++;
        std::memcpy(&normals[3 * average], sum, sizeof sum);
    }
    for (unsigned u = begin; u < end; u++) {
        GlmTri *tri = &model->tris[lists->uses[u]];
        const unsigned slot = lists->slots[u];
        if (lists->averaged[u]) {
            tri->normalIndex[slot] = average;
        } else {
            std::memcpy(&normals[3 * *next], facetOf(model, lists->uses[u]), 3 * sizeof(float));
            tri->normalIndex[slot] = (*next)++;
        }
    }
}

void glmVertexNormals(GlmMesh *model, float angle)
{
    assert(model);
    assert(model->facetnorms);
    float cosAngle = static_cast<float>(std::cos(angle * kPi / kDegreesPerHalfTurn));
    std::free(model->normals);
    float *normals = static_cast<float *>(
        std::malloc(3 * (kCornersPerTriangle * model->triangleCount + 1) * sizeof(float)));
    UseLists lists = linkUses(model);
    unsigned next = 1;
    for (unsigned vertex = 1; vertex <= model->vertexCount; vertex++) {
        if (lists.first[vertex] == lists.first[vertex + 1]) {
            std::fprintf(stderr, "glmVertexNormals(): vertex w/o a triangle\n");
            continue;
        }
        resolveVertex(model, &lists, vertex, cosAngle, normals, &next);
    }
    freeUses(&lists);
    model->normalCount = next - 1;
    size_t kept = 3 * static_cast<size_t>(next) * sizeof(float);
    model->normals = static_cast<float *>(std::realloc(normals, kept));
    model->normals[0] = model->normals[1] = model->normals[2] = 0.0f;
}

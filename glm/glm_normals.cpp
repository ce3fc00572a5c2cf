// Smoothed vertex normals with a crease angle. Linear in the triangles: one
// pass links each vertex to the triangles that use it, one pass over the
// vertices resolves the links.
#include "glm.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

static constexpr double Pi = 3.141592653589793;
static constexpr double DegreesPerHalfTurn = 180.0;
// Every corner of every triangle can need a normal of its own.
static constexpr size_t CornersPerTriangle = 3;

// One use of a vertex by a triangle; the uses of a vertex form a list whose
// front is the last triangle that uses it.
struct VertexUse {
    unsigned triangle;
    unsigned next; // index of the next use + 1; 0 ends the list
    bool averaged;
};

struct UseLists {
    unsigned *head;  // per vertex 1..vertexCount: first use + 1, or 0
    VertexUse *uses; // pool of 3 x triangleCount uses
};

static UseLists linkUses(const GlmMesh *model)
{
    UseLists lists;
    lists.head = static_cast<unsigned *>(
        std::calloc(static_cast<size_t>(model->vertexCount) + 1, sizeof(unsigned)));
    lists.uses = static_cast<VertexUse *>(
        std::malloc((CornersPerTriangle * model->triangleCount + 1) * sizeof(VertexUse)));
    unsigned used = 0;
    for (unsigned t = 0; t < model->triangleCount; t++) {
        for (size_t slot = 0; slot < CornersPerTriangle; slot++) {
            unsigned vertex = model->tris[t].vertexIndex[slot];
            lists.uses[used] = {t, lists.head[vertex], false};
            lists.head[vertex] = ++used;
        }
    }
    return lists;
}

static const float *facetOf(const GlmMesh *model, unsigned triangle)
{
    return &model->facetnorms[3 * model->tris[triangle].facetIndex];
}

static unsigned slotOf(const GlmTri &tri, unsigned vertex)
{
    return tri.vertexIndex[0] == vertex ? 0 : tri.vertexIndex[1] == vertex ? 1 : 2;
}

// Gives each use of vertex its normal: the average of the facets within the
// crease angle of the front facet, or a copy of its own facet normal.
static void resolveVertex(GlmMesh *model, UseLists *lists, unsigned vertex, float cosAngle,
                          float *normals, unsigned *next)
{
    const float *reference = facetOf(model, lists->uses[lists->head[vertex] - 1].triangle);
    float sum[3] = {0, 0, 0};
    bool anyAveraged = false;
    for (unsigned u = lists->head[vertex]; u; u = lists->uses[u - 1].next) {
        VertexUse *use = &lists->uses[u - 1];
        const float *facet = facetOf(model, use->triangle);
        use->averaged = glmDotOf(facet, reference) > cosAngle;
        if (use->averaged) {
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
    for (unsigned u = lists->head[vertex]; u; u = lists->uses[u - 1].next) {
        const VertexUse &use = lists->uses[u - 1];
        GlmTri *tri = &model->tris[use.triangle];
        unsigned slot = slotOf(*tri, vertex);
        if (use.averaged) {
            tri->normalIndex[slot] = average;
        } else {
            std::memcpy(&normals[3 * *next], facetOf(model, use.triangle), 3 * sizeof(float));
            tri->normalIndex[slot] = (*next)++;
        }
    }
}

void glmVertexNormals(GlmMesh *model, float angle)
{
    assert(model);
    assert(model->facetnorms);
    float cosAngle = static_cast<float>(std::cos(angle * Pi / DegreesPerHalfTurn));
    std::free(model->normals);
    float *normals = static_cast<float *>(
        std::malloc(3 * (CornersPerTriangle * model->triangleCount + 1) * sizeof(float)));
    UseLists lists = linkUses(model);
    unsigned next = 1;
    for (unsigned vertex = 1; vertex <= model->vertexCount; vertex++) {
        if (!lists.head[vertex]) {
            std::fprintf(stderr, "glmVertexNormals(): vertex w/o a triangle\n");
            continue;
        }
        resolveVertex(model, &lists, vertex, cosAngle, normals, &next);
    }
    std::free(lists.head);
    std::free(lists.uses);
    model->normalCount = next - 1;
    size_t kept = 3 * static_cast<size_t>(next) * sizeof(float);
    model->normals = static_cast<float *>(std::realloc(normals, kept));
    model->normals[0] = model->normals[1] = model->normals[2] = 0.0f;
}

// Generated texture coordinates and vertex welding.
#include "glm.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <cstring>

// Planar mapping: a fitted model's -1..1 maps onto texture 0..1.
static constexpr float kPlanarSpan = 2.0f;
// Sphere mapping constants, each with exactly the value the mapping has always
// used (the two right angles differ in their last digits).
static constexpr float kPhiOnAxis = 1.5707963705f;
static constexpr float kThetaOnAxis = 1.5707961321f;
static constexpr double kThetaOffset = 1.570796325;
static constexpr double kHalfTurn = 3.14159265;

static void replaceTexCoords(GlmMesh *model, unsigned count)
{
    std::free(model->texCoords);
    model->texCoordCount = count;
    model->texCoords =
        static_cast<float *>(std::calloc(2 * (static_cast<size_t>(count) + 1), sizeof(float)));
}

enum class IndexSource { Vertex, Normal };

// Every grouped triangle's texture slots take its vertex or normal slots.
static void copyIndices(GlmMesh *model, IndexSource source)
{
    for (GlmGroupNode *group = model->groupList; group; group = group->next) {
        for (unsigned i = 0; i < group->triangleCount; i++) {
            GlmTri *tri = &model->tris[group->triangleIndices[i]];
            const unsigned *from =
                source == IndexSource::Vertex ? tri->vertexIndex : tri->normalIndex;
            std::memcpy(tri->texCoordIndex, from, sizeof tri->texCoordIndex);
        }
    }
}

// A model without extent maps every vertex to the centre 0.5, 0.5 rather than
// dividing by zero.
void glmPlanarTexCoords(GlmMesh *model)
{
    assert(model);
    float dimensions[3];
    glmExtent(model, dimensions);
    float biggest = glmAbsOf(glmMaxOf(glmMaxOf(dimensions[0], dimensions[1]), dimensions[2]));
    float scale = biggest > 0.0f ? kPlanarSpan / biggest : 1.0f;
    replaceTexCoords(model, model->vertexCount);
    for (unsigned i = 1; i <= model->vertexCount; i++) {
        const float *vertex = &model->vertices[3 * i];
        model->texCoords[2 * i] = (vertex[0] * scale + 1.0f) * 0.5f;
        model->texCoords[2 * i + 1] = (vertex[2] * scale + 1.0f) * 0.5f;
    }
    copyIndices(model, IndexSource::Vertex);
}

static void sphereCoordinate(const float *normal, float *coordinate)
{
    float x = normal[0], y = normal[1], z = normal[2];
    float r = static_cast<float>(std::sqrt(y * y + z * z));
    float rho = static_cast<float>(std::sqrt(x * x + r * r));
    if (r == 0.0f) {
        coordinate[0] = coordinate[1] = 0.0f;
        return;
    }
    float phi = x == 0.0f ? kPhiOnAxis : static_cast<float>(std::acos(x / rho));
    float theta = y == 0.0f ? kThetaOnAxis : static_cast<float>(std::asin(y / r) + kThetaOffset);
    coordinate[0] = static_cast<float>(theta / kHalfTurn);
    coordinate[1] = static_cast<float>(phi / kHalfTurn);
}

void glmSphereTexCoords(GlmMesh *model)
{
    assert(model);
    assert(model->normals);
    replaceTexCoords(model, model->normalCount);
    for (unsigned i = 1; i <= model->normalCount; i++)
        sphereCoordinate(&model->normals[3 * i], &model->texCoords[2 * i]);
    copyIndices(model, IndexSource::Normal);
}

// Keeps the first of every set of nearly equal vectors; kept receives them
// (from 1) and target[i] the kept number that vector i became.
static unsigned glmMergeVectors(const float *vectors, unsigned count, float epsilon, float *kept,
                                unsigned *target)
{
    unsigned keptCount = 0;
    for (unsigned i = 1; i <= count; i++) {
        const float *vector = &vectors[3 * i];
        unsigned j = 1;
        while (j <= keptCount && !glmNearlyEqual(vector, &kept[3 * j], epsilon))
            j++;
        if (j > keptCount) {
            keptCount = j;
            std::memcpy(&kept[3 * j], vector, 3 * sizeof(float));
        }
        target[i] = j;
    }
    return keptCount;
}

void glmMergeVertices(GlmMesh *model, float epsilon)
{
    assert(model);
    size_t entries = static_cast<size_t>(model->vertexCount) + 1;
    float *kept = static_cast<float *>(std::calloc(3 * entries, sizeof(float)));
    unsigned *target = static_cast<unsigned *>(std::calloc(entries, sizeof(unsigned)));
    unsigned keptCount =
        glmMergeVectors(model->vertices, model->vertexCount, epsilon, kept, target);
    for (unsigned t = 0; t < model->triangleCount; t++) {
        for (unsigned &index : model->tris[t].vertexIndex)
            index = target[index];
    }
    std::free(target);
    std::free(model->vertices);
    model->vertexCount = keptCount;
    model->vertices = static_cast<float *>(
        std::realloc(kept, 3 * (static_cast<size_t>(keptCount) + 1) * sizeof(float)));
}

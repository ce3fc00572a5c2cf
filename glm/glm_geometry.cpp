// Vector operations and whole-model transforms: fitting, extent, scaling,
// winding and facet normals.
#include "glm.h"

#include <cassert>
#include <cmath>
#include <cstdlib>
#include <utility>

// Edge length of the cube a fitted model fills (it spans -1..1).
static constexpr float kUnitCubeSize = 2.0f;

float glmMaxOf(float a, float b)
{
    return b > a ? b : a;
}

float glmAbsOf(float f)
{
    return f < 0 ? -f : f;
}

float glmDotOf(const float *u, const float *v)
{
    return u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
}

void glmCrossOf(const float *u, const float *v, float *n)
{
    n[0] = u[1] * v[2] - u[2] * v[1];
    n[1] = u[2] * v[0] - u[0] * v[2];
    n[2] = u[0] * v[1] - u[1] * v[0];
}

// A zero vector (from a degenerate triangle) stays zero rather than turning
// into NaN, which would poison every normal averaged with it and the lighting.
void glmNormalizeVec(float *v)
{
    float length = static_cast<float>(std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]));
    if (length == 0.0f)
        return;
    v[0] /= length;
    v[1] /= length;
    v[2] /= length;
}

bool glmNearlyEqual(const float *u, const float *v, float epsilon)
{
    return glmAbsOf(u[0] - v[0]) < epsilon && glmAbsOf(u[1] - v[1]) < epsilon &&
           glmAbsOf(u[2] - v[2]) < epsilon;
}

// Largest and smallest coordinate per axis over vertices 1..vertexCount;
// all zero for a model without vertices.
static void boundsOf(const GlmMesh *model, float *largest, float *smallest)
{
    for (int axis = 0; axis < 3; axis++)
        largest[axis] = smallest[axis] = model->vertexCount ? model->vertices[3 + axis] : 0.0f;
    for (unsigned i = 1; i <= model->vertexCount; i++) {
        for (int axis = 0; axis < 3; axis++) {
            float value = model->vertices[3 * i + axis];
            largest[axis] = glmMaxOf(largest[axis], value);
            smallest[axis] = value < smallest[axis] ? value : smallest[axis];
        }
    }
}

// The size of an axis is |largest| + |smallest|, not their difference.
static void sizesOf(const float *largest, const float *smallest, float *sizes)
{
    for (int axis = 0; axis < 3; axis++)
        sizes[axis] = glmAbsOf(largest[axis]) + glmAbsOf(smallest[axis]);
}

// A model without extent (no vertices, or all at the origin) is left as it is
// and gets the scale 1, instead of the infinite scale of 2 / 0.
float glmFitToUnitCube(GlmMesh *model)
{
    assert(model);
    assert(model->vertices);
    float largest[3], smallest[3], sizes[3];
    boundsOf(model, largest, smallest);
    sizesOf(largest, smallest, sizes);
    float biggest = glmMaxOf(glmMaxOf(sizes[0], sizes[1]), sizes[2]);
    float scale = biggest > 0.0f ? kUnitCubeSize / biggest : 1.0f;
    for (unsigned i = 1; i <= model->vertexCount; i++) {
        for (int axis = 0; axis < 3; axis++) {
            float centre = (largest[axis] + smallest[axis]) * 0.5f;
            model->vertices[3 * i + axis] = (model->vertices[3 * i + axis] - centre) * scale;
        }
    }
    return scale;
}

void glmExtent(GlmMesh *model, float *dimensions)
{
    assert(model);
    assert(model->vertices);
    assert(dimensions);
    float largest[3], smallest[3];
    boundsOf(model, largest, smallest);
    sizesOf(largest, smallest, dimensions);
}

void glmScaleBy(GlmMesh *model, float factor)
{
    assert(model);
    for (unsigned i = 1; i <= model->vertexCount; i++) {
        for (int axis = 0; axis < 3; axis++)
            model->vertices[3 * i + axis] *= factor;
    }
}

static void negateVectors(float *vectors, unsigned count)
{
    for (unsigned i = 3; vectors && i < 3 * (static_cast<size_t>(count) + 1); i++)
        vectors[i] = -vectors[i];
}

void glmFlipWinding(GlmMesh *model)
{
    assert(model);
    for (unsigned i = 0; i < model->triangleCount; i++) {
        GlmTri *tri = &model->tris[i];
        std::swap(tri->vertexIndex[0], tri->vertexIndex[2]);
        if (model->normalCount > 0)
            std::swap(tri->normalIndex[0], tri->normalIndex[2]);
        if (model->texCoordCount > 0)
            std::swap(tri->texCoordIndex[0], tri->texCoordIndex[2]);
    }
    negateVectors(model->facetnorms, model->facetCount);
    negateVectors(model->normals, model->normalCount);
}

void glmFaceNormals(GlmMesh *model)
{
    assert(model);
    assert(model->vertices);
    std::free(model->facetnorms);
    model->facetCount = model->triangleCount;
    model->facetnorms = static_cast<float *>(
        std::calloc(3 * (static_cast<size_t>(model->facetCount) + 1), sizeof(float)));
    for (unsigned i = 0; i < model->triangleCount; i++) {
        GlmTri *tri = &model->tris[i];
        tri->facetIndex = i + 1;
        const float *p0 = &model->vertices[3 * tri->vertexIndex[0]];
        const float *p1 = &model->vertices[3 * tri->vertexIndex[1]];
        const float *p2 = &model->vertices[3 * tri->vertexIndex[2]];
        float u[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float v[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float *normal = &model->facetnorms[3 * tri->facetIndex];
        glmCrossOf(u, v, normal);
        glmNormalizeVec(normal);
    }
}

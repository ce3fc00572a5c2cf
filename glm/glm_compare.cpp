// Whether two models are the same, field by field and bit for bit: what lets
// the differential tests and the fuzzer hold the one-pass reading to the
// general one.
#include "glm_readerror.h"

#include <cstring>

static bool sameString(const char *a, const char *b)
{
    return a == b || (a && b && std::strcmp(a, b) == 0);
}

// Arrays of `bytes` bytes each, or both null.
static bool sameBytes(const void *a, const void *b, size_t bytes)
{
    return a == b || (a && b && std::memcmp(a, b, bytes) == 0);
}

static bool sameVectors(const float *a, const float *b, unsigned count, size_t components)
{
    return sameBytes(a, b, (count + size_t(1)) * components * sizeof(float));
}

static bool sameMaterial(const GlmMaterialEntry &a, const GlmMaterialEntry &b)
{
    return sameString(a.name, b.name) &&
           std::memcmp(a.diffuseColor, b.diffuseColor, sizeof a.diffuseColor) == 0 &&
           std::memcmp(a.ambientColor, b.ambientColor, sizeof a.ambientColor) == 0 &&
           std::memcmp(a.specularColor, b.specularColor, sizeof a.specularColor) == 0 &&
           std::memcmp(&a.shininess, &b.shininess, sizeof a.shininess) == 0;
}

static bool sameMaterials(const GlmMesh *a, const GlmMesh *b)
{
    if (a->materialCount != b->materialCount || !a->materialTable != !b->materialTable)
        return false;
    for (unsigned i = 0; a->materialTable && i < a->materialCount; i++) {
        if (!sameMaterial(a->materialTable[i], b->materialTable[i]))
            return false;
    }
    return true;
}

static bool sameGroups(const GlmGroupNode *a, const GlmGroupNode *b)
{
    for (; a && b; a = a->next, b = b->next) {
        if (!sameString(a->name, b->name) || a->triangleCount != b->triangleCount ||
            a->materialIndex != b->materialIndex ||
            !sameBytes(a->triangleIndices, b->triangleIndices, a->triangleCount * sizeof(unsigned)))
            return false;
    }
    return a == b;
}

const char *glmModelDifference(const GlmMesh *a, const GlmMesh *b)
{
    if (!sameString(a->sourcePath, b->sourcePath) ||
        !sameString(a->materialLibrary, b->materialLibrary))
        return "paths";
    if (a->vertexCount != b->vertexCount ||
        !sameVectors(a->vertices, b->vertices, a->vertexCount, 3))
        return "vertices";
    if (a->normalCount != b->normalCount || !sameVectors(a->normals, b->normals, a->normalCount, 3))
        return "normals";
    if (a->texCoordCount != b->texCoordCount ||
        !sameVectors(a->texCoords, b->texCoords, a->texCoordCount, 2))
        return "texture coordinates";
    if (a->facetCount != b->facetCount ||
        !sameVectors(a->facetnorms, b->facetnorms, a->facetCount, 3))
        return "facet normals";
    if (a->triangleCount != b->triangleCount || !a->tris || !b->tris ||
        std::memcmp(a->tris, b->tris, a->triangleCount * sizeof(GlmTri)) != 0)
        return "triangles";
    if (!sameMaterials(a, b))
        return "materials";
    if (a->groupCount != b->groupCount || !sameGroups(a->groupList, b->groupList))
        return "groups";
    if (std::memcmp(a->origin, b->origin, sizeof a->origin) != 0)
        return "origin";
    return nullptr;
}

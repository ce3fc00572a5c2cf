#include "meshbuilder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace
{

constexpr size_t kVectorWidth = 3;
constexpr size_t kTexCoordWidth = 2;

template <typename T> T *ownedArray(size_t count)
{
    return static_cast<T *>(std::calloc(count, sizeof(T)));
}

// values as entries 1.. of a vector array of the given width, with their
// count; null and 0 for no values.
float *ownedVectors(const std::vector<float> &values, size_t width, unsigned *count)
{
    *count = static_cast<unsigned>(values.size() / width);
    if (values.empty())
        return nullptr;
    float *array = ownedArray<float>(values.size() + width);
    std::copy(values.begin(), values.end(), array + width);
    return array;
}

GlmMaterialEntry ownedMaterial(const MaterialSpec &spec)
{
    GlmMaterialEntry entry{ownedCopy(spec.name), {}, {}, {}, spec.shininess};
    std::copy(spec.diffuse.begin(), spec.diffuse.end(), entry.diffuseColor);
    std::copy(spec.ambient.begin(), spec.ambient.end(), entry.ambientColor);
    std::copy(spec.specular.begin(), spec.specular.end(), entry.specularColor);
    return entry;
}

// Puts a new group at the head of the model's group list.
void addGroup(GlmMesh *model, const GroupSpec &spec)
{
    auto *group = ownedArray<GlmGroupNode>(1);
    group->name = ownedCopy(spec.name);
    group->triangleCount = static_cast<unsigned>(spec.triangles.size());
    // One spare slot, so that a test can append a triangle to the group.
    group->triangleIndices = ownedArray<unsigned>(spec.triangles.size() + 1);
    std::copy(spec.triangles.begin(), spec.triangles.end(), group->triangleIndices);
    group->materialIndex = spec.material;
    group->next = model->groupList;
    model->groupList = group;
    model->groupCount++;
}

void freeMaterials(GlmMesh *model)
{
    for (unsigned i = 0; i < model->materialCount; i++)
        std::free(model->materialTable[i].name);
    std::free(model->materialTable);
    model->materialTable = nullptr;
    model->materialCount = 0;
}

} // namespace

char *ownedCopy(const char *text)
{
    char *copy = ownedArray<char>(std::strlen(text) + 1);
    std::strcpy(copy, text);
    return copy;
}

GlmMesh *buildMesh(const MeshSpec &spec)
{
    auto *model = ownedArray<GlmMesh>(1);
    model->sourcePath = ownedCopy("built.obj");
    model->vertices = ownedVectors(spec.vertices, kVectorWidth, &model->vertexCount);
    model->normals = ownedVectors(spec.normals, kVectorWidth, &model->normalCount);
    model->texCoords = ownedVectors(spec.texCoords, kTexCoordWidth, &model->texCoordCount);
    model->facetnorms = ownedVectors(spec.facetNormals, kVectorWidth, &model->facetCount);
    model->triangleCount = static_cast<unsigned>(spec.triangles.size());
    model->tris = ownedArray<GlmTri>(spec.triangles.size());
    std::copy(spec.triangles.begin(), spec.triangles.end(), model->tris);
    if (!spec.materials.empty()) {
        model->materialCount = static_cast<unsigned>(spec.materials.size());
        model->materialTable = ownedArray<GlmMaterialEntry>(spec.materials.size());
        std::transform(spec.materials.begin(), spec.materials.end(), model->materialTable,
                       ownedMaterial);
    }
    for (const GroupSpec &group : spec.groups)
        addGroup(model, group);
    return model;
}

void dropOptionalData(GlmMesh *model)
{
    for (float **array : {&model->normals, &model->texCoords, &model->facetnorms}) {
        std::free(*array);
        *array = nullptr;
    }
    model->normalCount = model->texCoordCount = model->facetCount = 0;
    freeMaterials(model);
}

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

GlmMaterialEntry ownedMaterial(const MaterialPlan &plan)
{
    GlmMaterialEntry entry{ownedCopy(plan.name), {}, {}, {}, plan.shininess};
    std::copy(plan.diffuse.begin(), plan.diffuse.end(), entry.diffuseColor);
    std::copy(plan.ambient.begin(), plan.ambient.end(), entry.ambientColor);
    std::copy(plan.specular.begin(), plan.specular.end(), entry.specularColor);
    return entry;
}

// Puts a new group at the head of the model's group list.
void addGroup(GlmMesh *model, const GroupPlan &plan)
{
    auto *group = ownedArray<GlmGroupNode>(1);
    group->name = ownedCopy(plan.name);
    group->triangleCount = static_cast<unsigned>(plan.triangles.size());
    // One spare slot, so that a test can append a triangle to the group.
    group->triangleIndices = ownedArray<unsigned>(plan.triangles.size() + 1);
    std::copy(plan.triangles.begin(), plan.triangles.end(), group->triangleIndices);
    group->materialIndex = plan.material;
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

GlmMesh *buildMesh(const MeshPlan &plan)
{
    auto *model = ownedArray<GlmMesh>(1);
    model->sourcePath = ownedCopy("built.obj");
    model->vertices = ownedVectors(plan.vertices, kVectorWidth, &model->vertexCount);
    model->normals = ownedVectors(plan.normals, kVectorWidth, &model->normalCount);
    model->texCoords = ownedVectors(plan.texCoords, kTexCoordWidth, &model->texCoordCount);
    model->facetnorms = ownedVectors(plan.facetNormals, kVectorWidth, &model->facetCount);
    model->triangleCount = static_cast<unsigned>(plan.triangles.size());
    model->tris = ownedArray<GlmTri>(plan.triangles.size());
    std::copy(plan.triangles.begin(), plan.triangles.end(), model->tris);
    if (!plan.materials.empty()) {
        model->materialCount = static_cast<unsigned>(plan.materials.size());
        model->materialTable = ownedArray<GlmMaterialEntry>(plan.materials.size());
        std::transform(plan.materials.begin(), plan.materials.end(), model->materialTable,
                       ownedMaterial);
    }
    for (const GroupPlan &group : plan.groups)
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

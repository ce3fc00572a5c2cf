#include "mesh_builder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

char *ownedCopy(const char *text)
{
    char *copy = static_cast<char *>(std::malloc(std::strlen(text) + 1));
    std::strcpy(copy, text);
    return copy;
}

float *ownedVectors(const std::vector<float> &values, size_t width)
{
    float *array = static_cast<float *>(std::calloc(values.size() + width, sizeof(float)));
    std::copy(values.begin(), values.end(), array + width);
    return array;
}

void addGroup(GlmMesh *model, const char *name, const std::vector<unsigned> &triangles,
              unsigned material)
{
    auto *group = static_cast<GlmGroupNode *>(std::calloc(1, sizeof(GlmGroupNode)));
    group->name = ownedCopy(name);
    group->triangleCount = static_cast<unsigned>(triangles.size());
    group->triangleIndices =
        static_cast<unsigned *>(std::malloc((triangles.size() + 1) * sizeof(unsigned)));
    std::copy(triangles.begin(), triangles.end(), group->triangleIndices);
    group->materialIndex = material;
    group->next = model->groupList;
    model->groupList = group;
    model->groupCount++;
}

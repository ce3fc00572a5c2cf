// The model record: groups, material look-up, paths and freeing.
#include "glm.h"
#include "glm_parse.h"

#include <cassert>
#include <cstdio>
#include <cstdlib>
#include <cstring>

GlmGroupNode *glmLookupGroup(GlmMesh *model, const char *name)
{
    assert(model);
    for (GlmGroupNode *group = model->groupList; group; group = group->next) {
        if (std::strcmp(group->name, name) == 0)
            return group;
    }
    return nullptr;
}

GlmGroupNode *glmEnsureGroup(GlmMesh *model, const char *name)
{
    GlmGroupNode *group = glmLookupGroup(model, name);
    if (group)
        return group;
    group = static_cast<GlmGroupNode *>(std::calloc(1, sizeof(GlmGroupNode)));
    group->name = glmCopyString(name);
    group->next = model->groupList;
    model->groupList = group;
    model->groupCount++;
    return group;
}

bool glmLookupMaterial(const GlmMesh *model, const char *name, unsigned *index)
{
    for (unsigned i = 0; model->materialTable && i < model->materialCount; i++) {
        if (std::strcmp(model->materialTable[i].name, name) == 0) {
            *index = i;
            return true;
        }
    }
    return false;
}

unsigned glmFindMaterial(GlmMesh *model, const char *name)
{
    unsigned index;
    if (glmLookupMaterial(model, name, &index))
        return index;
    std::printf("glmFindMaterial():  can't find material \"%s\".\n", name);
    std::fflush(stdout);
    return 0;
}

char *glmPathDirectory(const char *path)
{
    const char *slash = std::strrchr(path, '/');
    size_t length = slash ? static_cast<size_t>(slash - path) + 1 : 0;
    char *directory = static_cast<char *>(std::malloc(length + 1));
    std::memcpy(directory, path, length);
    directory[length] = '\0';
    return directory;
}

void glmFreeMaterials(GlmMesh *model)
{
    for (unsigned i = 0; model->materialTable && i < model->materialCount; i++)
        std::free(model->materialTable[i].name);
    std::free(model->materialTable);
    model->materialTable = nullptr;
    model->materialCount = 0;
}

static void freeGroups(GlmMesh *model)
{
    while (model->groupList) {
        GlmGroupNode *group = model->groupList;
        model->groupList = group->next;
        std::free(group->name);
        std::free(group->triangleIndices);
        std::free(group);
    }
    model->groupCount = 0;
}

void glmFree(GlmMesh *model)
{
    assert(model);
    std::free(model->sourcePath);
    std::free(model->materialLibrary);
    std::free(model->vertices);
    std::free(model->normals);
    std::free(model->texCoords);
    std::free(model->facetnorms);
    std::free(model->tris);
    glmFreeMaterials(model);
    freeGroups(model);
    std::free(model);
}

#pragma once

#include "glm.h"

#include <array>
#include <vector>

// Model records built by hand for tests, allocated the way the library
// allocates them so that glmFree releases them.

struct MaterialPlan {
    const char *name;
    std::array<float, 4> diffuse;  // RGBA
    std::array<float, 4> ambient;  // RGBA
    std::array<float, 4> specular; // RGBA
    float shininess;               // OpenGL exponent
};

struct GroupPlan {
    const char *name;                // as the reader stores it, leading blank included
    std::vector<unsigned> triangles; // indices into the triangles, 0-based
    unsigned material;               // index into the materials
};

// What a model holds. Vector arrays list their entries from index 1 on (the
// unused entry 0 is added), x, y, z or s, t one after the other; an empty
// array leaves the model without it.
struct MeshPlan {
    std::vector<float> vertices;
    std::vector<float> normals;
    std::vector<float> texCoords;
    std::vector<float> facetNormals;
    std::vector<GlmTri> triangles;
    std::vector<MaterialPlan> materials;
    // In the order a file would bring them: the last becomes the head of the
    // group list.
    std::vector<GroupPlan> groups;
};

GlmMesh *buildMesh(const MeshPlan &plan);

// A malloc'd copy of text, for the strings the model owns.
char *ownedCopy(const char *text);

// Frees and clears the normals, texture coordinates, facet normals and
// materials: the data a writer or a drawing has to do without.
void dropOptionalData(GlmMesh *model);

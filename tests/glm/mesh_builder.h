#pragma once

#include "glm.h"

#include <vector>

// Pieces for building model records by hand in tests, allocated the way the
// library allocates them so that glmFree releases them.

// A malloc'd copy of text.
char *ownedCopy(const char *text);

// count + 1 vectors of the given width from values (entry 0 unused).
float *ownedVectors(const std::vector<float> &values, size_t width);

// Puts a new group at the head of the model's group list.
void addGroup(GlmMesh *model, const char *name, const std::vector<unsigned> &triangles,
              unsigned material);

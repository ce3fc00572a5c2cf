#include "glm_mode.h"

#include "glm.h"

#include <cstdio>

// The model data a mode bit needs; kNoData marks a rule about two bits that
// cannot both stay.
enum ModeData { kNoData, kFacetNormals, kVertexNormals, kTexCoords, kMaterials };

// One correction: when every bit of requested is set and the data is missing
// (or, for kNoData, always), warn and clear the bit cleared.
struct ModeCorrection {
    unsigned requested;
    ModeData missing;
    unsigned cleared;
    const char *drawWarning;
    const char *writeWarning;
};

// In the order the corrections apply; a later rule sees the bits the earlier
// ones left.
static const ModeCorrection kCorrections[] = {
    {GLM_DRAW_FACETED, kFacetNormals, GLM_DRAW_FACETED,
     "glmDraw() warning: flat render mode requested with no facet normals defined.",
     "glmWriteOBJ() warning: flat normal output requested with no facet normals defined."},
    {GLM_DRAW_SMOOTHED, kVertexNormals, GLM_DRAW_SMOOTHED,
     "glmDraw() warning: smooth render mode requested with no normals defined.",
     "glmWriteOBJ() warning: smooth normal output requested with no normals defined."},
    {GLM_DRAW_TEXTURED, kTexCoords, GLM_DRAW_TEXTURED,
     "glmDraw() warning: texture render mode requested with no texture coordinates defined.",
     "glmWriteOBJ() warning: texture coordinate output requested with no texture coordinates "
     "defined."},
    {GLM_DRAW_FACETED | GLM_DRAW_SMOOTHED, kNoData, GLM_DRAW_FACETED,
     "glmDraw() warning: flat render mode requested and smooth render mode requested (using "
     "smooth).",
     "glmWriteOBJ() warning: flat normal output requested and smooth normal output requested "
     "(using smooth)."},
    {GLM_DRAW_COLORED, kMaterials, GLM_DRAW_COLORED,
     "glmDraw() warning: color render mode requested with no materials defined.",
     "glmWriteOBJ() warning: color output requested with no colors (materials) defined."},
    {GLM_DRAW_MATERIALS, kMaterials, GLM_DRAW_MATERIALS,
     "glmDraw() warning: material render mode requested with no materials defined.",
     "glmWriteOBJ() warning: material output requested with no materials defined."},
    {GLM_DRAW_COLORED | GLM_DRAW_MATERIALS, kNoData, GLM_DRAW_COLORED,
     "glmDraw() warning: color and material render mode requested using only material mode.",
     "glmWriteOBJ() warning: color and material output requested outputting only materials."},
};

static bool lacks(const GlmMesh *model, ModeData data)
{
    switch (data) {
    case kFacetNormals:
        return !model->facetnorms;
    case kVertexNormals:
        return !model->normals;
    case kTexCoords:
        return !model->texCoords;
    case kMaterials:
        return !model->materialTable;
    case kNoData:
        break;
    }
    return true;
}

unsigned glmCorrectMode(const GlmMesh *model, unsigned mode, GlmModeUse use)
{
    for (const ModeCorrection &correction : kCorrections) {
        bool requested = (mode & correction.requested) == correction.requested;
        if (requested && lacks(model, correction.missing)) {
            std::printf("%s\n",
                        use == kGlmModeDrawing ? correction.drawWarning : correction.writeWarning);
            std::fflush(stdout);
            mode &= ~correction.cleared;
        }
    }
    return mode;
}

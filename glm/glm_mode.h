// Correcting a draw or write mode against the data a model holds. Internal to
// glm.
#ifndef GLM_GLM_MODE_H
#define GLM_GLM_MODE_H

struct GlmMesh;

// Who corrects the mode; each prints warnings of its own wording.
enum GlmModeUse {
    kGlmModeDrawing, // glmDraw
    kGlmModeWriting, // glmWriteOBJ
};

// Drops the mode bits the model has no data for and resolves the conflicting
// pairs, in a fixed order, printing a warning line on standard output for
// each correction. Returns the corrected mode.
unsigned glmCorrectMode(const GlmMesh *model, unsigned mode, GlmModeUse use);

#endif

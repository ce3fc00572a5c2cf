// Pieces of OBJ/MTL syntax shared by the counting and the filling pass, so
// that both read every face and name in exactly the same way. Internal to glm.
#ifndef GLM_GLM_PARSE_H
#define GLM_GLM_PARSE_H

#include "glm_scanner.h"

struct GlmMesh;

// The group every file starts in, and the one faces before any g line go to.
constexpr char kGlmDefaultGroupName[] = "default";

// How a face's corners are written; the face's first corner decides.
enum GlmFaceForm {
    kGlmFaceVertex,              // "%d"
    kGlmFaceVertexTexture,       // "%d/%d"
    kGlmFaceVertexTextureNormal, // "%d/%d/%d"
    kGlmFaceVertexNormal,        // "%d//%d"
};

// The numbers of one corner. A corner that supplies fewer numbers than its
// form keeps the previous corner's values in the others, as the reading
// always has; a face starts from all zero.
struct GlmCorner {
    long long vertex;
    long long texCoord;
    long long normal;
};

// Reads a face's first corner as a token (token is its buffer, left as it
// was when the input ends first) and decides the form from it.
GlmFaceForm glmScanFirstCorner(GlmScanner *scanner, char *token, GlmCorner *corner);
// Reads one further corner of the given form; returns the number of values
// converted, 0 when none was, -1 at the end of the input.
int glmScanCorner(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner);
// The same without the in-place path for plain corners; kept apart so that
// tests can hold the two against each other.
int glmScanCornerInGeneral(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner);
// Inline: the filling pass asks for every corner.
inline bool glmFormHasTexture(GlmFaceForm form)
{
    return form == kGlmFaceVertexTexture || form == kGlmFaceVertexTextureNormal;
}

inline bool glmFormHasNormal(GlmFaceForm form)
{
    return form == kGlmFaceVertexNormal || form == kGlmFaceVertexTextureNormal;
}

// Group name of a g line's rest: the line without its last character
// (normally the line end), the blank after the keyword included.
void glmGroupNameOf(const char *line, char *name);
// Name on an mtllib, usemtl or newmtl line's rest: its first word, replaced by
// the second word when there is one; empty when the line has no word.
void glmLineWordOf(const char *line, char *word);

// Frees every material and the table, leaving the model without materials.
void glmFreeMaterials(GlmMesh *model);
// glmFindMaterial without its message: false when no material has the name.
bool glmLookupMaterial(const GlmMesh *model, const char *name, unsigned *index);

// Copy of text on the heap (malloc), for the model's owned strings.
char *glmCopyString(const char *text);

#endif

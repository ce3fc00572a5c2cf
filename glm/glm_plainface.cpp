// The one-pass reading's faces. A plain face is one line of at least three
// corners, all of the form its first corner has, each written exactly as that
// form says ("1/2/3", "1//3", "1/2" or "1", signs allowed) and followed by
// white space, with no number at the start of the next line (where the
// corners would run on). The form is recognised once; the corners are then
// read in one loop, their numbers eight digits at a time.
#include "glm_digits.h"
#include "glm_parse.h"
#include "glm_plainread.h"

#include <climits>

// The element indices of one corner; those its form lacks stay 0.
struct PlainCorner {
    unsigned vertex;
    unsigned texCoord;
    unsigned normal;
};

// A face number: an optional sign and 1 to kGlmRunDigits digits.
static bool takeNumber(const char **p, long long *number)
{
    const char *q = *p;
    bool negative = *q == '-';
    q += *q == '-' || *q == '+';
    uint64_t magnitude;
    unsigned digits = glmDigitRun(q, &magnitude);
    if (digits == 0 || digits > kGlmRunDigits)
        return false;
    *number = negative ? -static_cast<long long>(magnitude) : static_cast<long long>(magnitude);
    *p = q + digits;
    return true;
}

// The element that number names among the `read` elements read so far: a
// positive number counts from the first element and may name one read later
// (the largest is checked at the end), a negative one counts back from the
// last element read (-1). False when it can name none.
static bool resolve(long long number, unsigned read, long long *largest, unsigned *index)
{
    if (number > 0) {
        if (number > *largest)
            *largest = number;
        *index = static_cast<unsigned>(number);
        return number <= UINT_MAX;
    }
    long long back = static_cast<long long>(read) + 1 + number;
    *index = static_cast<unsigned>(back);
    return number < 0 && back >= 1;
}

static bool takeIndex(const char **p, unsigned read, long long *largest, unsigned *index)
{
    long long number;
    return takeNumber(p, &number) && resolve(number, read, largest, index);
}

// The numbers after the vertex, as the form writes them.
static const char *takeTail(GlmPlainRead *state, const char *p, GlmFaceForm form,
                            PlainCorner *corner)
{
    const GlmMesh *model = state->model;
    if (form == kGlmFaceVertexNormal) {
        if (p[0] != '/' || p[1] != '/')
            return nullptr;
        p += 2;
    } else if (glmFormHasTexture(form)) {
        if (*p++ != '/' ||
            !takeIndex(&p, model->texCoordCount, &state->largestTexCoord, &corner->texCoord))
            return nullptr;
        if (form == kGlmFaceVertexTexture)
            return p;
        if (*p++ != '/')
            return nullptr;
    }
    if (!takeIndex(&p, model->normalCount, &state->largestNormal, &corner->normal))
        return nullptr;
    return p;
}

// One corner at p: the position after it, or null when it is not plain.
static const char *takeCorner(GlmPlainRead *state, const char *p, GlmFaceForm form,
                              PlainCorner *corner)
{
    if (!takeIndex(&p, state->model->vertexCount, &state->largestVertex, &corner->vertex))
        return nullptr;
    if (form != kGlmFaceVertex && !(p = takeTail(state, p, form, corner)))
        return nullptr;
    return glmIsSpace(*p) ? p : nullptr;
}

static const char *skipNumber(const char *p)
{
    p += *p == '-' || *p == '+';
    while (glmIsDigit(*p))
        ++p;
    return p;
}

// The form the slashes of the first corner at p give; takeCorner then checks
// the corner against it.
static GlmFaceForm formOf(const char *p)
{
    p = skipNumber(p);
    if (*p != '/')
        return kGlmFaceVertex;
    if (p[1] == '/')
        return kGlmFaceVertexNormal;
    p = skipNumber(p + 1);
    return *p == '/' ? kGlmFaceVertexTextureNormal : kGlmFaceVertexTexture;
}

static GlmTri triangleOf(const PlainCorner corners[3])
{
    GlmTri tri = {};
    for (int slot = 0; slot < 3; slot++) {
        tri.vertexIndex[slot] = corners[slot].vertex;
        tri.texCoordIndex[slot] = corners[slot].texCoord;
        tri.normalIndex[slot] = corners[slot].normal;
    }
    return tri;
}

// Appends the triangle to the model and to the current group.
static bool addTriangle(GlmPlainRead *state, const GlmTri &tri)
{
    GlmMesh *model = state->model;
    GlmGroupNode *group = state->group;
    if (glmPlainIsFull(model->triangleCount)) {
        void *grown = glmPlainGrown(model->tris, model->triangleCount, sizeof(GlmTri));
        if (!grown)
            return false;
        model->tris = static_cast<GlmTri *>(grown);
    }
    if (glmPlainIsFull(group->triangleCount)) {
        void *grown = glmPlainGrown(group->triangleIndices, group->triangleCount, sizeof(unsigned));
        if (!grown)
            return false;
        group->triangleIndices = static_cast<unsigned *>(grown);
    }
    model->tris[model->triangleCount] = tri;
    group->triangleIndices[group->triangleCount++] = model->triangleCount++;
    return true;
}

// Corners run on across lines: the face ends at the first thing after its
// line that is not the start of a number.
static bool faceGoesOn(const GlmPlainRead *state, const char *lineEnd)
{
    const char *p = lineEnd;
    while (p < state->textEnd && glmIsSpace(*p))
        ++p;
    return p < state->textEnd && (glmIsDigit(*p) || *p == '-' || *p == '+');
}

// Each corner after the third makes a fan triangle with the first corner and
// the previous triangle's last.
const char *glmPlainFace(GlmPlainRead *state, const char *p)
{
    p = glmSkipBlanks(p);
    GlmFaceForm form = formOf(p);
    PlainCorner corners[3] = {};
    for (int slot = 0; slot < 3; slot++) {
        p = takeCorner(state, glmSkipBlanks(p), form, &corners[slot]);
        if (!p)
            return nullptr;
    }
    if (!addTriangle(state, triangleOf(corners)))
        return nullptr;
    for (p = glmSkipBlanks(p); *p != '\n'; p = glmSkipBlanks(p)) {
        corners[1] = corners[2];
        p = takeCorner(state, p, form, &corners[2]);
        if (!p || !addTriangle(state, triangleOf(corners)))
            return nullptr;
    }
    return faceGoesOn(state, p) ? nullptr : glmAfterLine(state, p);
}

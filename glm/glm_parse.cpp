#include "glm_parse.h"

#include <cstdlib>
#include <cstring>

// Returned by the plain corner paths when the general reading must decide.
static constexpr int kUndecided = -2;

// Values a complete corner of the form supplies.
static int valuesOf(GlmFaceForm form)
{
    return form == kGlmFaceVertex ? 1 : form == kGlmFaceVertexTextureNormal ? 3 : 2;
}

// The numbers after a corner's vertex as plain input writes them: single
// slashes straight before each number, "//" before a lone normal. Moves *p past
// them and returns true; false when the input is anything else.
static bool scanPlainTail(const char **p, const char *end, GlmFaceForm form, GlmCorner *corner)
{
    const char *q = *p;
    switch (form) {
    case kGlmFaceVertex:
        break;
    case kGlmFaceVertexNormal:
        if (q[0] != '/' || q[1] != '/')
            return false;
        q += 2;
        if (!glmScanPlainInt(&q, end, &corner->normal))
            return false;
        break;
    case kGlmFaceVertexTexture:
    case kGlmFaceVertexTextureNormal:
        if (*q != '/')
            return false;
        ++q;
        if (!glmScanPlainInt(&q, end, &corner->texCoord))
            return false;
        if (form == kGlmFaceVertexTextureNormal) {
            if (*q != '/')
                return false;
            ++q;
            if (!glmScanPlainInt(&q, end, &corner->normal))
                return false;
        }
        break;
    }
    *p = q;
    return true;
}

// A plain corner of the form at *p: the vertex, then the rest as above.
static bool scanPlainNumbers(const char **p, const char *end, GlmFaceForm form, GlmCorner *corner)
{
    const char *q = *p;
    GlmCorner read = *corner;
    if (!glmScanPlainInt(&q, end, &read.vertex) || !scanPlainTail(&q, end, form, &read))
        return false;
    *p = q;
    *corner = read;
    return true;
}

// A corner as almost every file writes it, read in place; anything unusual,
// or a corner running into bytes not yet read, is kUndecided and left to the
// general reading, so that both always agree. A line's next keyword ends the
// face here too.
static int scanPlainCorner(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
{
    const char *p = scanner->cur;
    while (glmIsSpace(*p))
        ++p;
    if (p >= scanner->end)
        return kUndecided;
    if (!glmIsDigit(*p) && *p != '-' && *p != '+') {
        scanner->cur = p;
        return 0;
    }
    if (!scanPlainNumbers(&p, scanner->end, form, corner))
        return kUndecided;
    scanner->cur = p;
    return valuesOf(form);
}

int glmScanCorner(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
{
    int converted = scanPlainCorner(scanner, form, corner);
    return converted != kUndecided ? converted : glmScanCornerInGeneral(scanner, form, corner);
}

int glmScanCornerInGeneral(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
{
    int converted = glmScanInt(scanner, &corner->vertex);
    if (converted <= 0 || form == kGlmFaceVertex)
        return converted;
    if (form == kGlmFaceVertexNormal) {
        bool separated = glmScanLiteral(scanner, '/') && glmScanLiteral(scanner, '/');
        return separated && glmScanInt(scanner, &corner->normal) == 1 ? 2 : 1;
    }
    if (!glmScanLiteral(scanner, '/') || glmScanInt(scanner, &corner->texCoord) != 1)
        return 1;
    if (form == kGlmFaceVertexTexture)
        return 2;
    if (!glmScanLiteral(scanner, '/') || glmScanInt(scanner, &corner->normal) != 1)
        return 2;
    return 3;
}

// Tries the forms in order on the token, as repeated sscanf calls would: a
// failed try may already have stored some of its values.
static GlmFaceForm faceFormOf(const char *token, GlmCorner *corner)
{
    GlmScanner scanner;
    glmScanString(&scanner, token);
    if (std::strstr(token, "//")) {
        glmScanCornerInGeneral(&scanner, kGlmFaceVertexNormal, corner);
        return kGlmFaceVertexNormal;
    }
    if (glmScanCornerInGeneral(&scanner, kGlmFaceVertexTextureNormal, corner) == 3)
        return kGlmFaceVertexTextureNormal;
    glmScanString(&scanner, token);
    if (glmScanCornerInGeneral(&scanner, kGlmFaceVertexTexture, corner) == 2)
        return kGlmFaceVertexTexture;
    glmScanString(&scanner, token);
    glmScanCornerInGeneral(&scanner, kGlmFaceVertex, corner);
    return kGlmFaceVertex;
}

// The plain first corner: the one form whose pattern it matches up to the
// white space that ends its token (plain patterns never match two forms).
static bool scanPlainFirstCorner(GlmScanner *scanner, GlmFaceForm *form, GlmCorner *corner)
{
    const char *start = scanner->cur;
    while (glmIsSpace(*start))
        ++start;
    static const GlmFaceForm kCandidates[] = {kGlmFaceVertexNormal, kGlmFaceVertexTextureNormal,
                                              kGlmFaceVertexTexture, kGlmFaceVertex};
    for (GlmFaceForm candidate : kCandidates) {
        const char *p = start;
        GlmCorner read = *corner;
        if (scanPlainNumbers(&p, scanner->end, candidate, &read) && glmIsSpace(*p)) {
            *form = candidate;
            *corner = read;
            scanner->cur = p;
            return true;
        }
    }
    return false;
}

GlmFaceForm glmScanFirstCorner(GlmScanner *scanner, char *token, GlmCorner *corner)
{
    GlmFaceForm form;
    if (scanPlainFirstCorner(scanner, &form, corner))
        return form;
    glmScanToken(scanner, token);
    return faceFormOf(token, corner);
}

void glmGroupNameOf(const char *line, char *name)
{
    size_t length = std::strlen(line);
    if (length > 0)
        length--;
    std::memcpy(name, line, length);
    name[length] = '\0';
}

// Copies the word at *line into word and moves *line past it; false when the
// line holds no further word.
static bool takeWord(const char **line, char *word)
{
    const char *p = *line;
    while (glmIsSpace(*p))
        ++p;
    if (!*p)
        return false;
    size_t length = 0;
    while (*p && !glmIsSpace(*p))
        word[length++] = *p++;
    word[length] = '\0';
    *line = p;
    return true;
}

void glmLineWordOf(const char *line, char *word)
{
    word[0] = '\0';
    if (takeWord(&line, word))
        takeWord(&line, word);
}

char *glmCopyString(const char *text)
{
    size_t length = std::strlen(text);
    char *copy = static_cast<char *>(std::malloc(length + 1));
    std::memcpy(copy, text, length + 1);
    return copy;
}

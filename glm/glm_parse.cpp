#include "glm_parse.h"

#include <cstdlib>
#include <cstring>

// Returned by the plain corner paths when the general reading must decide.
static constexpr int Undecided = -2;

// Values a complete corner of the form supplies.
static int valuesOf(GlmFaceForm form)
{
    return form == GlmFaceVertex ? 1 : form == GlmFaceVertexTextureNormal ? 3 : 2;
}

// The numbers after a corner's vertex as plain input writes them: single
// slashes straight before each number, "//" before a lone normal. Moves *p past
// them and returns true; false when the input is anything else.
static bool scanPlainTail(const char **p, const char *end, GlmFaceForm form, GlmCorner *corner)
{
    const char *q = *p;
    switch (form) {
    case GlmFaceVertex:
        break;
    case GlmFaceVertexNormal:
        if (q[0] != '/' || q[1] != '/')
            return false;
        q += 2;
        if (!glmScanPlainInt(&q, end, &corner->normal))
            return false;
        break;
    case GlmFaceVertexTexture:
    case GlmFaceVertexTextureNormal:
        if (*q != '/')
            return false;
        ++q;
        if (!glmScanPlainInt(&q, end, &corner->texCoord))
            return false;
        if (form == GlmFaceVertexTextureNormal) {
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

// A corner as almost every file writes it, read in place; anything unusual,
// or a corner running into bytes not yet read, is Undecided and left to the
// general reading, so that both always agree. A line's next keyword ends the
// face here too.
static int scanPlainCorner(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
{
    const char *p = scanner->cur;
    while (glmIsSpace(*p))
        ++p;
    if (p >= scanner->end)
        return Undecided;
    if (!glmIsDigit(*p) && *p != '-' && *p != '+') {
        scanner->cur = p;
        return 0;
    }
    GlmCorner read = *corner;
    if (!glmScanPlainInt(&p, scanner->end, &read.vertex) ||
        !scanPlainTail(&p, scanner->end, form, &read))
        return Undecided;
    *corner = read;
    scanner->cur = p;
    return valuesOf(form);
}

int glmScanCorner(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
{
    int converted = scanPlainCorner(scanner, form, corner);
    return converted != Undecided ? converted : glmScanCornerInGeneral(scanner, form, corner);
}

int glmScanCornerInGeneral(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
{
    int converted = glmScanInt(scanner, &corner->vertex);
    if (converted <= 0 || form == GlmFaceVertex)
        return converted;
    if (form == GlmFaceVertexNormal) {
        bool separated = glmScanLiteral(scanner, '/') && glmScanLiteral(scanner, '/');
        return separated && glmScanInt(scanner, &corner->normal) == 1 ? 2 : 1;
    }
    if (!glmScanLiteral(scanner, '/') || glmScanInt(scanner, &corner->texCoord) != 1)
        return 1;
    if (form == GlmFaceVertexTexture)
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
        glmScanCornerInGeneral(&scanner, GlmFaceVertexNormal, corner);
        return GlmFaceVertexNormal;
    }
    if (glmScanCornerInGeneral(&scanner, GlmFaceVertexTextureNormal, corner) == 3)
        return GlmFaceVertexTextureNormal;
    glmScanString(&scanner, token);
    if (glmScanCornerInGeneral(&scanner, GlmFaceVertexTexture, corner) == 2)
        return GlmFaceVertexTexture;
    glmScanString(&scanner, token);
    glmScanCornerInGeneral(&scanner, GlmFaceVertex, corner);
    return GlmFaceVertex;
}

// The plain first corner, its form told by what follows the vertex: "//" and
// a normal, or a slash and a texture coordinate with perhaps a slash and a
// normal. It must end in white space, as the token it would be read from does.
static bool scanPlainFirstCorner(GlmScanner *scanner, GlmFaceForm *form, GlmCorner *corner)
{
    const char *p = scanner->cur;
    const char *end = scanner->end;
    while (glmIsSpace(*p))
        ++p;
    GlmCorner read = *corner;
    if (!glmScanPlainInt(&p, end, &read.vertex))
        return false;
    GlmFaceForm plain = GlmFaceVertex;
    if (p[0] == '/' && p[1] == '/') {
        plain = GlmFaceVertexNormal;
        p += 2;
        if (!glmScanPlainInt(&p, end, &read.normal))
            return false;
    } else if (p[0] == '/') {
        plain = GlmFaceVertexTexture;
        ++p;
        if (!glmScanPlainInt(&p, end, &read.texCoord))
            return false;
        if (p[0] == '/') {
            plain = GlmFaceVertexTextureNormal;
            ++p;
            if (!glmScanPlainInt(&p, end, &read.normal))
                return false;
        }
    }
    if (!glmIsSpace(*p))
        return false;
    *form = plain;
    *corner = read;
    scanner->cur = p;
    return true;
}

GlmFaceForm glmScanFirstCorner(GlmScanner *scanner, char *token, GlmCorner *corner)
{
    GlmFaceForm form;
    if (scanPlainFirstCorner(scanner, &form, corner))
        return form;
    glmScanToken(scanner, token);
    return faceFormOf(token, corner);
}

bool glmFormHasTexture(GlmFaceForm form)
{
    return form == GlmFaceVertexTexture || form == GlmFaceVertexTextureNormal;
}

bool glmFormHasNormal(GlmFaceForm form)
{
    return form == GlmFaceVertexNormal || form == GlmFaceVertexTextureNormal;
}

void glmGroupNameOf(const char *line, char *name)
{
    size_t length = std::strlen(line);
    if (length > 0)
        length--;
    std::memcpy(name, line, length);
    name[length] = '\0';
}

static bool isBlank(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Copies the word at *line into word and moves *line past it; false when the
// line holds no further word.
static bool takeWord(const char **line, char *word)
{
    const char *p = *line;
    while (isBlank(*p))
        ++p;
    if (!*p)
        return false;
    size_t length = 0;
    while (*p && !isBlank(*p))
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

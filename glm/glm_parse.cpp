#include "glm_parse.h"

#include <cstdlib>
#include <cstring>

int glmScanCorner(GlmScanner *scanner, GlmFaceForm form, GlmCorner *corner)
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
GlmFaceForm glmFaceFormOf(const char *token, GlmCorner *corner)
{
    GlmScanner scanner;
    glmScanString(&scanner, token);
    if (std::strstr(token, "//")) {
        glmScanCorner(&scanner, GlmFaceVertexNormal, corner);
        return GlmFaceVertexNormal;
    }
    if (glmScanCorner(&scanner, GlmFaceVertexTextureNormal, corner) == 3)
        return GlmFaceVertexTextureNormal;
    glmScanString(&scanner, token);
    if (glmScanCorner(&scanner, GlmFaceVertexTexture, corner) == 2)
        return GlmFaceVertexTexture;
    glmScanString(&scanner, token);
    glmScanCorner(&scanner, GlmFaceVertex, corner);
    return GlmFaceVertex;
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

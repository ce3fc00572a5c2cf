// The one-pass reading's statements other than faces: vertex data, groups,
// materials, and the lines both passes skip.
//
// The counting pass skips a vertex line's rest and reads group and material
// lines as a line of at most 127 bytes; the filling pass reads a vertex line's
// numbers and then goes on with the next token. They agree when the line
// ends within those 127 bytes and nothing after the numbers is a statement
// of the filling pass's own; each statement here is plain only then.
#include "glm_digits.h"
#include "glm_parse.h"
#include "glm_plainread.h"
#include "glm_readerror.h"

#include <cstdlib>
#include <cstring>

// Farthest a line end may lie from the end of its keyword for the line
// reading (fgets into kGlmTokenSize bytes) to reach it.
static constexpr long kLineRestMax = static_cast<long>(kGlmTokenSize) - 2;

// Digits a significand may have and still fit in 64 bits.
static constexpr unsigned kSignificandDigits = 18;

// Vector lines per byte of file that a vector array's first room assumes: a
// line of three numbers as files write them takes more.
static constexpr size_t kBytesPerVector = 24;

static const char *tokenEnd(const char *p)
{
    while (!glmIsSpace(*p))
        ++p;
    return p;
}

// The line end that the line reading from rest would stop at, looking from
// `from` on: the '\n' itself, or textEnd when the text ends first. Null when
// the line goes on beyond kLineRestMax bytes.
static const char *lineEndWithin(const GlmPlainRead *state, const char *rest, const char *from)
{
    long reach = rest + kLineRestMax + 1 - from;
    if (reach <= 0)
        return nullptr;
    if (reach > state->textEnd - from)
        reach = state->textEnd - from;
    const void *lineEnd = std::memchr(from, '\n', static_cast<size_t>(reach));
    if (lineEnd)
        return static_cast<const char *>(lineEnd);
    return state->textEnd - rest <= kLineRestMax ? state->textEnd : nullptr;
}

// A line's rest as the line reading copies it into line; the text must hold
// its line end. Returns the position after the line, or null.
static const char *takeLine(const GlmPlainRead *state, const char *rest, char *line)
{
    const char *lineEnd = lineEndWithin(state, rest, rest);
    if (!lineEnd || lineEnd == state->textEnd)
        return nullptr;
    size_t length = static_cast<size_t>(lineEnd + 1 - rest);
    std::memcpy(line, rest, length);
    line[length] = '\0';
    return lineEnd + 1;
}

// The magnitude of a decimal number: the digits before and after its point.
static float magnitudeOf(const char *text, const char *stop, uint64_t integer,
                         unsigned integerDigits, uint64_t fraction, unsigned fractionDigits,
                         bool exponent)
{
    static constexpr uint64_t kPowersOfTen[] = {
        1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000, 1000000000, 10000000000ull};
    float magnitude;
    if (!exponent && integerDigits + fractionDigits <= kSignificandDigits &&
        fractionDigits <= kGlmExactPowerOfTen) {
        uint64_t significand = integer * kPowersOfTen[fractionDigits] + fraction;
        if (glmExactDecimal(static_cast<long long>(significand), fractionDigits, &magnitude))
            return magnitude;
    }
    return glmConvertFloat(text, stop);
}

// An exponent's text at p ("e", a sign, digits): the position after it, or
// null when the text is no exponent.
static const char *exponentEnd(const char *p)
{
    ++p;
    if (*p == '-' || *p == '+')
        ++p;
    if (!glmIsDigit(*p))
        return nullptr;
    while (glmIsDigit(*p))
        ++p;
    return p;
}

// A number of a vertex line at *p that does not fit in a word: longer digit
// runs, an exponent, or too many digits for the exact conversion. As
// takeFloat.
static bool takeOddFloat(const char **p, float *value)
{
    const char *q = *p;
    bool negative = *q == '-';
    q += *q == '-' || *q == '+';
    const char *text = q;
    uint64_t integer, fraction = 0;
    unsigned integerDigits = glmDigitRun(q, &integer);
    unsigned fractionDigits = 0;
    q += integerDigits;
    if (*q == '.') {
        fractionDigits = glmDigitRun(q + 1, &fraction);
        q += 1 + fractionDigits;
    }
    if (integerDigits + fractionDigits == 0 || integerDigits > kGlmRunDigits ||
        fractionDigits > kGlmRunDigits)
        return false;
    bool exponent = *q == 'e' || *q == 'E';
    if (exponent && !(q = exponentEnd(q)))
        return false;
    if (!glmIsSpace(*q))
        return false;
    float magnitude =
        magnitudeOf(text, q, integer, integerDigits, fraction, fractionDigits, exponent);
    *value = negative ? -magnitude : magnitude;
    *p = q;
    return true;
}

// A number of a vertex line at *p: a sign, digits with an optional point and
// exponent, and white space after it. Stores what "%f" converts it to and
// moves *p past it; false for anything else.
static inline bool takeFloat(const char **p, float *value)
{
    const char *q = *p;
    bool negative = *q == '-';
    q += negative || *q == '+';
    uint64_t significand;
    unsigned fractionDigits;
    unsigned length = glmShortDecimal(q, &significand, &fractionDigits);
    float magnitude;
    // Seven digits or fewer always convert exactly.
    if (!length || !glmIsSpace(q[length]) ||
        !glmExactDecimal(static_cast<long long>(significand), fractionDigits, &magnitude))
        return takeOddFloat(p, value);
    *value = negative ? -magnitude : magnitude;
    *p = q + length;
    return true;
}

// Statements the filling pass reads when it meets them where it expects the
// next token.
static bool isFillKeyword(char c)
{
    return c == 'v' || c == 'f' || c == 'g' || c == 'u';
}

// The next element of *array (count elements read; entry 0 unused and zero),
// made room for.
static float *nextVector(const GlmPlainRead *state, float **array, unsigned count, size_t *room,
                         size_t components)
{
    size_t used = count + size_t(1);
    if (used >= *room) {
        size_t entryBytes = components * sizeof(float);
        size_t wanted = *room ? 2 * *room : glmPlainFirstRoom(state, kBytesPerVector);
        float *resized =
            static_cast<float *>(glmPlainResized(*array, *room ? used : 0, wanted, entryBytes));
        if (!resized)
            return nullptr;
        if (!*room)
            std::memset(resized, 0, entryBytes);
        *array = resized;
        *room = wanted;
    }
    return *array + used * components;
}

// A v, vn or vt line's rest: its numbers into the next element. A number
// after them (vt lines often have a third) is skipped by both passes.
static const char *readVector(GlmPlainRead *state, const char *rest, float **array, unsigned *count,
                              size_t *room, size_t components)
{
    float *element = nextVector(state, array, *count, room, components);
    if (!element)
        return nullptr;
    const char *p = rest;
    for (size_t i = 0; i < components; i++) {
        p = glmSkipBlanks(p);
        if (!takeFloat(&p, &element[i]))
            return nullptr;
    }
    p = glmSkipBlanks(p);
    const char *lineEnd = p;
    if (*p != '\n') {
        if (isFillKeyword(*p))
            return nullptr;
        lineEnd = lineEndWithin(state, rest, p);
    }
    if (!lineEnd || lineEnd - rest > kLineRestMax)
        return nullptr;
    ++*count;
    return glmAfterLine(state, lineEnd);
}

// The keyword of a vector line at p: v, vn or vt followed by a blank.
static size_t vectorKeywordLength(const char *p, char kind)
{
    if (kind == ' ')
        return p[0] == 'v' && glmIsBlank(p[1]) ? 1 : 0;
    return p[0] == 'v' && p[1] == kind && glmIsBlank(p[2]) ? 2 : 0;
}

// Vector lines mostly come in runs: the lines of one kind that follow one
// another are read in one loop. kind is the keyword's second character, or
// a blank for v.
static const char *readVectors(GlmPlainRead *state, const char *p, char kind, float **array,
                               unsigned *count, size_t *room, size_t components)
{
    size_t keyword = vectorKeywordLength(p, kind);
    for (;;) {
        p = readVector(state, p + keyword, array, count, room, components);
        if (!p)
            return nullptr;
        while (p < state->limit && glmIsSpace(*p))
            ++p;
        if (p >= state->limit || !vectorKeywordLength(p, kind))
            return p;
    }
}

static const char *readVertexData(GlmPlainRead *state, const char *p)
{
    GlmMesh *model = state->model;
    if (glmIsBlank(p[1]))
        return readVectors(state, p, ' ', &model->vertices, &model->vertexCount, &state->vertexRoom,
                           3);
    if (p[1] == 'n' && glmIsBlank(p[2]))
        return readVectors(state, p, 'n', &model->normals, &model->normalCount, &state->normalRoom,
                           3);
    if (p[1] == 't' && glmIsBlank(p[2]))
        return readVectors(state, p, 't', &model->texCoords, &model->texCoordCount,
                           &state->texCoordRoom, 2);
    // Other tokens beginning with v are refused, or counted oddly.
    return nullptr;
}

static const char *readGroup(GlmPlainRead *state, const char *rest)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    const char *next = takeLine(state, rest, line);
    if (!next)
        return nullptr;
    glmGroupNameOf(line, name);
    state->group = glmEnsureGroup(state->model, name);
    state->group->materialIndex = state->material;
    return next;
}

// A usemtl line; a name without a material is left to the general reading,
// which reports it.
static const char *readMaterialUse(GlmPlainRead *state, const char *rest)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    const char *next = takeLine(state, rest, line);
    if (!next)
        return nullptr;
    glmLineWordOf(line, name);
    if (!glmLookupMaterial(state->model, name, &state->material))
        return nullptr;
    state->group->materialIndex = state->material;
    state->materialUsed = true;
    return next;
}

// An mtllib line. After a usemtl it is left to the general reading, which
// looks materials up in the last library only.
static const char *readLibrary(GlmPlainRead *state, const char *rest)
{
    char line[kGlmTokenSize];
    const char *next = state->materialUsed ? nullptr : takeLine(state, rest, line);
    if (!next)
        return nullptr;
    GlmReadError error = {kGlmReadNoFailure, nullptr};
    if (glmReadLibraryLine(state->model, line, &error))
        return next;
    std::free(error.message);
    return nullptr;
}

static const char *skipLine(GlmPlainRead *state, const char *rest)
{
    const char *lineEnd = lineEndWithin(state, rest, rest);
    return lineEnd ? glmAfterLine(state, lineEnd) : nullptr;
}

const char *glmPlainStatement(GlmPlainRead *state, const char *p)
{
    switch (*p) {
    case 'v':
        return readVertexData(state, p);
    case 'f':
        return glmIsBlank(p[1]) ? glmPlainFace(state, p + 1) : nullptr;
    case 'g':
        return readGroup(state, tokenEnd(p));
    case 'u':
        return readMaterialUse(state, tokenEnd(p));
    case 'm':
        return readLibrary(state, tokenEnd(p));
    default:
        return skipLine(state, tokenEnd(p));
    }
}

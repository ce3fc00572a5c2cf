// The one-pass reading's faces. A plain face is one line of at least three
// corners, all of the form its first corner has, each written exactly as that
// form says ("1/2/3", "1//3", "1/2" or "1", signs allowed) and followed by
// white space, with no number at the start of the next line (where the
// corners would run on). The form is recognised once per face; then one loop
// reads the corners, their numbers a word of digits at a time, with what
// they resolve against held in local values.
#include "glm_digits.h"
#include "glm_parse.h"
#include "glm_plainread.h"

#include <climits>

// Triangles per byte of file that a triangle array's first room assumes: a
// face line and its share of the vertex lines take more in files as they
// are written.
static constexpr size_t kBytesPerTriangle = 16;

// The element indices of one corner; those its form lacks stay 0.
struct PlainCorner {
    unsigned vertex;
    unsigned texCoord;
    unsigned normal;
};

// What one kind of face number resolves against: the elements read before
// the face, and the largest absolute index named so far.
struct IndexRange {
    unsigned read;
    long long largest;
};

// A run of digits longer than a word, read apart from the corner loop so
// that the loop's values can stay in registers.
struct DigitRun {
    unsigned digits;
    uint64_t magnitude;
};

[[gnu::noinline]] static DigitRun longRunAt(const char *p)
{
    DigitRun run;
    run.digits = glmDigitRun(p, &run.magnitude);
    return run;
}

// The element a face number at *p names: a positive number counts from the
// first element and may name one read later (the largest is checked at the
// end), a negative one counts back from the last element read (-1). Moves *p
// past the number; false when it is not plain or can name no element.
static inline bool takeIndex(const char **p, IndexRange *range, unsigned *index)
{
    const char *q = *p;
    bool negative = *q == '-';
    q += negative || *q == '+';
    uint64_t magnitude;
    unsigned digits = glmWordDigits(q, &magnitude);
    if (digits == kGlmWordDigits) {
        DigitRun run = longRunAt(q);
        digits = run.digits <= kGlmRunDigits ? run.digits : 0;
        magnitude = digits ? run.magnitude : 0;
    }
    // One comparison for "no digits, zero, or beyond what an index holds".
    if (magnitude - 1 >= UINT_MAX)
        return false;
    *p = q + digits;
    if (!negative) {
        *index = static_cast<unsigned>(magnitude);
        range->largest = range->largest > *index ? range->largest : *index;
        return true;
    }
    *index = range->read + 1 - static_cast<unsigned>(magnitude);
    return magnitude <= range->read;
}

// The ranges of one face.
struct FaceRanges {
    IndexRange vertex;
    IndexRange texCoord;
    IndexRange normal;
};

// The numbers after a corner's vertex, as the form writes them.
static inline const char *takeTail(const char *p, GlmFaceForm form, FaceRanges *ranges,
                                   PlainCorner *corner)
{
    if (form == kGlmFaceVertexNormal) {
        if (p[0] != '/' || p[1] != '/')
            return nullptr;
        p += 2;
    } else {
        if (*p++ != '/' || !takeIndex(&p, &ranges->texCoord, &corner->texCoord))
            return nullptr;
        if (form == kGlmFaceVertexTexture)
            return p;
        if (*p++ != '/')
            return nullptr;
    }
    return takeIndex(&p, &ranges->normal, &corner->normal) ? p : nullptr;
}

// One corner at p: the position after it, or null when it is not plain.
static inline const char *takeCorner(const char *p, GlmFaceForm form, FaceRanges *ranges,
                                     PlainCorner *corner)
{
    if (!takeIndex(&p, &ranges->vertex, &corner->vertex))
        return nullptr;
    if (form != kGlmFaceVertex && !(p = takeTail(p, form, ranges, corner)))
        return nullptr;
    return glmIsSpace(*p) ? p : nullptr;
}

// Past a number's sign and digits (a word of them at a time).
static const char *skipNumber(const char *p)
{
    p += *p == '-' || *p == '+';
    uint64_t value;
    unsigned digits;
    while ((digits = glmWordDigits(p, &value)) == kGlmWordDigits)
        p += digits;
    return p + digits;
}

// The form the slashes of the first corner at p give; takeCorner then checks
// every corner against it.
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

static FaceRanges rangesOf(const GlmPlainRead *state)
{
    const GlmMesh *model = state->model;
    return {{model->vertexCount, state->largestVertex},
            {model->texCoordCount, state->largestTexCoord},
            {model->normalCount, state->largestNormal}};
}

static void keepLargest(GlmPlainRead *state, const FaceRanges &ranges)
{
    state->largestVertex = ranges.vertex.largest;
    state->largestTexCoord = ranges.texCoord.largest;
    state->largestNormal = ranges.normal.largest;
}

// Where a face's triangles go: the model's and the current group's arrays,
// held in local values while the face is read (stores into the arrays could
// otherwise be the model's own counters, as far as the compiler knows).
struct TriangleSink {
    GlmTri *tris;
    unsigned triangleCount;
    size_t triangleRoom;
    unsigned *groupIndices;
    unsigned groupCount;
    size_t groupRoom;
};

static TriangleSink sinkOf(const GlmPlainRead *state)
{
    const GlmGroupNode *group = state->group;
    return {state->model->tris,   state->model->triangleCount,
            state->triangleRoom,  group->triangleIndices,
            group->triangleCount, glmPlainRoomFor(group->triangleCount)};
}

static void keepSink(GlmPlainRead *state, const TriangleSink &sink)
{
    state->model->tris = sink.tris;
    state->model->triangleCount = sink.triangleCount;
    state->triangleRoom = sink.triangleRoom;
    state->group->triangleIndices = sink.groupIndices;
    state->group->triangleCount = sink.groupCount;
}

static bool makeRoom(GlmPlainRead *state, TriangleSink *sink)
{
    if (sink->triangleCount == sink->triangleRoom) {
        size_t room = sink->triangleRoom ? 2 * sink->triangleRoom
                                         : glmPlainFirstRoom(state, kBytesPerTriangle);
        void *tris = glmPlainResized(sink->tris, sink->triangleCount, room, sizeof(GlmTri));
        if (!tris)
            return false;
        sink->tris = static_cast<GlmTri *>(tris);
        sink->triangleRoom = room;
    }
    if (sink->groupCount == sink->groupRoom) {
        size_t room = glmPlainRoomFor(sink->groupCount + 1);
        void *indices =
            glmPlainResized(sink->groupIndices, sink->groupCount, room, sizeof(unsigned));
        if (!indices)
            return false;
        sink->groupIndices = static_cast<unsigned *>(indices);
        sink->groupRoom = room;
    }
    return true;
}

// Appends the triangle a, b, c to the model and to the current group.
static inline bool addTriangle(GlmPlainRead *state, TriangleSink *sink, const PlainCorner &a,
                               const PlainCorner &b, const PlainCorner &c)
{
    if ((sink->triangleCount == sink->triangleRoom || sink->groupCount == sink->groupRoom) &&
        !makeRoom(state, sink))
        return false;
    sink->tris[sink->triangleCount] = {{a.vertex, b.vertex, c.vertex},
                                       {a.normal, b.normal, c.normal},
                                       {a.texCoord, b.texCoord, c.texCoord},
                                       0};
    sink->groupIndices[sink->groupCount++] = sink->triangleCount++;
    return true;
}

// Corners run on across lines: a face ends at the first thing after its line
// that is not the start of a number. Returns that thing (or the end of the
// text), or null when the face goes on.
static const char *faceEnd(const GlmPlainRead *state, const char *lineEnd)
{
    const char *p = lineEnd;
    while (p < state->textEnd && glmIsSpace(*p))
        ++p;
    bool goesOn = p < state->textEnd && (glmIsDigit(*p) || *p == '-' || *p == '+');
    return goesOn ? nullptr : p;
}

// The corners of a face line from p, each after the second making a triangle
// of the first corner, the one before it and itself (the fan the two passes
// build): the line end, or null when the line is no plain face. Inlined once
// per form, so that each loop knows its form.
[[gnu::always_inline]] static inline const char *readCorners(GlmPlainRead *state, const char *p,
                                                             GlmFaceForm form, FaceRanges *ranges,
                                                             TriangleSink *sink)
{
    PlainCorner first = {}, previous = {}, corner = {};
    unsigned corners = 0;
    for (; *p != '\n'; p = glmSkipBlanks(p), corners++) {
        p = takeCorner(p, form, ranges, &corner);
        if (!p)
            return nullptr;
        if (corners == 0)
            first = corner;
        else if (corners >= 2 && !addTriangle(state, sink, first, previous, corner))
            return nullptr;
        previous = corner;
    }
    return corners >= 3 ? p : nullptr;
}

// One face line from p (after its keyword): the line end, or null.
static inline const char *readFaceLine(GlmPlainRead *state, const char *p, FaceRanges *ranges,
                                       TriangleSink *sink)
{
    p = glmSkipBlanks(p);
    switch (formOf(p)) {
    case kGlmFaceVertex:
        return readCorners(state, p, kGlmFaceVertex, ranges, sink);
    case kGlmFaceVertexTexture:
        return readCorners(state, p, kGlmFaceVertexTexture, ranges, sink);
    case kGlmFaceVertexTextureNormal:
        return readCorners(state, p, kGlmFaceVertexTextureNormal, ranges, sink);
    case kGlmFaceVertexNormal:
        return readCorners(state, p, kGlmFaceVertexNormal, ranges, sink);
    }
    return nullptr;
}

// Faces mostly come in runs: the face lines that follow one another are read
// in one loop, with the counters set up once.
const char *glmPlainFace(GlmPlainRead *state, const char *p)
{
    FaceRanges ranges = rangesOf(state);
    TriangleSink sink = sinkOf(state);
    const char *next = nullptr;
    for (;;) {
        const char *lineEnd = readFaceLine(state, p, &ranges, &sink);
        const char *end = lineEnd ? faceEnd(state, lineEnd) : nullptr;
        next = end ? glmAfterLine(state, lineEnd) : nullptr;
        if (!end || end >= state->limit || end[0] != 'f' || !glmIsBlank(end[1]))
            break;
        p = end + 1;
    }
    keepLargest(state, ranges);
    keepSink(state, sink);
    return next;
}

// The one-pass reading: the file's text, statement by statement, and the
// arrays that grow with it.
#include "glm_plainread.h"

#include "glm_parse.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

// A window's statements end this far before its text does, and the last
// window is followed by a line end and this many zeros.
static constexpr size_t kPaddingBytes = kGlmPlainPaddingBytes;

// Text is read window by window into one buffer, so that the reader holds a
// window of the file, never the whole. Read, not mapped: a mapping of a file
// that another program truncates meanwhile kills the process with SIGBUS.
static constexpr size_t kWindowBytes = 1024 * 1024;

// The most entries any array may have: counts then stay well below
// UINT_MAX, which the model's counters and the two-pass reading's limits need.
static constexpr size_t kMostEntries = size_t(1) << 31;

// The least room an array starts with.
static constexpr size_t kLeastRoom = 64;

size_t glmPlainFirstRoom(const GlmPlainRead *state, size_t bytesPerElement)
{
    size_t room = state->fileBytes / bytesPerElement;
    return room > kLeastRoom ? room : kLeastRoom;
}

// Memory for bytes bytes that free() releases, or null.
static void *allocate(size_t bytes)
{
    if (bytes < kGlmHugePageSize)
        return std::malloc(bytes);
    void *memory = nullptr;
    if (posix_memalign(&memory, kGlmHugePageSize, bytes) != 0)
        return nullptr;
    madvise(memory, bytes, MADV_HUGEPAGE);
    return memory;
}

void *glmPlainResized(void *array, size_t used, size_t room, size_t entrySize)
{
    if (room > kMostEntries)
        return nullptr;
    void *resized = allocate(room * entrySize);
    if (!resized)
        return nullptr;
    if (used)
        std::memcpy(resized, array, used * entrySize);
    std::free(array);
    return resized;
}

// Reads the statements that begin before limit; every line that does ends
// before it. Returns where the reading stopped (limit, or the first
// statement at or beyond it), or null at a statement that is not plain.
static const char *readStatements(GlmPlainRead *state, const char *p, const char *limit)
{
    state->limit = limit;
    for (;;) {
        while (p < limit && glmIsSpace(*p))
            ++p;
        if (p >= limit)
            return p;
        p = glmPlainStatement(state, p);
        if (!p)
            return nullptr;
    }
}

// The last point before end where a statement begins with a letter or a
// comment: a window's statements are read up to there. A face's corners may
// run on across lines, and a face decides where it ends by looking past its
// line to the next thing that is not white space; before a keyword that look
// ends within the window. Null when the window holds no such point.
static const char *lastKeywordLine(const char *begin, const char *end)
{
    for (const char *p = end; p > begin; --p) {
        if (p[-1] == '\n' && (std::isalpha(static_cast<unsigned char>(*p)) || *p == '#'))
            return p;
    }
    return nullptr;
}

// Reads from fd at *offset until count bytes are in or the file ends; the
// bytes read, or -1 on an error. A file that shrinks meanwhile just ends
// sooner. The descriptor's own position stays where it was, for the general
// reading should this one decline.
static ssize_t readUpTo(int fd, off_t *offset, char *into, size_t count)
{
    size_t got = 0;
    while (got < count) {
        const ssize_t n = pread(fd, into + got, count - got, *offset);
        if (n == 0)
            break;
        if (n < 0 && errno != EINTR)
            return -1;
        if (n > 0) {
            got += static_cast<size_t>(n);
            *offset += n;
        }
    }
    return static_cast<ssize_t>(got);
}

// The file's last window, held bytes at text: a line end after it (so that
// every line has one) and zeros after that.
static bool readLastWindow(GlmPlainRead *state, char *text, size_t held)
{
    text[held] = '\n';
    std::memset(text + held + 1, 0, kPaddingBytes);
    state->textEnd = text + held;
    return readStatements(state, text, text + held) != nullptr;
}

// Window after window: the statements up to the window's last keyword line
// are read, the rest moves to the front and the next bytes of the file follow
// it. The buffer keeps room for the padding after the text.
static bool readText(GlmPlainRead *state, int fd)
{
    char *buffer = static_cast<char *>(std::malloc(kWindowBytes + 1 + kPaddingBytes));
    if (!buffer)
        return false;
    size_t held = 0;
    off_t offset = 0;
    bool plain = true;
    for (;;) {
        const ssize_t got = readUpTo(fd, &offset, buffer + held, kWindowBytes - held);
        if (got < 0) {
            plain = false;
            break;
        }
        held += static_cast<size_t>(got);
        if (held < kWindowBytes) {
            plain = readLastWindow(state, buffer, held);
            break;
        }
        const char *cut = lastKeywordLine(buffer, buffer + held - kPaddingBytes);
        state->textEnd = buffer + held;
        if (!cut || !readStatements(state, buffer, cut)) {
            plain = false;
            break;
        }
        held = static_cast<size_t>(buffer + held - cut);
        std::memmove(buffer, cut, held);
    }
    std::free(buffer);
    return plain;
}

// The array cut to exactly `used` entries (which the model's contract
// gives it): the unused room goes back, in place for large arrays.
static void *fitted(void *array, size_t used, size_t entrySize)
{
    void *fit = std::realloc(array, used * entrySize);
    return fit ? fit : array;
}

static float *fittedVectors(float *array, unsigned count, size_t components)
{
    if (!array)
        return nullptr;
    return static_cast<float *>(fitted(array, count + size_t(1), components * sizeof(float)));
}

// Arrays the two passes always allocate, even for a file without vertices or
// triangles: one zeroed entry.
static bool allocateAlwaysPresent(GlmMesh *model)
{
    if (!model->vertices)
        model->vertices = static_cast<float *>(std::calloc(3, sizeof(float)));
    if (!model->tris)
        model->tris = static_cast<GlmTri *>(std::calloc(1, sizeof(GlmTri)));
    return model->vertices && model->tris;
}

// Indices that named elements not yet read must name read ones in the end;
// then the arrays are cut to their counts.
static bool finish(GlmPlainRead *state)
{
    GlmMesh *model = state->model;
    if (state->largestVertex > model->vertexCount || state->largestNormal > model->normalCount ||
        state->largestTexCoord > model->texCoordCount || !allocateAlwaysPresent(model))
        return false;
    model->vertices = fittedVectors(model->vertices, model->vertexCount, 3);
    model->normals = fittedVectors(model->normals, model->normalCount, 3);
    model->texCoords = fittedVectors(model->texCoords, model->texCoordCount, 2);
    if (model->triangleCount)
        model->tris =
            static_cast<GlmTri *>(fitted(model->tris, model->triangleCount, sizeof(GlmTri)));
    for (GlmGroupNode *group = model->groupList; group; group = group->next) {
        if (group->triangleIndices)
            group->triangleIndices = static_cast<unsigned *>(
                fitted(group->triangleIndices, group->triangleCount, sizeof(unsigned)));
    }
    return true;
}

// The state at the start of a file of fileBytes bytes.
static GlmPlainRead startingState(GlmMesh *model, size_t fileBytes)
{
    GlmPlainRead state = {};
    state.model = model;
    state.group = glmEnsureGroup(model, kGlmDefaultGroupName);
    state.fileBytes = fileBytes;
    return state;
}

bool glmReadPlainOBJ(GlmMesh *model, int fd)
{
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    GlmPlainRead state = startingState(model, static_cast<size_t>(status.st_size));
    return readText(&state, fd) && finish(&state);
}

bool glmReadPlainText(GlmMesh *model, char *text, size_t bytes)
{
    GlmPlainRead state = startingState(model, bytes);
    return readLastWindow(&state, text, bytes) && finish(&state);
}

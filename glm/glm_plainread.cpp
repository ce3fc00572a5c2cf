// The one-pass reading: the file's text, statement by statement, and the
// arrays that grow with it.
#include "glm_plainread.h"

#include "glm_digits.h"
#include "glm_parse.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <sys/stat.h>

// Bytes after the text that the statements may read: a number's digit run
// reads whole words beyond its start. The mapping's last bytes are read from
// a padded copy instead.
static constexpr size_t kPaddingBytes = 2 * kGlmRunReadBytes;

// Text read between two returns of the pages behind it. The pages stay in the
// system's cache; only the reader's resident size shrinks.
static constexpr size_t kWindowBytes = 4 * 1024 * 1024;

// The most entries any array may have: counts then stay well below
// UINT_MAX, which the model's counters and the two-pass reading's limits need.
static constexpr size_t kMostEntries = size_t(1) << 31;

// The least room an array starts with.
static constexpr size_t kLeastRoom = 64;

static constexpr size_t kPageSize = 4096;

size_t glmPlainFirstRoom(const GlmPlainRead *state, size_t bytesPerElement)
{
    size_t room = state->fileBytes / bytesPerElement;
    return room > kLeastRoom ? room : kLeastRoom;
}

static uintptr_t pageBelow(uintptr_t address)
{
    return address & ~(kPageSize - 1);
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

// The end of the window that begins at p: the end of the line that crosses
// kWindowBytes, or cut.
static const char *windowEnd(const char *p, const char *cut)
{
    if (static_cast<size_t>(cut - p) <= kWindowBytes)
        return cut;
    const void *lineEnd = std::memchr(p + kWindowBytes, '\n', cut - (p + kWindowBytes));
    return lineEnd ? static_cast<const char *>(lineEnd) + 1 : cut;
}

// The mapped text up to cut, window by window, giving back the pages behind.
static const char *readMapped(GlmPlainRead *state, const char *text, const char *cut)
{
    const char *p = text;
    uintptr_t released = reinterpret_cast<uintptr_t>(text);
    while (p < cut) {
        p = readStatements(state, p, windowEnd(p, cut));
        if (!p)
            return nullptr;
        uintptr_t read = pageBelow(reinterpret_cast<uintptr_t>(p));
        if (read > released)
            madvise(reinterpret_cast<void *>(released), read - released, MADV_DONTNEED);
        released = read > released ? read : released;
    }
    return p;
}

// The rest of the text, copied with a line end after it (so that every line
// has one) and zeros after that.
static bool readTail(GlmPlainRead *state, const char *begin, size_t length)
{
    char *copy = static_cast<char *>(std::malloc(length + kPaddingBytes));
    if (!copy)
        return false;
    if (length)
        std::memcpy(copy, begin, length);
    copy[length] = '\n';
    std::memset(copy + length + 1, 0, kPaddingBytes - 1);
    state->textEnd = copy + length;
    bool plain = readStatements(state, copy, copy + length) != nullptr;
    std::free(copy);
    return plain;
}

// The mapped part ends after the last line end that leaves the padding's worth
// of text behind it.
static const char *mappedCut(const char *text, size_t size)
{
    if (size <= kPaddingBytes)
        return text;
    const void *lineEnd = memrchr(text, '\n', size - kPaddingBytes);
    return lineEnd ? static_cast<const char *>(lineEnd) + 1 : text;
}

static bool readText(GlmPlainRead *state, int fd, size_t size)
{
    if (size == 0)
        return readTail(state, nullptr, 0);
    void *mapping = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (mapping == MAP_FAILED)
        return false;
    const char *text = static_cast<const char *>(mapping);
    const char *cut = mappedCut(text, size);
    state->textEnd = text + size;
    bool plain = readMapped(state, text, cut) &&
                 readTail(state, cut, static_cast<size_t>(text + size - cut));
    munmap(mapping, size);
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

bool glmReadPlainOBJ(GlmMesh *model, int fd)
{
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode))
        return false;
    GlmPlainRead state = {};
    state.model = model;
    state.group = glmEnsureGroup(model, kGlmDefaultGroupName);
    state.fileBytes = static_cast<size_t>(status.st_size);
    return readText(&state, fd, state.fileBytes) && finish(&state);
}

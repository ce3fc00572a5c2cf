// OBJ reading in two passes: the counting pass sizes every array, the filling
// pass fills them. Both read tokens and faces through the same helpers; the
// filling pass never stores beyond what the counting pass counted, even when a
// crafted file makes the passes see different tokens. Plain files, where the
// passes cannot disagree, are first offered to the one-pass reading.
#include "glm.h"
#include "glm_parse.h"
#include "glm_plainread.h"
#include "glm_readerror.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

// Running state of the counting pass.
struct CountState {
    GlmMesh *model;
    GlmScanner *scanner;
    GlmGroupNode *group; // current group
    GlmReadError *error;
};

// Counts one more element; counts stay below UINT_MAX so that count + 1
// array entries can always be addressed.
static void countOne(CountState *state, unsigned *count)
{
    if (*count < UINT_MAX - 1)
        ++*count;
    else
        glmRefuse(state->error, kGlmReadTooLarge, "glmFirstPass(): too many elements in \"%s\".\n",
                  state->model->sourcePath);
}

static void countVertexToken(CountState *state, const char *token)
{
    GlmMesh *model = state->model;
    switch (token[1]) {
    case '\0':
        countOne(state, &model->vertexCount);
        break;
    case 'n':
        countOne(state, &model->normalCount);
        break;
    case 't':
        countOne(state, &model->texCoordCount);
        break;
    default:
        glmRefuse(state->error, kGlmReadUnknownToken, "glmFirstPass(): Unknown token \"%s\".\n",
                  token);
        return;
    }
    glmScanSkipLine(state->scanner);
}

static void countTriangle(CountState *state)
{
    countOne(state, &state->model->triangleCount);
    countOne(state, &state->group->triangleCount);
}

// token holds "f" on entry; a face at the very end of the file keeps it as
// its first corner, as the reading always has.
static void countFace(CountState *state, char *token)
{
    GlmCorner corner = {0, 0, 0};
    GlmFaceForm form = glmScanFirstCorner(state->scanner, token, &corner);
    glmScanCorner(state->scanner, form, &corner);
    glmScanCorner(state->scanner, form, &corner);
    countTriangle(state);
    while (glmScanCorner(state->scanner, form, &corner) > 0)
        countTriangle(state);
}

static void readLibraryLine(CountState *state)
{
    char line[kGlmTokenSize];
    glmScanLine(state->scanner, line);
    glmReadLibraryLine(state->model, line, state->error);
}

static void readGroupLine(CountState *state)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    glmScanLine(state->scanner, line);
    glmGroupNameOf(line, name);
    state->group = glmEnsureGroup(state->model, name);
}

static void countStatement(CountState *state, char *token)
{
    switch (token[0]) {
    case 'v':
        countVertexToken(state, token);
        break;
    case 'm':
        readLibraryLine(state);
        break;
    case 'g':
        readGroupLine(state);
        break;
    case 'f':
        countFace(state, token);
        break;
    default:
        glmScanSkipLine(state->scanner);
        break;
    }
}

bool glmCountOBJ(GlmMesh *model, std::FILE *file, GlmReadError *error)
{
    GlmScanner scanner;
    glmScanOpen(&scanner, file);
    CountState state = {model, &scanner, glmEnsureGroup(model, kGlmDefaultGroupName), error};
    char token[kGlmTokenSize];
    while (!glmRefused(error) && glmScanToken(&scanner, token))
        countStatement(&state, token);
    glmScanClose(&scanner);
    return !glmRefused(error);
}

void glmFirstPass(GlmMesh *model, std::FILE *file)
{
    GlmReadError error = {kGlmReadNoFailure, nullptr};
    if (!glmCountOBJ(model, file, &error))
        glmExitRefused(&error);
}

// Zeroed memory that free() releases, or null with the read refused. Large
// arrays, which the filling pass then writes from start to end, ask for huge
// pages: a big model otherwise spends a quarter of its reading time in the
// page faults of its arrays.
static void *allocateZeroed(GlmMesh *model, size_t count, size_t size, GlmReadError *error)
{
    size_t bytes = count * size;
    void *memory = nullptr;
    if (bytes < kGlmHugePageSize)
        memory = std::calloc(count, size);
    else if (posix_memalign(&memory, kGlmHugePageSize, bytes) == 0) {
        madvise(memory, bytes, MADV_HUGEPAGE);
        std::memset(memory, 0, bytes);
    }
    if (!memory)
        glmRefuse(error, kGlmReadTooLarge,
                  "glmReadOBJ(): out of memory for the arrays of \"%s\".\n", model->sourcePath);
    return memory;
}

static float *allocateVectors(GlmMesh *model, unsigned count, size_t components,
                              GlmReadError *error)
{
    return static_cast<float *>(
        allocateZeroed(model, (static_cast<size_t>(count) + 1) * components, sizeof(float), error));
}

// Sizes the arrays from the counts; each group's count becomes its capacity
// and restarts from 0 for the filling pass. When an allocation fails the
// others still happen, and glmFree releases them with the refused model.
static bool allocateArrays(GlmMesh *model, GlmReadError *error)
{
    model->vertices = allocateVectors(model, model->vertexCount, 3, error);
    if (model->normalCount)
        model->normals = allocateVectors(model, model->normalCount, 3, error);
    if (model->texCoordCount)
        model->texCoords = allocateVectors(model, model->texCoordCount, 2, error);
    model->tris = static_cast<GlmTri *>(allocateZeroed(
        model, model->triangleCount ? model->triangleCount : 1, sizeof(GlmTri), error));
    for (GlmGroupNode *group = model->groupList; group; group = group->next) {
        if (group->triangleCount)
            group->triangleIndices = static_cast<unsigned *>(
                allocateZeroed(model, group->triangleCount, sizeof(unsigned), error));
    }
    return !glmRefused(error);
}

// The two passes over an open file.
static bool readBothPasses(GlmMesh *model, std::FILE *file, GlmReadError *error)
{
    if (!glmCountOBJ(model, file, error) || !allocateArrays(model, error))
        return false;
    std::rewind(file);
    return glmFillOBJ(model, file, error);
}

static GlmMesh *newModel(const char *path)
{
    GlmMesh *model = static_cast<GlmMesh *>(std::calloc(1, sizeof(GlmMesh)));
    model->sourcePath = glmCopyString(path);
    return model;
}

// The one-pass reading where it accepts the file, else the two passes on a
// model started afresh.
static GlmMesh *readOpenFile(const char *path, std::FILE *file, bool plainFirst,
                             GlmReadError *error)
{
    GlmMesh *model = newModel(path);
    if (plainFirst) {
        if (glmReadPlainOBJ(model, fileno(file)))
            return model;
        glmFree(model);
        model = newModel(path);
    }
    if (readBothPasses(model, file, error))
        return model;
    glmFree(model);
    return nullptr;
}

static GlmMesh *readFile(const char *path, bool plainFirst, GlmReadError *error)
{
    *error = {kGlmReadNoFailure, nullptr};
    std::FILE *file = std::fopen(path, "r");
    if (!file) {
        glmRefuse(error, kGlmReadCannotOpen, "glmReadOBJ() failed: can't open data file \"%s\".\n",
                  path);
        return nullptr;
    }
    GlmMesh *model = readOpenFile(path, file, plainFirst, error);
    std::fclose(file);
    return model;
}

GlmMesh *glmReadOBJFile(const char *path, GlmReadError *error)
{
    return readFile(path, true, error);
}

GlmMesh *glmReadOBJFileInGeneral(const char *path, GlmReadError *error)
{
    return readFile(path, false, error);
}

GlmMesh *glmReadOBJ(const char *path)
{
    GlmReadError error;
    GlmMesh *model = glmReadOBJFile(path, &error);
    if (!model)
        glmExitRefused(&error);
    return model;
}

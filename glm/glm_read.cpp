// OBJ reading in two passes: the counting pass sizes every array, the filling
// pass fills them. Both read tokens and faces through the same helpers; the
// filling pass never stores beyond what the counting pass counted, even when a
// crafted file makes the passes see different tokens.
#include "glm.h"
#include "glm_parse.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>

// Size of the huge pages large arrays are backed with where the system has
// them (elsewhere the advice is ignored).
static constexpr size_t kHugePageSize = 2 * 1024 * 1024;

[[noreturn]] static void failTooLarge(GlmMesh *model)
{
    std::fprintf(stderr, "glmFirstPass(): too many elements in \"%s\".\n", model->sourcePath);
    std::exit(1);
}

// Counts one more element; counts stay below UINT_MAX so that count + 1
// array entries can always be addressed.
static void countOne(GlmMesh *model, unsigned *count)
{
    if (*count >= UINT_MAX - 1)
        failTooLarge(model);
    ++*count;
}

static void countVertexToken(GlmMesh *model, GlmScanner *scanner, const char *token)
{
    switch (token[1]) {
    case '\0':
        countOne(model, &model->vertexCount);
        break;
    case 'n':
        countOne(model, &model->normalCount);
        break;
    case 't':
        countOne(model, &model->texCoordCount);
        break;
    default:
        std::printf("glmFirstPass(): Unknown token \"%s\".\n", token);
        std::fflush(stdout);
        std::exit(1);
    }
    glmScanSkipLine(scanner);
}

static void countTriangle(GlmMesh *model, GlmGroupNode *group)
{
    countOne(model, &model->triangleCount);
    countOne(model, &group->triangleCount);
}

// token holds "f" on entry; a face at the very end of the file keeps it as
// its first corner, as the reading always has.
static void countFace(GlmMesh *model, GlmScanner *scanner, char *token, GlmGroupNode *group)
{
    GlmCorner corner = {0, 0, 0};
    GlmFaceForm form = glmScanFirstCorner(scanner, token, &corner);
    glmScanCorner(scanner, form, &corner);
    glmScanCorner(scanner, form, &corner);
    countTriangle(model, group);
    while (glmScanCorner(scanner, form, &corner) > 0)
        countTriangle(model, group);
}

static void readLibraryLine(GlmMesh *model, GlmScanner *scanner)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    glmScanLine(scanner, line);
    glmLineWordOf(line, name);
    std::free(model->materialLibrary);
    model->materialLibrary = glmCopyString(name);
    glmReadMTL(model, name);
}

static GlmGroupNode *readGroupLine(GlmMesh *model, GlmScanner *scanner)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    glmScanLine(scanner, line);
    glmGroupNameOf(line, name);
    return glmEnsureGroup(model, name);
}

void glmFirstPass(GlmMesh *model, std::FILE *file)
{
    GlmScanner scanner;
    glmScanOpen(&scanner, file);
    GlmGroupNode *group = glmEnsureGroup(model, kGlmDefaultGroupName);
    char token[kGlmTokenSize];
    while (glmScanToken(&scanner, token)) {
        switch (token[0]) {
        case 'v':
            countVertexToken(model, &scanner, token);
            break;
        case 'm':
            readLibraryLine(model, &scanner);
            break;
        case 'g':
            group = readGroupLine(model, &scanner);
            break;
        case 'f':
            countFace(model, &scanner, token, group);
            break;
        default:
            glmScanSkipLine(&scanner);
            break;
        }
    }
    glmScanClose(&scanner);
}

[[noreturn]] static void failOutOfMemory(GlmMesh *model)
{
    std::fprintf(stderr, "glmReadOBJ(): out of memory for the arrays of \"%s\".\n",
                 model->sourcePath);
    std::exit(1);
}

// Zeroed memory that free() releases. Large arrays, which the filling pass
// then writes from start to end, ask for huge pages: a big model otherwise
// spends a quarter of its reading time in the page faults of its arrays.
static void *allocateZeroed(GlmMesh *model, size_t count, size_t size)
{
    size_t bytes = count * size;
    void *memory = nullptr;
    if (bytes < kHugePageSize)
        memory = std::calloc(count, size);
    else if (posix_memalign(&memory, kHugePageSize, bytes) == 0) {
        madvise(memory, bytes, MADV_HUGEPAGE);
        std::memset(memory, 0, bytes);
    }
    if (!memory)
        failOutOfMemory(model);
    return memory;
}

static float *allocateVectors(GlmMesh *model, unsigned count, size_t components)
{
    return static_cast<float *>(
        allocateZeroed(model, (static_cast<size_t>(count) + 1) * components, sizeof(float)));
}

// Sizes the arrays from the counts; each group's count becomes its capacity
// and restarts from 0 for the filling pass.
static void allocateArrays(GlmMesh *model)
{
    model->vertices = allocateVectors(model, model->vertexCount, 3);
    if (model->normalCount)
        model->normals = allocateVectors(model, model->normalCount, 3);
    if (model->texCoordCount)
        model->texCoords = allocateVectors(model, model->texCoordCount, 2);
    model->tris = static_cast<GlmTri *>(
        allocateZeroed(model, model->triangleCount ? model->triangleCount : 1, sizeof(GlmTri)));
    for (GlmGroupNode *group = model->groupList; group; group = group->next) {
        if (group->triangleCount)
            group->triangleIndices = static_cast<unsigned *>(
                allocateZeroed(model, group->triangleCount, sizeof(unsigned)));
    }
}

GlmMesh *glmReadOBJ(const char *path)
{
    std::FILE *file = std::fopen(path, "r");
    if (!file) {
        std::fprintf(stderr, "glmReadOBJ() failed: can't open data file \"%s\".\n", path);
        std::exit(1);
    }
    GlmMesh *model = static_cast<GlmMesh *>(std::calloc(1, sizeof(GlmMesh)));
    model->sourcePath = glmCopyString(path);
    glmFirstPass(model, file);
    allocateArrays(model);
    std::rewind(file);
    glmFillPass(model, file);
    std::fclose(file);
    return model;
}

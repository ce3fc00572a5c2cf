// Arbitrary bytes as an OBJ file and its material library, then fitted and
// given facet and vertex normals, as the view prepares its models.
//
// The input is split at the first separator line: before it the OBJ file,
// after it the MTL file (empty without a separator). The reader ends the
// process for files it refuses, so every input is first read in a forked
// child (see ForkServer): exit status 1 is such a refusal and is accepted.
// Every other input is then read again in this process: one the child
// survived so that the fuzzer sees its coverage and LeakSanitizer its
// allocations, one that killed the child so that the crash is reported here
// in full.
#include "forkserver.h"
#include "glm.h"
#include "scratchdir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace
{

const char kSeparator[] = "\n=mtl=\n";
const char kObjName[] = "model.obj";
const char kMtlName[] = "model.mtl"; // what the seeds' mtllib lines name
constexpr int kRefusedStatus = 1;    // the reader's exit status for a refused file
constexpr unsigned kChildTimeLimitSeconds = 20;
constexpr float kCreaseAngleDeg = 90.0f;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "obj_fuzz: %s\n", what);
    std::abort();
}

void checkIndex(unsigned index, unsigned count, bool zeroAllowed, const char *what)
{
    if (index > count || (index == 0 && !zeroAllowed))
        fail(what);
}

// Drawing and writing trust the model's indices without checks; the reader
// promises that they all lie inside the arrays.
void checkIndices(const GlmMesh *model)
{
    for (unsigned t = 0; t < model->triangleCount; ++t) {
        const GlmTri &tri = model->tris[t];
        for (int c = 0; c < 3; ++c) {
            checkIndex(tri.vertexIndex[c], model->vertexCount, false, "vertex index out of range");
            checkIndex(tri.normalIndex[c], model->normalCount, true, "normal index out of range");
            checkIndex(tri.texCoordIndex[c], model->texCoordCount, true,
                       "texture index out of range");
        }
    }
    unsigned grouped = 0;
    for (const GlmGroupNode *group = model->groupList; group; group = group->next) {
        for (unsigned i = 0; i < group->triangleCount; ++i)
            if (group->triangleIndices[i] >= model->triangleCount)
                fail("group names a triangle that does not exist");
        if (group->materialIndex > 0 && group->materialIndex >= model->materialCount)
            fail("group names a material that does not exist");
        grouped += group->triangleCount;
    }
    if (grouped != model->triangleCount)
        fail("groups do not hold every triangle exactly once");
}

void readAndPrepare(const char *path)
{
    GlmMesh *model = glmReadOBJ(path);
    checkIndices(model);
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, kCreaseAngleDeg);
    checkIndices(model);
    glmFree(model);
}

// Made at initialisation, before the fuzzer grows, so that the fork server
// starts small; gone at exit in reverse order, the server first.
std::unique_ptr<ScratchDir> scratch;
std::string objPath;
std::unique_ptr<ForkServer> reader;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    scratch = std::make_unique<ScratchDir>();
    objPath = scratch->path() + "/" + kObjName;
    reader = std::make_unique<ForkServer>(readAndPrepare, objPath.c_str(), kChildTimeLimitSeconds);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *begin = reinterpret_cast<const char *>(data);
    const char *end = begin + size;
    const char *separator =
        std::search(begin, end, kSeparator, kSeparator + std::strlen(kSeparator));
    const char *mtl = separator == end ? end : separator + std::strlen(kSeparator);
    scratch->write(kObjName, begin, size_t(separator - begin));
    scratch->write(kMtlName, mtl, size_t(end - mtl));

    const ChildOutcome outcome = reader->run();
    if (outcome.exited && outcome.code == kRefusedStatus)
        return 0;
    readAndPrepare(objPath.c_str());
    if (!outcome.exited || outcome.code != 0) {
        std::fprintf(stderr, "obj_fuzz: the read died in a child (%s %d) but not here\n",
                     outcome.exited ? "status" : "signal", outcome.code);
        std::abort();
    }
    return 0;
}

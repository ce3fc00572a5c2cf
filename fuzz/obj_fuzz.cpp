// Arbitrary bytes as an OBJ file and its material library, read in process
// with glmReadOBJFile and, when accepted, fitted and given facet and vertex
// normals, as the view prepares its models.
//
// The input is split at the first separator line: before it the OBJ file,
// after it the MTL file (empty without a separator). A refused file must come
// back as null with a reason and a message; LeakSanitizer then checks that
// the refusal freed what the read had allocated. Every input is also read by
// the two passes alone, which must give the same model or refusal: plain
// files take the one-pass reading, and this holds it to the general one.
#include "glm.h"
#include "glm_readerror.h"
#include "objcorpus.h"
#include "scratchdir.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

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

// A refusal names its reason and carries the line that glmReadOBJ prints.
void checkRefusal(const GlmReadError &error)
{
    if (error.failure == kGlmReadNoFailure)
        fail("a refused file reports no failure");
    const size_t length = error.message ? std::strlen(error.message) : 0;
    if (length == 0 || error.message[length - 1] != '\n')
        fail("a refusal comes without a complete message line");
}

// The two-pass reading of the same file gives the same result.
void checkSameAsInGeneral(const char *path, const GlmMesh *model, const GlmReadError &error)
{
    GlmReadError general;
    GlmMesh *expected = glmReadOBJFileInGeneral(path, &general);
    bool same = !model == !expected && error.failure == general.failure &&
                (!error.message) == (!general.message) &&
                (!error.message || std::strcmp(error.message, general.message) == 0) &&
                (!model || !glmModelDifference(model, expected));
    if (expected)
        glmFree(expected);
    std::free(general.message);
    if (!same)
        fail("the one-pass and the two-pass reading differ");
}

void prepare(GlmMesh *model)
{
    checkIndices(model);
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, kCreaseAngleDeg);
    checkIndices(model);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static ScratchDir scratch;
    static const std::string objPath = scratch.path() + "/" + kObjCorpusObjName;
    const char *begin = reinterpret_cast<const char *>(data);
    const char *end = begin + size;
    const char *separator = std::search(begin, end, kObjCorpusSeparator,
                                        kObjCorpusSeparator + std::strlen(kObjCorpusSeparator));
    const char *mtl = separator == end ? end : separator + std::strlen(kObjCorpusSeparator);
    scratch.write(kObjCorpusObjName, begin, size_t(separator - begin));
    scratch.write(kObjCorpusMtlName, mtl, size_t(end - mtl));

    GlmReadError error;
    GlmMesh *model = glmReadOBJFile(objPath.c_str(), &error);
    checkSameAsInGeneral(objPath.c_str(), model, error);
    if (!model) {
        checkRefusal(error);
        std::free(error.message);
        return 0;
    }
    if (error.failure != kGlmReadNoFailure || error.message)
        fail("an accepted file reports a failure");
    prepare(model);
    glmFree(model);
    return 0;
}

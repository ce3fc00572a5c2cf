// Relative (negative) face indices: -1 names the last element of its kind
// read before the face. They are stored as the absolute indices they name.
#include "modelfiles.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace
{

using Indices = std::vector<unsigned>;

// More than two of the scanner's blocks, and the least number of triangles
// such a random file is expected to hold.
constexpr size_t kTwinFileBytes = 600 * 1024;
constexpr unsigned kTwinTrianglesAtLeast = 10000;

Indices vertexIndices(const GlmTri &tri)
{
    return {tri.vertexIndex[0], tri.vertexIndex[1], tri.vertexIndex[2]};
}

Indices texCoordIndices(const GlmTri &tri)
{
    return {tri.texCoordIndex[0], tri.texCoordIndex[1], tri.texCoordIndex[2]};
}

Indices normalIndices(const GlmTri &tri)
{
    return {tri.normalIndex[0], tri.normalIndex[1], tri.normalIndex[2]};
}

// The same random model written twice: once with absolute face indices, once
// with most of them relative. Elements, groups and faces of every form are
// interleaved, so that "read before the face" differs from face to face.
class TwinFiles
{
public:
    explicit TwinFiles(unsigned seed) : random(seed) {}

    void make(size_t bytes)
    {
        while (absolute.size() < bytes)
            statement();
    }

    std::string absolute;
    std::string relative;

private:
    std::mt19937 random;
    unsigned vertices = 0;
    unsigned texCoords = 0;
    unsigned normals = 0;

    void both(const std::string &text)
    {
        absolute += text;
        relative += text;
    }

    void statement()
    {
        switch (random() % 8) {
        case 0:
        case 1:
            both("v 1 2 3\n");
            vertices++;
            break;
        case 2:
            both("vt 0.5 0.5\n");
            texCoords++;
            break;
        case 3:
            both("vn 0 0 1\n");
            normals++;
            break;
        case 4:
            both("g part" + std::to_string(random() % 5) + "\n");
            break;
        default:
            face();
            break;
        }
    }

    // One number of a corner: index i of count elements read so far.
    void number(unsigned count)
    {
        unsigned index = 1 + random() % count;
        absolute += std::to_string(index);
        bool relativeHere = random() % 4 != 0;
        relative += relativeHere ? std::to_string(static_cast<long long>(index) - count - 1)
                                 : std::to_string(index);
    }

    void face()
    {
        if (vertices == 0 || texCoords == 0 || normals == 0)
            return;
        unsigned form = random() % 4;
        both("f");
        for (unsigned corner = 3 + random() % 4; corner > 0; corner--) {
            both(" ");
            number(vertices);
            if (form == 1 || form == 2) {
                both("/");
                number(texCoords);
            }
            if (form == 3)
                both("//");
            else if (form == 2)
                both("/");
            if (form >= 2)
                number(normals);
        }
        both("\n");
    }
};

class GlmRelativeIndexTest : public ::testing::Test
{
protected:
    // Reads obj; a refusal fails the test with its message.
    ModelPtr read(const std::string &obj)
    {
        GlmReadError error = {kGlmReadNoFailure, nullptr};
        ModelPtr model(glmReadOBJFile(files.write("m.obj", obj).c_str(), &error));
        if (!model)
            ADD_FAILURE() << error.message;
        std::free(error.message);
        return model;
    }

    ModelFiles files;
};

} // namespace

TEST_F(GlmRelativeIndexTest, EveryFaceFormCountsBackFromTheElementsReadBeforeIt)
{
    ModelPtr model = read(std::string(kSquare) + "vt 0 0\nvt 1 0\nvn 0 0 1\nvn 0 1 0\n" +
                          "f -4 -3 -2\n"
                          "f -3/-2 -2/-1 -1/1\n"
                          "v 0 2 0\nv 2 2 0\nvn 1 0 0\n"
                          "f -1//-1 1//-3 -2//2\n"
                          "vt 0 1\n"
                          "f -6/-1/-3 -1/1/-1 3/-2/2\n");
    ASSERT_TRUE(model);
    ASSERT_EQ(model->triangleCount, 4u);
    const GlmTri *tri = model->tris;
    EXPECT_EQ(vertexIndices(tri[0]), (Indices{1, 2, 3}));
    EXPECT_EQ(vertexIndices(tri[1]), (Indices{2, 3, 4}));
    EXPECT_EQ(texCoordIndices(tri[1]), (Indices{1, 2, 1}));
    EXPECT_EQ(vertexIndices(tri[2]), (Indices{6, 1, 5}));
    EXPECT_EQ(normalIndices(tri[2]), (Indices{3, 1, 2}));
    EXPECT_EQ(vertexIndices(tri[3]), (Indices{1, 6, 3}));
    EXPECT_EQ(texCoordIndices(tri[3]), (Indices{3, 1, 2}));
    EXPECT_EQ(normalIndices(tri[3]), (Indices{1, 3, 2}));
}

TEST_F(GlmRelativeIndexTest, FansAndGroupsCountThroughTheWholeFile)
{
    ModelPtr model = read("g first\n" + std::string(kSquare) + "f -4 -3 -2 -1\n" +
                          "g second\nv 2 2 0\nf -1 -2 -5\ng first\nf -3 -2 -1\n");
    ASSERT_TRUE(model);
    ASSERT_EQ(model->triangleCount, 4u);
    EXPECT_EQ(vertexIndices(model->tris[0]), (Indices{1, 2, 3}));
    EXPECT_EQ(vertexIndices(model->tris[1]), (Indices{1, 3, 4}));
    EXPECT_EQ(vertexIndices(model->tris[2]), (Indices{5, 4, 1}));
    EXPECT_EQ(vertexIndices(model->tris[3]), (Indices{3, 4, 5}));
    GlmGroupNode *first = glmLookupGroup(model.get(), " first");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->triangleCount, 3u);
    EXPECT_EQ(first->triangleIndices[2], 3u);
}

// Larger than the scanner's blocks, so that some corners straddle a refill
// and go the general way, the others the in-place one.
TEST_F(GlmRelativeIndexTest, RelativeFileReadsAsItsAbsoluteTwin)
{
    TwinFiles twins(21);
    twins.make(kTwinFileBytes);
    ModelPtr absolute = read(twins.absolute);
    ModelPtr relative = read(twins.relative);
    ASSERT_TRUE(absolute && relative);
    ASSERT_GT(absolute->triangleCount, kTwinTrianglesAtLeast);
    ASSERT_EQ(relative->triangleCount, absolute->triangleCount);
    for (unsigned t = 0; t < absolute->triangleCount; t++) {
        const GlmTri &a = absolute->tris[t];
        const GlmTri &r = relative->tris[t];
        ASSERT_EQ(vertexIndices(r), vertexIndices(a)) << "triangle " << t;
        ASSERT_EQ(texCoordIndices(r), texCoordIndices(a)) << "triangle " << t;
        ASSERT_EQ(normalIndices(r), normalIndices(a)) << "triangle " << t;
    }
    const GlmGroupNode *a = absolute->groupList;
    const GlmGroupNode *r = relative->groupList;
    for (; a && r; a = a->next, r = r->next) {
        EXPECT_STREQ(r->name, a->name);
        ASSERT_EQ(r->triangleCount, a->triangleCount);
        for (unsigned i = 0; i < a->triangleCount; i++)
            EXPECT_EQ(r->triangleIndices[i], a->triangleIndices[i]);
    }
    EXPECT_EQ(a, r);
}

// Only elements read before the face count, even when the file holds more.
TEST_F(GlmRelativeIndexTest, RelativeIndexBeforeTheFirstElementIsRefusedAsWritten)
{
    const struct {
        const char *obj;
        const char *message;
    } cases[] = {
        {"v 0 0 0\nv 1 0 0\nf -1 -2 -3\nv 0 1 0\n", "vertex index -3 out of range 1..3"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/-1 2/-2 3/-1\n",
         "texture coordinate index -2 out of range 1..1"},
        // Absolute indices may still name elements that come later.
        {"f 1//-1 2//-1 3//-1\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvn 0 0 1\n",
         "normal index -1 out of range 1..1"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -99999999999999999999\n",
         "vertex index -9223372036854775808 out of range 1..3"},
    };
    for (const auto &c : cases) {
        std::string message =
            refusalMessage(files.write("bad.obj", c.obj), kGlmReadIndexOutOfRange);
        EXPECT_EQ(message.rfind(std::string("glmFillPass(): ") + c.message + " in \"", 0), 0u)
            << c.obj << message;
    }
}

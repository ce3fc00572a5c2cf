// The station models under mdl/: read, fitted and prepared through the model
// library exactly as the view does it, then placed with the view's fixed
// transforms and checked against the radar screen and the fixed camera.
#include "displaymodel.h"
#include "glm.h"
#include "offscreengl.h"
#include "radarunitmodel.h"
#include "scenecamera.h"
#include "scenelayout.h"
#include "tablemodel.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace
{

using MeshPtr = std::unique_ptr<GlmMesh, decltype(&glmFree)>;
using Triangle = std::array<Vec3, 3>;

// What each model file is expected to hold. Group names are as the library
// reads them: everything after the g keyword, the separating blank included.
struct ModelCase {
    scene::Station placement;
    const char *materialLibrary;
    std::set<std::string> groups;
    unsigned namedMaterials; // besides the library's own "default"
    std::function<StationModel()> build;
};

// Names a case by its file in test listings, instead of dumping its bytes.
void PrintTo(const ModelCase &model, std::ostream *out)
{
    *out << model.placement.modelFile;
}

const ModelCase kTableCase{
    scene::kTable, "radartisch.mtl", {" top", " legs", " apron", "default"}, 2, buildTableModel};
const ModelCase kRadarUnitCase{scene::kRadarUnit,
                               "radar2.mtl",
                               {" cabinet", " bezel", " controls", "default"},
                               3,
                               buildRadarUnitModel};
const ModelCase kDisplayCase{scene::kDisplay,
                             "radardisplay.mtl",
                             {" housing", " bezels", " screens", " stand", "default"},
                             4,
                             buildDisplayModel};

std::string modelPath(const scene::Station &placement)
{
    return std::string(RADAR_SOURCE_DIR "/") + scene::kModelFolder + placement.modelFile;
}

// Reads and prepares a model as the view's start-up does; everything the
// library printed meanwhile goes to messages.
MeshPtr loadLikeTheView(const scene::Station &placement, std::string *messages)
{
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    GlmMesh *model = glmReadOBJ(modelPath(placement).c_str());
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, scene::kModelCreaseAngleDeg);
    std::fflush(stdout);
    std::fflush(stderr);
    *messages = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    return MeshPtr(model, glmFree);
}

Vec3 vertexOf(const GlmMesh &model, unsigned index)
{
    const float *v = &model.vertices[3 * index];
    return {v[0], v[1], v[2]};
}

// The model's triangles where the view draws them: anchor + scale * fitted.
std::vector<Triangle> sceneTriangles(const GlmMesh &model, const scene::Station &placement)
{
    std::vector<Triangle> triangles;
    for (unsigned t = 0; t < model.triangleCount; ++t) {
        Triangle triangle;
        for (int c = 0; c < 3; ++c) {
            const Vec3 fitted = vertexOf(model, model.tris[t].vertexIndex[c]);
            triangle[c] = placement.anchor + fitted * placement.scale;
        }
        triangles.push_back(triangle);
    }
    return triangles;
}

// Whether the segment from + (to - from) * s, s in (0, 1], meets the triangle
// (Moller-Trumbore). The start point itself does not count.
bool segmentHits(const Vec3 &from, const Vec3 &to, const Triangle &tri)
{
    const double parallel = 1e-12, startSlack = 1e-9;
    const Vec3 direction = to - from;
    const Vec3 edge1 = tri[1] - tri[0], edge2 = tri[2] - tri[0];
    const Vec3 p = cross(direction, edge2);
    const double det = dot(edge1, p);
    if (std::abs(det) < parallel)
        return false;
    const Vec3 offset = from - tri[0];
    const double u = dot(offset, p) / det;
    const Vec3 q = cross(offset, edge1);
    const double v = dot(direction, q) / det;
    const double s = dot(edge2, q) / det;
    return u >= 0.0 && v >= 0.0 && u + v <= 1.0 && s > startSlack && s <= 1.0;
}

bool anyHit(const Vec3 &from, const Vec3 &to, const std::vector<Triangle> &triangles)
{
    for (const Triangle &tri : triangles) {
        if (segmentHits(from, to, tri))
            return true;
    }
    return false;
}

// Sample points across the radar screen at one height, edges included.
std::vector<Vec3> screenSamples(double height)
{
    const int steps = 40;
    std::vector<Vec3> points;
    for (int i = 0; i <= steps; ++i) {
        for (int j = 0; j <= steps; ++j) {
            const double x =
                scene::kScreenMinX + (scene::kScreenMaxX - scene::kScreenMinX) * i / steps;
            const double z =
                scene::kScreenMinZ + (scene::kScreenMaxZ - scene::kScreenMinZ) * j / steps;
            points.push_back({x, height, z});
        }
    }
    return points;
}

class StationModelsTest : public testing::TestWithParam<ModelCase>
{
};

TEST_P(StationModelsTest, ReadsFitsAndGetsNormalsWithoutAnyMessage)
{
    std::string messages;
    const MeshPtr model = loadLikeTheView(GetParam().placement, &messages);
    EXPECT_EQ(messages, "");
    ASSERT_NE(model->normals, nullptr);
    EXPECT_GT(model->triangleCount, 0u);
    for (unsigned f = 1; f <= model->facetCount; ++f) {
        const float *n = &model->facetnorms[3 * f];
        EXPECT_NEAR(n[0] * n[0] + n[1] * n[1] + n[2] * n[2], 1.0f, 1e-4f) << "facet " << f;
    }
}

TEST_P(StationModelsTest, GivesEveryCornerATextureCoordinateInsideTheFile)
{
    std::string messages;
    const MeshPtr model = loadLikeTheView(GetParam().placement, &messages);
    ASSERT_NE(model->texCoords, nullptr);
    for (unsigned t = 0; t < model->triangleCount; ++t) {
        for (unsigned index : model->tris[t].texCoordIndex) {
            EXPECT_GE(index, 1u) << "triangle " << t;
            EXPECT_LE(index, model->texCoordCount) << "triangle " << t;
        }
    }
}

TEST_P(StationModelsTest, HasItsGroupsAndAMaterialForEachFromTheLibraryBesideIt)
{
    std::string messages;
    const MeshPtr model = loadLikeTheView(GetParam().placement, &messages);
    ASSERT_NE(model->materialLibrary, nullptr);
    EXPECT_STREQ(model->materialLibrary, GetParam().materialLibrary);
    EXPECT_EQ(model->materialCount, GetParam().namedMaterials + 1);

    std::set<std::string> groups;
    for (const GlmGroupNode *group = model->groupList; group; group = group->next) {
        groups.insert(group->name);
        // Faces all come after a g line, so only "default" stays empty, and an
        // unknown usemtl name would have fallen back to material 0.
        const bool isDefault = std::string(group->name) == "default";
        EXPECT_EQ(group->triangleCount == 0, isDefault) << group->name;
        if (!isDefault) {
            EXPECT_GT(group->materialIndex, 0u) << group->name;
        }
    }
    EXPECT_EQ(groups, GetParam().groups);
}

// The designs are centred on the points the view translates them to, with
// their largest size twice the view's scale; only then does fit plus
// transform put every vertex back where it was designed.
TEST_P(StationModelsTest, LandsInTheSceneWhereItWasDesigned)
{
    std::string messages;
    const MeshPtr model = loadLikeTheView(GetParam().placement, &messages);
    const Bounds designed = GetParam().build().mesh.bounds();
    Bounds placed{{1e9, 1e9, 1e9}, {-1e9, -1e9, -1e9}};
    for (const Triangle &tri : sceneTriangles(*model, GetParam().placement)) {
        for (const Vec3 &p : tri) {
            placed.min = {std::min(placed.min.x, p.x), std::min(placed.min.y, p.y),
                          std::min(placed.min.z, p.z)};
            placed.max = {std::max(placed.max.x, p.x), std::max(placed.max.y, p.y),
                          std::max(placed.max.z, p.z)};
        }
    }
    const double tolerance = 1e-4;
    EXPECT_NEAR(placed.min.x, designed.min.x, tolerance);
    EXPECT_NEAR(placed.min.y, designed.min.y, tolerance);
    EXPECT_NEAR(placed.min.z, designed.min.z, tolerance);
    EXPECT_NEAR(placed.max.x, designed.max.x, tolerance);
    EXPECT_NEAR(placed.max.y, designed.max.y, tolerance);
    EXPECT_NEAR(placed.max.z, designed.max.z, tolerance);
}

TEST_P(StationModelsTest, CommittedFilesMatchTheGenerator)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    writeStationModel(GetParam().build(), dir.path().toStdString());
    for (const std::string name : {GetParam().placement.modelFile, GetParam().materialLibrary}) {
        QFile fresh(dir.filePath(QString::fromStdString(name)));
        QFile committed(
            QString::fromStdString(RADAR_SOURCE_DIR "/" + std::string(scene::kModelFolder) + name));
        ASSERT_TRUE(fresh.open(QIODevice::ReadOnly));
        ASSERT_TRUE(committed.open(QIODevice::ReadOnly)) << name;
        EXPECT_TRUE(fresh.readAll() == committed.readAll())
            << name << " is stale: run modelgen <source>/mdl";
    }
}

INSTANTIATE_TEST_SUITE_P(StationModels, StationModelsTest,
                         testing::Values(kTableCase, kRadarUnitCase, kDisplayCase),
                         [](const testing::TestParamInfo<ModelCase> &info) {
                             const std::string file = info.param.placement.modelFile;
                             return file.substr(0, file.find('.'));
                         });

// The three models in the scene, as triangles in scene units.
class StationModelsSceneTest : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        for (const ModelCase *c : {&kTableCase, &kRadarUnitCase, &kDisplayCase}) {
            std::string messages;
            const MeshPtr model = loadLikeTheView(c->placement, &messages);
            triangles.push_back(sceneTriangles(*model, c->placement));
        }
    }
    static void TearDownTestSuite() { triangles.clear(); }

    static std::vector<Triangle> all()
    {
        std::vector<Triangle> joined;
        for (const auto &model : triangles)
            joined.insert(joined.end(), model.begin(), model.end());
        return joined;
    }

    static std::vector<std::vector<Triangle>> triangles; // table, radar unit, display
};

std::vector<std::vector<Triangle>> StationModelsSceneTest::triangles;

TEST_F(StationModelsSceneTest, NoModelStandsBetweenTheCameraAndTheScreenSweepOrMarkers)
{
    const std::vector<Triangle> scene = all();
    for (double height : {scene::kScreenHeight, scene::kSweepHeight, scene::kMarkerHeight}) {
        for (const Vec3 &point : screenSamples(height))
            EXPECT_FALSE(anyHit(point, scene::kEye, scene))
                << "hidden: " << point.x << ", " << point.y << ", " << point.z;
    }
}

TEST_F(StationModelsSceneTest, NothingRisesAboveTheScreenOverTheScreen)
{
    const std::vector<Triangle> scene = all();
    const double sky = 100.0;
    for (const Vec3 &point : screenSamples(scene::kScreenHeight))
        EXPECT_FALSE(anyHit(point, {point.x, sky, point.z}, scene))
            << "covered: " << point.x << ", " << point.z;
}

TEST_F(StationModelsSceneTest, DeskTopCarriesTheScreenJustBelowIt)
{
    const double justBelow = 0.05;
    double top = -1e9;
    for (const Triangle &tri : triangles[0]) {
        for (const Vec3 &p : tri)
            top = std::max(top, p.y);
    }
    EXPECT_LT(top, scene::kScreenHeight);
    EXPECT_GT(top, scene::kScreenHeight - justBelow);
    for (const Vec3 &point : screenSamples(scene::kScreenHeight))
        EXPECT_TRUE(anyHit(point, point + Vec3{0.0, -justBelow, 0.0}, triangles[0]))
            << "no desk under " << point.x << ", " << point.z;
}

TEST_F(StationModelsSceneTest, RadarUnitFramesTheScreenLeftRightAndFront)
{
    // Straight down from above, just outside each of the three edges, the
    // first thing met is the radar unit's bezel, above the screen's plane.
    const double outside = 0.2, above = 3.0, middleZ = scene::kScreenCentreZ;
    const Vec3 probes[] = {{scene::kScreenMinX - outside, above, middleZ},
                           {scene::kScreenMaxX + outside, above, middleZ},
                           {0.0, above, scene::kScreenMaxZ + outside * 0.5}};
    for (const Vec3 &probe : probes)
        EXPECT_TRUE(anyHit(probe, {probe.x, scene::kScreenHeight, probe.z}, triangles[1]))
            << "no bezel at " << probe.x << ", " << probe.z;
}

TEST_F(StationModelsSceneTest, DisplayStandsInFrontOfTheScreenFacingTheCamera)
{
    // Looking from the camera at the display's middle, the display is the
    // first thing in the way, and it stands in front of the screen's edge.
    const Vec3 middle{scene::kDisplay.anchor.x, 1.7, scene::kDisplay.anchor.z};
    EXPECT_GT(middle.z, scene::kScreenMaxZ);
    const Vec3 beyond = scene::kEye + (middle - scene::kEye) * 1.5;
    EXPECT_TRUE(anyHit(scene::kEye, beyond, triangles[2]));
    EXPECT_FALSE(anyHit(scene::kEye, middle + (scene::kEye - middle) * 0.05, triangles[0]));
    EXPECT_FALSE(anyHit(scene::kEye, middle + (scene::kEye - middle) * 0.05, triangles[1]));
}

// Renders the scene from the fixed camera into an offscreen framebuffer of
// the client's full-screen shape, each part in its own flat colour.
class StationModelsRenderTest : public testing::Test
{
protected:
    static constexpr int kWidth = 640;
    static constexpr int kHeight = 512;

    void SetUp() override
    {
        ASSERT_TRUE(gl.isReady());
        const ModelCase *cases[] = {&kTableCase, &kRadarUnitCase, &kDisplayCase};
        for (const ModelCase *c : cases) {
            std::string messages;
            models.push_back(loadLikeTheView(c->placement, &messages));
        }
    }

    // Models drawn as the view draws them (mode 6, translate and scale, depth
    // test on), in flat colours instead of textures; returns what glmDraw
    // printed.
    std::string drawModels(const std::set<int> &which)
    {
        const std::array<QRgb, 3> colours = {kTableColour, kUnitColour, kDisplayColour};
        const scene::Station placements[] = {scene::kTable, scene::kRadarUnit, scene::kDisplay};
        testing::internal::CaptureStdout();
        for (int m : which) {
            glPushMatrix();
            glTranslated(placements[m].anchor.x, placements[m].anchor.y, placements[m].anchor.z);
            glScaled(placements[m].scale, placements[m].scale, placements[m].scale);
            glColor3ub(qRed(colours[m]), qGreen(colours[m]), qBlue(colours[m]));
            glmDraw(models[m].get(), scene::kModelDrawMode);
            glPopMatrix();
        }
        std::fflush(stdout);
        return testing::internal::GetCapturedStdout();
    }

    static void drawLevelSquare(double x, double y, double z, double halfX, double halfZ,
                                QRgb colour)
    {
        glColor3ub(qRed(colour), qGreen(colour), qBlue(colour));
        glBegin(GL_QUADS);
        glVertex3d(x - halfX, y, z + halfZ);
        glVertex3d(x + halfX, y, z + halfZ);
        glVertex3d(x + halfX, y, z - halfZ);
        glVertex3d(x - halfX, y, z - halfZ);
        glEnd();
    }

    static void drawScreen()
    {
        const double half = scene::kScreenSize * 0.5;
        drawLevelSquare(scene::kScreenCentreX, scene::kScreenHeight, scene::kScreenCentreZ, half,
                        half, kScreenColour);
    }

    // A frame with the given models, then the screen; depth test as the view.
    QImage frame(const std::set<int> &which, std::string *messages = nullptr)
    {
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DITHER);
        applySceneCamera(gl.size());
        const std::string printed = drawModels(which);
        if (messages)
            *messages = printed;
        drawScreen();
        return gl.image();
    }

    // The pixel a scene point falls in (top row first).
    QPoint pixelOf(const Vec3 &p)
    {
        const QPointF at = imageOfScenePoint({p.x, p.y, p.z}, gl.size());
        return QPoint(static_cast<int>(std::floor(at.x())), static_cast<int>(std::floor(at.y())));
    }

    static int countDifferent(const QImage &a, const QImage &b)
    {
        int count = 0;
        for (int y = 0; y < a.height(); ++y) {
            for (int x = 0; x < a.width(); ++x)
                count += a.pixel(x, y) != b.pixel(x, y);
        }
        return count;
    }

    static constexpr QRgb kTableColour = qRgb(255, 0, 0);
    static constexpr QRgb kUnitColour = qRgb(0, 255, 0);
    static constexpr QRgb kDisplayColour = qRgb(0, 0, 255);
    static constexpr QRgb kScreenColour = qRgb(255, 0, 255);
    static constexpr QRgb kMarkerColour = qRgb(255, 255, 0);

    OffscreenGL gl{QSize(kWidth, kHeight)};
    std::vector<MeshPtr> models; // table, radar unit, display
};

TEST_F(StationModelsRenderTest, DrawsTexturedAndSmoothWithoutWarnings)
{
    std::string messages;
    frame({0, 1, 2}, &messages);
    EXPECT_EQ(messages, "");
}

TEST_F(StationModelsRenderTest, NoModelPixelCoversTheScreen)
{
    const QImage bare = frame({});
    const QImage station = frame({0, 1, 2});
    int screenPixels = 0, covered = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (bare.pixel(x, y) != kScreenColour)
                continue;
            ++screenPixels;
            covered += station.pixel(x, y) != kScreenColour;
        }
    }
    EXPECT_GT(screenPixels, kWidth * kHeight / 10);
    EXPECT_EQ(covered, 0);
}

TEST_F(StationModelsRenderTest, HitsAtTheCentreAndNearEachEdgeShow)
{
    // Hit positions relative to the screen centre, half a marker in from each
    // edge, as the view places them: (x, y) on the screen is scene (x, z).
    const double markerHalf = scene::kMarkerSize * 0.5;
    const double in = scene::kScreenSize * 0.5 - markerHalf;
    const double hits[][2] = {{0, 0}, {-in, 0}, {in, 0}, {0, -in}, {0, in}};
    const double centreX = scene::kScreenCentreX;
    const double centreZ = scene::kScreenCentreZ;
    frame({0, 1, 2});
    for (const auto &hit : hits)
        drawLevelSquare(centreX + hit[0], scene::kMarkerHeight, centreZ + hit[1], markerHalf,
                        markerHalf, kMarkerColour);
    const QImage image = gl.image();
    for (const auto &hit : hits) {
        const QPoint at = pixelOf({centreX + hit[0], scene::kMarkerHeight, centreZ + hit[1]});
        ASSERT_TRUE(image.rect().contains(at)) << hit[0] << ", " << hit[1];
        EXPECT_EQ(image.pixel(at), kMarkerColour) << "hit at " << hit[0] << ", " << hit[1];
    }
}

TEST_F(StationModelsRenderTest, EachModelCoversPartOfTheFrame)
{
    const QImage whole = frame({0, 1, 2});
    const int somePart = kWidth * kHeight / 50;
    EXPECT_GT(countDifferent(whole, frame({1, 2})), somePart) << "table";
    EXPECT_GT(countDifferent(whole, frame({0, 2})), somePart) << "radar unit";
    EXPECT_GT(countDifferent(whole, frame({0, 1})), somePart) << "display";
}

} // namespace

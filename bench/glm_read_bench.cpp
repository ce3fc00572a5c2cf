// Reader and normals benchmark of the model library, with tinyobjloader and
// assimp as yardsticks when they were found at build time.
//
//   glm_read_bench generate FILE TRIANGLES FORM   writes a grid (FORM: vtn, vn, v)
//   glm_read_bench read FILE ROUNDS               glm and tinyobjloader in turn
//   glm_read_bench normals READER FILE            READER: glm, assimp
//
// read alternates the readers in one process, so that both meet the same
// state of the machine, and prints one line per reader: "reader triangles
// min median max peak_kib" (seconds; peak_kib is the most the resident size
// grew above what it was when that reader started, over all its rounds).
// normals prints "seconds peak_kib triangles".
#include "glm.h"
#include "obj_generate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <string>
#include <sys/resource.h>
#include <vector>

#ifdef HAVE_TINYOBJLOADER
#include <tiny_obj_loader.h>
#endif
#ifdef HAVE_ASSIMP
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#endif

// The crease angle the radar view uses.
static constexpr float ViewCreaseAngle = 90.0f;

using Clock = std::chrono::steady_clock;

static double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

static long peakKib()
{
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"), or -1.
static long statusKib(const char *field)
{
    std::FILE *status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kib = -1;
    while (status && std::fgets(line, sizeof line, status)) {
        if (std::strncmp(line, field, std::strlen(field)) == 0)
            kib = std::atol(line + std::strlen(field));
    }
    if (status)
        std::fclose(status);
    return kib;
}

// Gives the previous reader's freed memory back and restarts the resident
// size's high-water mark from the present size, which it returns (KiB).
static long resetPeak()
{
    malloc_trim(0);
    std::FILE *refs = std::fopen("/proc/self/clear_refs", "w");
    if (refs) {
        std::fputs("5", refs);
        std::fclose(refs);
    }
    return statusKib("VmRSS:");
}

static int generate(const char *path, const char *triangles, const char *form)
{
    const struct {
        const char *name;
        ObjFaceForm form;
    } forms[] = {{"vtn", ObjFaceForm::VertexTextureNormal},
                 {"vn", ObjFaceForm::VertexNormal},
                 {"v", ObjFaceForm::Vertex}};
    for (const auto &f : forms) {
        if (std::strcmp(form, f.name) == 0) {
            writeGridObj(path, static_cast<unsigned>(std::stoul(triangles)), f.form);
            return 0;
        }
    }
    std::fprintf(stderr, "unknown face form %s\n", form);
    return 2;
}

// One reading: its time, and the triangles read (to check the readers agree).
struct Reading {
    double seconds;
    unsigned long triangles;
};

static Reading readWithGlm(const char *path)
{
    Clock::time_point start = Clock::now();
    GlmMesh *model = glmReadOBJ(path);
    double seconds = secondsSince(start);
    unsigned long triangles = model->triangleCount;
    glmFree(model);
    return {seconds, triangles};
}

#ifdef HAVE_TINYOBJLOADER
static Reading readWithTinyobj(const char *path)
{
    tinyobj::attrib_t attrib;
    std::vector<tinyobj::shape_t> shapes;
    std::vector<tinyobj::material_t> materials;
    std::string warning, error;
    Clock::time_point start = Clock::now();
    bool ok = tinyobj::LoadObj(&attrib, &shapes, &materials, &warning, &error, path);
    double seconds = secondsSince(start);
    unsigned long triangles = 0;
    for (const tinyobj::shape_t &shape : shapes)
        triangles += shape.mesh.num_face_vertices.size();
    return {seconds, ok ? triangles : 0};
}
#endif

// The rounds of one reader, and its peak.
struct Series {
    const char *reader;
    Reading (*read)(const char *path);
    std::vector<double> seconds;
    unsigned long triangles = 0;
    long peakKib = 0;
};

static void readOnce(Series *series, const char *path)
{
    long before = resetPeak();
    Reading reading = series->read(path);
    series->seconds.push_back(reading.seconds);
    series->triangles = reading.triangles;
    series->peakKib = std::max(series->peakKib, statusKib("VmHWM:") - before);
}

static void printSeries(Series *series)
{
    std::vector<double> &s = series->seconds;
    std::sort(s.begin(), s.end());
    std::printf("%s %lu %.6f %.6f %.6f %ld\n", series->reader, series->triangles, s.front(),
                s[s.size() / 2], s.back(), series->peakKib);
}

static int readInTurn(const char *path, int rounds)
{
    std::vector<Series> readers = {{"glm", readWithGlm, {}}};
#ifdef HAVE_TINYOBJLOADER
    readers.push_back({"tinyobj", readWithTinyobj, {}});
#endif
    for (int round = 0; round < rounds; round++) {
        for (Series &series : readers)
            readOnce(&series, path);
    }
    for (Series &series : readers)
        printSeries(&series);
    return 0;
}

static int reportNormals(double seconds, unsigned long triangles)
{
    std::printf("%.6f %ld %lu\n", seconds, peakKib(), triangles);
    return 0;
}

static int normalsWithGlm(const char *path)
{
    GlmMesh *model = glmReadOBJ(path);
    Clock::time_point start = Clock::now();
    glmFaceNormals(model);
    glmVertexNormals(model, ViewCreaseAngle);
    double seconds = secondsSince(start);
    unsigned long triangles = model->triangleCount;
    glmFree(model);
    return reportNormals(seconds, triangles);
}

#ifdef HAVE_ASSIMP
static unsigned long assimpTriangles(const aiScene *scene)
{
    unsigned long triangles = 0;
    for (unsigned i = 0; scene && i < scene->mNumMeshes; i++)
        triangles += scene->mMeshes[i]->mNumFaces;
    return triangles;
}

// Times only the smooth-normal step, on a scene read without normals.
static int normalsWithAssimp(const char *path)
{
    Assimp::Importer importer;
    const aiScene *scene = importer.ReadFile(path, 0);
    Clock::time_point start = Clock::now();
    scene = importer.ApplyPostProcessing(aiProcess_GenSmoothNormals);
    double seconds = secondsSince(start);
    return scene ? reportNormals(seconds, assimpTriangles(scene)) : 1;
}
#endif

static int normals(const std::string &reader, const char *path)
{
    if (reader == "glm")
        return normalsWithGlm(path);
#ifdef HAVE_ASSIMP
    if (reader == "assimp")
        return normalsWithAssimp(path);
#endif
    std::fprintf(stderr, "normals with %s are not available in this build\n", reader.c_str());
    return 2;
}

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "generate") == 0)
        return generate(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "read") == 0)
        return readInTurn(argv[2], std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "normals") == 0)
        return normals(argv[2], argv[3]);
    std::fprintf(stderr,
                 "usage: %s generate FILE TRIANGLES vtn|vn|v | read FILE ROUNDS | normals "
                 "glm|assimp FILE\n",
                 argv[0]);
    return 2;
}

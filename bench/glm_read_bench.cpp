// Reader and normals benchmark of the model library, with tinyobjloader and
// assimp as yardsticks when they were found at build time. Each measurement
// runs in its own process (see run_glm_bench.sh), so the peak resident size
// it prints belongs to that one reader.
//
//   glm_read_bench generate DIR             writes the benchmark OBJ files
//   glm_read_bench read READER FILE         READER: glm, tinyobj, assimp
//   glm_read_bench normals READER FILE      READER: glm, assimp
// read and normals print "seconds peak_kib triangles".
#include "glm.h"
#include "obj_generate.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>

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
static constexpr unsigned SmallTriangles = 100000;
static constexpr unsigned LargeTriangles = 1000000;

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

static int generate(const std::string &directory)
{
    const struct {
        const char *suffix;
        ObjFaceForm form;
    } forms[] = {{"vtn", ObjFaceForm::VertexTextureNormal},
                 {"vn", ObjFaceForm::VertexNormal},
                 {"v", ObjFaceForm::Vertex}};
    for (unsigned triangles : {SmallTriangles, LargeTriangles}) {
        for (const auto &f : forms) {
            std::string name =
                directory + "/grid_" + std::to_string(triangles / 1000) + "k_" + f.suffix + ".obj";
            writeGridObj(name, triangles, f.form);
            std::printf("%s\n", name.c_str());
        }
    }
    return 0;
}

static int report(double seconds, unsigned long triangles)
{
    std::printf("%.6f %ld %lu\n", seconds, peakKib(), triangles);
    return 0;
}

static int readWithGlm(const char *path)
{
    Clock::time_point start = Clock::now();
    GlmMesh *model = glmReadOBJ(path);
    double seconds = secondsSince(start);
    unsigned long triangles = model->triangleCount;
    glmFree(model);
    return report(seconds, triangles);
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
    return report(seconds, triangles);
}

#ifdef HAVE_TINYOBJLOADER
static int readWithTinyobj(const char *path)
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
    return ok ? report(seconds, triangles) : 1;
}
#endif

#ifdef HAVE_ASSIMP
static unsigned long assimpTriangles(const aiScene *scene)
{
    unsigned long triangles = 0;
    for (unsigned i = 0; scene && i < scene->mNumMeshes; i++)
        triangles += scene->mMeshes[i]->mNumFaces;
    return triangles;
}

static int readWithAssimp(const char *path)
{
    Assimp::Importer importer;
    Clock::time_point start = Clock::now();
    const aiScene *scene = importer.ReadFile(path, 0);
    double seconds = secondsSince(start);
    return scene ? report(seconds, assimpTriangles(scene)) : 1;
}

// Times only the smooth-normal step, on a scene read without normals.
static int normalsWithAssimp(const char *path)
{
    Assimp::Importer importer;
    const aiScene *scene = importer.ReadFile(path, 0);
    Clock::time_point start = Clock::now();
    scene = importer.ApplyPostProcessing(aiProcess_GenSmoothNormals);
    double seconds = secondsSince(start);
    return scene ? report(seconds, assimpTriangles(scene)) : 1;
}
#endif

static int run(const std::string &task, const std::string &reader, const char *path)
{
    if (task == "read" && reader == "glm")
        return readWithGlm(path);
    if (task == "normals" && reader == "glm")
        return normalsWithGlm(path);
#ifdef HAVE_TINYOBJLOADER
    if (task == "read" && reader == "tinyobj")
        return readWithTinyobj(path);
#endif
#ifdef HAVE_ASSIMP
    if (task == "read" && reader == "assimp")
        return readWithAssimp(path);
    if (task == "normals" && reader == "assimp")
        return normalsWithAssimp(path);
#endif
    std::fprintf(stderr, "%s with %s is not available in this build\n", task.c_str(),
                 reader.c_str());
    return 2;
}

int main(int argc, char **argv)
{
    if (argc == 3 && std::strcmp(argv[1], "generate") == 0)
        return generate(argv[2]);
    if (argc == 4)
        return run(argv[1], argv[2], argv[3]);
    std::fprintf(stderr, "usage: %s generate DIR | read|normals READER FILE\n", argv[0]);
    return 2;
}

#include "answers.h"
#include "glm.h"
#include "objcorpus.h"
#include "scenelayout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

namespace
{

namespace fs = std::filesystem;

// Exact: two floats print alike only when they are the same float. A NaN's
// sign and payload mean nothing, and the machines' arithmetic sets them
// differently.
std::string exact(float value)
{
    if (std::isnan(value))
        return "nan";
    char text[32];
    std::snprintf(text, sizeof text, "%a", double(value));
    return text;
}

void printFloats(std::ostream &out, const char *name, const float *values, unsigned count,
                 unsigned width)
{
    out << name << ' ' << count << '\n';
    if (values == nullptr)
        return;
    for (unsigned i = 1; i <= count; ++i) {
        for (unsigned k = 0; k < width; ++k)
            out << (k ? " " : "") << exact(values[i * width + k]);
        out << '\n';
    }
}

void printTriangles(std::ostream &out, const GlmMesh &model)
{
    out << "triangles " << model.triangleCount << '\n';
    for (unsigned t = 0; t < model.triangleCount; ++t) {
        const GlmTri &tri = model.tris[t];
        for (int c = 0; c < 3; ++c)
            out << tri.vertexIndex[c] << '/' << tri.texCoordIndex[c] << '/' << tri.normalIndex[c]
                << ' ';
        out << tri.facetIndex << '\n';
    }
}

void printGroupsAndMaterials(std::ostream &out, const GlmMesh &model)
{
    for (const GlmGroupNode *group = model.groupList; group; group = group->next) {
        out << "group [" << group->name << "] material " << group->materialIndex << ':';
        for (unsigned i = 0; i < group->triangleCount; ++i)
            out << ' ' << group->triangleIndices[i];
        out << '\n';
    }
    for (unsigned m = 0; m < model.materialCount; ++m) {
        const GlmMaterialEntry &material = model.materialTable[m];
        out << "material [" << material.name << "] " << exact(material.shininess);
        for (const float *colour :
             {material.diffuseColor, material.ambientColor, material.specularColor})
            for (int k = 0; k < 4; ++k)
                out << ' ' << exact(colour[k]);
        out << '\n';
    }
}

void printModel(std::ostream &out, const GlmMesh &model)
{
    printFloats(out, "vertices", model.vertices, model.vertexCount, 3);
    printFloats(out, "normals", model.normals, model.normalCount, 3);
    printFloats(out, "texcoords", model.texCoords, model.texCoordCount, 2);
    printFloats(out, "facetnorms", model.facetnorms, model.facetCount, 3);
    printTriangles(out, model);
    printGroupsAndMaterials(out, model);
}

// Reads path, prints what was read, then the model as the view prepares it.
void printRead(std::ostream &out, const std::string &path)
{
    GlmReadError error{};
    GlmMesh *model = glmReadOBJFile(path.c_str(), &error);
    if (model == nullptr) {
        out << "refused " << error.failure << ": " << (error.message ? error.message : "") << '\n';
        std::free(error.message);
        return;
    }
    printModel(out, *model);
    out << "fitted " << exact(glmFitToUnitCube(model)) << '\n';
    glmFaceNormals(model);
    glmVertexNormals(model, scene::kModelCreaseAngleDeg);
    printModel(out, *model);
    glmFree(model);
}

std::vector<fs::path> filesIn(const std::string &folder, const std::string &extension)
{
    std::vector<fs::path> files;
    for (const fs::directory_entry &entry : fs::directory_iterator(folder))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

// A corpus entry as the OBJ file and the material library it names, in the
// working folder (a scratch one), so that the messages name the same path
// on every machine.
std::string unpackCorpusEntry(const fs::path &entry)
{
    std::ifstream in(entry, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const size_t separator = bytes.find(kObjCorpusSeparator);
    const size_t mtlStart =
        separator == std::string::npos ? bytes.size() : separator + sizeof kObjCorpusSeparator - 1;
    std::ofstream(kObjCorpusObjName, std::ios::binary) << bytes.substr(0, separator);
    std::ofstream(kObjCorpusMtlName, std::ios::binary) << bytes.substr(mtlStart);
    return kObjCorpusObjName;
}

} // namespace

void printModelAnswers(std::ostream &out, const std::string &folder, bool corpus)
{
    const fs::path home = fs::current_path();
    const fs::path scratch =
        fs::temp_directory_path() / ("arch-answers-" + std::to_string(getpid()));
    fs::create_directories(scratch);
    for (const fs::path &file : filesIn(fs::absolute(folder).string(), corpus ? "" : ".obj")) {
        out << "model " << file.filename().string() << '\n';
        if (corpus) {
            fs::current_path(scratch);
            printRead(out, unpackCorpusEntry(file));
            fs::current_path(home);
        } else {
            printRead(out, file.string());
        }
    }
    fs::remove_all(scratch);
}

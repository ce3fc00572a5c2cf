// MTL reading: a counting pass for the number of materials, then a filling
// pass. As with OBJ files, the filling pass stores nothing beyond the count.
#include "glm.h"
#include "glm_parse.h"
#include "glm_readerror.h"

#include <climits>
#include <cstdlib>
#include <cstring>

static const char *const kDefaultMaterialName = "default";
static constexpr float kDefaultDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
static constexpr float kDefaultAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
static constexpr float kDefaultSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
static constexpr float kDefaultShininess = 65.0f;
// Ns runs 0..1000 in MTL files, the OpenGL exponent 0..128.
static constexpr double kMtlShininessRange = 1000.0;
static constexpr double kGlShininessRange = 128.0;

// The library's file, or null with the read refused.
static std::FILE *openLibrary(GlmMesh *model, const char *name, GlmReadError *error)
{
    char *directory = glmPathDirectory(model->sourcePath);
    size_t length = std::strlen(directory) + std::strlen(name);
    char *path = static_cast<char *>(std::malloc(length + 1));
    std::strcpy(path, directory);
    std::strcat(path, name);
    std::free(directory);
    // An empty name would name the directory itself, which is no library.
    std::FILE *file = name[0] ? std::fopen(path, "r") : nullptr;
    if (!file)
        glmRefuse(error, kGlmReadCannotOpen,
                  "glmReadMTL() failed: can't open material file \"%s\".\n", path);
    std::free(path);
    return file;
}

static unsigned countMaterials(GlmScanner *scanner)
{
    unsigned count = 1;
    char token[kGlmTokenSize];
    while (glmScanToken(scanner, token)) {
        if (token[0] == 'n' && count < UINT_MAX)
            count++;
        glmScanSkipLine(scanner);
    }
    return count;
}

static GlmMaterialEntry *newTable(unsigned count)
{
    GlmMaterialEntry *table =
        static_cast<GlmMaterialEntry *>(std::calloc(count, sizeof(GlmMaterialEntry)));
    for (unsigned i = 0; i < count; i++) {
        std::memcpy(table[i].diffuseColor, kDefaultDiffuse, sizeof kDefaultDiffuse);
        std::memcpy(table[i].ambientColor, kDefaultAmbient, sizeof kDefaultAmbient);
        std::memcpy(table[i].specularColor, kDefaultSpecular, sizeof kDefaultSpecular);
        table[i].shininess = kDefaultShininess;
    }
    table[0].name = glmCopyString(kDefaultMaterialName);
    return table;
}

static void replaceTable(GlmMesh *model, GlmMaterialEntry *table, unsigned count)
{
    glmFreeMaterials(model);
    model->materialTable = table;
    model->materialCount = count;
}

static void readColor(GlmScanner *scanner, float *color)
{
    for (int i = 0; i < 3; i++) {
        if (glmScanFloat(scanner, &color[i]) != 1)
            break;
    }
}

// Applies one MTL statement other than newmtl (which the caller handles) to
// material, a scratch entry once the filling pass has seen more materials
// than the count.
static void readValue(GlmScanner *scanner, const char *token, GlmMaterialEntry *material)
{
    if (token[0] == 'N') {
        glmScanFloat(scanner, &material->shininess);
        material->shininess =
            static_cast<float>(material->shininess / kMtlShininessRange * kGlShininessRange);
    } else if (token[0] == 'K' && token[1] == 'd') {
        readColor(scanner, material->diffuseColor);
    } else if (token[0] == 'K' && token[1] == 'a') {
        readColor(scanner, material->ambientColor);
    } else if (token[0] == 'K' && token[1] == 's') {
        readColor(scanner, material->specularColor);
    } else {
        glmScanSkipLine(scanner);
    }
}

static void fillMaterials(GlmScanner *scanner, GlmMaterialEntry *table, unsigned count)
{
    GlmMaterialEntry scratch = {};
    unsigned current = 0;
    char token[kGlmTokenSize];
    while (glmScanToken(scanner, token)) {
        if (token[0] != 'n') {
            readValue(scanner, token, current < count ? &table[current] : &scratch);
            continue;
        }
        char line[kGlmTokenSize];
        char name[kGlmTokenSize];
        glmScanLine(scanner, line);
        glmLineWordOf(line, name);
        if (current < count)
            current++;
        if (current < count)
            table[current].name = glmCopyString(name);
    }
}

// Entries the filling pass never reached still need a name for look-ups.
static void nameUnnamed(GlmMaterialEntry *table, unsigned count)
{
    for (unsigned i = 0; i < count; i++) {
        if (!table[i].name)
            table[i].name = glmCopyString("");
    }
}

bool glmReadMTLFile(GlmMesh *model, const char *name, GlmReadError *error)
{
    std::FILE *file = openLibrary(model, name, error);
    if (!file)
        return false;
    GlmScanner scanner;
    glmScanOpen(&scanner, file);
    unsigned count = countMaterials(&scanner);
    glmScanRewind(&scanner);
    GlmMaterialEntry *table = newTable(count);
    fillMaterials(&scanner, table, count);
    nameUnnamed(table, count);
    replaceTable(model, table, count);
    glmScanClose(&scanner);
    std::fclose(file);
    return true;
}

bool glmReadLibraryLine(GlmMesh *model, const char *line, GlmReadError *error)
{
    char name[kGlmTokenSize];
    glmLineWordOf(line, name);
    std::free(model->materialLibrary);
    model->materialLibrary = glmCopyString(name);
    return glmReadMTLFile(model, name, error);
}

void glmReadMTL(GlmMesh *model, const char *name)
{
    GlmReadError error = {kGlmReadNoFailure, nullptr};
    if (!glmReadMTLFile(model, name, &error))
        glmExitRefused(&error);
}

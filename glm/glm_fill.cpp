// The filling pass of OBJ reading. Every store is bounded by the counting
// pass's counts; face indices are checked where they enter, so that nothing
// later needs to distrust the triangles.
#include "glm.h"
#include "glm_parse.h"
#include "glm_readerror.h"

#include <cstdlib>
#include <cstring>

// Running state of the filling pass.
struct FillState {
    GlmMesh *model;
    GlmScanner *scanner;
    std::FILE *file;        // for the line number of a rejected index
    GlmReadError *error;    // the refusal, once there is one
    unsigned *capacities;   // counted triangles per group, in list order
    GlmGroupNode *group;    // current group; null after a g line the count never saw
    unsigned groupCapacity; // capacity of the current group
    unsigned material;      // current material index
    unsigned vertex;        // next vertex, normal and texture coordinate (from 1)
    unsigned normal;
    unsigned texCoord;
    unsigned triangle; // next triangle (from 0)
};

// Line number (from 1) of the byte before offset in the file. The file's
// position is left where it was, beyond what the scanner has buffered.
static long long lineAt(std::FILE *file, long long offset)
{
    long position = std::ftell(file);
    long long line = 1;
    std::rewind(file);
    for (long long i = 0; i + 1 < offset; i++) {
        int c = std::fgetc(file);
        if (c == EOF)
            break;
        line += c == '\n';
    }
    std::fseek(file, position, SEEK_SET);
    return line;
}

static void rejectIndex(FillState *state, const char *kind, long long index, unsigned count)
{
    if (glmRefused(state->error))
        return;
    long long line = lineAt(state->file, glmScanOffset(state->scanner));
    glmRefuse(state->error, kGlmReadIndexOutOfRange,
              "glmFillPass(): %s index %lld out of range 1..%u in \"%s\", line %lld.\n", kind,
              index, count, state->model->sourcePath, line);
}

// The element a face number names, among count elements of which the first
// next - 1 have been read: a positive number counts from the file's first
// element, a negative one back from the last element read before the face
// (-1 is that one). Returns 0 with the read refused when it names none of the
// count elements; the message quotes the number as written.
static unsigned checkedIndex(FillState *state, const char *kind, long long number, unsigned next,
                             unsigned count)
{
    long long index = number < 0 ? static_cast<long long>(next) + number : number;
    if (index >= 1 && index <= static_cast<long long>(count))
        return static_cast<unsigned>(index);
    rejectIndex(state, kind, number, count);
    return 0;
}

// Stores corner into slot of tri, taking the numbers its form supplies.
static void setCorner(FillState *state, GlmTri *tri, int slot, GlmFaceForm form,
                      const GlmCorner &corner)
{
    GlmMesh *model = state->model;
    tri->vertexIndex[slot] =
        checkedIndex(state, "vertex", corner.vertex, state->vertex, model->vertexCount);
    if (glmFormHasTexture(form))
        tri->texCoordIndex[slot] = checkedIndex(state, "texture coordinate", corner.texCoord,
                                                state->texCoord, model->texCoordCount);
    if (glmFormHasNormal(form))
        tri->normalIndex[slot] =
            checkedIndex(state, "normal", corner.normal, state->normal, model->normalCount);
}

static void addTriangle(FillState *state, const GlmTri &tri)
{
    GlmGroupNode *group = state->group;
    if (!group || group->triangleCount >= state->groupCapacity ||
        state->triangle >= state->model->triangleCount)
        return;
    state->model->tris[state->triangle] = tri;
    group->triangleIndices[group->triangleCount++] = state->triangle++;
}

// Each corner after the third makes a fan triangle with the first and third
// corner of the previous one.
static void fillFace(FillState *state, char *token)
{
    GlmCorner corner = {0, 0, 0};
    GlmFaceForm form = glmScanFirstCorner(state->scanner, token, &corner);
    GlmTri tri = {};
    setCorner(state, &tri, 0, form, corner);
    for (int slot = 1; slot < 3; slot++) {
        glmScanCorner(state->scanner, form, &corner);
        setCorner(state, &tri, slot, form, corner);
    }
    addTriangle(state, tri);
    while (!glmRefused(state->error) && glmScanCorner(state->scanner, form, &corner) > 0) {
        GlmTri fan = {};
        for (int c = 0; c < 2; c++) {
            int from = c == 0 ? 0 : 2;
            fan.vertexIndex[c] = tri.vertexIndex[from];
            fan.texCoordIndex[c] = tri.texCoordIndex[from];
            fan.normalIndex[c] = tri.normalIndex[from];
        }
        setCorner(state, &fan, 2, form, corner);
        addTriangle(state, fan);
        tri = fan;
    }
}

// Reads up to components floats into the next element of array, or into a
// scratch vector when the counting pass saw fewer elements.
static void fillVector(GlmScanner *scanner, float *array, unsigned *next, unsigned count,
                       int components)
{
    float scratch[3] = {0, 0, 0};
    float *target = *next <= count ? array + static_cast<size_t>(*next) * components : scratch;
    for (int i = 0; i < components; i++) {
        if (glmScanFloat(scanner, &target[i]) != 1)
            break;
    }
    ++*next;
}

static void fillVertexToken(FillState *state, const char *token)
{
    GlmMesh *model = state->model;
    if (token[1] == '\0')
        fillVector(state->scanner, model->vertices, &state->vertex, model->vertexCount, 3);
    else if (token[1] == 'n')
        fillVector(state->scanner, model->normals, &state->normal, model->normalCount, 3);
    else if (token[1] == 't')
        fillVector(state->scanner, model->texCoords, &state->texCoord, model->texCoordCount, 2);
}

static void selectGroup(FillState *state)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    glmScanLine(state->scanner, line);
    glmGroupNameOf(line, name);
    state->group = nullptr;
    unsigned position = 0;
    for (GlmGroupNode *group = state->model->groupList; group; group = group->next, position++) {
        if (std::strcmp(group->name, name) == 0) {
            state->group = group;
            state->groupCapacity = state->capacities[position];
            group->materialIndex = state->material;
            return;
        }
    }
}

static void selectMaterial(FillState *state)
{
    char line[kGlmTokenSize];
    char name[kGlmTokenSize];
    glmScanLine(state->scanner, line);
    glmLineWordOf(line, name);
    state->material = glmFindMaterial(state->model, name);
    if (state->group)
        state->group->materialIndex = state->material;
}

// Turns each group's counted triangles into its capacity.
static unsigned *takeCapacities(GlmMesh *model)
{
    unsigned *capacities =
        static_cast<unsigned *>(std::calloc(model->groupCount + 1, sizeof(unsigned)));
    unsigned position = 0;
    for (GlmGroupNode *group = model->groupList; group; group = group->next, position++) {
        capacities[position] = group->triangleCount;
        group->triangleCount = 0;
    }
    return capacities;
}

static void dispatch(FillState *state, char *token)
{
    switch (token[0]) {
    case 'v':
        fillVertexToken(state, token);
        break;
    case 'g':
        selectGroup(state);
        break;
    case 'u':
        selectMaterial(state);
        break;
    case 'f':
        fillFace(state, token);
        break;
    default:
        glmScanSkipLine(state->scanner);
        break;
    }
}

bool glmFillOBJ(GlmMesh *model, std::FILE *file, GlmReadError *error)
{
    GlmScanner scanner;
    glmScanOpen(&scanner, file);
    FillState state = {};
    state.model = model;
    state.scanner = &scanner;
    state.file = file;
    state.error = error;
    state.capacities = takeCapacities(model);
    state.group = glmLookupGroup(model, kGlmDefaultGroupName);
    state.groupCapacity = state.capacities[model->groupCount - 1];
    state.vertex = state.normal = state.texCoord = 1;
    char token[kGlmTokenSize];
    while (!glmRefused(error) && glmScanToken(&scanner, token))
        dispatch(&state, token);
    // Triangles the count saw but this pass did not stay out of the model.
    model->triangleCount = state.triangle;
    std::free(state.capacities);
    glmScanClose(&scanner);
    return !glmRefused(error);
}

void glmFillPass(GlmMesh *model, std::FILE *file)
{
    GlmReadError error = {kGlmReadNoFailure, nullptr};
    if (!glmFillOBJ(model, file, &error))
        glmExitRefused(&error);
}

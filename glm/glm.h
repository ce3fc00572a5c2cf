// Polygonal model library: a model read from a Wavefront OBJ file (with its MTL
// material library), processed in place, drawn with OpenGL and written back.
//
// Ownership: glmReadOBJ and glmReadOBJFile return a GlmMesh that owns every
// string and array it points to (all from malloc); only glmFree releases them,
// together with the record. Functions that replace an array free the old one
// first. The message of a refused read belongs to the caller (GlmReadError).
//
// Indexing: vertices, normals, texCoords and facetnorms hold count + 1 entries;
// entry 0 is unused and entries 1..count are valid, so OBJ indices (which count
// from 1) address them directly. tris, materialTable and triangleIndices count
// from 0.
#ifndef GLM_GLM_H
#define GLM_GLM_H

#include <cstdio>

// Draw and write mode bits; other bits are ignored.
constexpr unsigned GLM_DRAW_FACETED = 1;    // one facet normal per triangle
constexpr unsigned GLM_DRAW_SMOOTHED = 2;   // one vertex normal per corner
constexpr unsigned GLM_DRAW_TEXTURED = 4;   // one texture coordinate per corner
constexpr unsigned GLM_DRAW_COLORED = 8;    // colour from each group's diffuse colour
constexpr unsigned GLM_DRAW_MATERIALS = 16; // OpenGL material from each group's material

// One triangle. Slots a face form does not supply are 0 after reading.
struct GlmTri {
    unsigned vertexIndex[3];   // into vertices, 1-based, in the file's corner order
    unsigned normalIndex[3];   // into normals, 1-based
    unsigned texCoordIndex[3]; // into texCoords, 1-based
    unsigned facetIndex;       // into facetnorms, 1-based; set by glmFaceNormals
};

// One group of triangles, a node of the model's singly linked group list.
struct GlmGroupNode {
    char *name;                // owned; as read from the g line, leading blank included
    unsigned triangleCount;    // number of entries in triangleIndices
    unsigned *triangleIndices; // owned; indices into tris (0-based), null while empty
    unsigned materialIndex;    // into materialTable (0-based); 0 unless usemtl applies
    GlmGroupNode *next;        // next group, null at the end ("default" is last)
};

// One material of the material library. Colours are RGBA in 0..1.
struct GlmMaterialEntry {
    char *name;             // owned; "default" for entry 0, else the newmtl name
    float diffuseColor[4];  // Kd; default 0.8, 0.8, 0.8, 1.0
    float ambientColor[4];  // Ka; default 0.2, 0.2, 0.2, 1.0
    float specularColor[4]; // Ks; default 0.0, 0.0, 0.0, 1.0
    float shininess;        // OpenGL exponent 0..128 (Ns x 128 / 1000); default 65.0
};

// The model record. Every pointer is owned and released by glmFree.
struct GlmMesh {
    char *sourcePath;                // copy of the path given to glmReadOBJ
    char *materialLibrary;           // name on the last mtllib line, or null
    unsigned vertexCount;            // number of vertices
    float *vertices;                 // 3 x (vertexCount + 1): x, y, z of vertex i at 3i
    unsigned normalCount;            // number of vertex normals
    float *normals;                  // 3 x (normalCount + 1), or null without vn lines
    unsigned texCoordCount;          // number of texture coordinates
    float *texCoords;                // 2 x (texCoordCount + 1): s, t at 2i; or null
    unsigned facetCount;             // number of facet normals (0 after reading)
    float *facetnorms;               // 3 x (facetCount + 1) unit normals, or null
    unsigned triangleCount;          // number of triangles
    GlmTri *tris;                    // triangleCount entries, 0-based
    unsigned materialCount;          // number of materials, 0 without a library
    GlmMaterialEntry *materialTable; // materialCount entries, 0-based, or null
    unsigned groupCount;             // number of groups
    GlmGroupNode *groupList;         // newest group first
    float origin[3];                 // 0, 0, 0 after reading; unused by the library
};

// Why a read refused its file.
enum GlmReadFailure {
    kGlmReadNoFailure,       // the file was read
    kGlmReadCannotOpen,      // the OBJ file or its material library cannot be opened
    kGlmReadUnknownToken,    // a token beginning with "v" other than v, vn and vt
    kGlmReadIndexOutOfRange, // a face index outside its array
    kGlmReadTooLarge,        // more elements than a count holds, or arrays beyond memory
};

// What glmReadOBJFile reports. message is the complete text glmReadOBJ prints
// for the failure, line end included; it is malloc'ed and the caller frees it
// with free(). After a successful read failure is kGlmReadNoFailure and
// message is null.
struct GlmReadError {
    GlmReadFailure failure;
    char *message;
};

// Reading. Face indices count from 1 through the whole file; negative ones
// count back from the last element read before the face (-1 is that one) and
// are stored as the absolute index they name. An index that names no element
// refuses the file.
//
// glmReadOBJFile returns null for a file it refuses, with the reason in
// *error (which must not be null), having freed everything it allocated;
// warnings still go to standard output. glmReadOBJ and the steps below it
// print the message instead (unknown tokens on standard output, the rest on
// standard error) and end the process with status 1.
GlmMesh *glmReadOBJFile(const char *path, GlmReadError *error);
GlmMesh *glmReadOBJ(const char *path);
void glmFirstPass(GlmMesh *model, std::FILE *file);
void glmFillPass(GlmMesh *model, std::FILE *file);
void glmReadMTL(GlmMesh *model, const char *name);
unsigned glmFindMaterial(GlmMesh *model, const char *name);
GlmGroupNode *glmLookupGroup(GlmMesh *model, const char *name);
GlmGroupNode *glmEnsureGroup(GlmMesh *model, const char *name);
char *glmPathDirectory(const char *path); // caller frees the result with free()
void glmFree(GlmMesh *model);

// Vector operations on three consecutive floats.
float glmMaxOf(float a, float b);
float glmAbsOf(float f);
float glmDotOf(const float *u, const float *v);
void glmCrossOf(const float *u, const float *v, float *n);
void glmNormalizeVec(float *v);
bool glmNearlyEqual(const float *u, const float *v, float epsilon);

// Geometry processing, in place.
float glmFitToUnitCube(GlmMesh *model);
void glmExtent(GlmMesh *model, float *dimensions);
void glmScaleBy(GlmMesh *model, float factor);
void glmFlipWinding(GlmMesh *model);
void glmFaceNormals(GlmMesh *model);
void glmVertexNormals(GlmMesh *model, float angle); // crease angle in degrees
void glmPlanarTexCoords(GlmMesh *model);
void glmSphereTexCoords(GlmMesh *model);
void glmMergeVertices(GlmMesh *model, float epsilon);

// Drawing in immediate mode; needs a current OpenGL context.
void glmDraw(GlmMesh *model, unsigned mode);
unsigned glmCompileList(GlmMesh *model, unsigned mode); // caller owns the list

// Writing. filename is the OBJ file; the MTL file goes beside it.
void glmWriteOBJ(GlmMesh *model, const char *filename, unsigned mode);
void glmWriteMTL(GlmMesh *model, const char *modelpath, const char *mtllibname);

// Raw (P6) PPM reading; returns malloc'ed RGB bytes the caller frees, or null.
unsigned char *glmLoadPPM(const char *filename, int *width, int *height);

#endif

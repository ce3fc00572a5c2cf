// Drawing a model with OpenGL in immediate mode, and recording that drawing
// into a display list.
#include "glm.h"
#include "glm_mode.h"

#include <GL/gl.h>

#include <cassert>

// Colours drive the material only in colour mode; material mode sets the
// material itself, so colour tracking must be off; otherwise the caller's
// setting stands.
static void applyColorMaterialRule(unsigned mode)
{
    if (mode & GLM_DRAW_COLORED)
        glEnable(GL_COLOR_MATERIAL);
    else if (mode & GLM_DRAW_MATERIALS)
        glDisable(GL_COLOR_MATERIAL);
}

static void applyGroupMaterial(const GlmMesh *model, const GlmGroupNode *group, unsigned mode)
{
    const GlmMaterialEntry &material = model->materialTable[group->materialIndex];
    if (mode & GLM_DRAW_MATERIALS) {
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, material.ambientColor);
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, material.diffuseColor);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, material.specularColor);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, material.shininess);
    }
    if (mode & GLM_DRAW_COLORED)
        glColor3fv(material.diffuseColor);
}

static void drawTriangle(const GlmMesh *model, const GlmTri &tri, unsigned mode)
{
    if (mode & GLM_DRAW_FACETED)
        glNormal3fv(&model->facetnorms[3 * tri.facetIndex]);
    for (int c = 0; c < 3; c++) {
        if (mode & GLM_DRAW_SMOOTHED)
            glNormal3fv(&model->normals[3 * tri.normalIndex[c]]);
        if (mode & GLM_DRAW_TEXTURED)
            glTexCoord2fv(&model->texCoords[2 * tri.texCoordIndex[c]]);
        glVertex3fv(&model->vertices[3 * tri.vertexIndex[c]]);
    }
}

void glmDraw(GlmMesh *model, unsigned mode)
{
    assert(model);
    assert(model->vertices);
    mode = glmCorrectMode(model, mode, kGlmModeDrawing);
    applyColorMaterialRule(mode);
    for (const GlmGroupNode *group = model->groupList; group; group = group->next) {
        if (mode & (GLM_DRAW_MATERIALS | GLM_DRAW_COLORED))
            applyGroupMaterial(model, group, mode);
        glBegin(GL_TRIANGLES);
        for (unsigned i = 0; i < group->triangleCount; i++)
            drawTriangle(model, model->tris[group->triangleIndices[i]], mode);
        glEnd();
    }
}

unsigned glmCompileList(GlmMesh *model, unsigned mode)
{
    const GLuint list = glGenLists(1);
    glNewList(list, GL_COMPILE);
    glmDraw(model, mode);
    glEndList();
    return list;
}

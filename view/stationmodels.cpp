#include "stationmodels.h"

#include "glm.h"
#include "scenelayout.h"

#include <QFile>

namespace
{

GlmMesh *loadStationModel(const QString &path)
{
    glPushMatrix();
    GlmMesh *model = glmReadOBJ(QFile::encodeName(path).constData());
    glmFitToUnitCube(model);
    glmFaceNormals(model);
    glmVertexNormals(model, scene::kModelCreaseAngleDeg);
    glPopMatrix();
    return model;
}

void drawStationModel(GlmMesh *model, GLuint texture, const scene::Station &station)
{
    const GLfloat scale = GLfloat(station.scale);
    glPushMatrix();
    glTranslatef(GLfloat(station.anchor.x), GLfloat(station.anchor.y), GLfloat(station.anchor.z));
    glScalef(scale, scale, scale);
    glColor4fv(scene::kModelColour);
    glBindTexture(GL_TEXTURE_2D, texture);
    glmDraw(model, scene::kModelDrawMode);
    glPopMatrix();
}

} // namespace

StationModels::StationModels(const std::function<QString(const char *file)> &pathOf)
    : radarModel(loadStationModel(pathOf(scene::kRadarUnit.modelFile))),
      tableModel(loadStationModel(pathOf(scene::kTable.modelFile))),
      displayModel(loadStationModel(pathOf(scene::kDisplay.modelFile)))
{
}

StationModels::~StationModels()
{
    glmFree(radarModel);
    glmFree(displayModel);
    glmFree(tableModel);
}

void StationModels::draw(const Textures &textures) const
{
    drawStationModel(tableModel, textures.table, scene::kTable);
    drawStationModel(radarModel, textures.radar, scene::kRadarUnit);
    drawStationModel(displayModel, textures.display, scene::kDisplay);
}

#pragma once

#include "glm.h"

#include <cmath>

// The fixed scene of the radar view, in scene units with y up and z towards
// the camera: the camera and the light, the radar screen with the sweep and
// the markers drawn on it, and the three station models around it with the
// files they come from. The view draws this layout; the model generator builds
// the models to fit it and checks them against it, so a change here moves both.
// Plain values only: no OpenGL or Qt types, so that tools without either can
// include it; the models' draw mode is the model library's.
namespace scene
{

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// The fixed camera: gluLookAt from kEye towards kLookAt with kUp as up, and a
// perspective of kFieldOfViewYDeg degrees vertically between the two planes.
constexpr Point kEye{2.5, 6.0, 5.3};
constexpr Point kLookAt{0.0, 0.0, 0.0};
constexpr Point kUp{0.0, 1.0, 0.0};
constexpr double kFieldOfViewYDeg = 45.0;
constexpr double kNearPlane = 0.1;
constexpr double kFarPlane = 100.0;

// The scene's one light, high above the station: RGBA colours and a point.
constexpr float kLightAmbient[4] = {0.1f, 0.1f, 0.1f, 1.0f};
constexpr float kLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr float kLightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr float kLightPosition[3] = {-1.0f, 15.0f, 1.0f};

// The radar screen: a square of kScreenSize lying face up at kScreenHeight,
// centred on (kScreenCentreX, kScreenHeight, kScreenCentreZ). The sweep, a
// square of the same size, and the markers lie a hair above it, so that the
// depth test keeps them in front.
constexpr double kScreenCentreX = 0.0;
constexpr double kScreenCentreZ = -0.5;
constexpr double kScreenHeight = 1.45;
constexpr double kScreenSize = 5.0;
constexpr double kScreenMinX = kScreenCentreX - kScreenSize / 2;
constexpr double kScreenMaxX = kScreenCentreX + kScreenSize / 2;
constexpr double kScreenMinZ = kScreenCentreZ - kScreenSize / 2;
constexpr double kScreenMaxZ = kScreenCentreZ + kScreenSize / 2;
constexpr double kSweepHeight = 1.451;
constexpr double kMarkerHeight = 1.452;
constexpr double kMarkerSize = 0.3; // edge of a hit's marker square
// While the client has no connection to its server, a mark of this width and
// depth lies on the screen's centre, above the markers.
constexpr double kNoSignalHeight = 1.453;
constexpr double kNoSignalWidth = 3.2;
constexpr double kNoSignalDepth = 0.8;

// The screen's texture: a scope of radius kScopeRadiusPixels in the middle of
// an image kScopeImageSize pixels a side, with kRangeRings rings equally spaced
// out to its rim and bearing ticks reaching in from the rim, the longest (every
// 30 degrees) kLongestTickPixels. The image covers the whole screen.
constexpr int kScopeImageSize = 512;
constexpr double kScopeRadiusPixels = 240.0;
constexpr int kRangeRings = 4;
constexpr double kLongestTickPixels = 20.0;
// Scene units per pixel of that image, on the screen.
constexpr double kScenePerScopePixel = kScreenSize / kScopeImageSize;
// The colour of the rings and ticks, 8-bit RGB.
constexpr int kScopeTraceRgb[3] = {70, 220, 105};

// Guard zones lie on the screen as outlines: faint ones with the screen,
// bright ones of zones in alarm over them, both under the sweep. A zone
// distance of 1 (the middle of an edge of the targets' square) is this many
// scene units from the centre.
constexpr double kZoneOutlineHeight = 1.4503;
constexpr double kZoneAlarmHeight = 1.4506;
constexpr double kScenePerZoneDistance = 1.5;
// The zone distance of the screen's corners: no zone reaches farther.
constexpr double kScreenCornerZoneDistance = kScreenSize / 2 * M_SQRT2 / kScenePerZoneDistance;

// Where the data files are, relative to the client's working folder.
constexpr char kTextureFolder[] = "textures/";
constexpr char kModelFolder[] = "mdl/";
// The alarm that guard zones sound, under kSoundFolder; not part of the
// scene, but found beside its data files.
constexpr char kSoundFolder[] = "sounds/";
constexpr char kAlarmSound[] = "alarm.wav";

// The textures of the screen, the sweep and the markers, under kTextureFolder.
constexpr char kScreenTexture[] = "radarscheibe.png";
constexpr char kSweepTexture[] = "radgreen.png";
constexpr char kMarkerTexture[] = "person.png";
// The no-signal mark's texture, read when an outage first shows.
constexpr char kNoSignalTexture[] = "nosignal.png";

// A station model: its OBJ file under kModelFolder and its texture under
// kTextureFolder, and where it stands. The view fits the model into the cube
// -1..1 and draws it translated to anchor and scaled by scale, so a fitted
// coordinate c lands at anchor + scale * c and the largest size is 2 * scale.
struct Station {
    const char *modelFile;
    const char *textureFile;
    Point anchor;
    double scale;
};

constexpr Station kTable{"radartisch.obj", "radartischr2thell.png", {0.0, 0.8, -0.32}, 11.0};
constexpr Station kRadarUnit{"radar2.obj", "radarr2t2hell.png", {0.0, 1.1, 0.0}, 3.0};
constexpr Station kDisplay{"radardisplay.obj", "radardisplay.png", {0.01, 1.388, 2.505}, 3.01};

// The models are drawn opaque in this colour, which the screen and the sweep
// drawn after them keep (RGBA), smooth and textured.
constexpr float kModelColour[4] = {1.0f, 1.0f, 1.0f, 0.7f};
constexpr unsigned kModelDrawMode = GLM_DRAW_SMOOTHED | GLM_DRAW_TEXTURED;
// Facets of a model less than this many degrees apart are smoothed together.
constexpr float kModelCreaseAngleDeg = 90.0f;

} // namespace scene

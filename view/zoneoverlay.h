#pragma once

#include "glyphtext.h"
#include "windowprojection.h"

#include <QRect>
#include <QRegion>
#include <QtGui/qopengl.h>

#include <memory>
#include <string>
#include <vector>

class DisplayList;
struct GuardZone;
class ZoneWatch;
struct Hit;

// The guard zones on the radar screen. A zone's outline is faint while the
// zone is armed; it is drawn with the screen, as part of the fixed scene.
// Over it, under the sweep, a zone in alarm is outlined in the alarm colour,
// blinking between bright and dim about once a second and never as faint as
// an armed zone, and a zone whose state the lost signal made unknown is
// outlined in dashes. Each zone's number lies by its outline, outside the
// zone, in its outline's colour. Markers of hits inside a zone in alarm take
// the alarm colour. The blink follows the beam (the one the view shows), so
// that a frame is a function of the logic's state.
//
// Every call needs the view's context current, the construction and the
// destruction included, and the current coordinates the scene's (the camera
// set, nothing more).
class ZoneOverlay
{
public:
    // zones is not owned and must outlive the overlay, which records an
    // outline for each of its zones; fontAtlas is the panel font's texture,
    // owned by the context.
    ZoneOverlay(const ZoneWatch &zones, GLuint fontAtlas);
    ~ZoneOverlay();
    ZoneOverlay(const ZoneOverlay &) = delete;
    ZoneOverlay &operator=(const ZoneOverlay &) = delete;

    void drawFaintOutlines() const;
    // The outlines of the zones in alarm, in the blink's phase for the beam
    // at beamDeg, and of the zones whose state is unknown, with their
    // numbers; the window areas drawn in (device pixels, origin bottom
    // left): each outline's and each number's rectangle apart, so that the
    // next frames restore no more than that, or the whole viewport when an
    // area cannot be told.
    QRegion drawStateOutlines(double beamDeg) const;
    // True when hit lies in a zone in alarm: its marker then takes kAlarmColour.
    bool inZoneInAlarm(const Hit &hit) const;

    // Amber-red, for an alarm: the bright outlines and the markers.
    static constexpr GLfloat kAlarmColour[4] = {1.0f, 0.3f, 0.1f, 1.0f};
    // The blink's phase with the beam at beamDeg, and the alarm's colour then.
    static bool isBlinkBright(double beamDeg);
    static const GLfloat *alarmColour(double beamDeg);

    // Height of a zone's number, scene units.
    static constexpr double kNumberHeight = 0.12;

private:
    static QRect areaOf(const std::vector<WindowProjection::ScenePoint> &scenePoints);
    void placeNumber(const GuardZone &zone);
    void drawNumber(size_t zone, const GLfloat colour[4]) const;

    const ZoneWatch &zones;
    // Per zone: the outline's points in the scene at the state outlines'
    // height, and its number's corners, for the window areas; and the
    // outline drawn at the origin.
    std::vector<std::vector<WindowProjection::ScenePoint>> points;
    std::vector<std::vector<WindowProjection::ScenePoint>> numberCorners;
    std::vector<std::unique_ptr<DisplayList>> outlines;
    // Per zone: its number, where it is written, on the screen's plane.
    std::vector<std::string> numbers;
    std::vector<GlyphText::Placement> numberPlaces;
    GlyphText text;
};

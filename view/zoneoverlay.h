#pragma once

#include "zoneoutline.h"

#include <QRect>
#include <QtGui/qopengl.h>

#include <memory>
#include <vector>

class DisplayList;
class ZoneWatch;

// The guard zones on the radar screen. A zone's outline is faint while the
// zone is clear; it is drawn with the screen, as part of the fixed scene. A
// zone in alarm is outlined bright too, blinking about once a second, over
// the fixed scene and under the sweep. Markers of hits inside a zone in alarm
// take the alarm colour. The blink follows the beam (the one the view shows),
// so that a frame is a function of the logic's state.
//
// Every call needs the view's context current, the construction and the
// destruction included, and the current coordinates the scene's (the camera
// set, nothing more).
class ZoneOverlay
{
public:
    // zones is not owned and must outlive the overlay, which records an
    // outline for each of its zones.
    explicit ZoneOverlay(const ZoneWatch &zones);
    ~ZoneOverlay();
    ZoneOverlay(const ZoneOverlay &) = delete;
    ZoneOverlay &operator=(const ZoneOverlay &) = delete;

    void drawFaintOutlines() const;
    // The outlines of the zones in alarm, in the bright half of the blink
    // with the beam at beamDeg; the window area drawn in (device pixels,
    // origin bottom left), or the whole viewport when it cannot be told.
    QRect drawAlarmOutlines(double beamDeg) const;
    // True when a hit at scene offset (X, Y) from the screen centre lies in a
    // zone in alarm: its marker then takes kAlarmColour.
    bool inZoneInAlarm(float X, float Y) const;

    // Amber-red, for an alarm: the bright outlines and the markers.
    static constexpr GLfloat kAlarmColour[4] = {1.0f, 0.3f, 0.1f, 1.0f};

private:
    void beginLines(const GLfloat colour[4]) const;
    static bool isBright(double beamDeg);
    void drawOutline(size_t zone, double height) const;
    QRect areaOf(size_t zone) const;

    const ZoneWatch &zones;
    std::vector<std::vector<OutlinePath>> paths;        // per zone, for the window areas
    std::vector<std::unique_ptr<DisplayList>> outlines; // per zone, drawn at the origin
};

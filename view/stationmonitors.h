#pragma once

#include "glyphtext.h"
#include "paneltexts.h"

#include <QRect>

#include <array>

// The station's three monitors, showing the texts they are given in green
// phosphor and an alarm line in the alarm's colour, blinking with the zones'
// outlines. A monitor's look changes only with its words and the blink, so
// the view keeps it with the fixed scene and draws a monitor anew only when
// its look is stale: when it differs from the look last drawn.
//
// Every call that draws or measures needs the view's context current and the
// current coordinates the scene's (the camera set, nothing more).
class StationMonitors
{
public:
    // Text height, scene units: two lines on a monitor, legible at 800 x 600.
    static constexpr double kTextHeight = 0.095;

    // fontAtlas is the panel font's texture, owned by the context.
    explicit StationMonitors(GLuint fontAtlas);

    // What the monitors say from now on.
    void setTexts(const PanelTexts &texts) { wanted = texts; }
    const PanelTexts &texts() const { return wanted; }

    // True when monitor's look at beamDeg differs from the one last drawn.
    bool isStale(int monitor, double beamDeg) const;
    // Draws monitor's text at beamDeg over the monitor, and takes its look as drawn.
    void draw(int monitor, double beamDeg);
    // Nothing drawn is kept any more: every look is stale.
    void forget();

    // Where monitor lies in the window (device pixels, origin bottom left),
    // text and all; the whole viewport when that cannot be told.
    QRect area(int monitor) const;

private:
    struct Look {
        std::array<QString, PanelTexts::kLines> lines;
        bool alarm = false;
        bool bright = false; // the blink's phase, for an alarm line
        bool drawn = false;
        bool operator==(const Look &other) const
        {
            return drawn == other.drawn && lines == other.lines && alarm == other.alarm &&
                   (!alarm || bright == other.bright);
        }
    };

    Look lookOf(int monitor, double beamDeg) const;

    GlyphText text;
    PanelTexts wanted;
    std::array<Look, PanelTexts::kPanels> shown; // as last drawn
};

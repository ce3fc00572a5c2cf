#include "stationmonitors.h"

#include "displaylayout.h"
#include "windowprojection.h"
#include "zoneoverlay.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{

// Phosphor green, like the screen's traces, and brighter, for text.
constexpr GLfloat kPhosphor[4] = {0.45f, 1.0f, 0.55f, 1.0f};
// From the monitor's edges to the text, in scene units; the second line's
// baseline lies this many text heights below the first's.
constexpr double kMargin = 0.06;
constexpr double kLineStep = 1.5;
// The camera shows the left monitor only in part: a line is written where the
// monitor shows and, to fit there, shrunk down to this many device pixels
// tall at most, which still reads well.
constexpr double kSmallestTextPixels = 9.0;
// Window pixels between the window's edge and the text, and the steps of the
// search for where the monitor leaves the window.
constexpr double kWindowMarginPixels = 10.0;
constexpr int kSearchSteps = 24;
const std::string kCut = "...";
// Around the monitor's rectangle in the window: the projection's rounding.
constexpr int kAreaMarginPixels = 2;

display::FaceRect screenOf(int monitor)
{
    return display::screenWithin(display::bezels()[size_t(monitor)]);
}

WindowProjection::ScenePoint toVector(const scene::Point &p)
{
    return {p.x, p.y, p.z};
}

const display::Section &section()
{
    static const display::Section housing = display::housingSection();
    return housing;
}

// The baseline of line (from 0, the top), up the face's slope.
double baselineOf(const display::FaceRect &screen, int line)
{
    return screen.high - kMargin - StationMonitors::kTextHeight -
           line * kLineStep * StationMonitors::kTextHeight;
}

// The first x at which the monitor's screen shows in the window, at height
// along up its slope, kWindowMarginPixels in from the window's edge: its
// left edge, unless the window cuts it off.
double firstShownX(const display::FaceRect &screen, double along)
{
    const WindowProjection projection = WindowProjection::current();
    const double edge = projection.viewport().left() + kWindowMarginPixels;
    const auto shows = [&](double x) {
        const scene::Point p = display::onFace(section(), x, along, display::kScreenProud);
        const auto point = projection.toWindow(p.x, p.y, p.z);
        return point && point->x() >= edge;
    };
    if (shows(screen.x0))
        return screen.x0;
    double hidden = screen.x0, shown = screen.x1;
    for (int step = 0; step < kSearchSteps; ++step) {
        const double middle = (hidden + shown) / 2;
        (shows(middle) ? shown : hidden) = middle;
    }
    return shown;
}

// Device pixels a scene unit up the face's slope covers at (x, along).
double pixelsPerUnitUp(double x, double along)
{
    const WindowProjection projection = WindowProjection::current();
    const scene::Point low = display::onFace(section(), x, along, display::kScreenProud);
    const scene::Point high = display::onFace(section(), x, along + 1.0, display::kScreenProud);
    const auto a = projection.toWindow(low.x, low.y, low.z);
    const auto b = projection.toWindow(high.x, high.y, high.z);
    return a && b ? std::hypot(b->x() - a->x(), b->y() - a->y()) : kSmallestTextPixels;
}

// A line of words as monitor shows it: read along x from where the monitor
// shows, its glyphs standing up the face's slope, shrunk when the shown part
// is too narrow for it, and cut, its end "...", when even that is not enough.
struct FittedLine {
    std::string words;
    GlyphText::Placement place;
};

FittedLine fitLine(int monitor, int line, std::string words)
{
    const display::FaceRect screen = screenOf(monitor);
    const double baseline = baselineOf(screen, line);
    // The face leans, so where it leaves the window differs up the line.
    const double left = std::max({screen.x0 + kMargin, firstShownX(screen, baseline),
                                  firstShownX(screen, baseline + StationMonitors::kTextHeight)});
    const double room = screen.x1 - kMargin - left;
    const double smallest = std::min(StationMonitors::kTextHeight,
                                     kSmallestTextPixels / pixelsPerUnitUp(left, baseline));
    const double height =
        std::clamp(room / GlyphText::width(words, 1.0), smallest, StationMonitors::kTextHeight);
    if (GlyphText::width(words, height) > room) {
        // Nothing at all where not even the cut's mark fits: the monitor is
        // out of sight.
        const double each = GlyphText::width("x", height);
        const size_t fits = size_t(std::max(0.0, std::floor(room / each)));
        words = fits > kCut.size() ? words.substr(0, fits - kCut.size()) + kCut : std::string();
    }
    const scene::Point origin = display::onFace(section(), left, baseline, display::kScreenProud);
    return {words,
            {toVector(origin),
             {1.0, 0.0, 0.0},
             {0.0, section().upSlope.y, section().upSlope.z},
             height,
             GlyphText::Align::Left}};
}

} // namespace

StationMonitors::StationMonitors(GLuint fontAtlas) : text(fontAtlas) {}

StationMonitors::Look StationMonitors::lookOf(int monitor, double beamDeg) const
{
    Look look;
    look.lines = wanted.lines[size_t(monitor)];
    look.alarm = monitor == PanelTexts::Zones && wanted.alarm;
    look.bright = ZoneOverlay::isBlinkBright(beamDeg);
    look.drawn = true;
    return look;
}

bool StationMonitors::isStale(int monitor, double beamDeg) const
{
    return !(shown[size_t(monitor)] == lookOf(monitor, beamDeg));
}

void StationMonitors::draw(int monitor, double beamDeg)
{
    const Look look = lookOf(monitor, beamDeg);
    for (int line = 0; line < PanelTexts::kLines; ++line) {
        const QByteArray words = look.lines[size_t(line)].toLatin1();
        const GLfloat *colour =
            line == 0 && look.alarm ? ZoneOverlay::alarmColour(beamDeg) : kPhosphor;
        if (words.isEmpty())
            continue;
        const FittedLine fitted = fitLine(monitor, line, words.toStdString());
        if (!fitted.words.empty())
            text.draw(fitted.words, fitted.place, colour);
    }
    shown[size_t(monitor)] = look;
}

void StationMonitors::forget()
{
    shown = {};
}

QRect StationMonitors::area(int monitor) const
{
    const display::FaceRect screen = screenOf(monitor);
    const auto corner = [&](double x, double along) {
        return toVector(display::onFace(section(), x, along, display::kScreenProud));
    };
    const WindowProjection projection = WindowProjection::current();
    const auto onWindow =
        projection.areaOf({corner(screen.x0, screen.low), corner(screen.x1, screen.low),
                           corner(screen.x1, screen.high), corner(screen.x0, screen.high)});
    if (!onWindow)
        return projection.viewport().toAlignedRect();
    return onWindow->adjusted(-kAreaMarginPixels, -kAreaMarginPixels, kAreaMarginPixels,
                              kAreaMarginPixels);
}

#pragma once

#include <QtGui/qopengl.h>

#include <memory>

class DisplayList;

// The radar screen's numerals, in the colour of its traces and part of the
// fixed scene: bearings 000 to 330 every 30 degrees just inside the rim, so
// that north, which the camera turns some way right of screen-up, is plain;
// and each range ring's distance in the guard zones' unit, just outside the
// ring towards the camera, so that a zone's inner and outer can be read off
// the screen. Upright for the operator, read left to right.
//
// Needs the view's context current from construction to destruction, and
// the current coordinates the scene's to draw.
class ScopeLabels
{
public:
    // fontAtlas is the panel font's texture, owned by the context.
    explicit ScopeLabels(GLuint fontAtlas);
    ~ScopeLabels();
    ScopeLabels(const ScopeLabels &) = delete;
    ScopeLabels &operator=(const ScopeLabels &) = delete;

    void draw() const;

    // The bearing along which the rings' distances are written, degrees.
    static constexpr double kRingLabelBearingDeg = 135.0;

private:
    std::unique_ptr<DisplayList> labels; // recorded once
};

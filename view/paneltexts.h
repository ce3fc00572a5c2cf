#pragma once

#include <QString>

#include <array>

// What the station's three monitors show, left to right, each in lines from
// the top: the link, the targets, the zones and the time. An empty line is
// left dark.
struct PanelTexts {
    static constexpr int kPanels = 3;
    static constexpr int kLines = 2;
    enum Panel { Link, Targets, Zones };

    std::array<std::array<QString, kLines>, kPanels> lines;
    // The first line of the zones' panel tells an alarm: it takes the alarm's
    // colour and blinks with the zones' outlines.
    bool alarm = false;

    bool operator==(const PanelTexts &other) const
    {
        return lines == other.lines && alarm == other.alarm;
    }
    bool operator!=(const PanelTexts &other) const { return !(*this == other); }
};

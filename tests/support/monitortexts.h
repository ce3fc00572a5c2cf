#pragma once

#include "paneltexts.h"

// Words for the station's monitors, as a client would give them, with the
// count n in them, so that tests can change what the monitors say from frame
// to frame and keep every frame reproducible. alarm puts zones in alarm.
inline PanelTexts sampleMonitorTexts(int n, bool alarm)
{
    PanelTexts texts;
    texts.lines[PanelTexts::Link] = {QStringLiteral("LIVE AGE 0.%1 S").arg(n % 10),
                                     QStringLiteral("localhost:3333")};
    texts.lines[PanelTexts::Targets] = {QStringLiteral("TARGETS %1").arg(12 + n),
                                        QStringLiteral("HITS 34 LAST TURN")};
    texts.lines[PanelTexts::Zones] = {alarm ? QStringLiteral("ALARM 2 3")
                                            : QStringLiteral("ZONES 4"),
                                      QStringLiteral("03:12:%1").arg(45 + n % 10)};
    texts.alarm = alarm;
    return texts;
}

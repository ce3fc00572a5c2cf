#pragma once

#include <QVector>
#include <QtGlobal>

// One target as the simulator puts it on the wire. Coordinates 0..1 cover the
// radar screen; positions outside that square are legal and simply off screen.
struct SimTarget {
    float x;
    float y;
    quint16 value; // third per-target field; the simulator sends a track number
};

using TargetList = QVector<SimTarget>;

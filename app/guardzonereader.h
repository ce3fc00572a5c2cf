#pragma once

#include "guardzone.h"

#include <QString>

#include <vector>

class QDomElement;

// What the reader did not take as written: a zone it skipped, or one it read
// with a value changed, and why.
struct GuardZoneNote {
    int zone; // its number
    bool skipped;
    QString reason;

    // As standard error says it: "guard zone 2 skipped: 'from' is 400, ...".
    QString text() const;
};

// The guard zones of a settings document: every guardZone element directly
// under root, in file order, each holding from, to, inner and outer. A zone
// with a value missing or not a finite number, a bearing outside 0 to 360,
// `from` and `to` the same bearing (0 and 360 included) unless they make the
// whole circle, a negative distance, inner above outer, or inner beyond the
// screen's corner is skipped; an outer beyond the screen's corner is taken as
// the corner's distance. notes gets one for each. Zones are numbered from 1 in
// file order, skipped ones counted.
std::vector<GuardZone> readGuardZones(const QDomElement &root, std::vector<GuardZoneNote> &notes);

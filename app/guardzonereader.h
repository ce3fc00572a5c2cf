#pragma once

#include "guardzone.h"

#include <QStringList>

#include <vector>

class QDomElement;

// The guard zones of a settings document: every guardZone element directly
// under root, in file order, each holding from, to, inner and outer. A zone
// with a value missing or not a finite number, a bearing outside 0 to 360,
// `from` and `to` the same bearing (0 and 360 included) unless they make the
// whole circle, a negative distance, inner above outer, or inner beyond the
// screen's corner is skipped; an outer beyond the screen's corner is taken as
// the corner's distance. notes gets a line for each, naming the zone's number
// and what is wrong. Zones are numbered from 1 in file order, skipped ones
// counted.
std::vector<GuardZone> readGuardZones(const QDomElement &root, QStringList &notes);

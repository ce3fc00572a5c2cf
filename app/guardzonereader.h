#pragma once

#include "guardzone.h"

#include <QStringList>

#include <vector>

class QDomElement;

// The guard zones of a settings document: every guardZone element directly
// under root, in file order, each holding from, to, inner and outer. A zone
// with a value missing or not a number, a bearing outside 0 to 360, a
// negative distance or inner above outer is skipped, and skipped gets a line
// that names the zone's number and what is wrong. Zones are numbered from 1
// in file order, skipped ones counted.
std::vector<GuardZone> readGuardZones(const QDomElement &root, QStringList &skipped);

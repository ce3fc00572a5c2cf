#pragma once

#include "scenelayout.h"

#include <QColor>

// The radar scope's colours, shared by the screen textures and the launcher
// icon, so that the icon shows the same scope as the client's screen.
namespace palette
{

inline const QColor kBezel(28, 33, 31);
inline const QColor kPhosphorCentre(12, 62, 28);
inline const QColor kPhosphorRim(3, 24, 10);
inline const QColor kTrace(scene::kScopeTraceRgb[0], scene::kScopeTraceRgb[1],
                           scene::kScopeTraceRgb[2]); // range rings and bearing ticks
inline const QColor kBeam(200, 255, 205);             // the sweep's leading edge
inline const QColor kGlow(40, 235, 90);               // the afterglow behind the edge
inline const QColor kBadge(255, 176, 40);             // a hit's amber marker
inline const QColor kBadgeRim(120, 60, 0);

} // namespace palette

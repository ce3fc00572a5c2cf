#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// Empty when the toolkit has been told where to show the window: DISPLAY or
// WAYLAND_DISPLAY is set, or a platform or an X display is named on the
// command line (-platform, -display) or in QT_QPA_PLATFORM. Otherwise one
// line saying that there is no display, for standard error: with none of
// them, Qt's default platform finds nothing to connect to and aborts the
// process. Empty variables count as unset.
QString whyNoDisplay(const QProcessEnvironment &environment, const QStringList &toolkitArguments);

#pragma once

#include <QList>
#include <QRect>
#include <QString>

// What a Weston compositor shows, as its scene-graph dump tells it: where the
// views of each client's surfaces lie on its output. Needs Weston started
// with --debug, as tests/support/with-weston.sh does, and weston-debug.

struct WestonView {
    QString role; // the surface's role: "xdg_toplevel", "wl_subsurface", ...
    qint64 pid;   // the client process's id
    QRect area;   // on the output, in pixels
};

// The views of every client's surfaces that are on the output, in the
// compositor's stacking order; empty when the dump could not be read.
QList<WestonView> westonViews();

// The views of process pid with role.
QList<WestonView> westonViewsOf(qint64 pid, const QString &role);

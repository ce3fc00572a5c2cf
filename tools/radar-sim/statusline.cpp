#include "statusline.h"

#include "simstats.h"

#include <cstdio>

namespace
{

constexpr int kIntervalMs = 1000;

} // namespace

StatusLine::StatusLine(const SimStats &s, QObject *parent) : QObject(parent), stats(s)
{
    timer.setInterval(kIntervalMs);
    connect(&timer, &QTimer::timeout, this, &StatusLine::print);
}

void StatusLine::start()
{
    timer.start();
}

QString StatusLine::format(const SimStats &s)
{
    return QStringLiteral("radar-sim: %1 connections (%2 accepted), %3 requests, "
                          "%4 other bytes, %5 frames sent")
        .arg(s.connections)
        .arg(s.accepted)
        .arg(s.requests)
        .arg(s.otherBytes)
        .arg(s.framesSent);
}

void StatusLine::print()
{
    std::fprintf(stderr, "%s\n", qPrintable(format(stats)));
    std::fflush(stderr);
}

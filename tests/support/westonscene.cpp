#include "westonscene.h"

#include <QProcess>
#include <QRegularExpression>

namespace
{

constexpr int kDumpTimeoutMs = 5000;

// One view's header line, then its position, as Weston 10 writes them:
//   View 1 (role wl_subsurface, PID 21911, surface ID 21, sub-surface, ...):
//       position: (0, 0) -> (1280, 1024)
const QRegularExpression kViewLine(R"(^\s*View \d+ \(role ([^,]+), PID (\d+),)");
const QRegularExpression
    kPositionLine(R"(^\s*position: \((-?\d+), (-?\d+)\) -> \((-?\d+), (-?\d+)\))");

QString sceneGraphDump()
{
    QProcess debug;
    debug.start("weston-debug", {"scene-graph"});
    if (!debug.waitForFinished(kDumpTimeoutMs) || debug.exitCode() != 0)
        return QString();
    return QString::fromUtf8(debug.readAllStandardOutput());
}

QRect areaOf(const QRegularExpressionMatch &position)
{
    const QPoint topLeft(position.captured(1).toInt(), position.captured(2).toInt());
    const QPoint end(position.captured(3).toInt(), position.captured(4).toInt());
    return QRect(topLeft, QSize(end.x() - topLeft.x(), end.y() - topLeft.y()));
}

} // namespace

QList<WestonView> westonViews()
{
    QList<WestonView> views;
    bool inView = false;
    for (const QString &line : sceneGraphDump().split('\n')) {
        const QRegularExpressionMatch view = kViewLine.match(line);
        if (view.hasMatch()) {
            views.append({view.captured(1), view.captured(2).toLongLong(), QRect()});
            inView = true;
            continue;
        }
        const QRegularExpressionMatch position = kPositionLine.match(line);
        if (inView && position.hasMatch()) {
            views.back().area = areaOf(position);
            inView = false;
        }
    }
    return views;
}

QList<WestonView> westonViewsOf(qint64 pid, const QString &role)
{
    QList<WestonView> found;
    for (const WestonView &view : westonViews())
        if (view.pid == pid && view.role == role)
            found.append(view);
    return found;
}

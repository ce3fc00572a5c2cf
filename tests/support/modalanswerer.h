#pragma once

#include <QString>
#include <QTimer>

#include <functional>

// Answers, with OK, every message box that opens in this process while it
// lives, and keeps what the last one said. A modal box runs an event loop of
// its own, so the answer comes from a timer that keeps polling for it.
class ModalAnswerer
{
public:
    ModalAnswerer();

    QString title;
    QString text;
    int boxes = 0;
    // Called with the box still open, before it is answered.
    std::function<void()> whileOpen;

private:
    void answer();

    QTimer poll;
};

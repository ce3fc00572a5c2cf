#pragma once

#include "logic.h"

#include <QElapsedTimer>
#include <QWidget>

class GLWidget;
class QKeyEvent;
class QTimer;

// The client's one full-screen window. Its constructor does the whole start-up:
// settings, server connection, view, cursor and frame timer. isOk() tells the
// entry point whether to show it.
class Window : public QWidget
{
    Q_OBJECT

public:
    Window();
    ~Window() override;

    bool isOk() const { return ok; }

protected:
    void keyPressEvent(QKeyEvent *e) override;

private slots:
    void timerFunc();

private:
    bool readSettings(int &timeToLive, int &port, QString &host);
    void startLifeTimer(int timeToLive);
    void installView();
    void showError(const QString &text);

    bool ok;
    GLWidget *glWidget;
    QElapsedTimer frameClock; // milliseconds since the previous successful tick
    Logic logic;
    QTimer *frameTimer;
};

#pragma once

#include "clientoptions.h"
#include "logic.h"

#include <QElapsedTimer>
#include <QWidget>

class GLWidget;
class QKeyEvent;
class Reconnector;
class QTimer;

// The client's one window, shown full screen unless the options ask for a
// size. Its constructor does the whole start-up: settings, server connection,
// view, cursor and frame timer. isOk() tells the entry point whether to show it.
class Window : public QWidget
{
    Q_OBJECT

public:
    // The settings file and the data folders as the options name them.
    explicit Window(const ClientOptions &options);
    // clientSettings.xml, textures/ and mdl/ in the working directory.
    Window();
    ~Window() override;

    bool isOk() const { return ok; }

protected:
    void keyPressEvent(QKeyEvent *e) override;

private slots:
    void timerFunc();
    void beginOutage();
    void endOutage();

private:
    bool readSettings(const QString &file, int &timeToLive, int &port, QString &host);
    bool connectOnce(const QString &host, quint16 port);
    void startLifeTimer(int timeToLive);
    void installView(const QString &assetsFolder);
    void showError(const QString &text);
    void followOutages();
    void watchThroughOutage(double dt);

    bool ok;
    GLWidget *glWidget;
    QElapsedTimer frameClock; // milliseconds since the previous successful tick
    Logic logic;
    QTimer *frameTimer;
    QString server; // as the messages name it, "localhost port 3333"
    // With --reconnect, what keeps trying to reach the server while it cannot
    // be reached; null without, when a lost connection ends the client.
    Reconnector *reconnector;
};

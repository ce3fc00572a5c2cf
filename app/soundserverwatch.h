#pragma once

#include <QObject>

struct pa_context;
struct pa_mainloop_api;
struct pa_threaded_mainloop;

// Whether the desktop's sound server (PulseAudio, or PipeWire in its place)
// takes connections, found by holding a connection of our own. Qt cannot
// tell: an effect that was ready stays "ready" when the server goes (and
// Qt 5's stays "playing" for good); Qt 6.4's is "ready" even with no server,
// and Qt 6.4 never tries again after finding none at its first use.
// The connection lives on libpulse's own thread, so nothing here waits in
// the caller's thread, even where libpulse starts a server itself.
class SoundServerWatch : public QObject
{
    Q_OBJECT

public:
    explicit SoundServerWatch(QObject *parent);
    ~SoundServerWatch() override;
    SoundServerWatch(const SoundServerWatch &) = delete;
    SoundServerWatch &operator=(const SoundServerWatch &) = delete;

    // Connects unless connected or connecting; connected() or lost() follows.
    void connectToServer();
    bool isConnected() const { return up; }

signals:
    void connected();
    // The server could not be reached, or went away: connect again to know
    // when it is back.
    void lost();

private slots:
    // Queued from libpulse's thread whenever the connection's state changes.
    void checkState();

private:
    static void stateChanged(pa_context *context, void *watch);
    static void connectInLoop(pa_mainloop_api *api, void *watch);
    enum class Link { Pending, Ready, Down };
    Link link();
    void dropContext();

    pa_threaded_mainloop *loop;    // owned; its thread runs while the watch lives
    pa_context *context = nullptr; // owned; used under the loop's lock
    bool refused = false;          // the context could not even start to connect; under the lock
    bool up = false;               // connected() was the last signal
    bool trying = false;           // connected() or lost() is due
};

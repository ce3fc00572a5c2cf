#include "soundserverwatch.h"

#include <pulse/context.h>
#include <pulse/mainloop-api.h>
#include <pulse/thread-mainloop.h>

namespace
{

const char kClientName[] = "radar-client alarm sound watch";

// Holds the loop's lock for one scope: libpulse's thread uses the context too.
class LoopLock
{
public:
    explicit LoopLock(pa_threaded_mainloop *loop) : loop(loop) { pa_threaded_mainloop_lock(loop); }
    ~LoopLock() { pa_threaded_mainloop_unlock(loop); }
    LoopLock(const LoopLock &) = delete;
    LoopLock &operator=(const LoopLock &) = delete;

private:
    pa_threaded_mainloop *loop;
};

} // namespace

SoundServerWatch::SoundServerWatch(QObject *parent)
    : QObject(parent), loop(pa_threaded_mainloop_new())
{
    // Without its thread the watch can never connect; connectToServer() then
    // answers lost().
    if (loop != nullptr && pa_threaded_mainloop_start(loop) < 0) {
        pa_threaded_mainloop_free(loop);
        loop = nullptr;
    }
}

SoundServerWatch::~SoundServerWatch()
{
    if (loop == nullptr)
        return;
    dropContext();
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
}

void SoundServerWatch::connectToServer()
{
    if (up || trying)
        return;
    trying = true;
    if (loop != nullptr) {
        LoopLock lock(loop);
        pa_mainloop_api *api = pa_threaded_mainloop_get_api(loop);
        context = pa_context_new(api, kClientName);
        refused = false;
        if (context != nullptr) {
            pa_context_set_state_callback(context, stateChanged, this);
            // On the loop's thread: where libpulse may start a server, it
            // waits for it.
            pa_mainloop_api_once(api, connectInLoop, this);
            return;
        }
    }
    QMetaObject::invokeMethod(this, "checkState", Qt::QueuedConnection);
}

void SoundServerWatch::connectInLoop(pa_mainloop_api *, void *watch)
{
    auto *self = static_cast<SoundServerWatch *>(watch);
    if (self->context == nullptr || pa_context_get_state(self->context) != PA_CONTEXT_UNCONNECTED ||
        pa_context_connect(self->context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) >= 0)
        return;
    // libpulse normally says so through the state too; this covers the rest.
    self->refused = true;
    QMetaObject::invokeMethod(self, "checkState", Qt::QueuedConnection);
}

void SoundServerWatch::stateChanged(pa_context *, void *watch)
{
    QMetaObject::invokeMethod(static_cast<SoundServerWatch *>(watch), "checkState",
                              Qt::QueuedConnection);
}

// The state is read again here rather than passed along, so that a report
// that arrives late, after a newer one, changes nothing.
void SoundServerWatch::checkState()
{
    const Link state = link();
    if (state == Link::Ready && !up) {
        up = true;
        trying = false;
        emit connected();
    } else if (state == Link::Down && (up || trying)) {
        up = false;
        trying = false;
        dropContext();
        emit lost();
    }
}

SoundServerWatch::Link SoundServerWatch::link()
{
    if (loop == nullptr || context == nullptr)
        return Link::Down;
    LoopLock lock(loop);
    if (refused)
        return Link::Down;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        return Link::Ready;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        return Link::Down;
    default:
        return Link::Pending; // not yet started, or on its way
    }
}

void SoundServerWatch::dropContext()
{
    if (loop == nullptr || context == nullptr)
        return;
    LoopLock lock(loop);
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
    context = nullptr;
}

#include "ui/search/window_call_gate.h"

#include <QMetaObject>
#include <QObject>

WindowCallGate::WindowCallGate(QObject* window) : window(window) {}

bool WindowCallGate::Call(const std::function<void()>& call) {
    auto done = std::make_shared<bool>(false);  // guarded by the state's mutex
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->closed) return false;
    }
    // The window is the context object: a call still queued when it goes is dropped with it.
    QMetaObject::invokeMethod(
        window,
        [state = state, done, &call] {
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                // Closed means the caller no longer waits and `call` may be gone.
                if (state->closed) return;
            }
            call();
            {
                std::lock_guard<std::mutex> lock(state->mutex);
                *done = true;
            }
            state->changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(state->mutex);
    state->changed.wait(lock, [&] { return *done || state->closed; });
    return *done;
}

void WindowCallGate::Close() {
    {
        std::lock_guard<std::mutex> lock(state->mutex);
        state->closed = true;
    }
    state->changed.notify_all();
}

bool WindowCallGate::Closed() const {
    std::lock_guard<std::mutex> lock(state->mutex);
    return state->closed;
}

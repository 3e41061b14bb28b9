#pragma once

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

// Carries a worker thread's calls to the window's thread and waits for each, like a blocking
// queued call; closing the gate (on the window's thread) releases every waiting worker at once
// and lets no later call run. So the window can join its workers while they are in a call.
class WindowCallGate {
public:
    explicit WindowCallGate(QObject* window);

    // From a worker thread: runs the call on the window's thread and waits for it. False, with
    // the call not run, when the gate is or becomes closed.
    bool Call(const std::function<void()>& call);
    // On the window's thread.
    void Close();
    bool Closed() const;

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        bool closed = false;
    };

    QObject* const window;  // outlives the gate's callers: it joins them before it goes
    std::shared_ptr<State> state = std::make_shared<State>();
};

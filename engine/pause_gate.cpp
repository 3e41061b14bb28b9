#include "engine/pause_gate.h"

void PauseGate::Close() {
    std::lock_guard<std::mutex> lock(mutex);
    closed = true;
}

void PauseGate::Open() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        closed = false;
    }
    changed.notify_all();
}

void PauseGate::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopped = true;
    }
    changed.notify_all();
}

bool PauseGate::Pass() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return stopped || !closed; });
    return !stopped;
}

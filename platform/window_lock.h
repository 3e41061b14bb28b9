#pragma once

#include <string>

// A file held locked (flock) while one window shows the lead book's rows, so that a second
// window, whatever its single-instance marker, never shares them. The system frees the lock when
// the holder ends, also after a crash.
class WindowLock {
public:
    enum class Status { kHeld, kHeldByAnotherWindow, kFailed };

    WindowLock() = default;
    ~WindowLock();
    WindowLock(const WindowLock&) = delete;
    WindowLock& operator=(const WindowLock&) = delete;

    // Makes the file's folder when missing.
    Status Acquire(const std::string& path);

private:
    int fd_ = -1;
};

#pragma once

#include <string>

// The marker of a running copy: a name that only one process on the machine can hold at a time,
// whichever user started it. The system frees the name when the holding process ends, also after
// a crash, so a copy that died never blocks the next start.
class SingleInstanceLock {
public:
    static constexpr const char* kProgramName = "Global\\Harvio";

    SingleInstanceLock() = default;
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this object now holds the name; false when another holder has it or the name
    // cannot be taken. An object that already holds a name keeps it and answers true only for it.
    bool Acquire(const std::string& name = kProgramName);
    void Release();
    bool Held() const { return socket_ >= 0; }

private:
    int socket_ = -1;
    std::string name_;
};

#include "platform/single_instance_lock.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

// The name is bound as an abstract Unix socket address: it lives in the kernel only, is visible
// to every user of the machine and disappears with the last descriptor, that is with the process.
bool SingleInstanceLock::Acquire(const std::string& name) {
    if (Held()) return name == name_;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // The abstract namespace starts with a NUL byte; the name follows without a terminator.
    if (name.empty() || name.size() > sizeof(address.sun_path) - 1) return false;
    std::memcpy(address.sun_path + 1, name.data(), name.size());
    socklen_t length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + name.size());

    // Close-on-exec: a program started from here (the browser) must not keep the name alive.
    int descriptor = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (descriptor < 0) return false;
    if (bind(descriptor, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
        close(descriptor);
        return false;
    }
    socket_ = descriptor;
    name_ = name;
    return true;
}

void SingleInstanceLock::Release() {
    if (!Held()) return;
    close(socket_);
    socket_ = -1;
    name_.clear();
}

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

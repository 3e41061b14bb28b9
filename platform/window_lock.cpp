#include "platform/window_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "platform/program_paths.h"

namespace {

constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;

}  // namespace

WindowLock::~WindowLock() {
    if (fd_ >= 0) close(fd_);
}

WindowLock::Status WindowLock::Acquire(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) MakeFolders(path.substr(0, slash), kPrivateFolder);
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kPrivateFile);
    if (fd < 0) return Status::kFailed;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        return held ? Status::kHeldByAnotherWindow : Status::kFailed;
    }
    fd_ = fd;
    return Status::kHeld;
}

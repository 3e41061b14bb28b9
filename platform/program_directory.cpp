#include "platform/program_directory.h"

#include <unistd.h>

#include <mutex>
#include <vector>

namespace {

std::mutex overrideMutex;
std::string directoryOverride;

// The link target of /proc/self/exe, read with a buffer that grows until the whole path fits,
// so that a deep installation path is never cut short.
std::string ExecutablePath() {
    std::vector<char> buffer(256);
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace

std::string ProgramDirectory() {
    {
        std::lock_guard<std::mutex> lock(overrideMutex);
        if (!directoryOverride.empty()) return directoryOverride;
    }
    std::string path = ExecutablePath();
    std::string::size_type lastSeparator = path.rfind('/');
    // Without a readable executable path the working directory stands in, never the root.
    if (lastSeparator == std::string::npos) return ".";
    return path.substr(0, lastSeparator);
}

std::string ConfigDirectory() {
    return ProgramDirectory() + "/config/";
}

void SetProgramDirectoryForTesting(const std::string& directory) {
    std::lock_guard<std::mutex> lock(overrideMutex);
    directoryOverride = directory;
}

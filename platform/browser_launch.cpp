#include "platform/browser_launch.h"

#include <langinfo.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/text_encoding.h"

namespace {

constexpr const char* kDefaultBrowsers[] = {"sensible-browser", "x-www-browser", "xdg-open"};

bool IsRunnableFile(const std::string& path) {
    struct stat info {};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

std::vector<std::string> SplitAtColons(std::string_view text) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t colon = text.find(':', start);
        if (colon == std::string_view::npos) colon = text.size();
        if (colon > start) parts.emplace_back(text.substr(start, colon - start));
        start = colon + 1;
    }
    return parts;
}

// A name with a slash is a path of its own; any other name is looked up in PATH.
std::string ResolveProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) return IsRunnableFile(program) ? program : std::string();
    const char* path = std::getenv("PATH");
    for (const std::string& directory : SplitAtColons(path ? path : "/usr/local/bin:/usr/bin:/bin")) {
        std::string candidate = directory + "/" + program;
        if (IsRunnableFile(candidate)) return candidate;
    }
    return {};
}

}  // namespace

std::string FindBrowserProgram() {
    const char* browserVariable = std::getenv("BROWSER");
    if (browserVariable && *browserVariable) {
        // The user named the browser: another one would surprise, so no fall-back here.
        for (const std::string& program : SplitAtColons(browserVariable)) {
            std::string resolved = ResolveProgram(program);
            if (!resolved.empty()) return resolved;
        }
        return {};
    }
    for (const char* program : kDefaultBrowsers) {
        std::string resolved = ResolveProgram(program);
        if (!resolved.empty()) return resolved;
    }
    return {};
}

std::string AddressInLocaleEncoding(const std::string& gbkAddress) {
    return ConvertText(gbkAddress, "GB18030", nl_langinfo(CODESET)).value_or(gbkAddress);
}

bool LaunchBrowser(const std::string& gbkAddress) {
    std::string program = FindBrowserProgram();
    if (program.empty()) return false;
    std::string address = AddressInLocaleEncoding(gbkAddress);
    // Everything the children need is made before fork: after it only async-signal-safe calls.
    char* const arguments[] = {program.data(), address.data(), nullptr};

    // Double fork: the middle child ends at once and is reaped here, the browser is adopted by
    // init, so neither a wait for the browser nor a zombie is left behind.
    pid_t middle = fork();
    if (middle < 0) return false;
    if (middle == 0) {
        pid_t browser = fork();
        if (browser == 0) {
            setsid();
            execv(program.c_str(), arguments);
            _exit(127);
        }
        _exit(browser < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

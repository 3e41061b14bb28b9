#include "support/tiny_proxy.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

#include "support/loopback.h"

namespace {

constexpr const char* kTinyProxyProgram = "/usr/bin/tinyproxy";
// Start-up takes some milliseconds; a proxy not listening by then is taken for broken.
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr auto kPoll = std::chrono::milliseconds(20);

}  // namespace

TinyProxy::TinyProxy() {
    port = FreeLoopbackPort();
    const std::string config = dir.File("tinyproxy.conf").string();
    logFile = dir.File("tinyproxy.log").string();
    const std::string& log = logFile;
    std::ofstream(config) << "Port " << port << "\nListen 127.0.0.1\nAllow 127.0.0.1\nTimeout 30\n"
                          << "MaxClients 20\nLogLevel Info\n";

    char* const argv[] = {const_cast<char*>(kTinyProxyProgram), const_cast<char*>("-d"),
                          const_cast<char*>("-c"), const_cast<char*>(config.c_str()), nullptr};
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec. The proxy ends with the test thread that
        // started it, so that even a crashed test leaves no proxy behind.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (logFd >= 0) {
            dup2(logFd, STDOUT_FILENO);
            dup2(logFd, STDERR_FILENO);
        }
        execv(kTinyProxyProgram, argv);
        _exit(127);
    }
    if (pid < 0) {
        problem = std::string("cannot start ") + kTinyProxyProgram;
        return;
    }
    const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        if (LoopbackPortAccepts(port)) {
            running = true;
            return;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            problem = "tinyproxy ended at start; see its log " + log;
            return;
        }
        std::this_thread::sleep_for(kPoll);
    }
    problem = "tinyproxy did not listen on port " + PortText();
}

int TinyProxy::ClientConnections() const {
    // Each connection logs "Connect", then a "Request" line per request; the start-up's probe
    // of the port carried none.
    std::ifstream log(logFile);
    int connections = 0;
    bool requestSinceConnect = true;
    for (std::string line; std::getline(log, line);) {
        if (line.find("Connect (file descriptor") != std::string::npos) requestSinceConnect = false;
        if (line.find("Request (file descriptor") != std::string::npos && !requestSinceConnect) {
            requestSinceConnect = true;
            ++connections;
        }
    }
    return connections;
}

TinyProxy::~TinyProxy() {
    if (pid <= 0) return;
    kill(pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (waitpid(pid, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            return;
        }
        std::this_thread::sleep_for(kPoll);
    }
}

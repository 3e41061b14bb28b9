#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The demo directory's program, started on a free loopback port for one test and stopped
// (SIGTERM, then waited for) when the object goes.
class DemoDirectoryProcess {
public:
    // Starts the program with "--port 0" and the given arguments; port() is 0 when it failed.
    // With a request log file, "--log" too, its lines written to that file.
    explicit DemoDirectoryProcess(const std::vector<std::string>& arguments, const std::string& requestLog = "");
    ~DemoDirectoryProcess();
    DemoDirectoryProcess(const DemoDirectoryProcess&) = delete;
    DemoDirectoryProcess& operator=(const DemoDirectoryProcess&) = delete;

    int port() const { return listeningPort; }
    // "::127.0.0.1:PORT": every host of the site to this server.
    std::string ConnectToRule() const;

private:
    pid_t child = -1;
    int listeningPort = 0;
};

// One line of the demo directory's request log.
struct LoggedRequest {
    std::string host;
    std::string target;
    int status = 0;
    int connection = 0;  // numbered from 1 in the order the connections came
    bool resumed = false;  // the connection resumed an earlier TLS session
};
std::vector<LoggedRequest> ReadRequestLog(const std::string& path);

// Runs a program to its end with a time limit; its exit status, or -1. Standard output goes to
// the file when one is named. Its data folder (XDG_DATA_HOME, where harvio-cli keeps the lead
// book) is dataHome, or a new empty one for this run alone.
int RunProgram(const std::vector<std::string>& command, const std::string& stdoutFile = "",
               const std::string& dataHome = "");

// The lines of the rows that the demo directory says a query must give (--truth), each with its
// CR LF; the arguments name the directory, the conditions and the faults.
std::vector<std::string> DemoTruth(const std::vector<std::string>& arguments);

// A whole file's bytes; empty when it can't be read. In a namespace of its own: the engine's
// reader of that name (which tells an unreadable file apart) is linked into the window's tests.
namespace demo_support {
std::string ReadWholeFile(const std::string& path);
}  // namespace demo_support
using demo_support::ReadWholeFile;

// A new empty directory under the system's temporary directory.
std::string MakeTemporaryDirectory();

// The rules file for the demo directory served over HTTPS: the shipped one with every "http://"
// (addresses, prefixes and link patterns) made "https://", written into the directory; its path.
std::string WriteHttpsRulesFile(const std::string& shippedRules, const std::string& directory);

#include "demo/support/demo_directory_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/child_process.h"
#include "tools/demo-directory/demo_wire.h"

extern char** environ;

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr auto kRunTimeout = std::chrono::seconds(90);

std::vector<char*> ArgumentVector(std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (std::string& argument : command) argv.push_back(argument.data());
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

DemoDirectoryProcess::DemoDirectoryProcess(const std::vector<std::string>& arguments,
                                           const std::string& requestLog) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return;
    std::vector<std::string> command = {HARVIO_DEMO_DIRECTORY, "--port", "0"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    if (!requestLog.empty()) command.push_back("--log");
    std::vector<char*> argv = ArgumentVector(command);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    if (!requestLog.empty()) {
        // Appending: a test may empty the log between searches, and the lines go on from its start.
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, requestLog.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC | O_APPEND, 0644);
    }
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (spawned != 0) {
        child = -1;
        close(pipeEnds[0]);
        return;
    }
    // The first line names the port: "listening on 127.0.0.1:PORT".
    std::string line;
    pollfd readable{pipeEnds[0], POLLIN, 0};
    while (line.find('\n') == std::string::npos && poll(&readable, 1, kStartTimeoutMs) == 1) {
        char buffer[256];
        ssize_t count = read(pipeEnds[0], buffer, sizeof buffer);
        if (count <= 0) break;
        line.append(buffer, count);
    }
    close(pipeEnds[0]);
    std::size_t colon = line.rfind(':');
    if (line.rfind("listening on 127.0.0.1:", 0) == 0 && colon != std::string::npos) {
        listeningPort = std::atoi(line.c_str() + colon + 1);
    }
}

DemoDirectoryProcess::~DemoDirectoryProcess() {
    if (child <= 0) return;
    kill(child, SIGTERM);
    WaitForChild(child, std::chrono::seconds(10));
}

std::string DemoDirectoryProcess::ConnectToRule() const {
    return "::127.0.0.1:" + std::to_string(listeningPort);
}

int RunProgram(const std::vector<std::string>& command, const std::string& stdoutFile,
               const std::string& dataHome) {
    // MakeTemporaryDirectory names the shared temporary folder when it cannot make one: never ours.
    std::string ownFolder = dataHome.empty() ? MakeTemporaryDirectory() : std::string();
    if (ownFolder == "/tmp") ownFolder.clear();
    std::vector<std::string> environment = {"XDG_DATA_HOME=" +
                                            (dataHome.empty() ? ownFolder + "/data" : dataHome)};
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (std::string_view(*variable).rfind("XDG_DATA_HOME=", 0) != 0) environment.push_back(*variable);
    }
    std::vector<char*> envp = ArgumentVector(environment);
    std::vector<std::string> arguments = command;
    std::vector<char*> argv = ArgumentVector(arguments);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!stdoutFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = -1;
    int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    const int status = spawned != 0 ? -1 : WaitForChild(child, kRunTimeout);
    if (!ownFolder.empty()) std::filesystem::remove_all(ownFolder);
    return status;
}

std::vector<std::string> DemoTruth(const std::vector<std::string>& arguments) {
    std::string directory = MakeTemporaryDirectory();
    std::string file = directory + "/truth.csv";
    std::vector<std::string> command = {HARVIO_DEMO_DIRECTORY, "--truth", file};
    command.insert(command.end(), arguments.begin(), arguments.end());
    std::vector<std::string> lines;
    int status = RunProgram(command);
    std::string text = ReadWholeFile(file);
    std::filesystem::remove_all(directory);
    if (status != 0) return lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        end = end == std::string::npos ? text.size() : end + 2;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::vector<LoggedRequest> ReadRequestLog(const std::string& path) {
    std::vector<LoggedRequest> requests;
    std::istringstream lines(ReadWholeFile(path));
    for (std::string line; std::getline(lines, line);) {
        // "HOST TARGET STATUS connection N [resumed]"
        std::istringstream fields(line);
        LoggedRequest request;
        std::string word, resumed;
        if (fields >> request.host >> request.target >> request.status >> word >> request.connection &&
            word == "connection") {
            request.resumed = fields >> resumed && resumed == "resumed";
            requests.push_back(request);
        }
    }
    return requests;
}

std::string demo_support::ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MakeTemporaryDirectory() {
    std::string pattern = (std::getenv("TMPDIR") ? std::string(std::getenv("TMPDIR")) : std::string("/tmp")) +
                          "/harvio-demo-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) return "/tmp";
    return pattern;
}

std::string WriteHttpsRulesFile(const std::string& shippedRules, const std::string& directory) {
    const std::string path = directory + "/reg.alibaba.https";
    std::ofstream(path, std::ios::binary) << HttpsRules(ReadWholeFile(shippedRules));
    return path;
}

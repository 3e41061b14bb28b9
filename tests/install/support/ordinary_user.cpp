#include "install/support/ordinary_user.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/child_process.h"

namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobodyFallback = 65534;  // Debian's nobody and nogroup

uid_t UserId() {
    if (geteuid() != 0) return geteuid();
    const passwd* nobody = getpwnam("nobody");
    return nobody != nullptr ? nobody->pw_uid : kNobodyFallback;
}

gid_t GroupId() {
    if (geteuid() != 0) return getegid();
    const group* nogroup = getgrnam("nogroup");
    return nogroup != nullptr ? nogroup->gr_gid : kNobodyFallback;
}

// In a fresh child: drops root for the user with no supplementary group, then takes the
// environment and the folder. Only calls that are safe after fork.
bool BecomeOrdinaryUser(std::vector<char*>& environment, const fs::path& folder) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(GroupId()) != 0 || setuid(UserId()) != 0))
        return false;
    environment.push_back(nullptr);
    environ = environment.data();
    return chdir(folder.c_str()) == 0;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) pointers.push_back(text.data());
    return pointers;
}

}  // namespace

pid_t StartAsOrdinaryUser(const std::vector<std::string>& command,
                          const std::vector<std::string>& environment, const fs::path& folder,
                          const fs::path& outputFile) {
    std::vector<std::string> arguments = command;
    std::vector<std::string> variables = environment;
    std::vector<char*> argv = Pointers(arguments);
    argv.push_back(nullptr);
    std::vector<char*> envp = Pointers(variables);
    const int output = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (output < 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
        dup2(output, STDOUT_FILENO);
        dup2(output, STDERR_FILENO);
        if (BecomeOrdinaryUser(envp, folder)) execv(argv[0], argv.data());
        _exit(127);
    }
    close(output);
    return child;
}

ProgramOutput RunAsOrdinaryUser(const std::vector<std::string>& command,
                                const std::vector<std::string>& environment, const fs::path& folder,
                                int limitSeconds) {
    char outputName[] = "/tmp/harvio-output-XXXXXX";
    const int made = mkstemp(outputName);
    if (made < 0) return {};
    close(made);
    ProgramOutput result;
    const pid_t child = StartAsOrdinaryUser(command, environment, folder, outputName);
    if (child > 0) result.status = WaitForChild(child, std::chrono::seconds(limitSeconds));
    std::ostringstream text;
    text << std::ifstream(outputName).rdbuf();
    result.output = text.str();
    unlink(outputName);
    return result;
}

int RunInChildAsOrdinaryUser(const std::function<int()>& body, const std::vector<std::string>& environment,
                             const fs::path& folder, int limitSeconds) {
    std::vector<std::string> variables = environment;
    std::vector<char*> envp = Pointers(variables);
    const pid_t child = fork();
    if (child == 0) _exit(BecomeOrdinaryUser(envp, folder) ? body() : 127);
    return child > 0 ? WaitForChild(child, std::chrono::seconds(limitSeconds)) : -1;
}

void GiveToOrdinaryUser(const fs::path& path) {
    if (geteuid() != 0) return;
    const auto give = [](const fs::path& one) { (void)lchown(one.c_str(), UserId(), GroupId()); };
    give(path);
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(path, error)) give(entry.path());
}

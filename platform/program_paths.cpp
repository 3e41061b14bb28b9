#include "platform/program_paths.h"

#include <fcntl.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "platform/program_directory.h"

extern char** environ;

namespace fs = std::filesystem;

namespace {

constexpr char kProgramFolderName[] = "harvio";
constexpr char kSiteProfilesFolder[] = "sites";
constexpr char kExportFolderName[] = "Harvio";
constexpr char kDocumentsFallback[] = "Documents";
constexpr char kUserDirProgram[] = "xdg-user-dir";
constexpr char kLeadBookName[] = "leads.sqlite";
constexpr char kWindowLockName[] = "window.lock";
constexpr char kJournalName[] = "search-results.journal";

bool IsFolder(const std::string& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsFile(const std::string& path) {
    std::error_code error;
    return fs::is_regular_file(path, error);
}

std::string HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// An XDG base folder: the variable's value, or the fallback under the home folder. A relative
// value is invalid and ignored, as the base directory rules say.
std::string XdgBaseFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    if (value != nullptr && value[0] == '/') return value;
    return HomeFolder() + "/" + underHome;
}

std::string UserConfigFolder() {
    return XdgBaseFolder("XDG_CONFIG_HOME", ".config") + "/" + kProgramFolderName;
}

// PREFIX/share/harvio seen from PREFIX/bin, as the install rules place them.
std::string ShippedFolder() {
    return fs::path(ProgramDirectory() + "/" + HARVIO_SHIPPED_FROM_BINDIR).lexically_normal().string();
}

// What `xdg-user-dir DOCUMENTS` prints, without its line break; empty when it cannot be run.
std::string AskUserDirProgram() {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    char program[] = "xdg-user-dir";
    char which[] = "DOCUMENTS";
    char* const arguments[] = {program, which, nullptr};
    pid_t child = -1;
    const int spawned = posix_spawnp(&child, kUserDirProgram, &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string answer;
    if (spawned == 0) {
        char buffer[512];
        ssize_t got;
        while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0 || (got < 0 && errno == EINTR))
            if (got > 0) answer.append(buffer, static_cast<size_t>(got));
    }
    close(pipeEnds[0]);
    if (spawned != 0) return {};
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
    while (!answer.empty() && (answer.back() == '\n' || answer.back() == '\r')) answer.pop_back();
    return answer;
}

// The user's documents folder. xdg-user-dir answers the home folder itself for a documents
// folder that was never set up; the exports should not land among the dot files, so that answer
// counts as none.
std::string DocumentsFolder() {
    const std::string home = HomeFolder();
    const fs::path answer = AskUserDirProgram();
    const auto asFolder = [](const fs::path& path) { return (path / "").lexically_normal(); };
    if (answer.is_absolute() && asFolder(answer) != asFolder(home)) return answer.string();
    return home + "/" + kDocumentsFallback;
}

// The regular files of a folder by name.
void AddFilesByName(const std::string& folder, std::map<std::string, std::string>& files) {
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        if (entry.is_regular_file(error)) files[entry.path().filename().string()] = entry.path().string();
    }
}

}  // namespace

ProgramLayout CurrentProgramLayout() {
    if (IsFolder(ConfigDirectory())) return ProgramLayout::kBuildFolder;
    // A program directory with neither layout's files keeps the specified one: files beside it.
    return IsFolder(ShippedFolder()) ? ProgramLayout::kInstalled : ProgramLayout::kBuildFolder;
}

std::string ConfigFileToRead(const std::string& name) {
    if (CurrentProgramLayout() == ProgramLayout::kBuildFolder) return ConfigDirectory() + name;
    const std::string users = UserConfigFolder() + "/" + name;
    return IsFile(users) ? users : ShippedFolder() + "/" + name;
}

std::string RulesFilePath() {
    if (CurrentProgramLayout() == ProgramLayout::kInstalled) return ConfigFileToRead(kRulesFileName);
    const std::string relative = std::string("config/") + kRulesFileName;
    if (IsFile(relative)) return relative;
    const std::string besideProgram = ConfigDirectory() + kRulesFileName;
    return IsFile(besideProgram) ? besideProgram : relative;
}

std::string ProvinceListPath() {
    return ConfigFileToRead(kProvinceListName);
}

std::string SettingsFilePath() {
    return ConfigFileToRead(kSettingsFileName);
}

std::string UserSettingsFilePath() {
    if (CurrentProgramLayout() == ProgramLayout::kBuildFolder) return {};
    return UserConfigFolder() + "/" + kSettingsFileName;
}

std::string SiteChoiceFilePath() {
    if (CurrentProgramLayout() == ProgramLayout::kInstalled) return UserSettingsFilePath();
    return ConfigDirectory() + kSiteChoiceFileName;
}

std::string UserSiteProfileFolder() {
    if (CurrentProgramLayout() == ProgramLayout::kInstalled)
        return UserConfigFolder() + "/" + kSiteProfilesFolder;
    // Beside the rules file the program reads, so that a run from the source folder finds the
    // profiles of config/ there too.
    const std::string rules = RulesFilePath();
    const std::string folder =
        IsFile(rules) ? fs::path(rules).parent_path().string() + "/" : ConfigDirectory();
    return folder + kSiteProfilesFolder;
}

std::vector<std::string> SiteProfileFiles() {
    std::map<std::string, std::string> files;
    if (CurrentProgramLayout() == ProgramLayout::kBuildFolder) {
        AddFilesByName(UserSiteProfileFolder(), files);
    } else {
        AddFilesByName(ShippedFolder() + "/" + kSiteProfilesFolder, files);
        AddFilesByName(UserConfigFolder() + "/" + kSiteProfilesFolder, files);  // the user's replace
    }
    std::vector<std::string> paths;
    for (auto& [name, path] : files) paths.push_back(std::move(path));
    return paths;
}

std::string SkinDirectory(const std::string& programPath) {
    if (CurrentProgramLayout() == ProgramLayout::kBuildFolder) return SkinDirectoryOf(programPath);
    return fs::path(ConfigFileToRead(kSkinFileName)).parent_path().string();
}

std::string SkinDirectoryOf(const std::string& programPath) {
    const size_t lastSeparator = programPath.rfind('/');
    return lastSeparator == std::string::npos ? std::string() : programPath.substr(0, lastSeparator);
}

std::string SkinFilePath(const std::string& skinDirectory) {
    return skinDirectory + "/" + kSkinFileName;
}

std::string DataDirectory() {
    return XdgBaseFolder("XDG_DATA_HOME", ".local/share") + "/" + kProgramFolderName;
}

std::string LeadBookPath() {
    return DataDirectory() + "/" + kLeadBookName;
}

std::string WindowLockPath() {
    return DataDirectory() + "/" + kWindowLockName;
}

std::string ResultJournalPath() {
    return DataDirectory() + "/" + kJournalName;
}

std::string ExportDirectory() {
    if (CurrentProgramLayout() == ProgramLayout::kBuildFolder) return ProgramDirectory();
    return DocumentsFolder() + "/" + kExportFolderName;
}

bool MakeFolders(const std::string& folder, mode_t mode) {
    for (size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
        const std::string part = folder.substr(0, slash);
        if (mkdir(part.c_str(), mode) != 0 && errno != EEXIST) return false;
        if (slash == std::string::npos) break;
    }
    if (IsFolder(folder)) return true;
    errno = ENOTDIR;  // a file of that name is in the way
    return false;
}

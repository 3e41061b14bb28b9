#include "install/support/installed_tree.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "install/support/ordinary_user.h"

namespace fs = std::filesystem;

namespace {

constexpr fs::perms kWriteBits = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;

void ChangeWriteBits(const fs::path& root, fs::perm_options change) {
    std::error_code error;
    fs::permissions(root, kWriteBits, change, error);
    for (const auto& entry : fs::recursive_directory_iterator(root, error))
        if (!entry.is_symlink()) fs::permissions(entry.path(), kWriteBits, change, error);
}

}  // namespace

InstalledTree::InstalledTree() {
    // The user must reach the prefix and the home through the test's folder.
    fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                    fs::perms::others_read | fs::perms::others_exec);
    fs::create_directories(Home());
    // Installed by whoever runs the test, as a package manager would; only the trying is the user's.
    const std::string log = (dir.Path() / "install.log").string();
    const std::string command = std::string("'") + HARVIO_CMAKE + "' --install '" + HARVIO_BUILD_DIR +
                                "' --prefix '" + Prefix().string() + "' >'" + log + "' 2>&1";
    installed = std::system(command.c_str()) == 0;
    std::ostringstream text;
    text << std::ifstream(log).rdbuf();
    installOutput = text.str();
    ChangeWriteBits(Prefix(), fs::perm_options::remove);
    GiveToOrdinaryUser(Home());
}

InstalledTree::~InstalledTree() {
    // A user who is not root cannot remove files from read-only folders.
    ChangeWriteBits(Prefix(), fs::perm_options::add);
}

std::vector<std::string> InstalledTree::Environment(const std::vector<std::string>& extra) const {
    std::vector<std::string> environment = {"HOME=" + Home().string(),
                                            "XDG_CONFIG_HOME=" + (Home() / "config").string(),
                                            "XDG_DATA_HOME=" + (Home() / "data").string(),
                                            "PATH=/usr/local/bin:/usr/bin:/bin",
                                            "LANG=C.UTF-8",
                                            "QT_QPA_PLATFORM=offscreen"};
    environment.insert(environment.end(), extra.begin(), extra.end());
    return environment;
}

std::string InstalledTree::PrefixSnapshot() const {
    std::ostringstream snapshot;
    std::error_code error;
    for (const auto& entry : fs::recursive_directory_iterator(Prefix(), error)) {
        snapshot << entry.path().string();
        if (entry.is_regular_file())
            snapshot << ' ' << entry.file_size() << ' ' << entry.last_write_time().time_since_epoch().count();
        snapshot << '\n';
    }
    return snapshot.str();
}

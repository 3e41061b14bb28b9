#include "ui/support/installed_program.h"

#include <cstdlib>

#include "platform/program_directory.h"
#include "ui/support/ui_test_support.h"

namespace fs = std::filesystem;

InstalledProgram::InstalledProgram() {
    const fs::path bin = dir.Path() / "prefix" / "bin";
    fs::create_directories(bin);
    fs::create_directories(Shipped());
    for (const char* name : {"reg.alibaba", "Province.txt", "harvio.ini"}) {
        fs::copy_file(SourceDir() / "config" / name, Shipped() / name);
        fs::permissions(Shipped() / name,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    fs::create_directories(Home());
    SetProgramDirectoryForTesting(bin.string());
    setenv("HOME", Home().c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_DATA_HOME");
    setenv("PATH", (dir.Path() / "no-programs").c_str(), 1);
}

InstalledProgram::~InstalledProgram() {
    SetProgramDirectoryForTesting("");
}

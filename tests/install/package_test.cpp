// The Debian package as a new user makes it: cpack -G DEB gives harvio_VERSION_ARCH.deb with the
// programs, the shipped files and the desktop's files, depending on the libraries the programs
// link; lintian finds no error in it; it installs into a root of its own and leaves nothing when
// removed, and this machine's packages satisfy it.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "install/support/ordinary_user.h"
#include "support/project_version.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

// Runs a shell command; its exit status and its output (standard error included).
ProgramOutput Shell(const std::string& command) {
    ProgramOutput result;
    std::FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return result;
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) result.output.append(buffer, got);
    const int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class DebianPackageTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (Shell("command -v dpkg-deb").status != 0) return;
        folder = new TempDir;
        const std::string architecture = Shell("dpkg --print-architecture").output;
        package = folder->Path() / ("harvio_" + ProjectVersion() + "_" +
                                    architecture.substr(0, architecture.find('\n')) + ".deb");
        packing = Shell("'" HARVIO_CPACK "' --config '" HARVIO_BUILD_DIR "/CPackConfig.cmake' -G DEB -B " +
                        Quoted(folder->Path()));
    }
    static void TearDownTestSuite() { delete folder; }
    void SetUp() override {
        if (folder == nullptr) GTEST_SKIP() << "dpkg-deb is not installed";
        ASSERT_EQ(packing.status, 0) << packing.output;
        ASSERT_TRUE(fs::exists(package)) << packing.output;
    }

    static std::string Field(const char* name) {
        std::string value = Shell("dpkg-deb -f " + Quoted(package) + " " + name).output;
        return value.substr(0, value.find_last_not_of('\n') + 1);
    }

    static TempDir* folder;
    static fs::path package;
    static ProgramOutput packing;
};

TempDir* DebianPackageTest::folder = nullptr;
fs::path DebianPackageTest::package;
ProgramOutput DebianPackageTest::packing;

TEST_F(DebianPackageTest, IsNamedAfterTheVersionAndDependsOnTheLinkedLibraries) {
    ASSERT_FALSE(ProjectVersion().empty());
    EXPECT_EQ(Field("Package"), "harvio");
    EXPECT_EQ(Field("Version"), ProjectVersion());
    const std::string depends = Field("Depends");
    // Found by dpkg-shlibdeps from the programs: Qt, the C++ runtime, TLS, regular expressions,
    // workbooks, name look-ups; and the browser starter the look-ups use.
    for (const char* library : {"libqt6widgets6", "libqt6core6", "libstdc++6", "libc6", "libssl3",
                                "libboost-regex", "libxlsxwriter", "libc-ares2", "sensible-utils"})
        EXPECT_TRUE(Contains(depends, library)) << library << " missing in: " << depends;
    EXPECT_TRUE(Contains(Field("Recommends"), "fonts-noto-cjk"));
    std::printf("package %s: %ju bytes\nDepends: %s\n", package.filename().c_str(),
                static_cast<std::uintmax_t>(fs::file_size(package)), depends.c_str());
}

TEST_F(DebianPackageTest, HoldsTheProgramsTheShippedFilesAndTheDesktopsFiles) {
    const std::string contents = Shell("dpkg-deb -c " + Quoted(package)).output;
    // The installed tree is checked file by file where it is installed; here, one of each kind.
    for (const char* file :
         {"./usr/bin/harvio", "./usr/bin/harvio-cli", "./usr/share/harvio/reg.alibaba",
          "./usr/share/applications/org.harvio.Harvio.desktop",
          "./usr/share/icons/hicolor/scalable/apps/harvio.svg", "./usr/share/man/man1/harvio.1.gz",
          "./usr/share/doc/harvio/copyright", "./usr/share/doc/harvio/changelog.gz"})
        EXPECT_TRUE(Contains(contents, std::string(" ") + file + "\n")) << file;
    // Owned by root as installed files must be, nothing outside /usr.
    std::istringstream lines(contents);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_TRUE(Contains(line, " root/root ")) << line;
        EXPECT_TRUE(Contains(line, " ./usr/")) << line;
    }
}

TEST_F(DebianPackageTest, LintianFindsNoError) {
    if (Shell("command -v lintian").status != 0) GTEST_SKIP() << "lintian is not installed";
    const ProgramOutput lintian = Shell("lintian --fail-on error " + Quoted(package));
    EXPECT_EQ(lintian.status, 0) << lintian.output;
    EXPECT_FALSE(Contains(lintian.output, "\nE: ") || lintian.output.rfind("E: ", 0) == 0) << lintian.output;
    std::printf("lintian: %s\n", lintian.output.empty() ? "no finding" : lintian.output.c_str());
}

TEST_F(DebianPackageTest, InstallsAndIsRemovedWithoutLeavingAFile) {
    const fs::path root = folder->Path() / "root";
    const fs::path database = root / "var/lib/dpkg";
    fs::create_directories(database / "info");
    fs::create_directories(database / "updates");
    std::ofstream(database / "status");
    std::ofstream(database / "available");
    // A root of its own holds none of the libraries: only the files are tried here.
    const std::string dpkg =
        "dpkg --root=" + Quoted(root) + " --force-not-root --force-depends --log=/dev/null ";
    const ProgramOutput install = Shell(dpkg + "-i " + Quoted(package));
    ASSERT_EQ(install.status, 0) << install.output;
    EXPECT_TRUE(fs::is_regular_file(root / "usr/bin/harvio"));
    EXPECT_TRUE(fs::is_regular_file(root / "usr/share/harvio/reg.alibaba"));
    const ProgramOutput remove = Shell(dpkg + "--purge harvio");
    ASSERT_EQ(remove.status, 0) << remove.output;
    EXPECT_FALSE(fs::exists(root / "usr")) << "left behind after removal";

    // This machine's packages satisfy every dependency.
    const ProgramOutput simulated = Shell("apt-get -s install " + Quoted(package));
    EXPECT_EQ(simulated.status, 0) << simulated.output;
    EXPECT_TRUE(Contains(simulated.output, "Inst harvio") ||
                Contains(simulated.output, "harvio is already the newest version"))
        << simulated.output;
}

}  // namespace

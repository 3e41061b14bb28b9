#include "platform/program_directory.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

constexpr const char* kPrintDirectoryVariable = "HARVIO_TEST_PRINT_PROGRAM_DIRECTORY";

// A copy of this program started with the variable set only prints its program directory.
const bool printOnly = [] {
    if (std::getenv(kPrintDirectoryVariable) == nullptr) return false;
    std::printf("%s\n", ProgramDirectory().c_str());
    std::fflush(stdout);
    _exit(0);
}();

bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// Runs the program at path with the print variable and returns what it printed.
std::string ProgramDirectoryOf(const std::string& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "<pipe failed>";
    pid_t child = fork();
    if (child == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        setenv(kPrintDirectoryVariable, "1", 1);
        execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[512];
    ssize_t got;
    while ((got = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, got);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (!output.empty() && output.back() == '\n') output.pop_back();
    return output;
}

class ProgramDirectoryTest : public ::testing::Test {
protected:
    void TearDown() override { SetProgramDirectoryForTesting(""); }
};

TEST_F(ProgramDirectoryTest, IsTheDirectoryHoldingTheRunningExecutable) {
    (void)printOnly;
    std::string directory = ProgramDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '/');
    EXPECT_TRUE(SameFile(directory + "/program_directory_test", "/proc/self/exe"));
    EXPECT_EQ(ConfigDirectory(), directory + "/config/");
}

TEST_F(ProgramDirectoryTest, TestsCanPointItElsewhereAndRestoreIt) {
    std::string real = ProgramDirectory();
    SetProgramDirectoryForTesting("/tmp/harvio place");
    EXPECT_EQ(ProgramDirectory(), "/tmp/harvio place");
    EXPECT_EQ(ConfigDirectory(), "/tmp/harvio place/config/");
    SetProgramDirectoryForTesting("");
    EXPECT_EQ(ProgramDirectory(), real);
}

TEST_F(ProgramDirectoryTest, DeepAndUnusualInstallationPathsAreKeptWhole) {
    namespace fs = std::filesystem;
    fs::path base = fs::temp_directory_path() / ("harvio-programdir-" + std::to_string(getpid()));
    // Longer than the 260 characters a fixed path buffer would hold, with spaces and Chinese names.
    fs::path deep = base / "程序 目录";
    for (int level = 0; level < 12; ++level) deep /= "a rather long folder name " + std::to_string(level);
    ASSERT_GT(deep.string().size(), 300u);
    fs::create_directories(deep);
    fs::path copy = deep / "harvio";
    fs::copy_file("/proc/self/exe", copy);
    fs::permissions(copy, fs::perms::owner_all);

    EXPECT_EQ(ProgramDirectoryOf(copy.string()), deep.string());
    fs::remove_all(base);
}

}  // namespace

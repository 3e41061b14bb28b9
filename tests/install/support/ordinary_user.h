#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// An ordinary user for the programs a test starts: "nobody" when the test runs as root (as it
// does in CI), else the user running it. Every program runs with exactly the environment given
// ("NAME=value" texts), in the folder given.

struct ProgramOutput {
    int status = -1;     // the exit status, or -1 when it did not end by itself in time
    std::string output;  // standard output and standard error together
};

// Runs the program to its end, at most `limitSeconds`.
ProgramOutput RunAsOrdinaryUser(const std::vector<std::string>& command,
                                const std::vector<std::string>& environment,
                                const std::filesystem::path& folder, int limitSeconds);

// Starts the program and returns at once; its output goes to the file.
pid_t StartAsOrdinaryUser(const std::vector<std::string>& command,
                          const std::vector<std::string>& environment, const std::filesystem::path& folder,
                          const std::filesystem::path& outputFile);

// Runs the function in a child of this process that has become the user (with the environment
// and folder given); its result is the child's exit status, -1 when it did not end in time.
int RunInChildAsOrdinaryUser(const std::function<int()>& body, const std::vector<std::string>& environment,
                             const std::filesystem::path& folder, int limitSeconds);

// Makes the user the owner of the file or folder and everything in it (as root; a no-op else).
void GiveToOrdinaryUser(const std::filesystem::path& path);

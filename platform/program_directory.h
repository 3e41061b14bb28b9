#pragma once

#include <string>

// The running executable's directory, without a trailing separator (from /proc/self/exe).
std::string ProgramDirectory();
// ProgramDirectory() + "/config/".
std::string ConfigDirectory();

// Tests point the program directory elsewhere (an empty text restores the real one).
void SetProgramDirectoryForTesting(const std::string& directory);

#pragma once

#include <filesystem>
#include <functional>
#include <string>

#include "support/temp_dir.h"

// What the window's tests share.

// The one QApplication of a test program (offscreen under ctest), made on first use.
void EnsureTestApplication();

// Runs the test's event loop until the condition holds (true) or the limit passes (false).
bool WaitFor(const std::function<bool()>& condition, int limitMs);

// The source tree: HARVIO_SOURCE_DIR as ctest sets it, else found from this file's place.
std::filesystem::path SourceDir();

// Makes the directory the program directory, with the shipped province list in its config/.
void UseAsProgramDirectory(const TempDir& dir);

// A whole file's bytes; empty when it can't be read.
std::string ReadFile(const std::filesystem::path& path);

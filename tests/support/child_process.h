#pragma once

#include <sys/types.h>

#include <chrono>

// Waits for a child process at most `limit`, killing it then; its exit status, or -1 when it was
// killed or did not exit normally.
int WaitForChild(pid_t child, std::chrono::seconds limit);

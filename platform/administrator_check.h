#pragma once

#include <optional>

// Whether the program runs with administrator rights: as root, or as a member of one of the
// groups that grant them on common distributions ("sudo", "wheel", "admin").
bool IsAdministrator();

// Tests replace the answer; std::nullopt asks the system again.
void SetAdministratorCheckForTesting(std::optional<bool> answer);

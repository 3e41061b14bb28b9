#pragma once

#include <string>

// Makes the user's settings file ready for a save: made from the shipped one the first time, so
// that its other settings stay, with its folder. False when it cannot be made.
bool PrepareUserSettingsFile(const std::string& userFile);

#pragma once

// Restyles every window of the program from a skin file: a Qt style sheet, applied to the whole
// application. The password is not used. Without a readable file the windows keep their plain
// look and the answer is false.
bool SkinH_AttachEx(const char* path, const char* password);

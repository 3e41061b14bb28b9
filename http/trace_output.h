#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// The diagnostic trace lines ("Get Url:", request counts, "exist un match key value.") go to
// standard output in the window's program; the command-line tool sends them to standard error
// so that its standard output carries only data. Lines of several threads never interleave
// within a line.
// nullptr sends the lines to standard output again.
void SetTraceStream(std::FILE* stream);
// Writes one printf-style line; a line end is added unless the text ends with one. Control bytes
// in the text (an address or a message a server sent, such as ESC [2J) are written escaped, as
// "\x1b", so that a server cannot drive the terminal.
void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The text with every control byte (below 0x20, and 0x7F) written as "\x" and two hex digits.
std::string EscapeControlBytes(std::string_view text);

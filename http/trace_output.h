#pragma once

#include <cstdio>

// The diagnostic trace lines ("Get Url:", request counts, "exist un match key value.") go to
// standard output in the window's program; the command-line tool sends them to standard error
// so that its standard output carries only data. Lines of several threads never interleave
// within a line.
// nullptr sends the lines to standard output again.
void SetTraceStream(std::FILE* stream);
// Writes one printf-style line; a line end is added unless the text ends with one.
void TraceLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

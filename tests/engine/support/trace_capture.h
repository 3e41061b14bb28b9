#pragma once

#include <cstdio>
#include <string>

// Sends the trace lines to a temporary file while it lives.
class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::string Text();

private:
    std::FILE* file;
};

int CountOf(const std::string& text, const std::string& part);

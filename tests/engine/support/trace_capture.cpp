#include "trace_capture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "http/trace_output.h"

TraceCapture::TraceCapture() {
    char name[] = "/tmp/harvio-trace-XXXXXX";
    const int fd = mkstemp(name);
    unlink(name);
    // Appending, so that lines written while Text reads still land at the end.
    file = fdopen(fd, "a");
    SetTraceStream(file);
}

TraceCapture::~TraceCapture() {
    SetTraceStream(nullptr);
    std::fclose(file);
}

std::string TraceCapture::Text() {
    // Every trace line is flushed as it is written; pread leaves the writers' position alone.
    std::string text;
    char chunk[4096];
    ssize_t read;
    while ((read = pread(fileno(file), chunk, sizeof chunk, static_cast<off_t>(text.size()))) > 0) {
        text.append(chunk, static_cast<std::size_t>(read));
    }
    return text;
}

int CountOf(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

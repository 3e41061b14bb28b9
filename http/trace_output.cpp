#include "http/trace_output.h"

#include <atomic>
#include <cstdarg>
#include <mutex>
#include <string>

namespace {

std::atomic<std::FILE*> traceStream{nullptr};  // none set: standard output
std::mutex traceMutex;

}  // namespace

void SetTraceStream(std::FILE* stream) {
    traceStream.store(stream);
}

void TraceLine(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::va_list sizing;
    va_copy(sizing, args);
    const int length = std::vsnprintf(nullptr, 0, format, sizing);
    va_end(sizing);
    std::string line;
    if (length > 0) {
        line.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(line.data(), line.size(), format, args);
        line.pop_back();
    }
    va_end(args);
    // Callers may or may not end their text with a line end; every trace line ends in exactly one.
    if (line.empty() || line.back() != '\n') line.push_back('\n');

    std::lock_guard<std::mutex> lock(traceMutex);
    std::FILE* stream = traceStream.load();
    if (stream == nullptr) stream = stdout;
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

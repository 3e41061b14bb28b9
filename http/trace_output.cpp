#include "http/trace_output.h"

#include <atomic>
#include <cstdarg>
#include <mutex>
#include <string>

namespace {

std::atomic<std::FILE*> traceStream{nullptr};  // none set: standard output
std::mutex traceMutex;

constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;

bool IsControlByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value < kFirstPrintable || value == kDelete;
}

}  // namespace

std::string EscapeControlBytes(std::string_view text) {
    static constexpr char kHexDigits[] = "0123456789abcdef";
    std::string escaped;
    escaped.reserve(text.size());
    for (const char byte : text) {
        if (!IsControlByte(byte)) {
            escaped.push_back(byte);
            continue;
        }
        const auto value = static_cast<unsigned char>(byte);
        escaped += "\\x";
        escaped.push_back(kHexDigits[value >> 4]);
        escaped.push_back(kHexDigits[value & 0x0F]);
    }
    return escaped;
}

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
    if (!line.empty() && line.back() == '\n') line.pop_back();
    line = EscapeControlBytes(line);
    line.push_back('\n');

    std::lock_guard<std::mutex> lock(traceMutex);
    std::FILE* stream = traceStream.load();
    if (stream == nullptr) stream = stdout;
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

#include "ui/search/result_journal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/program_paths.h"

namespace {

constexpr char kRowKind = 'R';
constexpr char kCheckKind = 'C';
constexpr char kSeparator = '\t';
constexpr int kChecksumDigits = 8;
constexpr std::size_t kRowFields = 2 + kResultColumnCount;  // kind, check state, cells
constexpr std::size_t kCheckFields = 3;                     // kind, row, check state
constexpr mode_t kPrivateFolder = 0700;
constexpr mode_t kPrivateFile = 0600;
// How long the writer gathers lines before it writes them.
constexpr auto kBatchDelay = std::chrono::milliseconds(50);
constexpr const char* kJournalName = "search-results.journal";

// FNV-1a over 64-bit words, folded to 32 bits: enough to tell a whole line from one cut short
// or filled with zeros by a power cut, and fast enough for every row of a long search.
uint32_t Checksum(std::string_view text) {
    constexpr uint64_t kPrime = 1099511628211ull;
    uint64_t hash = 14695981039346656037ull;
    std::size_t at = 0;
    for (; at + sizeof(uint64_t) <= text.size(); at += sizeof(uint64_t)) {
        uint64_t word;
        std::memcpy(&word, text.data() + at, sizeof word);
        hash = (hash ^ word) * kPrime;
    }
    for (; at < text.size(); ++at) hash = (hash ^ static_cast<unsigned char>(text[at])) * kPrime;
    return static_cast<uint32_t>(hash ^ (hash >> 32));
}

// Cells may hold any byte; the four that structure the file are escaped. Runs without them,
// nearly every cell, are copied whole.
void AppendEscaped(std::string& line, std::string_view cell) {
    static constexpr std::string_view kSpecial = "\\\t\n\r";
    for (std::size_t at = 0; at < cell.size();) {
        const std::size_t special = std::min(cell.find_first_of(kSpecial, at), cell.size());
        line.append(cell.substr(at, special - at));
        if (special == cell.size()) return;
        const char byte = cell[special];
        line += '\\';
        line += byte == '\t' ? 't' : byte == '\n' ? 'n' : byte == '\r' ? 'r' : byte;
        at = special + 1;
    }
}

std::string Unescaped(std::string_view field) {
    std::string cell;
    cell.reserve(field.size());
    for (std::size_t at = 0; at < field.size(); ++at) {
        if (field[at] != '\\' || at + 1 == field.size()) {
            cell += field[at];
            continue;
        }
        const char code = field[++at];
        cell += code == 't' ? '\t' : code == 'n' ? '\n' : code == 'r' ? '\r' : code;
    }
    return cell;
}

// The body followed by its checksum and the line end.
std::string Sealed(std::string body) {
    char checksum[kChecksumDigits + 2];
    std::snprintf(checksum, sizeof checksum, "%c%08x", kSeparator, Checksum(body));
    body += checksum;
    body += '\n';
    return body;
}

// The fields of a line whose checksum holds; empty when it does not.
std::vector<std::string_view> CheckedFields(std::string_view line) {
    const std::size_t last = line.rfind(kSeparator);
    if (last == std::string_view::npos || line.size() - last - 1 != kChecksumDigits) return {};
    char* end = nullptr;
    const std::string digits(line.substr(last + 1));
    const unsigned long stored = std::strtoul(digits.c_str(), &end, 16);
    if (*end != '\0' || stored != Checksum(line.substr(0, last))) return {};
    std::vector<std::string_view> fields;
    std::string_view body = line.substr(0, last);
    for (std::size_t at = 0;;) {
        const std::size_t tab = body.find(kSeparator, at);
        fields.push_back(body.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) return fields;
        at = tab + 1;
    }
}

bool WriteAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::string ResultJournalPath() {
    return DataDirectory() + "/" + kJournalName;
}

ResultJournal::ResultJournal() : writer_(&ResultJournal::WriterLoop, this) {}

ResultJournal::~ResultJournal() {
    {
        std::lock_guard<std::mutex> lock(pendingMutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    writer_.join();
    if (fd_ >= 0) close(fd_);  // also releases the lock
}

ResultJournal::OpenStatus ResultJournal::Open(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash), kPrivateFolder)) {
        openError_ = errno;
        return OpenStatus::kFailed;
    }
    const int fd = open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, kPrivateFile);
    if (fd < 0) {
        openError_ = errno;
        return OpenStatus::kFailed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        openError_ = errno;
        close(fd);
        return openError_ == EWOULDBLOCK ? OpenStatus::kHeldByAnotherWindow : OpenStatus::kFailed;
    }
    fd_ = fd;
    return OpenStatus::kOpened;
}

std::vector<JournalRow> ResultJournal::ReadRows() {
    std::vector<JournalRow> rows;
    if (fd_ < 0) return rows;
    std::lock_guard<std::mutex> io(ioMutex_);
    std::string text;
    char buffer[1 << 16];
    for (off_t offset = 0;;) {
        const ssize_t count = pread(fd_, buffer, sizeof buffer, offset);
        if (count <= 0) break;
        text.append(buffer, static_cast<std::size_t>(count));
        offset += count;
    }
    std::size_t wholeEnd = 0;
    rows = ParseRows(text, &wholeEnd);
    if (wholeEnd < text.size()) {
        if (ftruncate(fd_, static_cast<off_t>(wholeEnd)) == 0) fdatasync(fd_);
    }
    return rows;
}

std::vector<JournalRow> ResultJournal::ParseRows(std::string_view text, std::size_t* wholeEnd) {
    std::vector<JournalRow> rows;
    if (wholeEnd != nullptr) *wholeEnd = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // cut short: no line end
        const std::vector<std::string_view> fields = CheckedFields(text.substr(start, end - start));
        start = end + 1;
        if (fields.size() == kRowFields && fields[0].size() == 1 && fields[0][0] == kRowKind) {
            JournalRow row;
            row.checked = fields[1] == "1";
            for (int cell = 0; cell < kResultColumnCount; ++cell)
                row.cells[cell] = Unescaped(fields[2 + cell]);
            rows.push_back(std::move(row));
        } else if (fields.size() == kCheckFields && fields[0].size() == 1 && fields[0][0] == kCheckKind) {
            const std::size_t row = std::strtoul(std::string(fields[1]).c_str(), nullptr, 10);
            if (row < rows.size()) rows[row].checked = fields[2] == "1";
        } else {
            continue;
        }
        if (wholeEnd != nullptr) *wholeEnd = start;
    }
    return rows;
}

void ResultJournal::AppendRow(const ResultCells& cells, bool checked) {
    std::string body{kRowKind, kSeparator, checked ? '1' : '0'};
    for (const std::string& cell : cells) {
        body += kSeparator;
        AppendEscaped(body, cell);
    }
    AppendLine(Sealed(std::move(body)));
}

void ResultJournal::AppendCheck(int row, bool checked) {
    AppendLine(Sealed(std::string{kCheckKind, kSeparator} + std::to_string(row) + kSeparator +
                      (checked ? '1' : '0')));
}

void ResultJournal::AppendLine(std::string line) {
    if (fd_ < 0) return;
    bool wasEmpty;
    {
        std::lock_guard<std::mutex> lock(pendingMutex_);
        wasEmpty = pending_.empty();
        pending_ += line;
    }
    // With lines pending the writer is busy and takes these as well; no need to wake it.
    if (wasEmpty) wake_.notify_one();
}

void ResultJournal::Clear() {
    if (fd_ < 0) return;
    std::lock_guard<std::mutex> io(ioMutex_);
    {
        std::lock_guard<std::mutex> lock(pendingMutex_);
        pending_.clear();
    }
    if (ftruncate(fd_, 0) == 0) fdatasync(fd_);
}

void ResultJournal::Flush() {
    WritePending(true);
}

// Lines that come together are written and synced together, a moment after the first of them:
// a burst of rows then costs a few writes instead of one per row, and still a killed process or
// a power cut loses at most the rows of that moment.
void ResultJournal::WriterLoop() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(pendingMutex_);
            wake_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
            if (stopping_ && pending_.empty()) return;
            wake_.wait_for(lock, kBatchDelay, [this] { return stopping_; });
        }
        WritePending(true);
    }
}

// The batch is taken and written under the file's mutex, so Clear never meets a batch taken
// before it and written after it.
void ResultJournal::WritePending(bool sync) {
    std::lock_guard<std::mutex> io(ioMutex_);
    std::string batch;
    {
        std::lock_guard<std::mutex> lock(pendingMutex_);
        batch.swap(pending_);
    }
    if (fd_ < 0) return;
    // A failed write leaves the journal short of rows the list still shows; nothing is lost
    // until the process ends, and the window must keep working.
    if (!batch.empty() && !WriteAll(fd_, batch.data(), batch.size())) return;
    if (sync) fdatasync(fd_);
}

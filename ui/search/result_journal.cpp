#include "ui/search/result_journal.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <optional>

#include "platform/no_replace_rename.h"

namespace {

constexpr char kRowKind = 'R';
constexpr char kCheckKind = 'C';
constexpr char kSeparator = '\t';
constexpr int kChecksumDigits = 8;
constexpr std::size_t kRowFields = 2 + kResultColumnCount;  // kind, check state, cells
constexpr std::size_t kCheckFields = 3;                     // kind, row, check state

// FNV-1a over 64-bit words, folded to 32 bits, as the journal's writer sealed each line.
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

// The fields of a line whose checksum holds; none when it does not.
std::optional<std::vector<std::string_view>> CheckedFields(std::string_view line) {
    const std::size_t last = line.rfind(kSeparator);
    if (last == std::string_view::npos || line.size() - last - 1 != kChecksumDigits) return std::nullopt;
    char* end = nullptr;
    const std::string digits(line.substr(last + 1));
    const unsigned long stored = std::strtoul(digits.c_str(), &end, 16);
    if (*end != '\0' || stored != Checksum(line.substr(0, last))) return std::nullopt;
    std::vector<std::string_view> fields;
    const std::string_view body = line.substr(0, last);
    for (std::size_t at = 0;;) {
        const std::size_t tab = body.find(kSeparator, at);
        fields.push_back(body.substr(at, tab == std::string_view::npos ? std::string_view::npos : tab - at));
        if (tab == std::string_view::npos) return fields;
        at = tab + 1;
    }
}

}  // namespace

JournalContents ReadJournal(std::string_view text) {
    JournalContents contents;
    std::vector<std::optional<JournalRow>> places;  // a row line that does not read back: none
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty()) continue;
        const auto fields = CheckedFields(line);
        if (fields && fields->size() == kRowFields && (*fields)[0] == std::string_view(&kRowKind, 1)) {
            JournalRow row;
            row.checked = (*fields)[1] == "1";
            for (int cell = 0; cell < kResultColumnCount; ++cell)
                row.cells[cell] = Unescaped((*fields)[2 + cell]);
            places.push_back(std::move(row));
        } else if (fields && fields->size() == kCheckFields &&
                   (*fields)[0] == std::string_view(&kCheckKind, 1)) {
            const std::size_t row = std::strtoul(std::string((*fields)[1]).c_str(), nullptr, 10);
            if (row < places.size() && places[row]) places[row]->checked = (*fields)[2] == "1";
        } else {
            ++contents.unreadableLines;
            if (line[0] == kRowKind) places.emplace_back();  // a damaged row still holds its place
        }
    }
    for (std::optional<JournalRow>& row : places) {
        if (row) contents.rows.push_back(std::move(*row));
    }
    return contents;
}

std::string RetireJournal(const std::string& path) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &local);
    const std::string base = path + ".retired-" + stamp;
    for (int attempt = 1;; ++attempt) {
        const std::string target = attempt == 1 ? base : base + "-" + std::to_string(attempt);
        switch (RenameWithoutReplacing(path, target)) {
            case NoReplaceRename::kRenamed:
                return target;
            case NoReplaceRename::kTargetExists:
                continue;
            case NoReplaceRename::kFailed:
                return {};
        }
    }
}

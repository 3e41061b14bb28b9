#include "book/record_blob.h"

#include <charconv>

namespace {

constexpr std::string_view kValidateName = "validate";

// "length:bytes", the length in decimal.
void AppendPiece(std::string& out, std::string_view bytes) {
    out += std::to_string(bytes.size());
    out += ':';
    out += bytes;
}

// The next piece from at on; none when the text is cut or malformed.
std::optional<std::string_view> NextPiece(std::string_view stored, std::size_t& at) {
    std::size_t length = 0;
    const char* begin = stored.data() + at;
    const auto [end, error] = std::from_chars(begin, stored.data() + stored.size(), length);
    if (error != std::errc() || end == stored.data() + stored.size() || *end != ':') return std::nullopt;
    at = static_cast<std::size_t>(end - stored.data()) + 1;
    if (length > stored.size() - at) return std::nullopt;
    const std::string_view piece = stored.substr(at, length);
    at += length;
    return piece;
}

}  // namespace

std::string EncodeRecord(const CompanyRecord& record) {
    std::string out;
    AppendPiece(out, kValidateName);
    AppendPiece(out, std::to_string(record.validate));
    for (const CompanyField& field : kCompanyFields) {
        const std::string& value = record.*(field.member);
        if (value.empty()) continue;
        AppendPiece(out, field.name);
        AppendPiece(out, value);
    }
    return out;
}

std::optional<CompanyRecord> DecodeRecord(std::string_view stored) {
    CompanyRecord record;
    for (std::size_t at = 0; at < stored.size();) {
        const std::optional<std::string_view> name = NextPiece(stored, at);
        const std::optional<std::string_view> value = name ? NextPiece(stored, at) : std::nullopt;
        if (!value) return std::nullopt;
        if (*name == kValidateName) {
            std::from_chars(value->data(), value->data() + value->size(), record.validate);
            continue;
        }
        for (const CompanyField& field : kCompanyFields) {
            if (*name == field.name) record.*(field.member) = std::string(*value);
        }
    }
    return record;
}

std::string EncodeCells(const ResultCells& cells) {
    std::string out;
    for (const std::string& cell : cells) AppendPiece(out, cell);
    return out;
}

std::optional<ResultCells> DecodeCells(std::string_view stored) {
    ResultCells cells;
    std::size_t at = 0;
    for (std::string& cell : cells) {
        const std::optional<std::string_view> piece = NextPiece(stored, at);
        if (!piece) return std::nullopt;
        cell = std::string(*piece);
    }
    if (at != stored.size()) return std::nullopt;
    return cells;
}

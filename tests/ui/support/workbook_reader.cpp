#include "ui/support/workbook_reader.h"

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <algorithm>

namespace {

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kDirectoryEntrySize = 46;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr uint16_t kStored = 0;
constexpr uint16_t kDeflated = 8;

uint32_t Little(const std::string& bytes, std::size_t at, int size) {
    uint32_t value = 0;
    for (int i = size - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

}  // namespace

std::optional<std::string> ReadZipEntry(const std::string& zip, const std::string& name) {
    if (zip.size() < kEndRecordSize) return std::nullopt;
    std::size_t end = zip.size() - kEndRecordSize;
    while (end > 0 && Little(zip, end, 4) != kEndOfDirectory) --end;
    if (Little(zip, end, 4) != kEndOfDirectory) return std::nullopt;
    const uint32_t entries = Little(zip, end + 10, 2);
    std::size_t at = Little(zip, end + 16, 4);
    for (uint32_t entry = 0; entry < entries && at + kDirectoryEntrySize <= zip.size(); ++entry) {
        if (Little(zip, at, 4) != kDirectoryEntry) return std::nullopt;
        const uint16_t method = Little(zip, at + 10, 2);
        const uint32_t packed = Little(zip, at + 20, 4), size = Little(zip, at + 24, 4);
        const uint32_t nameLength = Little(zip, at + 28, 2), extra = Little(zip, at + 30, 2),
                       comment = Little(zip, at + 32, 2), local = Little(zip, at + 42, 4);
        if (zip.compare(at + kDirectoryEntrySize, nameLength, name) != 0 || nameLength != name.size()) {
            at += kDirectoryEntrySize + nameLength + extra + comment;
            continue;
        }
        const std::size_t data =
            local + kLocalHeaderSize + Little(zip, local + 26, 2) + Little(zip, local + 28, 2);
        if (data + packed > zip.size()) return std::nullopt;
        if (method == kStored) return zip.substr(data, packed);
        if (method != kDeflated) return std::nullopt;
        std::string out(size, '\0');
        z_stream stream{};
        if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return std::nullopt;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + data));
        stream.avail_in = packed;
        stream.next_out = reinterpret_cast<Bytef*>(out.data());
        stream.avail_out = size;
        const int result = inflate(&stream, Z_FINISH);
        inflateEnd(&stream);
        if (result != Z_STREAM_END) return std::nullopt;
        return out;
    }
    return std::nullopt;
}

std::optional<std::vector<std::vector<std::string>>> WorkbookSheetRows(const std::string& zipBytes) {
    const std::optional<std::string> xml = ReadZipEntry(zipBytes, "xl/worksheets/sheet1.xml");
    if (!xml) return std::nullopt;
    std::vector<std::vector<std::string>> rows;
    std::size_t width = 0;
    // Every cell: <c r="B7" ...>, then its inline string <is><t ...>text</t></is> unless empty.
    for (std::size_t at = xml->find("<c r=\""); at != std::string::npos; at = xml->find("<c r=\"", at + 1)) {
        std::size_t reference = at + 6;
        const std::size_t column = (*xml)[reference] - 'A';
        const std::size_t row = std::stoul(xml->substr(reference + 1)) - 1;
        if (rows.size() <= row) rows.resize(row + 1);
        if (rows[row].size() <= column) rows[row].resize(column + 1);
        width = std::max(width, column + 1);
        const std::size_t tagEnd = xml->find('>', at);
        if ((*xml)[tagEnd - 1] == '/' || xml->compare(tagEnd + 1, 4, "<is>") != 0) continue;
        const std::size_t textStart = xml->find('>', tagEnd + 5) + 1;
        std::string text = xml->substr(textStart, xml->find("</t>", textStart) - textStart);
        for (const auto& [entity, character] :
             {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}}) {
            for (std::size_t found; (found = text.find(entity)) != std::string::npos;)
                text.replace(found, std::strlen(entity), character);
        }
        rows[row][column] = text;
    }
    for (auto& row : rows) row.resize(width);
    return rows;
}

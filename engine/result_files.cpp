#include "engine/result_files.h"

#include <fcntl.h>
#include <unistd.h>
#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "engine/gbk_characters.h"
#include "platform/no_replace_rename.h"
#include "platform/text_encoding.h"

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD in UTF-8
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr const char* kPartSuffix = ".part";
constexpr const char* kTextFormat = "@";
// Widths in characters, in column order: numbers and codes narrow, names and texts wide.
constexpr double kColumnWidths[kResultColumnCount] = {8,  6,  36, 10, 12, 18, 16, 18, 40, 9,
                                                      30, 60, 30, 16, 18, 12, 12, 10, 12, 14};

// Writes the file under a temporary name, then puts it in place.
WrittenFile PutInPlace(const std::string& path, ExistingFile existing,
                       const std::function<bool(const std::string& partPath, std::string& failure)>& write) {
    const std::string part = path + kPartSuffix;
    WrittenFile result;
    if (!write(part, result.failure)) {
        std::remove(part.c_str());
        return result;
    }
    if (existing == ExistingFile::kReplace) {
        result.written = std::rename(part.c_str(), path.c_str()) == 0;
        if (!result.written) result.failure = std::strerror(errno);
    } else {
        switch (RenameWithoutReplacing(part, path)) {
            case NoReplaceRename::kRenamed:
                result.written = true;
                break;
            case NoReplaceRename::kTargetExists:
                result.keptExisting = true;
                result.failure = std::strerror(EEXIST);
                break;
            case NoReplaceRename::kFailed:
                result.failure = std::strerror(errno);
                break;
        }
    }
    if (!result.written) std::remove(part.c_str());
    return result;
}

// The cells of a row as UTF-8, converted in one go: cells never hold a NUL byte, so NUL can
// separate them.
void ConvertRow(TextConverter& converter, const ResultCells& cells,
                std::array<std::string, kResultColumnCount>& utf8) {
    std::string joined;
    for (const std::string& cell : cells) {
        joined += cell;
        joined += '\0';
    }
    const std::string converted = converter.ConvertReplacing(joined, kReplacement);
    std::size_t start = 0;
    for (std::string& cell : utf8) {
        const std::size_t end = converted.find('\0', start);
        cell.assign(converted, start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? converted.size() : end + 1;
    }
}

void AppendCsvField(std::string& text, std::string_view field) {
    if (field.find_first_of("\",\r\n") == std::string_view::npos) {
        text += field;
        return;
    }
    text += '"';
    for (const char byte : field) {
        if (byte == '"') text += '"';
        text += byte;
    }
    text += '"';
}

// GBK bytes can be quoted before the conversion: quote, comma, CR and LF never occur inside a
// GBK or GB18030 character.
void AppendCsvRecord(std::string& text, const ResultCells& cells) {
    for (int index = 0; index < kResultColumnCount; ++index) {
        if (index > 0) text += ',';
        AppendCsvField(text, cells[index]);
    }
    text += "\r\n";
}

ResultCells TitleCells() {
    ResultCells titles;
    for (int index = 0; index < kResultColumnCount; ++index)
        titles[index] = std::string(kResultColumnTitles[index]);
    return titles;
}

bool WriteWholeFile(const std::string& path, std::string_view text, std::string& failure) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    bool written = fd >= 0;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t count = write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) continue;
        written = count > 0;
        if (written) done += static_cast<std::size_t>(count);
    }
    if (written && fsync(fd) != 0) written = false;
    if (!written) failure = std::strerror(errno);
    if (fd >= 0 && close(fd) != 0 && written) {
        failure = std::strerror(errno);
        written = false;
    }
    return written;
}

}  // namespace

std::string_view WithinCellLimit(std::string_view utf8) {
    std::size_t units = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        const unsigned char lead = static_cast<unsigned char>(utf8[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        units += length == 4 ? 2 : 1;  // four UTF-8 bytes make a surrogate pair
        if (units > kWorkbookCellLimit) return utf8.substr(0, at);
        at += length;
    }
    return utf8;
}

WrittenFile WriteResultWorkbook(const std::string& path, const ResultRowSource& nextRow,
                                ExistingFile existing) {
    return PutInPlace(path, existing, [&](const std::string& part, std::string& failure) {
        // Row by row with little memory: the sheet streams to disk and strings stay in their cells.
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        lxw_workbook* workbook = workbook_new_opt(part.c_str(), &options);
        if (workbook == nullptr) {
            failure = std::strerror(errno != 0 ? errno : ENOMEM);
            return false;
        }
        lxw_worksheet* sheet = workbook_add_worksheet(workbook, nullptr);
        lxw_format* text = workbook_add_format(workbook);
        format_set_num_format(text, kTextFormat);
        lxw_format* title = workbook_add_format(workbook);
        format_set_num_format(title, kTextFormat);
        format_set_bold(title);
        for (lxw_col_t column = 0; column < kResultColumnCount; ++column)
            worksheet_set_column(sheet, column, column, kColumnWidths[column], text);
        worksheet_freeze_panes(sheet, 1, 0);

        TextConverter converter(kCellEncoding, "UTF-8");
        std::array<std::string, kResultColumnCount> utf8;
        ResultCells cells = TitleCells();
        lxw_error error = LXW_NO_ERROR;
        for (lxw_row_t row = 0; error == LXW_NO_ERROR; ++row) {
            if (row > 0 && !nextRow(cells)) break;
            ConvertRow(converter, cells, utf8);
            for (lxw_col_t column = 0; column < kResultColumnCount && error == LXW_NO_ERROR; ++column) {
                std::string& cell = utf8[column];
                if (cell.empty()) continue;
                cell.resize(WithinCellLimit(cell).size());
                error = worksheet_write_string(sheet, row, column, cell.c_str(), row == 0 ? title : text);
            }
        }
        const lxw_error closed = workbook_close(workbook);
        if (error == LXW_NO_ERROR) error = closed;
        if (error != LXW_NO_ERROR) failure = lxw_strerror(error);
        return error == LXW_NO_ERROR;
    });
}

WrittenFile WriteUtf8Csv(const std::string& path, const ResultRowSource& nextRow, ExistingFile existing) {
    std::string gbk;
    AppendCsvRecord(gbk, TitleCells());
    for (ResultCells cells; nextRow(cells);) AppendCsvRecord(gbk, cells);
    std::string text(kByteOrderMark);
    text += TextConverter(kCellEncoding, "UTF-8").ConvertReplacing(gbk, kReplacement);
    return WriteTextFileInPlace(path, text, existing);
}

WrittenFile WriteResultCsv(const std::string& path, const ResultRowSource& nextRow, ExistingFile existing) {
    std::string text = CsvHeaderLine();
    for (ResultCells cells; nextRow(cells);) text += CsvLine(cells);
    return WriteTextFileInPlace(path, text, existing);
}

WrittenFile WriteTextFileInPlace(const std::string& path, std::string_view text, ExistingFile existing) {
    return PutInPlace(path, existing, [&](const std::string& part, std::string& failure) {
        return WriteWholeFile(part, text, failure);
    });
}

#include "cli/gbk_text.h"

#include "engine/gbk_characters.h"
#include "platform/text_encoding.h"

// kCellEncoding (GB18030) writes every GBK character with the same bytes and also the characters
// beyond GBK that pages in other charsets bring, so nothing the user types or a page holds is lost.

std::string Utf8ToGbk(const std::string& text) {
    return ConvertTextReplacing(text, "UTF-8", kCellEncoding, "?");
}

std::string GbkToUtf8(const std::string& text) {
    return ConvertTextReplacing(text, kCellEncoding, "UTF-8", "\xEF\xBF\xBD");
}

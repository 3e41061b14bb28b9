#include "cli/gbk_text.h"

#include "platform/text_encoding.h"

// GB18030 writes every GBK character with the same bytes and also the characters beyond GBK that
// pages in other charsets bring, so nothing the user types or a page holds is lost on the way.
constexpr const char* kEngineEncoding = "GB18030";

std::string Utf8ToGbk(const std::string& text) {
    return ConvertTextReplacing(text, "UTF-8", kEngineEncoding, "?");
}

std::string GbkToUtf8(const std::string& text) {
    return ConvertTextReplacing(text, kEngineEncoding, "UTF-8", "\xEF\xBF\xBD");
}

#include "cli/gbk_text.h"

#include "platform/text_encoding.h"

std::string Utf8ToGbk(const std::string& text) {
    return ConvertTextReplacing(text, "UTF-8", "GBK", "?");
}

std::string GbkToUtf8(const std::string& text) {
    return ConvertTextReplacing(text, "GBK", "UTF-8", "\xEF\xBF\xBD");
}

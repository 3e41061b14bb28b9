#include "tools/demo-directory/gbk_text.h"

#include "platform/text_encoding.h"

std::optional<std::string> Utf8ToGbk(std::string_view utf8) {
    return ConvertText(utf8, "UTF-8", "GB18030");
}

std::optional<std::string> GbkToUtf8(std::string_view gbk) {
    return ConvertText(gbk, "GB18030", "UTF-8");
}

#include "http/page_charset.h"

#include <optional>

#include "http/content_type_charset.h"
#include "http/encoding_labels.h"
#include "http/encoding_prescan.h"
#include "http/utf8_sequence.h"
#include "http/utf8_to_gb18030.h"
#include "platform/text_encoding.h"

namespace {

struct ByteOrderMark {
    std::string_view bytes;
    std::string_view encoding;
};

constexpr ByteOrderMark kByteOrderMarks[] = {
    {"\xEF\xBB\xBF", kUtf8Encoding}, {"\xFE\xFF", kUtf16BeEncoding}, {"\xFF\xFE", kUtf16LeEncoding}};

constexpr std::size_t kUtf16UnitSize = 2;
// x-user-defined reads every byte from 0x80 on as a private-use character from U+F780 on.
constexpr char32_t kUserDefinedFirst = 0xF780;

std::optional<ByteOrderMark> FindByteOrderMark(std::string_view body) {
    for (const ByteOrderMark& mark : kByteOrderMarks)
        if (body.starts_with(mark.bytes)) return mark;
    return std::nullopt;
}

std::string UserDefinedToGb18030(std::string_view bytes) {
    std::string utf8;
    utf8.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8.push_back(c);
            continue;
        }
        const char32_t codePoint = kUserDefinedFirst + (byte - 0x80);
        utf8 += {static_cast<char>(0xE0 | codePoint >> 12), static_cast<char>(0x80 | (codePoint >> 6 & 0x3F)),
                 static_cast<char>(0x80 | (codePoint & 0x3F))};
    }
    return Utf8ToGb18030(utf8);
}

}  // namespace

std::string_view PageEncoding(std::string_view contentTypeHeader, std::string_view body) {
    if (const std::optional<ByteOrderMark> mark = FindByteOrderMark(body)) return mark->encoding;
    if (const std::optional<std::string> label = ContentTypeCharset(contentTypeHeader))
        if (const std::optional<std::string_view> encoding = EncodingForLabel(*label)) return *encoding;
    if (const std::optional<std::string_view> encoding = PrescanEncoding(body)) return *encoding;
    // A page no longer than the prescan's bytes has no more head to read.
    if (body.size() > kPrescanLength)
        if (const std::optional<std::string_view> encoding = HeadMetaEncoding(body)) return *encoding;
    return IsUtf8WithMultiByteCharacters(body) ? kUtf8Encoding : kGbkEncoding;
}

std::string_view ConvertPageToGb18030(std::string_view contentTypeHeader, std::string& body) {
    const std::string_view encoding = PageEncoding(contentTypeHeader, body);
    if (encoding == kGbkEncoding || encoding == kGb18030Encoding || encoding == kReplacementEncoding)
        return encoding;
    // A byte order mark is no character of the page.
    const std::optional<ByteOrderMark> mark = FindByteOrderMark(body);
    const std::size_t markLength = mark ? mark->bytes.size() : 0;
    if (encoding == kUtf8Encoding) {
        Utf8ToGb18030InPlace(body, markLength);
    } else if (encoding == kUserDefinedEncoding) {
        body = UserDefinedToGb18030(body);
    } else {
        const bool utf16 = encoding == kUtf16BeEncoding || encoding == kUtf16LeEncoding;
        body = ConvertTextReplacing(std::string_view(body).substr(markLength), IconvNameOfEncoding(encoding),
                                    "GB18030", kGb18030Replacement, utf16 ? kUtf16UnitSize : 1);
    }
    return encoding;
}

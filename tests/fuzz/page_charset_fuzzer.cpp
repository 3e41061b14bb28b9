// Sniffs and converts arbitrary pages (the Content-Type header is the input's first line): a page
// that is not converted stays byte for byte, and every converted page, like every UTF-8 text, is
// whole GB18030 characters, never a half one. The prescan reads no byte past its first 1,024,
// and it and the walk over the head only ever name encodings of the table, never UTF-16 from a
// meta tag nor x-user-defined.
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "http/encoding_labels.h"
#include "http/encoding_prescan.h"
#include "http/page_charset.h"
#include "http/utf8_to_gb18030.h"

namespace {

bool IsWholeGb18030(std::string_view text) {
    const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const auto isLead = [](unsigned char b) { return b >= 0x81 && b <= 0xFE; };
    const auto isDigit = [](unsigned char b) { return b >= 0x30 && b <= 0x39; };
    for (std::size_t at = 0; at < text.size();) {
        if (byte(at) < 0x80) {
            ++at;
        } else if (!isLead(byte(at)) || at + 1 >= text.size()) {
            return false;
        } else if (isDigit(byte(at + 1))) {
            if (at + 3 >= text.size() || !isLead(byte(at + 2)) || !isDigit(byte(at + 3))) return false;
            at += 4;
        } else if (byte(at + 1) >= 0x40 && byte(at + 1) != 0x7F && byte(at + 1) != 0xFF) {
            at += 2;
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (!IsWholeGb18030(Utf8ToGb18030(input))) std::abort();

    const std::size_t lineEnd = input.find('\n');
    const std::string_view contentType = input.substr(0, lineEnd);
    const std::string page(lineEnd == std::string_view::npos ? std::string_view() : input.substr(lineEnd + 1));
    std::string body = page;
    const std::string_view encoding = ConvertPageToGb18030(contentType, body);
    if (encoding != PageEncoding(contentType, page) || EncodingForLabel(encoding) != encoding) std::abort();
    const bool leftAlone =
        encoding == kGbkEncoding || encoding == kGb18030Encoding || encoding == kReplacementEncoding;
    if (leftAlone ? body != page : !IsWholeGb18030(body)) std::abort();

    const bool xmlDeclaration = page.starts_with(std::string_view("<\0?\0x\0", 6)) ||
                                page.starts_with(std::string_view("\0<\0?\0x", 6));
    const std::optional<std::string_view> prescanned = PrescanEncoding(page);
    if (prescanned != PrescanEncoding(std::string_view(page).substr(0, kPrescanLength))) std::abort();
    for (const std::optional<std::string_view> found : {prescanned, HeadMetaEncoding(page)}) {
        if (!found) continue;
        if (EncodingForLabel(*found) != *found || *found == kUserDefinedEncoding) std::abort();
        if ((*found == kUtf16LeEncoding || *found == kUtf16BeEncoding) && !xmlDeclaration) std::abort();
    }
    return 0;
}

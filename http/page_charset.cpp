#include "http/page_charset.h"

#include <iconv.h>

#include <algorithm>
#include <iterator>
#include <cctype>
#include <utility>

#include "http/utf8_to_gb18030.h"
#include "platform/text_encoding.h"

namespace {

// How far into a page a meta tag still counts. Browsers look at the first 1,024 bytes; directory
// pages often carry long keyword and description tags first, so a little more is read.
constexpr std::size_t kMetaSniffLength = 4096;

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

// Labels whose bytes the engine already reads as they are.
constexpr std::string_view kGbkFamily[] = {
    "gbk",    "gb2312",       "gb_2312", "gb_2312-80", "gb18030",     "x-gbk",  "chinese", "csgb2312",
    "csiso58gb231280", "iso-ir-58", "cp936", "windows-936", "ms936", "euc-cn", "x-euc-cn"};

// Labels that mean another encoding than iconv would take them for, or that iconv does not know;
// browsers read Latin-1 and ASCII pages as windows-1252 and Big5 pages as Big5-HKSCS.
constexpr std::pair<std::string_view, const char*> kLabelAliases[] = {
    {"utf-8", "UTF-8"},
    {"utf8", "UTF-8"},
    {"unicode-1-1-utf-8", "UTF-8"},
    {"x-unicode20utf8", "UTF-8"},
    {"iso-8859-1", "WINDOWS-1252"},
    {"iso8859-1", "WINDOWS-1252"},
    {"latin1", "WINDOWS-1252"},
    {"l1", "WINDOWS-1252"},
    {"us-ascii", "WINDOWS-1252"},
    {"ascii", "WINDOWS-1252"},
    {"windows-1252", "WINDOWS-1252"},
    {"big5", "BIG5-HKSCS"},
    {"big5-hkscs", "BIG5-HKSCS"},
    {"cn-big5", "BIG5-HKSCS"},
    {"x-x-big5", "BIG5-HKSCS"},
    {"csbig5", "BIG5-HKSCS"},
};

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

std::string ToLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
    return lower;
}

// Position of `lowerWord` in `text`, ignoring case, from `from` on.
std::size_t FindNoCase(std::string_view text, std::string_view lowerWord, std::size_t from = 0) {
    const auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())),
                                   text.end(), lowerWord.begin(), lowerWord.end(),
                                   [](char a, char b) { return Lower(a) == b; });
    return found == text.end() ? std::string_view::npos : static_cast<std::size_t>(found - text.begin());
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// The value of the first "charset = value" in `text` (quoted or not), lower-cased; empty if none.
std::string CharsetParameter(std::string_view text) {
    for (std::size_t at = FindNoCase(text, "charset"); at != std::string_view::npos;
         at = FindNoCase(text, "charset", at + 1)) {
        std::size_t pos = at + std::string_view("charset").size();
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        if (pos >= text.size() || text[pos] != '=') continue;
        ++pos;
        while (pos < text.size() && IsBlank(text[pos])) ++pos;
        if (pos < text.size() && (text[pos] == '"' || text[pos] == '\'')) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !IsBlank(text[pos]) &&
               std::string_view("\"';>/,").find(text[pos]) == std::string_view::npos)
            ++pos;
        if (pos > start) return ToLower(text.substr(start, pos - start));
    }
    return {};
}

// The charset of the first meta tag near the page's start that names one: <meta charset=...> or
// <meta http-equiv="Content-Type" content="...; charset=...">.
std::string MetaCharset(std::string_view body) {
    const std::string_view head = body.substr(0, kMetaSniffLength);
    for (std::size_t at = FindNoCase(head, "<meta"); at != std::string_view::npos;
         at = FindNoCase(head, "<meta", at + 1)) {
        const std::size_t tagEnd = head.find('>', at);
        const std::string_view tag = head.substr(at, tagEnd == std::string_view::npos ? head.npos : tagEnd - at);
        std::string charset = CharsetParameter(tag);
        if (!charset.empty()) return charset;
    }
    return {};
}

std::string IconvName(std::string_view label) {
    for (const auto& [alias, name] : kLabelAliases)
        if (alias == label) return name;
    std::string name(label);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); });
    return name;
}

bool IconvKnows(const std::string& name) {
    iconv_t converter = iconv_open("GB18030", name.c_str());
    if (converter == reinterpret_cast<iconv_t>(-1)) return false;
    iconv_close(converter);
    return true;
}

}  // namespace

bool IsGbkFamilyCharset(std::string_view label) {
    return std::find(std::begin(kGbkFamily), std::end(kGbkFamily), label) != std::end(kGbkFamily);
}

std::string DeclaredPageCharset(std::string_view contentTypeHeader, std::string_view body) {
    if (body.starts_with(kUtf8Bom)) return "utf-8";
    if (body.starts_with(kUtf16LeBom)) return "utf-16le";
    if (body.starts_with(kUtf16BeBom)) return "utf-16be";
    std::string charset = CharsetParameter(contentTypeHeader);
    if (charset.empty()) charset = MetaCharset(body);
    return charset;
}

bool ConvertPageToGb18030(std::string_view contentTypeHeader, std::string& body) {
    const std::string label = DeclaredPageCharset(contentTypeHeader, body);
    if (label.empty() || IsGbkFamilyCharset(label)) return true;
    const std::string name = IconvName(label);
    if (name == "UTF-8") {
        Utf8ToGb18030InPlace(body, body.starts_with(kUtf8Bom) ? kUtf8Bom.size() : 0);
        return true;
    }
    if (!IconvKnows(name)) return false;
    // A byte order mark is no character of the page.
    const std::size_t markLength = body.starts_with(kUtf16LeBom) || body.starts_with(kUtf16BeBom) ? 2 : 0;
    body = ConvertTextReplacing(std::string_view(body).substr(markLength), name.c_str(), "GB18030",
                                kGb18030Replacement);
    return true;
}

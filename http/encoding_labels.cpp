#include "http/encoding_labels.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <unordered_map>

#include "http/ascii_text.h"

namespace {

struct EncodingEntry {
    std::string_view name;
    const char* iconvName;
    std::string_view labels;  // separated by single spaces
};

// The Encoding Standard's table of encodings and their labels, group by group, with the glibc
// converter for each. Where glibc's converter of the same name reads some bytes differently,
// the one closest to the web's index is named.
constexpr EncodingEntry kEncodings[] = {
    // The Encoding
    {"UTF-8", "UTF-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    // Legacy single-byte encodings
    {"IBM866", "IBM866", "866 cp866 csibm866 ibm866"},
    {"ISO-8859-2", "ISO-8859-2",
     "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
    {"ISO-8859-3", "ISO-8859-3",
     "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
    {"ISO-8859-4", "ISO-8859-4",
     "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
    {"ISO-8859-5", "ISO-8859-5",
     "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988"},
    {"ISO-8859-6", "ISO-8859-6",
     "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
     "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    {"ISO-8859-7", "ISO-8859-7",
     "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 iso_8859-7 "
     "iso_8859-7:1987 sun_eu_greek"},
    {"ISO-8859-8", "ISO-8859-8",
     "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 iso_8859-8 "
     "iso_8859-8:1988 visual"},
    // The same bytes as ISO-8859-8; the name only says the text is in logical order.
    {"ISO-8859-8-I", "ISO-8859-8", "csiso88598i iso-8859-8-i logical"},
    {"ISO-8859-10", "ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"ISO-8859-13", "ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"ISO-8859-14", "ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"ISO-8859-15", "ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"ISO-8859-16", "ISO-8859-16", "iso-8859-16"},
    {"KOI8-R", "KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
    // The web's KOI8-U holds the Belarusian letters at 0xAE and 0xBE, as glibc's KOI8-RU does.
    {"KOI8-U", "KOI8-RU", "koi8-ru koi8-u"},
    {"macintosh", "MACINTOSH", "csmacintosh mac macintosh x-mac-roman"},
    {"windows-874", "WINDOWS-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"windows-1250", "WINDOWS-1250", "cp1250 windows-1250 x-cp1250"},
    {"windows-1251", "WINDOWS-1251", "cp1251 windows-1251 x-cp1251"},
    {"windows-1252", "WINDOWS-1252",
     "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 iso88591 "
     "iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    {"windows-1253", "WINDOWS-1253", "cp1253 windows-1253 x-cp1253"},
    {"windows-1254", "WINDOWS-1254",
     "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 latin5 "
     "windows-1254 x-cp1254"},
    {"windows-1255", "WINDOWS-1255", "cp1255 windows-1255 x-cp1255"},
    {"windows-1256", "WINDOWS-1256", "cp1256 windows-1256 x-cp1256"},
    {"windows-1257", "WINDOWS-1257", "cp1257 windows-1257 x-cp1257"},
    {"windows-1258", "WINDOWS-1258", "cp1258 windows-1258 x-cp1258"},
    // The web's x-mac-cyrillic is the Mac OS Ukrainian layout (Ґ at 0xA2).
    {"x-mac-cyrillic", "MAC-UK", "x-mac-cyrillic x-mac-ukrainian"},
    // Legacy multi-byte Chinese (simplified) encodings
    {"GBK", "GBK", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    {"gb18030", "GB18030", "gb18030"},
    // Legacy multi-byte Chinese (traditional) encodings: the web's Big5 includes HKSCS.
    {"Big5", "BIG5-HKSCS", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    // Legacy multi-byte Japanese encodings; the web's Shift_JIS is Microsoft's code page 932.
    {"EUC-JP", "EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"ISO-2022-JP", "ISO-2022-JP", "csiso2022jp iso-2022-jp"},
    {"Shift_JIS", "WINDOWS-31J", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    // Legacy multi-byte Korean encodings; the web's EUC-KR is Microsoft's code page 949.
    {"EUC-KR", "CP949",
     "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 ksc_5601 "
     "windows-949"},
    // Legacy miscellaneous encodings; iconv has no converter for the replacement encoding nor for
    // x-user-defined.
    {"replacement", nullptr, "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement"},
    {"UTF-16BE", "UTF-16BE", "unicodefffe utf-16be"},
    {"UTF-16LE", "UTF-16LE", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    {"x-user-defined", nullptr, "x-user-defined"},
};

constexpr std::size_t kEncodingCount = std::size(kEncodings);

// Longer than every label: a longer text names no encoding and need not be lower-cased.
constexpr std::size_t kLongestLabel = 32;

// FNV-1a: labels are short, and the library's hash costs more than the rest of a look-up.
struct LabelHash {
    std::size_t operator()(std::string_view label) const {
        std::uint32_t hash = 2166136261u;
        for (const char c : label) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        return hash;
    }
};

struct LabelIndex {
    std::unordered_map<std::string_view, std::string_view, LabelHash> labelToName;
    std::array<std::string_view, kEncodingCount> names;
};

LabelIndex BuildIndex() {
    LabelIndex index;
    for (std::size_t at = 0; at < kEncodingCount; ++at) {
        const EncodingEntry& entry = kEncodings[at];
        index.names[at] = entry.name;
        std::string_view labels = entry.labels;
        while (!labels.empty()) {
            const std::size_t space = std::min(labels.find(' '), labels.size());
            index.labelToName.emplace(labels.substr(0, space), entry.name);
            labels.remove_prefix(std::min(space + 1, labels.size()));
        }
    }
    return index;
}

const LabelIndex& Index() {
    static const LabelIndex index = BuildIndex();
    return index;
}

}  // namespace

std::optional<std::string_view> EncodingForLabel(std::string_view label) {
    // Remove any leading and trailing ASCII whitespace from label.
    while (!label.empty() && IsAsciiWhitespace(label.front())) label.remove_prefix(1);
    while (!label.empty() && IsAsciiWhitespace(label.back())) label.remove_suffix(1);
    if (label.empty() || label.size() > kLongestLabel) return std::nullopt;
    // An ASCII case-insensitive match for one of the labels: the table's labels are lower case.
    char lower[kLongestLabel];
    std::transform(label.begin(), label.end(), lower, AsciiLower);
    const auto& labels = Index().labelToName;
    const auto found = labels.find(std::string_view(lower, label.size()));
    if (found == labels.end()) return std::nullopt;
    return found->second;
}

const char* IconvNameOfEncoding(std::string_view encoding) {
    for (const EncodingEntry& entry : kEncodings)
        if (entry.name == encoding) return entry.iconvName;
    return nullptr;
}

std::span<const std::string_view> AllEncodings() {
    return Index().names;
}

#include "learn/value_finder.h"

#include <utility>

#include "engine/gbk_characters.h"

namespace {

constexpr std::string_view kWideBlank = "\xA1\xA1";  // the full-width space in GBK
constexpr std::string_view kNoBreakSpace = "&nbsp;";
// A script or style element shows nothing; the cleaned page has its tags in upper case.
constexpr std::pair<std::string_view, std::string_view> kHiddenElements[] = {{"<SCRIPT", "</SCRIPT>"},
                                                                             {"<STYLE", "</STYLE>"}};

// The length of the blank or tag that starts at `at`, or 0 when a visible character starts there.
std::size_t InvisibleLength(std::string_view text, std::size_t at) {
    const char byte = text[at];
    if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n') return 1;
    if (text.compare(at, kWideBlank.size(), kWideBlank) == 0) return kWideBlank.size();
    if (text.compare(at, kNoBreakSpace.size(), kNoBreakSpace) == 0) return kNoBreakSpace.size();
    if (byte == '<') {
        for (const auto& [open, close] : kHiddenElements) {
            if (text.compare(at, open.size(), open) != 0) continue;
            const std::size_t end = text.find(close, at);
            if (end != std::string_view::npos) return end + close.size() - at;
        }
        const std::size_t close = text.find('>', at);
        return close == std::string_view::npos ? 0 : close + 1 - at;
    }
    return 0;
}

}  // namespace

std::string ValueKey(std::string_view text) {
    std::string key;
    for (std::size_t at = 0; at < text.size();) {
        if (const std::size_t skip = InvisibleLength(text, at); skip > 0) {
            at += skip;
            continue;
        }
        const std::size_t length = CharacterLength(text, at);
        key.append(text.substr(at, length));
        at += length;
    }
    return key;
}

std::vector<ValueOccurrence> FindValue(std::string_view text, std::string_view key) {
    std::vector<ValueOccurrence> found;
    if (key.empty()) return found;
    for (std::size_t start = 0; start < text.size();) {
        if (const std::size_t skip = InvisibleLength(text, start); skip > 0) {
            start += skip;
            continue;
        }
        ValueOccurrence occurrence{start, start, false};
        std::size_t at = start;
        std::size_t matched = 0;
        while (matched < key.size() && at < text.size()) {
            if (const std::size_t skip = InvisibleLength(text, at); skip > 0) {
                occurrence.spansTag = occurrence.spansTag || text[at] == '<';
                at += skip;
                continue;
            }
            const std::size_t length = CharacterLength(text, at);
            if (key.compare(matched, length, text.substr(at, length)) != 0) break;
            matched += length;
            at += length;
        }
        if (matched == key.size()) {
            occurrence.end = at;
            found.push_back(occurrence);
            start = at;
        } else {
            start += CharacterLength(text, start);
        }
    }
    return found;
}

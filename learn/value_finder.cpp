#include "learn/value_finder.h"

#include <iterator>
#include <utility>

#include "engine/gbk_characters.h"

namespace {

constexpr std::string_view kWideBlank = "\xA1\xA1";  // the full-width space in GBK
constexpr std::string_view kNoBreakSpace = "&nbsp;";
// A script or style element shows nothing; the cleaned page has its tags in upper case.
constexpr std::pair<std::string_view, std::string_view> kHiddenElements[] = {{"<SCRIPT", "</SCRIPT>"},
                                                                             {"<STYLE", "</STYLE>"}};

// The text's visible characters one after another, each byte with the place it came from, so
// that a value is looked for with one plain search instead of from every place of the page.
struct VisibleText {
    std::string characters;
    std::vector<std::size_t> origin;   // per byte of characters: its place in the text
    std::vector<bool> characterStart;  // per byte: a character starts there

    explicit VisibleText(std::string_view text) : text(text) {
        for (std::size_t at = 0; at < text.size();) {
            if (const std::size_t skip = InvisibleLength(at); skip > 0) {
                at += skip;
                continue;
            }
            const std::size_t length = CharacterLength(text, at);
            for (std::size_t byte = 0; byte < length; ++byte) {
                characters += text[at + byte];
                origin.push_back(at + byte);
                characterStart.push_back(byte == 0);
            }
            at += length;
        }
    }

private:
    // Where `what` next stands at or after `at`; the last answer is kept, since the walk only moves
    // on, so that a page of "<" without ">" costs one search, not one per "<".
    struct NextFind {
        std::size_t from = 0, found = 0;
        bool known = false;
    };
    std::size_t Next(NextFind& next, std::string_view what, std::size_t at) {
        if (!next.known || at < next.from || (next.found != std::string_view::npos && at > next.found)) {
            next = {at, text.find(what, at), true};
        }
        return next.found;
    }

    // The length of the blank or tag that starts at `at`, or 0 when a visible character starts there.
    std::size_t InvisibleLength(std::size_t at) {
        const char byte = text[at];
        if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n') return 1;
        if (text.compare(at, kWideBlank.size(), kWideBlank) == 0) return kWideBlank.size();
        if (text.compare(at, kNoBreakSpace.size(), kNoBreakSpace) == 0) return kNoBreakSpace.size();
        if (byte != '<') return 0;
        for (std::size_t element = 0; element < std::size(kHiddenElements); ++element) {
            const auto& [open, close] = kHiddenElements[element];
            if (text.compare(at, open.size(), open) != 0) continue;
            const std::size_t end = Next(hiddenEnds[element], close, at);
            if (end != std::string_view::npos) return end + close.size() - at;
        }
        const std::size_t close = Next(tagEnd, ">", at);
        return close == std::string_view::npos ? 0 : close + 1 - at;
    }

    std::string_view text;
    NextFind tagEnd;
    NextFind hiddenEnds[std::size(kHiddenElements)];
};

}  // namespace

std::string ValueKey(std::string_view text) {
    return VisibleText(text).characters;
}

std::vector<ValueOccurrence> FindValue(std::string_view text, std::string_view key) {
    std::vector<ValueOccurrence> found;
    if (key.empty()) return found;
    const VisibleText visible(text);
    const std::string_view characters = visible.characters;
    for (std::size_t at = characters.find(key); at != std::string_view::npos;
         at = characters.find(key, at + 1)) {
        // A match that begins or ends inside a character is made of two characters' halves.
        const std::size_t last = at + key.size();
        if (!visible.characterStart[at] || (last < characters.size() && !visible.characterStart[last]))
            continue;
        const std::size_t begin = visible.origin[at], end = visible.origin[last - 1] + 1;
        found.push_back({begin, end, text.substr(begin, end - begin).find('<') != std::string_view::npos});
        at = last - 1;
    }
    return found;
}

#include "learn/value_finder.h"

#include "engine/gbk_characters.h"
#include "engine/page_tokenizer.h"

namespace {

constexpr std::string_view kWideBlank = "\xA1\xA1";  // the full-width space in GBK
constexpr std::string_view kNoBreakSpace = "&nbsp;";

// The text's visible characters one after another, each byte with the place it came from, so
// that a value is looked for with one plain search instead of from every place of the page.
struct VisibleText {
    std::string characters;
    std::vector<std::size_t> origin;   // per byte of characters: its place in the text
    std::vector<bool> characterStart;  // per byte: a character starts there

    explicit VisibleText(std::string_view text) {
        PageTokenizer tokenizer(text);
        PageToken token;
        while (tokenizer.Next(token)) {
            if (token.kind == PageTokenKind::text) AddRun(text, token.begin, token.end);
        }
    }

private:
    // A run of text between tags: its characters but blanks of any kind.
    void AddRun(std::string_view text, std::size_t begin, std::size_t end) {
        const std::string_view run = text.substr(0, end);
        for (std::size_t at = begin; at < end;) {
            if (const std::size_t blank = BlankLength(run, at); blank > 0) {
                at += blank;
                continue;
            }
            const std::size_t length = CharacterLength(run, at);
            for (std::size_t byte = 0; byte < length; ++byte) {
                characters += run[at + byte];
                origin.push_back(at + byte);
                characterStart.push_back(byte == 0);
            }
            at += length;
        }
    }

    static std::size_t BlankLength(std::string_view run, std::size_t at) {
        const char byte = run[at];
        if (byte == ' ' || byte == '\t' || byte == '\r' || byte == '\n') return 1;
        if (run.compare(at, kWideBlank.size(), kWideBlank) == 0) return kWideBlank.size();
        if (run.compare(at, kNoBreakSpace.size(), kNoBreakSpace) == 0) return kNoBreakSpace.size();
        return 0;
    }
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

#include "engine/page_anchors.h"

#include <algorithm>

#include "engine/captured_link.h"

namespace {

char Lower(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Whether the page holds `word` (lower case) at `at`, in any case.
bool HasWordAt(std::string_view page, std::size_t at, std::string_view word) {
    if (at + word.size() > page.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        if (Lower(page[at + i]) != word[i]) return false;
    }
    return true;
}

// The position after the end of a tag name starting at `at`: a tag name ends at a blank, "/" or ">".
bool TagNameEndsAt(std::string_view page, std::size_t at) {
    return at >= page.size() || IsHtmlBlank(page[at]) || page[at] == '/' || page[at] == '>';
}

// Where the text of a raw-text element (script, style) ends: at its end tag, else the page's end.
std::size_t RawTextEnd(std::string_view page, std::size_t from, std::string_view name) {
    for (std::size_t at = page.find("</", from); at != std::string_view::npos; at = page.find("</", at + 2)) {
        if (HasWordAt(page, at + 2, name) && TagNameEndsAt(page, at + 2 + name.size())) return at;
    }
    return page.size();
}

// Reads the attributes of a start tag from `at` (just after its name) to its ">"; the position
// after the ">", or npos when the page ends first.
std::size_t ReadAttributes(std::string_view page, std::size_t at, std::vector<TagAttribute>& attributes) {
    while (at < page.size()) {
        while (at < page.size() && (IsHtmlBlank(page[at]) || page[at] == '/')) ++at;
        if (at >= page.size()) break;
        if (page[at] == '>') return at + 1;
        TagAttribute attribute;
        attribute.quote = 0;
        while (at < page.size() && !IsHtmlBlank(page[at]) && page[at] != '/' && page[at] != '>' &&
               (page[at] != '=' || attribute.name.empty())) {
            attribute.name += Lower(page[at++]);
        }
        std::size_t afterName = at;
        while (afterName < page.size() && IsHtmlBlank(page[afterName])) ++afterName;
        if (afterName < page.size() && page[afterName] == '=') {
            at = afterName + 1;
            while (at < page.size() && IsHtmlBlank(page[at])) ++at;
            if (at < page.size() && (page[at] == '"' || page[at] == '\'')) {
                attribute.quote = page[at];
                attribute.valueStart = at + 1;
                const std::size_t close = page.find(attribute.quote, at + 1);
                if (close == std::string_view::npos) return std::string_view::npos;
                attribute.value = std::string(page.substr(at + 1, close - at - 1));
                at = close + 1;
            } else {
                attribute.valueStart = at;
                while (at < page.size() && !IsHtmlBlank(page[at]) && page[at] != '>')
                    attribute.value += page[at++];
            }
        }
        const bool given =
            std::any_of(attributes.begin(), attributes.end(),
                        [&](const TagAttribute& earlier) { return earlier.name == attribute.name; });
        if (!given) attributes.push_back(std::move(attribute));
    }
    return std::string_view::npos;
}

// The shown text of a link: the markup between its start tag and `end` without tags, decoded,
// blanks squeezed and trimmed.
std::string ShownText(std::string_view markup) {
    std::string text;
    for (std::size_t at = 0; at < markup.size();) {
        if (markup[at] == '<') {
            const std::size_t close = markup.find('>', at);
            if (close == std::string_view::npos) break;
            text += ' ';
            at = close + 1;
            continue;
        }
        if (HasWordAt(markup, at, "&nbsp;")) {
            text += ' ';
            at += 6;
            continue;
        }
        text += markup[at++];
    }
    text = DecodeCharacterReferences(text);
    std::string squeezed;
    for (const char byte : text) {
        if (IsHtmlBlank(byte)) {
            if (!squeezed.empty() && squeezed.back() != ' ') squeezed += ' ';
        } else {
            squeezed += byte;
        }
    }
    if (!squeezed.empty() && squeezed.back() == ' ') squeezed.pop_back();
    return squeezed;
}

}  // namespace

bool IsHtmlBlank(char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f';
}

const TagAttribute* PageAnchor::Attribute(std::string_view name) const {
    const auto found = std::find_if(attributes.begin(), attributes.end(),
                                    [&](const TagAttribute& attribute) { return attribute.name == name; });
    return found != attributes.end() ? &*found : nullptr;
}

std::vector<PageAnchor> ReadPageAnchors(std::string_view page) {
    std::vector<PageAnchor> anchors;
    for (std::size_t at = page.find('<'); at != std::string_view::npos; at = page.find('<', at)) {
        if (page.compare(at, 4, "<!--") == 0) {
            const std::size_t close = page.find("-->", at + 4);
            if (close == std::string_view::npos) break;
            at = close + 3;
            continue;
        }
        for (const std::string_view rawText : {std::string_view("script"), std::string_view("style")}) {
            if (HasWordAt(page, at + 1, rawText) && TagNameEndsAt(page, at + 1 + rawText.size())) {
                at = RawTextEnd(page, at + 1, rawText);
                break;
            }
        }
        if (at >= page.size() || !HasWordAt(page, at + 1, "a") || !TagNameEndsAt(page, at + 2)) {
            ++at;
            continue;
        }
        PageAnchor anchor;
        anchor.start = at;
        anchor.tagEnd = ReadAttributes(page, at + 2, anchor.attributes);
        if (anchor.tagEnd == std::string_view::npos) break;
        // The link's text runs to its end tag; a link left open ends where the next one starts.
        std::size_t end = anchor.tagEnd;
        while (end < page.size()) {
            end = page.find('<', end);
            if (end == std::string_view::npos) {
                end = page.size();
                break;
            }
            if ((page.compare(end, 2, "</") == 0 && HasWordAt(page, end + 2, "a") &&
                 TagNameEndsAt(page, end + 3)) ||
                (HasWordAt(page, end + 1, "a") && TagNameEndsAt(page, end + 2))) {
                break;
            }
            ++end;
        }
        anchor.text = ShownText(page.substr(anchor.tagEnd, end - anchor.tagEnd));
        at = anchor.tagEnd;
        anchors.push_back(std::move(anchor));
    }
    return anchors;
}

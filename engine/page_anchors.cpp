#include "engine/page_anchors.h"

#include <algorithm>
#include <set>

#include "engine/captured_link.h"
#include "engine/page_tokenizer.h"

namespace {

constexpr std::string_view kNoBreakSpace = "&nbsp;";

// The start tag's attributes as written, names in lower case; a name given again counts once.
std::vector<TagAttribute> Attributes(std::string_view page, const PageToken& tag) {
    std::vector<TagAttribute> attributes;
    std::set<std::string> names;  // a tag of a hostile page may hold a megabyte of attributes
    for (TagAttributeSpan& span : TagAttributes(page, tag)) {
        TagAttribute attribute;
        attribute.name = std::move(span.name);
        if (!names.insert(attribute.name).second) continue;
        attribute.quote = span.quote;
        if (span.hasValue) {
            attribute.value = std::string(page.substr(span.valueBegin, span.valueEnd - span.valueBegin));
            attribute.valueStart = span.valueBegin;
        }
        attributes.push_back(std::move(attribute));
    }
    return attributes;
}

// The shown text of a link from its text runs, each tag a blank: &nbsp; and character references
// decoded, blanks squeezed and trimmed.
std::string ShownText(const std::string& markup) {
    std::string text;
    for (std::size_t at = 0; at < markup.size();) {
        if (HasWordAt(markup, at, kNoBreakSpace)) {
            text += ' ';
            at += kNoBreakSpace.size();
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

// A start or end tag of a link.
bool IsLinkTag(const PageToken& token) {
    return token.kind != PageTokenKind::text && token.name == "a";
}

}  // namespace

const TagAttribute* PageAnchor::Attribute(std::string_view name) const {
    const auto found = std::find_if(attributes.begin(), attributes.end(),
                                    [&](const TagAttribute& attribute) { return attribute.name == name; });
    return found != attributes.end() ? &*found : nullptr;
}

std::vector<PageAnchor> ReadPageAnchors(std::string_view page) {
    std::vector<PageAnchor> anchors;
    PageTokenizer tokenizer(page);
    PageToken token;
    bool more = tokenizer.Next(token);
    while (more) {
        if (token.kind != PageTokenKind::startTag || !IsLinkTag(token)) {
            more = tokenizer.Next(token);
            continue;
        }
        PageAnchor anchor;
        anchor.start = token.begin;
        anchor.tagEnd = token.end;
        anchor.attributes = Attributes(page, token);
        // The link's text runs to its end tag; a link left open ends where the next one starts.
        std::string shown;
        while ((more = tokenizer.Next(token)) && !IsLinkTag(token)) {
            if (token.kind == PageTokenKind::text)
                shown += page.substr(token.begin, token.end - token.begin);
            else
                shown += ' ';
        }
        anchor.text = ShownText(shown);
        anchors.push_back(std::move(anchor));
    }
    return anchors;
}

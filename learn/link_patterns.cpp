#include "learn/link_patterns.h"

#include <algorithm>
#include <set>

#include "engine/page_tokenizer.h"

std::string Literal(std::string_view text, std::string_view blanksAs, bool keepLoneSpace) {
    static constexpr std::string_view kSpecial = "\\^$.|?*+()[]{}";
    std::string pattern;
    for (std::size_t at = 0; at < text.size();) {
        if (IsHtmlBlank(text[at])) {
            std::size_t end = at;
            while (end < text.size() && IsHtmlBlank(text[end])) ++end;
            pattern += keepLoneSpace && end - at == 1 && text[at] == ' ' ? std::string_view(" ") : blanksAs;
            at = end;
            continue;
        }
        if (kSpecial.find(text[at]) != std::string_view::npos) pattern += '\\';
        pattern += text[at++];
    }
    return pattern;
}

std::string AnyValue(char quote) {
    if (quote == 0) return "[^\\s>]*";
    return std::string("[^") + quote + "]*";
}

std::string CaptureValue(char quote, const std::string& hrefStart) {
    const std::string start = "(" + Literal(hrefStart, "", false);
    if (quote == 0) return start + "[^\\s>]+)";
    return start + "[^" + quote + "]+)" + quote;
}

std::string AbsoluteHrefStart(const std::string& href) {
    const std::size_t slashes = href.find("//");
    if (slashes == std::string::npos ||
        (slashes != 0 && href.compare(0, slashes, "http:") != 0 && href.compare(0, slashes, "https:") != 0))
        return {};
    const std::size_t hostEnd = href.find('/', slashes + 2);
    return hostEnd == std::string::npos || hostEnd == slashes + 2 ? std::string()
                                                                  : href.substr(0, hostEnd + 1);
}

TagShape ShapeOf(const std::string& body, const PageAnchor& anchor, const TagAttribute& href) {
    TagShape shape;
    std::size_t from = anchor.start;
    for (const TagAttribute& attribute : anchor.attributes) {
        if (&attribute == &href) break;
        if (attribute.valueStart == 0) continue;
        shape.gaps.push_back(body.substr(from, attribute.valueStart - from));
        shape.values.push_back(attribute.value);
        shape.quotes.push_back(attribute.quote);
        from = attribute.valueStart + attribute.value.size();
    }
    shape.gaps.push_back(body.substr(from, href.valueStart - from));
    shape.hrefQuote = href.quote;
    return shape;
}

namespace {

// The words all values start with, then anything: "item-title cxt" and "item-title" give
// "item-title[^"]*".
std::string CommonValuePattern(const std::vector<std::string>& values, char quote) {
    std::string common = values.front();
    for (const std::string& value : values) {
        std::size_t same = 0;
        while (same < common.size() && same < value.size() && common[same] == value[same]) ++same;
        common.resize(same);
    }
    const std::size_t wordEnd = common.find_last_of(' ');
    const bool wholeWord = std::all_of(values.begin(), values.end(), [&](const std::string& value) {
        return value.size() == common.size() || value[common.size()] == ' ';
    });
    if (!wholeWord) common.resize(wordEnd == std::string::npos ? 0 : wordEnd);
    return Literal(common, "\\s+", true) + AnyValue(quote);
}

}  // namespace

std::string TagPrefixPattern(const std::vector<TagShape>& shapes) {
    const TagShape& first = shapes.front();
    std::string pattern;
    for (std::size_t part = 0; part < first.values.size(); ++part) {
        pattern += Literal(first.gaps[part], "\\s+", true);
        std::vector<std::string> values;
        for (const TagShape& shape : shapes) values.push_back(shape.values[part]);
        const bool same = std::all_of(values.begin(), values.end(),
                                      [&](const std::string& value) { return value == values.front(); });
        pattern +=
            same ? Literal(values.front(), "\\s+", true) : CommonValuePattern(values, first.quotes[part]);
    }
    return pattern + Literal(first.gaps.back(), "\\s+", true);
}

namespace {

bool SameGaps(const TagShape& a, const TagShape& b) {
    return a.gaps == b.gaps && a.quotes == b.quotes && a.hrefQuote == b.hrefQuote;
}

}  // namespace

std::string ListKind(const TagShape& shape, const std::string& surrounding) {
    std::string kind(shape.quotes.begin(), shape.quotes.end());
    kind += shape.hrefQuote;
    for (const std::string& gap : shape.gaps) kind += '\0' + gap;
    return kind + '\0' + surrounding;
}

std::string LinkPattern(const std::vector<TagShape>& shapes, const std::string& leftContext,
                        const std::string& hrefStart) {
    std::vector<std::vector<TagShape>> kinds;
    for (const TagShape& shape : shapes) {
        auto kind = std::find_if(kinds.begin(), kinds.end(),
                                 [&](const std::vector<TagShape>& k) { return SameGaps(k.front(), shape); });
        if (kind == kinds.end()) {
            kinds.push_back({shape});
        } else {
            kind->push_back(shape);
        }
    }
    std::set<char> hrefQuotes;
    std::string prefixes;
    for (const std::vector<TagShape>& kind : kinds) {
        prefixes += (prefixes.empty() ? "" : "|") + TagPrefixPattern(kind);
        hrefQuotes.insert(kind.front().hrefQuote);
    }
    const std::string prefix = kinds.size() == 1 ? prefixes : "(?:" + prefixes + ")";
    const std::string capture =
        hrefQuotes.size() == 1 ? CaptureValue(*hrefQuotes.begin(), hrefStart) : std::string("([^\"'\\s>]+)");
    return leftContext + prefix + capture;
}

std::string_view MarkupBefore(const std::string& body, std::size_t linkStart) {
    const std::size_t tagStart = linkStart == 0 ? std::string::npos : body.rfind('<', linkStart - 1);
    if (tagStart == std::string::npos) return {};
    return std::string_view(body).substr(tagStart, linkStart - tagStart);
}

std::string LeftContextPattern(const std::vector<std::string_view>& markups) {
    // Each markup cut at its quotes: even pieces outside quotes, odd ones quoted values.
    std::vector<std::vector<std::string_view>> pieces;
    for (const std::string_view markup : markups) {
        std::vector<std::string_view>& cut = pieces.emplace_back();
        std::size_t from = 0;
        for (std::size_t at = markup.find('"'); at != std::string_view::npos; at = markup.find('"', from)) {
            cut.push_back(markup.substr(from, at - from));
            from = at + 1;
        }
        cut.push_back(markup.substr(from));
    }
    const std::vector<std::string_view>& first = pieces.front();
    if (first.front().empty() || first.size() % 2 == 0) return {};
    std::string pattern;
    for (std::size_t piece = 0; piece < first.size(); ++piece) {
        const bool same =
            std::all_of(pieces.begin(), pieces.end(), [&](const std::vector<std::string_view>& cut) {
                return cut.size() == first.size() && cut[piece] == first[piece];
            });
        if (piece % 2 == 0 && !same) return {};
        pattern += piece == 0 ? "" : "\"";
        pattern += same ? Literal(first[piece], "\\s*", false) : AnyValue('"');
    }
    return pattern;
}

std::string SurroundingKind(const std::string& body, std::size_t linkStart) {
    std::string kind;
    char quote = 0;
    for (const char byte : MarkupBefore(body, linkStart)) {
        if (quote != 0) {
            if (byte == quote) {
                kind += byte;
                quote = 0;
            }
            continue;
        }
        if (byte == '"' || byte == '\'') quote = byte;
        if (!IsHtmlBlank(byte)) kind += byte;
    }
    return kind;
}

#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/page_anchors.h"

// Link rules written from the markup of example links, as a person writes them: the start tag's
// literal text up to the href value, values that differ between the examples left open, the
// href value captured. Every text is GBK page text.

// The text as a pattern matching it literally. Each byte is escaped on its own, so the second
// byte of a GBK character that happens to be "\" or "[" stays that byte. A run of blanks reads
// as blanksAs, except that a lone space stays a space when keepLoneSpace.
std::string Literal(std::string_view text, std::string_view blanksAs, bool keepLoneSpace);
// What an attribute value quoted so (0: unquoted) is matched by when its text is left open.
std::string AnyValue(char quote);
// The captured href value quoted so; with hrefStart, only one that starts so.
std::string CaptureValue(char quote, const std::string& hrefStart = "");
// "http://host/" or "//host/" of an absolute (or protocol-relative) href; empty for another.
std::string AbsoluteHrefStart(const std::string& href);

// The start tag of a link up to its href value, in parts: the literal gaps between the values of
// the attributes before href, and those values. Links whose gaps are equal differ only in values.
struct TagShape {
    std::vector<std::string> gaps;  // one more than values; the last ends in "href=" and its quote
    std::vector<std::string> values;
    std::vector<char> quotes;
    char hrefQuote = '"';
};
TagShape ShapeOf(const std::string& body, const PageAnchor& anchor, const TagAttribute& href);

// The pattern of the start tags of links of one shape, up to their href value.
std::string TagPrefixPattern(const std::vector<TagShape>& shapes);
// What links of one list share whatever their values: the tag's gaps and the surrounding kind.
std::string ListKind(const TagShape& shape, const std::string& surrounding);
// The link pattern of several example links: their start tags generalised where their attribute
// values differ, tags written differently as alternatives; with leftContext (a pattern), the
// markup just before the link as well; with hrefStart, only links that start so.
std::string LinkPattern(const std::vector<TagShape>& shapes, const std::string& leftContext,
                        const std::string& hrefStart);

// The markup from the start of the tag before the link to the link; empty when there is none.
std::string_view MarkupBefore(const std::string& body, std::size_t linkStart);
// The markup before each link (one kind of markup, values aside) as one pattern: its quoted
// values literal where all links have the same, left open where they differ; empty when the
// links have differing markup before them, or none.
std::string LeftContextPattern(const std::vector<std::string_view>& markups);
// The markup before the link with its quoted values and blanks left out: the same for every
// entry of a list ("<li class="" data-id="">"), whatever each entry's values.
std::string SurroundingKind(const std::string& body, std::size_t linkStart);

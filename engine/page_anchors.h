#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The links of a page's markup as a reader of its HTML sees them: every <a> start tag with its
// attributes as written, and the text the link shows. Comments, scripts and styles hold none.

struct TagAttribute {
    std::string name;            // lower case
    std::string value;           // as written: character references not decoded
    char quote = '"';            // '"', '\'', or 0 for a value written without quotes (or no value)
    std::size_t valueStart = 0;  // where its value's first byte stands in the page
};

struct PageAnchor {
    std::size_t start = 0;                 // where its "<a" stands in the page
    std::size_t tagEnd = 0;                // just after the start tag's ">"
    std::vector<TagAttribute> attributes;  // in the order written; a name given twice counts once
    // The text it shows: tags left out, character references and &nbsp; decoded, blanks squeezed,
    // none at either end.
    std::string text;

    // The attribute of that (lower-case) name; nullptr when the tag has none.
    const TagAttribute* Attribute(std::string_view name) const;
};

std::vector<PageAnchor> ReadPageAnchors(std::string_view page);

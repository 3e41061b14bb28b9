#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// A page's markup cut into what a browser's tokenizer makes of it: runs of text and tags, in page
// order. Comments, other declarations ("<!DOCTYPE ...>", "<?xml ...?>") and the contents of script
// and style elements are passed over. The page is bytes in GBK, GB18030 or another ASCII-compatible
// encoding: only ASCII bytes are looked at, and no multi-byte character holds one of the bytes
// that make markup.

enum class PageTokenKind { text, startTag, endTag };

// An attribute of a tag as written; its value as a [begin, end) range of the page.
struct TagAttributeSpan {
    std::string name;  // in lower case
    std::size_t valueBegin = 0;
    std::size_t valueEnd = 0;
    char quote = 0;         // '"', '\'', or 0 for a value without quotes
    bool hasValue = false;  // written with "="
};

struct PageToken {
    PageTokenKind kind = PageTokenKind::text;
    std::size_t begin = 0;            // a tag's "<"
    std::size_t end = 0;              // just after a tag's ">"
    std::string name;                 // a tag's name in lower case
    std::size_t attributesBegin = 0;  // a tag's: just after its name
};

// A tag's attributes, in the order written. Only the readers that want them walk them again,
// so that a walk for text pays nothing for a tag of a thousand attributes.
std::vector<TagAttributeSpan> TagAttributes(std::string_view page, const PageToken& tag);

class PageTokenizer {
public:
    explicit PageTokenizer(std::string_view page) : page_(page) {}

    // The next piece of the page into `token` (reused, so that a walk does not allocate per tag);
    // false at the page's end. Every byte is looked at a bounded number of times, whatever the
    // page holds.
    bool Next(PageToken& token);

private:
    bool Text(std::size_t begin, std::size_t end, PageToken& token) const;
    bool OpensTag(std::size_t at) const;
    // Where the comment or declaration that starts at `at` ends; 0 when none starts there.
    std::size_t SkippedMarkupEnd(std::size_t at) const;
    std::size_t BogusCommentEnd(std::size_t from) const;
    std::size_t CommentEnd(std::size_t from) const;
    bool ReadTag(std::size_t at, PageToken& token) const;
    std::size_t RawTextEnd(std::size_t from, std::string_view name) const;

    std::string_view page_;
    std::size_t at_ = 0;
    PageToken pending_;  // a tag read while finding where the text before it ends
    bool tagPending_ = false;
};

// HTML's ASCII whitespace: tab, line feed, form feed, carriage return, space.
bool IsHtmlBlank(char byte);

// Whether the page holds `word` (lower case) at `at`, in any case.
bool HasWordAt(std::string_view page, std::size_t at, std::string_view word);

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "learn/value_finder.h"

// The context of a value in a page's cleaned text, in the pieces a hand-written label rule is made
// of: tags (an opening tag matched with any attributes) and label text, nearest the value first.
struct ContextPiece {
    enum class Kind { tag, text } kind;
    std::string pattern;       // the piece as a rule writes it ("<DT[^>]*>", "</DD>", "联系人：")
    bool blankBefore = false;  // a blank stood before it in the page (towards the page's start)
};

// Up to `count` pieces to the left of the occurrence, nearest first.
std::vector<ContextPiece> LeftContext(std::string_view text, const ValueOccurrence& occurrence,
                                      std::size_t count);
// The piece right after the occurrence (blanks skipped); empty pattern at the text's end.
ContextPiece RightContext(std::string_view text, const ValueOccurrence& occurrence);

// Text as a rule's literal: regular-expression characters escaped, blanks as "\s*".
std::string LiteralPattern(std::string_view text);

// The label rule of a left context (its `size` nearest pieces), the capture and the right piece:
// pieces joined by "\s*" where a blank or two tags meet, the capture set in "\s*" on both sides.
std::string LabelRulePattern(const std::vector<ContextPiece>& left, std::size_t size, bool captureSpansTags,
                             const ContextPiece& right);

// A value wrapped in a tag of its own inside its cell (a link in a table cell): the context with
// that tag made optional and the value ending at any tag, so that the rule also finds an empty
// cell. False when the value stands in its cell directly.
bool MakeInnerTagOptional(std::vector<ContextPiece>& pieces, ContextPiece& right);

// Two contexts of the same shape made one: where they differ, a tag becomes "<[^>]*>" (or keeps
// its name when both have it) and text becomes "[^<]*?". False when the shapes differ.
bool MergeContexts(const std::vector<ContextPiece>& first, const std::vector<ContextPiece>& second,
                   std::size_t size, std::vector<ContextPiece>& merged);

#pragma once

// ThreadSanitizer reports for Boost.Regex's matcher: the matcher's backtracking blocks come from
// a process-wide cache inside the (uninstrumented) Boost.Regex library, which hands a block from
// one thread to the next through its own atomics, invisible to the sanitizer. Each search works
// on its own block; the rules themselves are only read while a search runs.
inline constexpr const char* kRegexCacheSuppressions = "race:boost::re_detail_107400::perl_matcher\n";

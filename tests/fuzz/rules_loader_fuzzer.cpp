// Loads and checks the input as a rules file, fills its search address template, then searches the
// input itself with every pattern that loaded, as the engine searches page text with them, and
// reads each captured link against a page address as the engine follows it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/captured_link.h"
#include "engine/rule_search.h"
#include "engine/rules_check.h"
#include "engine/rules_file.h"
#include "engine/search_query.h"
#include "http/trace_output.h"

namespace {

constexpr std::size_t kSearchedBytes = 256;  // enough text to exercise the patterns, fast per run
constexpr std::string_view kPageAddress = "http://dir.test/list/a.html?q=1#top";

void SearchWith(const boost::regex& pattern, std::string_view text) {
    std::string capture;
    if (FindFirstCapture(pattern, text, capture)) ResolveCapturedLink(capture, kPageAddress);
    std::size_t position = 0;
    for (int found = 0; found < 8 && FindNextCapture(pattern, text, position, capture); ++found) {
        ResolveCapturedLink(capture, kPageAddress);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static std::FILE* const discardedTrace = [] {
        std::FILE* stream = std::fopen("/dev/null", "w");
        SetTraceStream(stream);
        return stream;
    }();
    (void)discardedTrace;

    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ExtractionRules rules;
    LoadRulesFromText(text, rules);
    for (const RulesFinding& finding : CheckRulesText(text)) DescribeFinding(finding);

    // The template filled with conditions cut from the input itself, in both charsets.
    const std::string piece(text.substr(0, 16));
    const SearchCondition condition{piece, "", piece, "", "x"};
    for (const QueryCharset charset : {QueryCharset::gbk, QueryCharset::utf8})
        FillSearchTemplate(rules.searchUrlTemplate, condition, charset, 2);
    UnknownPlaceholders(rules.searchUrlTemplate);

    const std::string_view searched = text.substr(0, kSearchedBytes);
    for (const auto* pattern :
         {&rules.compTotalPageReg, &rules.compTotalCompanyReg, &rules.validateCompReg,
          &rules.validateCompContactReg, &rules.validateCompIntroduceReg, &rules.validateCompUserInfoReg,
          &rules.generalCompReg, &rules.generalCompContactReg, &rules.generalCompIntroduceReg, &rules.CompReg,
          &rules.CompContactReg, &rules.CompIntroduceReg, &rules.nextPageReg, &rules.companySiteLinkReg,
          &rules.generalLinkReg, &rules.memberIdReg}) {
        if (*pattern) SearchWith(**pattern, searched);
    }
    for (const auto* labelRules : {&rules.validateRules, &rules.generalRules, &rules.companyRules}) {
        for (const auto& [label, pattern] : *labelRules) SearchWith(pattern, searched);
    }
    return 0;
}

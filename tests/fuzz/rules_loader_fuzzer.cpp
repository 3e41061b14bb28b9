// Loads the input as a rules file, then searches the input itself with every pattern that loaded,
// as the engine searches page text with them.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/rule_search.h"
#include "engine/rules_file.h"
#include "http/trace_output.h"

namespace {

constexpr std::size_t kSearchedBytes = 256;  // enough text to exercise the patterns, fast per run

void SearchWith(const boost::regex& pattern, std::string_view text) {
    std::string capture;
    FindFirstCapture(pattern, text, capture);
    std::size_t position = 0;
    for (int found = 0; found < 8 && FindNextCapture(pattern, text, position, capture); ++found) {
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

    const std::string_view searched = text.substr(0, kSearchedBytes);
    for (const auto* pattern :
         {&rules.compTotalPageReg, &rules.compTotalCompanyReg, &rules.validateCompReg,
          &rules.validateCompContactReg, &rules.validateCompIntroduceReg, &rules.validateCompUserInfoReg,
          &rules.generalCompReg, &rules.generalCompContactReg, &rules.generalCompIntroduceReg, &rules.CompReg,
          &rules.CompContactReg, &rules.CompIntroduceReg}) {
        if (*pattern) SearchWith(**pattern, searched);
    }
    for (const auto* labelRules : {&rules.validateRules, &rules.generalRules, &rules.companyRules}) {
        for (const auto& [label, pattern] : *labelRules) SearchWith(pattern, searched);
    }
    return 0;
}

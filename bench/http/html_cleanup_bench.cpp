// Throughput of the HTML clean-up functions and of the two page clean-up sequences, on a realistic
// GBK company page of about a megabyte and on hostile texts of a megabyte.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <vector>

#include "http/html_cleanup.h"

namespace {

using Cleanup = int (*)(char*);

constexpr std::size_t kPageBytes = 1 << 20;

// One company block as the directory serves it: a comment, a table of labels and values with
// attributes, non-breaking spaces, dashes, full-width spaces and solidi, a script and a style.
std::string CompanyBlock(int number) {
    const std::string n = std::to_string(number);
    return "<!-- company block " + n +
           " -->\r\n"
           "<div class=\"companyInfo\" id=\"company" +
           n +
           "\">\r\n"
           "<table width=\"100%\" border=\"0\" cellpadding=\"2\" cellspacing=\"0\" class=\"info\">\r\n"
           "  <tr><td class=\"label\" nowrap>公司名称：</td><td class=\"value\">深圳市华强电子有限公司第" +
           n +
           "分公司&nbsp;</td></tr>\r\n"
           "  <tr><td class=\"label\">联系人：</td><td "
           "class=\"value\">张先生　（销售经理）&nbsp;&nbsp;</td></tr>\r\n"
           "  <tr><td class=\"label\">电　　话：</td><td class=\"value\">0755&mdash;8321" +
           n +
           "</td></tr>\r\n"
           "  <tr><td class=\"label\">地　　址：</td><td "
           "class=\"value\">广东省深圳市福田区华强北路１０２号／Ａ座</td></tr>\r\n"
           "  <tr><td class=\"label\">主营产品：</td><td "
           "class=\"value\">电子元器件，集成电路，二极管，三极管</td></tr>\r\n"
           "</table>\r\n"
           "<script type=\"text/javascript\">\r\n  var companyId = \"" +
           n +
           "\"; if (a < b && c > d) { show(companyId); }\r\n</script>\r\n"
           "<style type=\"text/css\">td.label { color: #333; font-size: 12px; }</style>\r\n"
           "<p "
           "class=\"intro\">"
           "本公司成立于二零零三年，是一家专业从事电子元器件销售的企业，\t产品质量可靠，价格合理。</p>\r\n"
           "<a href=\"http://example.com/company/" +
           n +
           ".html\" target=\"_blank\"><img src=\"/images/logo.gif\" alt=\"logo\" border=\"0\" /></a>\r\n"
           "</div>\r\n";
}

std::string RealisticPage() {
    std::string page = "<html><head><title>公司黄页</title></head><body>\r\n";
    for (int number = 0; page.size() < kPageBytes; ++number) page += CompanyBlock(number);
    return page + "</body></html>\r\n";
}

std::string Repeat(const std::string& piece) {
    std::string text;
    while (text.size() < kPageBytes) text += piece;
    return text;
}

// Each iteration cleans a fresh copy, since every function changes its text in place.
void RunCleanups(benchmark::State& state, const std::string& text, std::vector<Cleanup> cleanups) {
    std::vector<char> buffer(text.size() + 1);
    for (auto _ : state) {
        state.PauseTiming();
        std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
        state.ResumeTiming();
        for (Cleanup cleanup : cleanups) cleanup(buffer.data());
        benchmark::DoNotOptimize(buffer.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

struct Named {
    const char* name;
    std::vector<Cleanup> cleanups;
};

}  // namespace

int main(int argc, char** argv) {
    const std::vector<Named> single = {
        {"UpperTagText", {UpperTagText}},
        {"BlankComments", {BlankComments}},
        {"StripTagAttributes", {StripTagAttributes}},
        {"BlankScripts", {BlankScripts}},
        {"BlankTags", {BlankTags}},
        {"BlankLineBreaks", {BlankLineBreaks}},
        {"SqueezeText", {SqueezeText}},
    };
    const std::vector<Named> pipelines = {
        {"CompanyOrGeneralPage", {UpperTagText, BlankComments, BlankLineBreaks, SqueezeText}},
        {"MemberPage", {UpperTagText, BlankComments, StripTagAttributes, BlankLineBreaks, SqueezeText}},
    };
    static const std::string page = RealisticPage();
    static const std::vector<std::pair<const char*, std::string>> hostile = {
        {"OpeningBrackets", Repeat("<")},          {"CommentStarts", Repeat("<!--")},
        {"NbspWithoutSemicolon", Repeat("&nbsp")}, {"FullWidthLeadBytes", Repeat("\xA1")},
        {"ScriptStarts", Repeat("<SCRIPT>")},
    };

    for (const Named& entry : single) {
        benchmark::RegisterBenchmark((std::string("Page/") + entry.name).c_str(), RunCleanups, page,
                                     entry.cleanups);
    }
    for (const Named& entry : pipelines) {
        benchmark::RegisterBenchmark((std::string("Page/") + entry.name).c_str(), RunCleanups, page,
                                     entry.cleanups);
    }
    for (const auto& [inputName, text] : hostile) {
        for (const Named& entry : single) {
            benchmark::RegisterBenchmark((std::string("Hostile/") + inputName + "/" + entry.name).c_str(),
                                         RunCleanups, text, entry.cleanups);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

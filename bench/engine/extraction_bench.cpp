// CPU time of reading one company from saved pages, per page family: the clean-up of the
// combined text, the label rules and the member pages; argument 1 counts every rule and field
// as a search does (shared by all threads of the benchmark, as by a search's three workers),
// argument 0 does not. BM_ExtractDemoCompany reads one company of the demo directory in each of
// its layouts with the rules shipped for it (the source folder from HARVIO_SOURCE_DIR, else the
// working directory).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "engine/company_extraction.h"
#include "engine/rule_counters.h"
#include "engine/rules_file.h"
#include "engine/saved_page_source.h"
#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_modern_pages.h"
#include "tools/demo-directory/demo_pages.h"
#include "tools/demo-directory/gbk_text.h"

namespace {

constexpr int kFillerBlocks = 400;  // about 60 KB of page around the values, as on the site

std::string Rules() {
    std::string rules =
        "validate,,,注册时间,,,注册时间：([0-9-]+)\n"
        "validate,,,最后登录时间,,,最后登录：([^<]*)<\n"
        "validate,,,企业身份认证,,,身份认证：(.*?)</td>\n"
        "validate,,,诚信通年限,,,诚信通：(\\d+)\n"
        "TimeInfoUrl,,,http://member.test/time/{id}.html\n"
        "ConfirmInfoUrl,,,http://member.test/confirm/{id}/{id}.html\n"
        "companySitePrefix,,,http://corp\n"
        "detailPrefix,,,http://detail\n";
    for (const std::string prefix : {"validateComp", "generalComp", "Comp"}) {
        rules += prefix + "ContactReg,,,href=\"([^\"]*contact\\.html)\"\n";
        rules += prefix + "IntroduceReg,,,href=\"([^\"]*intro\\.html)\"\n";
    }
    for (const std::string family : {"validate", "general", "company"}) {
        rules += family + ",,,公司名称,,,<H1[^>]*>(.*?)</H1>\n";
        rules += family + ",,,联系人,,,联系人：(.*?)<\n";
        rules += family + ",,,电话,,,<P[^>]*>电话：(.*?)<\n";
        rules += family + ",,,移动电话,,,移动电话：(.*?)<\n";
        rules += family + ",,,传真,,,传真：(.*?)<\n";
        rules += family + ",,,地址,,,地址：(.*?)<\n";
        rules += family + ",,,公司介绍,,,公司介绍：(.*?)。\n";
        rules += family + ",,,主营产品或服务,,,主营产品：(.*?)<\n";
    }
    return rules;
}

std::string Filler() {
    std::string filler;
    for (int block = 0; block < kFillerBlocks; ++block) {
        filler +=
            "<div class=\"nav\" id=\"n" + std::to_string(block) +
            "\">\n  <!-- menu --><a href=\"/x\">产品&nbsp;中心</a>\r\n  <script>var a=1;</script></div>\n";
    }
    return filler;
}

SavedPageSource::Pages Pages(const std::string& link) {
    const std::string filler = Filler();
    return {
        filler + "<h1 class=\"name\">杭州照明有限公司</h1><a href=\"" + link +
            "contact.html\">联系</a><a href=\"" + link + "intro.html\">介绍</a>" + filler,
        filler +
            "<p class=\"t\">电话：86-0571-88880000</p><p>移动电话：13900000000</p><p>传真：0571-7777</p>"
            "<p>联系人：张三先生 经理</p><p>地址：杭州市西湖区</p><span>主营产品：台灯、吊灯</span>" +
            filler,
        filler + "<div>公司介绍：本公司专业生产<b>各类灯具</b>，欢迎来电。</div>" + filler,
        "<td>注册时间：2009-01-01</td><td>最后登录：2010-05-06</td>",
        "<td>身份认证：<b>已认证</b></td><td>诚信通：3年</td>",
    };
}

const ExtractionRules& LoadedRules() {
    static const ExtractionRules rules = [] {
        ExtractionRules loaded;
        LoadRulesFromText(Rules(), loaded);
        return loaded;
    }();
    return rules;
}

void ExtractOneCompany(benchmark::State& state, const std::string& link) {
    const ExtractionRules& rules = LoadedRules();
    static RuleCounters counters(rules);
    RuleCounters* counted = state.range(0) != 0 ? &counters : nullptr;
    const SavedPageSource::Pages pages = Pages(link);
    for (auto _ : state) {
        SavedPageSource source(pages);
        benchmark::DoNotOptimize(ExtractCompany(rules, source, link, nullptr, counted));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(pages[0].size() * 3));
}

void BM_ExtractMemberSiteCompany(benchmark::State& state) {
    ExtractOneCompany(state, "http://lamps88.test/");
}
void BM_ExtractGeneralCompany(benchmark::State& state) {
    ExtractOneCompany(state, "http://detail.test/d1/");
}
void BM_ExtractCompanySiteCompany(benchmark::State& state) {
    ExtractOneCompany(state, "http://corp.test/c1/");
}

std::string SourceDirectory() {
    const char* named = std::getenv("HARVIO_SOURCE_DIR");
    return named ? named : ".";
}

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8).value_or(std::string());
}

// state.range(0): 0 the classic layout (home, contact and introduction page), 1 the modern one
// (one page of facts and a contact page). The same general company in both.
void BM_ExtractDemoCompany(benchmark::State& state) {
    const bool modern = state.range(0) != 0;
    const DemoCatalogue catalogue(30, 1);
    const DemoCompany* company = nullptr;
    for (const DemoCompany& candidate : catalogue.Companies()) {
        if (candidate.family != DemoFamily::Member && candidate.introduction == DemoIntroduction::Written &&
            demo_modern::HasContactPage(candidate)) {
            company = &candidate;
            break;
        }
    }
    ExtractionRules rules;
    const std::string rulesFile = modern ? "/config/sites/demo-modern.rules" : "/config/reg.alibaba";
    if (company == nullptr || !LoadRulesFile(SourceDirectory() + rulesFile, rules)) {
        state.SkipWithError("no company or no rules file");
        return;
    }
    SavedPageSource::Pages pages;
    std::string link;
    if (modern) {
        link = demo_modern::HomeUrl(*company);
        pages[0] = Gbk(RenderModernCompanyPage(*company, demo_modern::PageKind::Home));
        pages[1] = Gbk(RenderModernCompanyPage(*company, demo_modern::PageKind::Contact));
    } else {
        link = demo_site::HomeUrl(*company);
        pages[0] = Gbk(RenderCompanyPage(*company, demo_site::PageKind::Home));
        pages[1] = Gbk(RenderCompanyPage(*company, demo_site::PageKind::Contact));
        pages[2] = Gbk(RenderCompanyPage(*company, demo_site::PageKind::Introduction));
    }
    int64_t bytes = 0;
    for (const std::string& page : pages) bytes += static_cast<int64_t>(page.size());
    for (auto _ : state) {
        SavedPageSource source(pages);
        auto record = ExtractCompany(rules, source, link);
        if (!record || record->contact.empty()) {
            state.SkipWithError("the company gave no record with its contact");
            return;
        }
        benchmark::DoNotOptimize(record);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

}  // namespace

BENCHMARK(BM_ExtractDemoCompany)->ArgName("modern")->Arg(0)->Arg(1);
BENCHMARK(BM_ExtractMemberSiteCompany)->Arg(0)->Arg(1);
BENCHMARK(BM_ExtractGeneralCompany)->Arg(0)->Arg(1);
BENCHMARK(BM_ExtractCompanySiteCompany)->Arg(0)->Arg(1);
BENCHMARK(BM_ExtractMemberSiteCompany)->Arg(0)->Arg(1)->Threads(3)->UseRealTime();
BENCHMARK_MAIN();

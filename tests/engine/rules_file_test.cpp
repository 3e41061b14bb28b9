#include "engine/rules_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <string>

#include "engine/rules_check.h"
#include "engine/search_engine_alibaba.h"
#include "engine/site_profiles.h"
#include "engine/support/trace_capture.h"
#include "http/trace_output.h"
#include "platform/program_directory.h"
#include "platform/program_paths.h"
#include "support/temp_dir.h"

namespace {

// Loads text and returns the trace lines the loader wrote.
std::string LoadCapturingTrace(std::string_view text, ExtractionRules& rules) {
    std::FILE* trace = std::tmpfile();
    SetTraceStream(trace);
    LoadRulesFromText(text, rules);
    SetTraceStream(nullptr);
    std::string lines;
    std::rewind(trace);
    for (int byte; (byte = std::fgetc(trace)) != EOF;) lines.push_back(static_cast<char>(byte));
    std::fclose(trace);
    return lines;
}

std::string PatternText(const std::optional<boost::regex>& pattern) {
    return pattern ? pattern->str() : "<absent>";
}

// A rule line of exactly size bytes.
std::string PatternLine(const std::string& key, std::size_t size) {
    const std::string head = key + ",,,(";
    return head + std::string(size - head.size() - 1, 'x') + ")";
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

TEST(RulesFile, EachKeyFillsItsOwnMember) {
    ExtractionRules rules;
    const std::string trace = LoadCapturingTrace(
        "validateCompReg,,,(v1)\n"
        "validateCompContactReg,,,(v2)\n"
        "validateCompIntroduceReg,,,(v3)\n"
        "validateCompUserInfoReg,,,(v4)\n"
        "generalCompReg,,,(g1)\n"
        "generalCompContactReg,,,(g2)\n"
        "generalCompIntroduceReg,,,(g3)\n"
        "compTotalPageReg,,,(t1)\n"
        "compTotalCompanyReg,,,(t2)\n"
        "CompReg,,,(c1)\n"
        "CompContactReg,,,(c2)\n"
        "CompIntroduceReg,,,(c3)\n"
        "TimeInfoUrl,,,http://t/{id}\n"
        "ConfirmInfoUrl,,,http://c/{id}/{id}\n"
        "searchBaseUrl,,,http://s/company/\n"
        "companySitePrefix,,,http://p1\n"
        "detailPrefix,,,http://p2\n"
        "directoryPrefix,,,http://p3\n"
        "siteName,,,站点\n"
        "searchUrlTemplate,,,http://s/?q={keyword}\n"
        "queryCharset,,,UTF-8\n"
        "nextPageReg,,,(n1)\n"
        "companySiteLinkReg,,,^http://c\n"
        "generalLinkReg,,,(g4)\n"
        "memberIdReg,,,(m1)\n",
        rules);
    EXPECT_EQ(trace, "");
    EXPECT_EQ(rules.siteName, "站点");
    EXPECT_EQ(rules.searchUrlTemplate, "http://s/?q={keyword}");
    EXPECT_EQ(rules.queryCharset, "UTF-8");
    EXPECT_EQ(PatternText(rules.nextPageReg), "(n1)");
    EXPECT_EQ(PatternText(rules.companySiteLinkReg), "^http://c");  // tells a family, captures nothing
    EXPECT_EQ(PatternText(rules.generalLinkReg), "(g4)");
    EXPECT_EQ(PatternText(rules.memberIdReg), "(m1)");
    EXPECT_TRUE(rules.keysGivenEmpty.empty());
    EXPECT_EQ(PatternText(rules.validateCompReg), "(v1)");
    EXPECT_EQ(PatternText(rules.validateCompContactReg), "(v2)");
    EXPECT_EQ(PatternText(rules.validateCompIntroduceReg), "(v3)");
    EXPECT_EQ(PatternText(rules.validateCompUserInfoReg), "(v4)");
    EXPECT_EQ(PatternText(rules.generalCompReg), "(g1)");
    EXPECT_EQ(PatternText(rules.generalCompContactReg), "(g2)");
    EXPECT_EQ(PatternText(rules.generalCompIntroduceReg), "(g3)");
    EXPECT_EQ(PatternText(rules.compTotalPageReg), "(t1)");
    EXPECT_EQ(PatternText(rules.compTotalCompanyReg), "(t2)");
    EXPECT_EQ(PatternText(rules.CompReg), "(c1)");
    EXPECT_EQ(PatternText(rules.CompContactReg), "(c2)");
    EXPECT_EQ(PatternText(rules.CompIntroduceReg), "(c3)");
    EXPECT_EQ(rules.TimeInfoUrl, "http://t/{id}");
    EXPECT_EQ(rules.ConfirmInfoUrl, "http://c/{id}/{id}");
    EXPECT_EQ(rules.searchBaseUrl, "http://s/company/");
    EXPECT_EQ(rules.companySitePrefix, "http://p1");
    EXPECT_EQ(rules.detailPrefix, "http://p2");
    EXPECT_EQ(rules.directoryPrefix, "http://p3");
}

TEST(RulesFile, PatternsArePerlAndCaseInsensitive) {
    ExtractionRules rules;
    LoadRulesFromText("compTotalPageReg,,,total:\\s*(\\d+)", rules);
    ASSERT_TRUE(rules.compTotalPageReg);
    boost::smatch match;
    const std::string page = "<B>TOTAL: 37</B>";
    ASSERT_TRUE(boost::regex_search(page, match, *rules.compTotalPageReg));
    EXPECT_EQ(match[1], "37");
}

TEST(RulesFile, CommentsBlanksAndUnknownKeysAreSkippedSilently) {
    ExtractionRules rules;
    const std::string trace = LoadCapturingTrace(
        "#CompReg,,,(a)\n"
        "\n"
        " CompReg,,,(b)\n"
        "compreg,,,(c)\n"
        "CompReg ,,,(d)\n"
        "unknownKey,,,(\n"
        "\r\n",
        rules);
    EXPECT_EQ(trace, "");
    EXPECT_FALSE(rules.CompReg);
}

TEST(RulesFile, OnlyTheFirstSeparatorEndsTheKeyAndNothingIsTrimmed) {
    ExtractionRules rules;
    LoadRulesFromText(
        "CompReg,,,a(b),,,c \n"
        "TimeInfoUrl,,, http://t/{id},,,x\n",
        rules);
    EXPECT_EQ(PatternText(rules.CompReg), "a(b),,,c ");
    EXPECT_EQ(rules.TimeInfoUrl, " http://t/{id},,,x");
}

TEST(RulesFile, LabelLinesFillTheMapOfTheirKey) {
    ExtractionRules rules;
    LoadRulesFromText(
        "general,,,公司名称,,,公司名称：(.*?)<\n"
        "company,,,公司名称,,,<TD>(.*?)</TD>\n"
        "validate,,,联系人,,,first(x)\n"
        "validate,,,联系人,,,second(y),,,z\n",
        rules);
    ASSERT_EQ(rules.generalRules.size(), 1u);
    ASSERT_EQ(rules.generalRules.count("公司名称"), 1u);
    EXPECT_EQ(rules.generalRules.at("公司名称").str(), "公司名称：(.*?)<");
    ASSERT_EQ(rules.companyRules.count("公司名称"), 1u);
    EXPECT_EQ(rules.companyRules.at("公司名称").str(), "<TD>(.*?)</TD>");
    ASSERT_EQ(rules.validateRules.size(), 1u);
    EXPECT_EQ(rules.validateRules.at("联系人").str(), "second(y),,,z");
}

TEST(RulesFile, CrLfAndMissingLastLineEndLeaveNoCarriageReturn) {
    ExtractionRules rules;
    LoadRulesFromText(
        "CompReg,,,(a)\r\n"
        "TimeInfoUrl,,,http://t/{id}\r\n"
        "company,,,label\r,,,(c)\r\n"
        "CompContactReg,,,(last)",
        rules);
    EXPECT_EQ(PatternText(rules.CompReg), "(a)");
    EXPECT_EQ(rules.TimeInfoUrl, "http://t/{id}");
    EXPECT_EQ(rules.companyRules.count("label\r"), 1u);  // only the line end's CR is dropped
    EXPECT_EQ(PatternText(rules.CompContactReg), "(last)");
}

TEST(RulesFile, RepeatedKeysAndLabelsKeepTheLastLineAndAreTold) {
    ExtractionRules rules;
    const std::string trace = LoadCapturingTrace(
        "CompReg,,,(first)\n"      // 1
        "TimeInfoUrl,,,one\n"      // 2
        "CompReg,,,(second)\n"     // 3
        "TimeInfoUrl,,,two\n"      // 4
        "CompReg,,,(broken\n"      // 5: skipped, so no repeat
        "general,,,电话,,,(a)\n"   // 6
        "company,,,电话,,,(b)\n"   // 7: another map
        "general,,,电话,,,(c)\n",  // 8
        rules);
    EXPECT_EQ(PatternText(rules.CompReg), "(second)");
    EXPECT_EQ(rules.TimeInfoUrl, "two");
    EXPECT_EQ(rules.generalRules.at("电话").str(), "(c)");
    for (const char* line :
         {"rules file line 3: CompReg: given again: this line replaces line 1, which is not used\n",
          "rules file line 4: TimeInfoUrl: given again: this line replaces line 2, which is not used\n",
          "rules file line 8: general 电话: given again: this line replaces line 6, which is not used\n"}) {
        EXPECT_EQ(CountOf(trace, line), 1) << line << trace;
    }
    EXPECT_EQ(CountOf(trace, "given again"), 3) << trace;
}

TEST(RulesFile, AnEmptyValueSaysTheSiteHasNoSuchPage) {
    ExtractionRules rules;
    const std::string trace = LoadCapturingTrace(
        "CompContactReg,,,(contact)\n"
        "CompContactReg,,,\n"  // the later, empty line wins
        "CompIntroduceReg,,,\n"
        "validateCompUserInfoReg,,,\n"
        "TimeInfoUrl,,,\n"
        "CompReg,,,\n",  // a link rule may not be empty
        rules);
    EXPECT_FALSE(rules.CompContactReg);
    EXPECT_EQ(rules.keysGivenEmpty, (std::set<std::string>{"CompContactReg", "CompIntroduceReg",
                                                           "validateCompUserInfoReg", "TimeInfoUrl"}));
    EXPECT_NE(trace.find("line 6 skipped: the pattern has no capture group"), std::string::npos) << trace;
    LoadRulesFromText("CompIntroduceReg,,,(intro)\n", rules);
    EXPECT_EQ(rules.keysGivenEmpty.count("CompIntroduceReg"), 0u);
}

// What the check asks of a site's profile: the keys of the families it has, a search address, and
// how the walk finds its result pages.
TEST(RulesCheck, AsksOnlyForWhatTheProfilesFamiliesNeed) {
    const std::string modern =
        "siteName,,,s\nsearchUrlTemplate,,,http://s.test/?q={keyword}\nnextPageReg,,,href=\"([^\"]+)\">next\n"
        "generalCompReg,,,(g)\ngeneralLinkReg,,,/company/"
        "\ngeneralCompContactReg,,,(c)\ngeneralCompIntroduceReg,,,\n";
    const struct {
        std::string text;
        std::vector<std::string> findings;
    } cases[] = {
        {modern, {}},
        {modern + "validateCompReg,,,(m)\n",
         {"validateCompContactReg: missing, a search needs it",
          "validateCompIntroduceReg: missing, a search needs it",
          "validateCompUserInfoReg: missing, a search needs it", "TimeInfoUrl: missing, a search needs it",
          "ConfirmInfoUrl: missing, a search needs it"}},
        {modern + "validateCompReg,,,(m)\nvalidateCompContactReg,,,\nvalidateCompIntroduceReg,,,(i)\n"
                  "validateCompUserInfoReg,,,\nTimeInfoUrl,,,/t/{id}\nConfirmInfoUrl,,,\n",
         {}},
        {modern + "CompReg,,,(c)\nCompContactReg,,,\nCompIntroduceReg,,,\n",
         {"companySitePrefix: missing, a search needs it"}},
        {"searchUrlTemplate,,,http://s.test/"
         "?q={keywrod}&city={City}\ngeneralCompReg,,,(g)\ndetailPrefix,,,http://d\n"
         "generalCompContactReg,,,\ngeneralCompIntroduceReg,,,\nqueryCharset,,,utf8\n",
         {"searchUrlTemplate: unknown placeholder {keywrod}", "searchUrlTemplate: unknown placeholder {City}",
          "searchUrlTemplate: no {page}: the result pages after the first need it, or nextPageReg",
          "queryCharset: GBK or UTF-8, not utf8", "compTotalPageReg: missing, a search needs it",
          "compTotalCompanyReg: missing, a search needs it"}},
        {"compTotalPageReg,,,(p)\ncompTotalCompanyReg,,,(c)\nsearchBaseUrl,,,http://s/company/\n",
         {"validateCompReg: missing, a search needs it", "generalCompReg: missing, a search needs it",
          "CompReg: missing, a search needs it"}},
        {modern + "generalCompContactReg,,,(again)\n",
         {"line 8: generalCompContactReg: given again: this line replaces line 6, which is not used"}},
    };
    for (const auto& c : cases) {
        std::vector<std::string> described;
        for (const RulesFinding& finding : CheckRulesText(c.text))
            described.push_back(DescribeFinding(finding));
        EXPECT_EQ(described, c.findings) << c.text;
    }
}

TEST(RulesFile, FaultyLinesAreSkippedAndReportedByNumber) {
    ExtractionRules rules;
    const std::string tooLong = PatternLine("CompIntroduceReg", 512);
    const std::string fitting = PatternLine("generalCompReg", 511);
    const std::string trace = LoadCapturingTrace(
        "CompReg,,,(good)\n"           // 1
        "CompReg,,,(unclosed\n"        // 2: does not compile, the earlier pattern stays
        "CompContactReg,,,no group\n"  // 3
        "CompReg (x)\n"                // 4: no separator
        "general,,,label only\n"       // 5: no label separator
            + tooLong + "\r\n"         // 6: 512 bytes without its line end
            + fitting +
            "\n"                      // 7: 511 bytes, loaded
            "general,,,name,,,[z\n",  // 8
        rules);
    EXPECT_EQ(PatternText(rules.CompReg), "(good)");
    EXPECT_FALSE(rules.CompContactReg);
    EXPECT_FALSE(rules.CompIntroduceReg);
    EXPECT_TRUE(rules.generalRules.empty());
    EXPECT_EQ("generalCompReg,,," + PatternText(rules.generalCompReg), fitting);
    for (const char* line : {"line 2 ", "line 3 ", "line 4 ", "line 5 ", "line 6 ", "line 8 "}) {
        EXPECT_NE(trace.find(line), std::string::npos) << line << " not reported in:\n" << trace;
    }
    EXPECT_EQ(trace.find("line 1 "), std::string::npos);
    EXPECT_EQ(trace.find("line 7 "), std::string::npos);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 6);
}

TEST(RulesFile, PatternEndingInABracketWithABackslashIsRejectedWithinItsBytes) {
    // The text ends right after the pattern, with no NUL after it, so that a read past it shows
    // under AddressSanitizer when the build instruments Boost's parser (the fuzzing build does).
    const std::string line = "CompReg,,,([a\\";
    const std::unique_ptr<char[]> exact(new char[line.size()]);
    std::copy(line.begin(), line.end(), exact.get());
    ExtractionRules rules;
    EXPECT_NE(LoadCapturingTrace(std::string_view(exact.get(), line.size()), rules).find("line 1 "),
              std::string::npos);
    EXPECT_FALSE(rules.CompReg);
}

TEST(RulesFile, LoadsAFileAndRefusesWhatCannotBeRead) {
    TempDir dir;
    ExtractionRules rules;
    EXPECT_FALSE(LoadRulesFile(dir.File("missing").string(), rules));
    EXPECT_FALSE(LoadRulesFile(dir.Path().string(), rules));
    EXPECT_FALSE(rules.CompReg);

    WriteFile(dir.File("reg.alibaba"), "# site rules\r\nCompReg,,,href=\"(.*?)\"\r\nTimeInfoUrl,,,t/{id}");
    ASSERT_TRUE(LoadRulesFile(dir.File("reg.alibaba").string(), rules));
    EXPECT_EQ(PatternText(rules.CompReg), "href=\"(.*?)\"");
    EXPECT_EQ(rules.TimeInfoUrl, "t/{id}");
}

// Runs in a temporary working directory and program directory, restoring both.
class RulesFilePathTest : public testing::Test {
protected:
    void SetUp() override {
        previous = std::filesystem::current_path();
        std::filesystem::current_path(workDir.Path());
        SetProgramDirectoryForTesting(programDir.Path().string());
    }
    void TearDown() override {
        SetProgramDirectoryForTesting("");
        std::filesystem::current_path(previous);
    }
    std::filesystem::path previous;
    TempDir workDir;
    TempDir programDir;
};

TEST_F(RulesFilePathTest, PrefersTheWorkingDirectoryThenTheProgramDirectory) {
    EXPECT_EQ(RulesFilePath(), "config/reg.alibaba");  // neither holds one

    WriteFile(programDir.File("config/reg.alibaba"), "CompReg,,,(p)\n");
    EXPECT_EQ(RulesFilePath(), (programDir.Path() / "config/reg.alibaba").string());

    WriteFile(workDir.File("config/reg.alibaba"), "CompReg,,,(w)\n");
    EXPECT_EQ(RulesFilePath(), "config/reg.alibaba");
    ExtractionRules rules;
    ASSERT_TRUE(LoadRulesFile(RulesFilePath(), rules));
    EXPECT_EQ(PatternText(rules.CompReg), "(w)");
}

TEST_F(RulesFilePathTest, TheSitesAreTheRulesFileAndTheProfilesBesideIt) {
    WriteFile(workDir.File("config/reg.alibaba"), "CompReg,,,(w)\n");
    WriteFile(workDir.File("config/sites/modern.rules"),
              "# a profile\r\nsiteName,,,新站\r\nsiteName,,,现代站\r\n");
    WriteFile(workDir.File("config/sites/plain.rules"), "CompReg,,,(p)\n");
    const std::vector<SiteProfile> profiles = ListSiteProfiles();
    ASSERT_EQ(profiles.size(), 3u);
    EXPECT_EQ(profiles[0].name, kDefaultSiteName);
    EXPECT_EQ(profiles[0].path, "config/reg.alibaba");
    EXPECT_EQ(profiles[1].name, "现代站");  // the last siteName line, as every key
    EXPECT_EQ(profiles[2].name, "plain");   // no siteName: the file's name
    for (const char* name : {"现代站", "modern", "modern.rules"}) {
        ASSERT_TRUE(FindSiteProfile(profiles, name)) << name;
        EXPECT_EQ(FindSiteProfile(profiles, name)->path, "config/sites/modern.rules") << name;
    }
    EXPECT_EQ(FindSiteProfile(profiles, "reg.alibaba")->path, "config/reg.alibaba");
    EXPECT_FALSE(FindSiteProfile(profiles, "新站"));
    EXPECT_EQ(ReadSiteName(workDir.File("missing").string()), "");

    WriteFile(workDir.File("config/reg.alibaba"), "siteName,,,经典站\n");
    EXPECT_EQ(ListSiteProfiles().front().name, "经典站");
}

TEST(RulesTextNamed, TheNewNameComesFirstAndReplacesEveryOldOne) {
    const struct {
        const char* text;
        const char* named;
    } cases[] = {
        {"", "siteName,,,新站\n"},
        {"CompReg,,,(a)\n", "siteName,,,新站\nCompReg,,,(a)\n"},
        {"siteName,,,旧站\nCompReg,,,(a)\nsiteName,,,又一个", "siteName,,,新站\nCompReg,,,(a)\n"},
        {"# siteName,,,注释\r\nCompReg,,,(a)\r\n",
         "siteName,,,新站\r\n# siteName,,,注释\r\nCompReg,,,(a)\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(RulesTextNamed(c.text, "新站"), c.named) << c.text;
}

TEST_F(RulesFilePathTest, TheWindowsLoadOfTheRulesTracesEveryFindingOfTheCheckOnce) {
    WriteFile(workDir.File("config/reg.alibaba"), "CompRge,,,(x)\nCompReg,,,none\ncompany,,,星级,,,(x)\n");
    SearchEngine_Alibaba engine;
    std::string trace;
    {
        TraceCapture capture;
        engine.LoadRules();
        trace = capture.Text();
    }
    for (const char* line : {"rules file line 1: CompRge: unknown key, did you mean CompReg?\n",
                             "rules file line 2 skipped: the pattern has no capture group\n",
                             "rules file line 3: company 星级: the label has no record field\n",
                             "rules file searchBaseUrl: missing, a search needs it\n"}) {
        EXPECT_EQ(CountOf(trace, line), 1) << line << trace;
    }
    EXPECT_EQ(CountOf(trace, "line 2"), 1) << trace;
    EXPECT_EQ(PatternText(engine.Rules().companyRules.at("星级")), "(x)");
}

}  // namespace

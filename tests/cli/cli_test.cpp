#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#include "engine/captured_company.h"
#include "engine/result_row.h"
#include "engine/search_query.h"
#include "engine/support/loopback_site.h"
#include "engine/support/sample_directory.h"
#include "engine/support/tsan_suppressions.h"
#include "support/temp_dir.h"

namespace {

// Texts the tool prints are UTF-8; this file's plain literals are GBK.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

std::string Quoted(const std::string& argument) {
    std::string quoted = "'";
    for (const char byte : argument) quoted += byte == '\'' ? std::string("'\\''") : std::string(1, byte);
    return quoted + "'";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        rulesPath = directory.File("reg.alibaba").string();
        std::ofstream(rulesPath, std::ios::binary) << sample::RulesText();
        suppressionsPath = directory.File("tsan.supp").string();
        std::ofstream(suppressionsPath, std::ios::binary) << kRegexCacheSuppressions;
    }

    // Runs the tool, in the working directory when one is named.
    CliRun Run(const std::vector<std::string>& arguments, const std::string& workingDirectory = "") {
        // The tool of a ThreadSanitizer build meets the same Boost.Regex reports as the tests.
        // Each test's lead book starts empty, in the test's own folder.
        std::string command = workingDirectory.empty() ? "" : "cd " + Quoted(workingDirectory) + " && ";
        command += "XDG_DATA_HOME=" + Quoted(directory.File("data").string()) +
                   " TSAN_OPTIONS=\"${TSAN_OPTIONS:-} suppressions=" + suppressionsPath +
                   "\" " HARVIO_CLI_PATH;
        for (const std::string& argument : arguments) command += " " + Quoted(argument);
        const auto out = directory.File("stdout");
        const auto err = directory.File("stderr");
        command += " >" + Quoted(out.string()) + " 2>" + Quoted(err.string()) + " </dev/null";
        const int status = std::system(command.c_str());
        CliRun run;
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = ReadAll(out);
        run.err = ReadAll(err);
        return run;
    }

    std::string SavePage(const std::string& name, const std::string& body) {
        const std::string path = directory.File(name).string();
        std::ofstream(path, std::ios::binary) << body;
        return path;
    }

    std::vector<std::string> RoutedTo(const LoopbackSite& site) const {
        std::vector<std::string> options;
        for (const std::string& host : sample::kHosts) {
            options.push_back("--connect-to");
            options.push_back(host + ":80:127.0.0.1:" + std::to_string(site.Port()));
        }
        return options;
    }

    TempDir directory;
    std::string rulesPath;
    std::string suppressionsPath;
};

}  // namespace

TEST_F(CliTest, RulesPrintTheMemberRecordInFieldOrderWithItsDiagnostics) {
    std::ofstream(rulesPath, std::ios::app | std::ios::binary)
        << "validate,,,星级,,,<H1>(公司)\nvalidate,,,经营品牌,,,品牌：(.*?)<\n";
    const sample::CompanyPages pages = sample::PagesOf(sample::MemberLink(1), 1);
    const CliRun run = Run({"rules", "--rules", rulesPath, "--family", "member", "--link", "http://m1.test/",
                            SavePage("home", pages.home), SavePage("contact", pages.contact),
                            SavePage("intro", pages.introduction), SavePage("time", pages.time),
                            SavePage("confirm", pages.confirmation)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front(), "validate\t1");
    const auto position = [&](const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    const std::vector<std::string> expected = {
        "url\thttp://m1.test/",
        "contactUrl\thttp://m1.test/contact.html",
        "userInfo\tuser1",
        "contact\t" + Utf8(u8"张三先生 经理"),
        "compName\t" + Utf8(u8"公司1"),
        "phone\t86-0571-1",
        "compIntroduce\t" + Utf8(u8"做好产品1"),
        "memberId\tm1",
        "regTime\t2009-01-01",
        "trustYears\t1",
        "unmatched\t" + Utf8(u8"经营品牌"),
        "unknown\t" + Utf8(u8"星级"),
    };
    for (std::size_t index = 0; index < expected.size(); ++index) {
        EXPECT_LT(position(expected[index]), static_cast<long>(lines.size())) << expected[index];
        if (index > 0) {
            EXPECT_LT(position(expected[index - 1]), position(expected[index])) << expected[index];
        }
    }
    EXPECT_NE(run.err.find("exist un match key value."), std::string::npos);
}

TEST_F(CliTest, RulesOfTheGeneralFamilyLeaveMemberFieldsOut) {
    const sample::CompanyPages pages = sample::PagesOf(sample::GeneralLink(2), 2);
    const CliRun run =
        Run({"rules", "--rules", rulesPath, "--family", "general", SavePage("home", pages.home),
             SavePage("contact", pages.contact), SavePage("intro", pages.introduction)});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out).front(), "validate\t0");
    EXPECT_NE(run.out.find("compName\t" + Utf8(u8"公司2") + "\n"), std::string::npos);
    EXPECT_EQ(run.out.find("userInfo"), std::string::npos);
    EXPECT_EQ(run.out.find("memberId"), std::string::npos);
}

TEST_F(CliTest, RulesWithoutACompanyOrWithBadInputFail) {
    const std::string home = SavePage("home", "<html>no links</html>");
    const std::string other = SavePage("other", "<html>x</html>");
    const std::string empty = SavePage("empty", "");
    // A home page without links is a company read from that page alone; an empty one is none.
    const CliRun alone = Run({"rules", "--rules", rulesPath, "--family", "general", home});
    EXPECT_EQ(alone.exitCode, 0) << alone.err;
    EXPECT_EQ(Lines(alone.out).front(), "validate\t0");
    EXPECT_EQ(Run({"rules", "--rules", rulesPath, "--family", "general", empty, other, other}).exitCode, 1);
    EXPECT_EQ(
        Run({"rules", "--rules", rulesPath, "--family", "general", home, other, other, other, other, other})
            .exitCode,
        2);
    EXPECT_EQ(Run({"rules", "--rules", rulesPath, home, other, other}).exitCode, 2);
    EXPECT_EQ(Run({"rules", "--rules", rulesPath, "--family", "shop", home, other, other}).exitCode, 2);
    EXPECT_EQ(
        Run({"rules", "--rules", rulesPath, "--family", "general", home, other, "/nonexistent/x"}).exitCode,
        2);
    EXPECT_EQ(Run({"rules", "--rules", "/nonexistent/rules", "--list-page", home}).exitCode, 3);
    EXPECT_EQ(Run({"frobnicate"}).exitCode, 2);
}

TEST_F(CliTest, ListPagePrintsTotalsAndLinksInQueueOrder) {
    const std::string page = SavePage(
        "list",
        sample::ListPage(7, 250, {sample::MemberLink(1), sample::MemberLink(2), sample::MemberLink(1)},
                         {sample::GeneralLink(3)}, {sample::CompanyLink(4), sample::MemberLink(2)}));
    const CliRun run = Run({"rules", "--rules", rulesPath, "--list-page", page});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> expected = {"totalPages\t7",
                                               "totalCompanies\t250",
                                               "link\t" + sample::MemberLink(1),
                                               "link\t" + sample::MemberLink(2),
                                               "link\t" + sample::GeneralLink(3),
                                               "link\t" + sample::CompanyLink(4)};
    EXPECT_EQ(Lines(run.out), expected);
}

TEST_F(CliTest, FetchWritesTheBodyAndReportsTheResult) {
    LoopbackSite site;
    site.AddPage("http://dir.test/page.html", "<p>body</p>");
    std::vector<std::string> arguments = {"fetch", "http://dir.test/page.html", "-o",
                                          directory.File("body").string()};
    for (const std::string& option : RoutedTo(site)) arguments.push_back(option);
    CliRun run = Run(arguments);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(ReadAll(directory.File("body")), "<p>body</p>");
    EXPECT_EQ(run.err.substr(run.err.find("result=")), "result=11 status=200 error=\n");

    arguments[1] = "http://dir.test/missing.html";
    run = Run(arguments);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_NE(
        run.err.find("result=-2 status=404 error=get Html Not Found for:http://dir.test/missing.html\n"),
        std::string::npos);
    EXPECT_EQ(Run({"fetch", "http://dir.test/x", "--connect-to", "nonsense"}).exitCode, 2);
    EXPECT_EQ(Run({"fetch", "http://dir.test/x", "--user-agent", "a\nX-Injected: 1"}).exitCode, 2);

    // Several pages in order, one report line each; a failed one does not stop the rest.
    arguments[1] = "http://dir.test/page.html";
    arguments.insert(arguments.begin() + 2, {"http://dir.test/missing.html", "http://dir.test/page.html"});
    run = Run(arguments);
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_EQ(ReadAll(directory.File("body")), "<p>body</p><p>body</p>");
    EXPECT_EQ(run.err.substr(run.err.find("result=")),
              "result=11 status=200 error=\n"
              "Get Url:http://dir.test/missing.html\n"
              "result=-2 status=404 error=get Html Not Found for:http://dir.test/missing.html\n"
              "Get Url:http://dir.test/page.html\n"
              "result=11 status=200 error=\n");
}

TEST_F(CliTest, SearchWritesTheWindowsCsvAsCompaniesArrive) {
    LoopbackSite site;
    sample::AddCompany(site, sample::GeneralLink(1), 1);
    sample::AddCompany(site, sample::CompanyLink(2), 2);
    SearchCondition condition;
    condition.keyword = UrlEncode("台灯");
    std::string firstPage = sample::kSearchBase;
    BuildQuery(firstPage, condition);
    site.AddPage(firstPage, sample::ListPage(1, 2, {}, {sample::GeneralLink(1)}, {sample::CompanyLink(2)}));

    const std::string out = directory.File("found.csv").string();
    std::vector<std::string> arguments = {"search",       "--rules", rulesPath, "--keyword",
                                          Utf8(u8"台灯"), "--out",   out};
    for (const std::string& option : RoutedTo(site)) arguments.push_back(option);
    const CliRun run = Run(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const std::string csv = ReadAll(out);
    ASSERT_EQ(csv.rfind(CsvHeaderLine(), 0), 0u);
    std::set<std::string> rows;
    std::istringstream lines(csv.substr(CsvHeaderLine().size()));
    for (std::string line; std::getline(lines, line);) rows.insert(line.substr(line.find(',') + 1));
    const std::string rest = ",\"\",\"\",\"做好产品1\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\"\",\r";
    std::string second = rest;
    second.replace(second.find("1"), 1, "2");
    const std::set<std::string> expected = {
        "\"☆\",\"公司1\",\"张三先生\",\"经理\",\"-0571-1\",\"1391\",\"0571-1\",\"杭州市\"" + rest,
        "\"☆\",\"公司2\",\"张三先生\",\"经理\",\"-0571-2\",\"1392\",\"0571-2\",\"杭州市\"" + second};
    EXPECT_EQ(rows, expected);
    EXPECT_NE(csv.find("\"1\",\"☆\""), std::string::npos);
    EXPECT_NE(csv.find("\"2\",\"☆\""), std::string::npos);
    EXPECT_NE(run.err.find("companies so far 2, company count 2, page 1 of 1"), std::string::npos);
}

TEST_F(CliTest, SearchThatCannotStartSaysWhy) {
    CliRun run = Run({"search", "--rules", rulesPath});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.err.find("search not started"), std::string::npos);
    EXPECT_EQ(Run({"search", "--rules", "/nonexistent/rules", "--keyword", "x"}).exitCode, 3);
    EXPECT_EQ(Run({"search", "--rules", rulesPath, "--keyword", "x", "--format", "xml"}).exitCode, 2);
}

TEST_F(CliTest, RulesCheckNamesEveryFaultByLineAndPassesOnlyACleanFile) {
    const char* sourceDir = std::getenv("HARVIO_SOURCE_DIR");
    const std::filesystem::path source = sourceDir != nullptr
                                             ? std::filesystem::path(sourceDir)
                                             : std::filesystem::path(__FILE__).parent_path() / "../..";
    const std::string shipped = (source / "config/reg.alibaba").string();
    CliRun run = Run({"rules", "--rules", shipped, "--check"});
    EXPECT_EQ(run.exitCode, 0) << run.out;
    EXPECT_EQ(run.out, "");

    // The shipped file without its CompIntroduceReg line, and a line of each fault after it.
    std::string text = ReadAll(shipped);
    const std::size_t dropped = text.find("\nCompIntroduceReg,,,") + 1;
    ASSERT_GT(dropped, 0u);
    text.erase(dropped, text.find('\n', dropped) + 1 - dropped);
    if (text.back() != '\n') text += '\n';
    const int last = static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    text +=
        "validateCompContactRge,,,(x)\n"
        "a line without separator\n"
        "CompReg,,,no group\n"
        "company,,,星级,,,<B>(.*?)</B>\n"
        "CompContactReg,,,(unclosed\n"
        "zzz,,,(x)\n";
    const std::string faulty = SavePage("faulty.rules", text);
    run = Run({"rules", "--rules", faulty, "--check"});
    EXPECT_EQ(run.exitCode, 6);
    const auto line = [&](int offset) { return "line " + std::to_string(last + offset) + ": "; };
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 7u) << run.out;
    EXPECT_EQ(lines[4].rfind(line(5) + "CompContactReg: skipped: the pattern does not compile: ", 0), 0u);
    lines.erase(lines.begin() + 4);
    const std::vector<std::string> expected = {
        line(1) + "validateCompContactRge: unknown key, did you mean validateCompContactReg?",
        line(2) + "skipped: no \",,,\" after the key",
        line(3) + "CompReg: skipped: the pattern has no capture group",
        line(4) + "company " + Utf8(u8"星级") + ": the label has no record field",
        line(6) + "zzz: unknown key",
        "CompIntroduceReg: missing, a search needs it",
    };
    EXPECT_EQ(lines, expected);
}

TEST_F(CliTest, CaptureSavesACompanyForRulesAndAQuerysResultPagesForTheListPageTester) {
    LoopbackSite site;
    sample::AddCompany(site, sample::MemberLink(3), 3);
    SearchCondition condition;
    condition.keyword = UrlEncode("台灯");
    std::string firstPage = sample::kSearchBase;
    BuildQuery(firstPage, condition);
    const std::string pageOne = sample::ListPage(2, 41, {sample::MemberLink(3)});
    const std::string pageTwo = sample::ListPage(2, 41, {sample::MemberLink(4)});
    site.AddPage(firstPage, pageOne);
    site.AddPage(ResultPageAddress(firstPage, 2), pageTwo);
    const std::vector<std::string> routed = RoutedTo(site);
    const auto withRoutes = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), routed.begin(), routed.end());
        return arguments;
    };

    const std::string company = directory.File("captured/m3").string();
    CliRun run = Run(withRoutes({"capture", sample::MemberLink(3), "--out", company, "--rules", rulesPath}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const sample::CompanyPages pages = sample::PagesOf(sample::MemberLink(3), 3);
    EXPECT_EQ(ReadAll(company + "/1-home.html"), pages.home);
    EXPECT_EQ(ReadAll(company + "/5-member-confirmation.html"), pages.confirmation);
    run = Run({"rules", "--rules", rulesPath, company});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("compName\t" + Utf8(u8"公司3") + "\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("memberId\tm3\n"), std::string::npos) << run.out;

    const std::string results = directory.File("results").string();
    run = Run(withRoutes({"capture", "--keyword", Utf8(u8"台灯"), "--out", results, "--rules", rulesPath}));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(ReadAll(results + "/result-page-1.html"), pageOne);
    EXPECT_EQ(ReadAll(results + "/result-page-2.html"), pageTwo);
    run = Run({"rules", "--rules", rulesPath, "--list-page", results + "/result-page-2.html"});
    EXPECT_NE(run.out.find("link\t" + sample::MemberLink(4)), std::string::npos) << run.out;

    EXPECT_EQ(Run(withRoutes({"capture", "http://m5.test/", "--out", directory.File("none").string(),
                              "--rules", rulesPath}))
                  .exitCode,
              4);
    EXPECT_EQ(Run({"capture", "--out", results}).exitCode, 2);
}

// A site profile by --site, read beside the rules file of the working directory, and a check
// that names what a profile writer gets wrong.
TEST_F(CliTest, SiteNamesAProfileAndTheCheckNamesItsFaults) {
    const std::filesystem::path work = directory.File("work");
    std::filesystem::create_directories(work / "config" / "sites");
    std::filesystem::copy_file(rulesPath, work / "config" / "reg.alibaba");
    std::ofstream(work / "config" / "sites" / "shop.rules", std::ios::binary)
        << "siteName,,,商铺站\n"
           "searchUrlTemplate,,,http://dir.test/find?q={keyword}&c={cty}\n"
           "generalCompReg,,,<a class=\"g\" href=\"([^\"]*)\"\n"
           "generalLinkReg,,,/d\\d+/\n"
           "generalCompContactReg,,,href=\"([^\"]*contact\\.html)\"\n"
           "generalCompContactReg,,,href=\"([^\"]*contact\\.htm)\"\n"
           "general,,,公司名称,,,<H1[^>]*>(.*?)</H1>\n";
    CliRun run = Run({"rules", "--site", "shop", "--check"}, work.string());
    EXPECT_EQ(run.exitCode, 6);
    const std::vector<std::string> expected = {
        "line 6: generalCompContactReg: given again: this line replaces line 5, which is not used",
        "searchUrlTemplate: unknown placeholder {cty}",
        "searchUrlTemplate: no {page}: the result pages after the first need it, or nextPageReg",
        "compTotalPageReg: missing, a search needs it",
        "compTotalCompanyReg: missing, a search needs it",
        "generalCompIntroduceReg: missing, a search needs it",
    };
    EXPECT_EQ(Lines(run.out), expected);
    // The same file by its siteName, and the program's own rules by their file's name.
    EXPECT_EQ(Run({"rules", "--site", Utf8(u8"商铺站"), "--check"}, work.string()).out, run.out);
    EXPECT_EQ(Run({"rules", "--site", "reg.alibaba", "--check"}, work.string()).exitCode, 0);

    run = Run({"search", "--site", "nowhere", "--keyword", "x"}, work.string());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no site is named nowhere"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("shop"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(Utf8(u8"商铺站")), std::string::npos) << run.err;
    EXPECT_EQ(
        Run({"search", "--site", "shop", "--rules", rulesPath, "--keyword", "x"}, work.string()).exitCode, 2);
}

// The result pages of a site paged by next-page links, captured in the order a search reads them
// with the addresses they came from, against which the list page tester reads their links.
TEST_F(CliTest, CaptureFollowsNextPageLinksAndTheListPageTesterReadsLinksAgainstTheirPage) {
    std::ofstream(rulesPath, std::ios::binary | std::ios::app)
        << "searchUrlTemplate,,,http://dir.test/find?q={keyword}\nqueryCharset,,,UTF-8\n"
           "nextPageReg,,,<a rel=\"next\" href=\"([^\"]*)\">\n";
    LoopbackSite site;
    const std::string first = "http://dir.test/find?q=%E5%8F%B0%E7%81%AF";
    site.AddPage(first,
                 sample::ListPage(1, 2, {"//m1.test/"}) + "<a rel=\"next\" href=\"list/2?q=a&amp;b=1\">");
    site.AddPage("http://dir.test/list/2?q=a&b=1",
                 sample::ListPage(1, 2, {"../m/2"}) + "<a rel=\"next\" href=\"" + first + "\">");
    std::vector<std::string> arguments = {
        "capture", "--keyword", Utf8(u8"台灯"), "--out", directory.File("results").string(),
        "--rules", rulesPath};
    for (const std::string& option : RoutedTo(site)) arguments.push_back(option);
    CliRun run = Run(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out), (std::vector<std::string>{"result-page-1.html", "result-page-2.html"}));
    EXPECT_EQ(ReadAll(directory.File("results/result-pages.txt")),
              first + "\nhttp://dir.test/list/2?q=a&b=1\n");
    EXPECT_EQ(site.RequestsFor(first), 1);

    run = Run({"rules", "--rules", rulesPath, "--list-page",
               directory.File("results/result-page-2.html").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "link\thttp://dir.test/m/2"), lines.end()) << run.out;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "nextPage\t" + first), lines.end()) << run.out;
}

// capture --follow: the pages of the home page's host it links to, each once, at most 20, those
// that cannot be read or are no page left out; without a named profile nothing but the home page
// is read by rules.
TEST_F(CliTest, CaptureFollowSavesTheLinkedPagesOfTheCompanysHost) {
    LoopbackSite site;
    const std::string home = "http://shop.test/m7/";
    std::string links =
        "<a href=\"about.html\">关于我们</a> <a href=\"about.html#team\">团队</a> <a href=\"#top\">顶部</a>"
        "<a href=\"/m7/\">首页</a> <a href=\"http://other.test/x.html\">别处</a> <a "
        "href=\"mailto:a@shop.test\">信</a>"
        "<a href=\"javascript:void(0)\">空</a> <a href=\"/broken.html\">坏</a> <a href=\"logo.png\">图</a>"
        "<!-- <a href=\"/hidden.html\">注释</a> --><A "
        "HREF='http://SHOP.test/contact.html?a=1&amp;b=2'>联系</A>";
    for (int page = 1; page <= 25; ++page) links += "<a href=\"/p" + std::to_string(page) + ".html\">p</a>";
    site.AddPage(home, "<html><body>" + links + "</body></html>");
    site.AddPage(home + "about.html", "<p>about</p>");
    site.AddPage("http://shop.test/contact.html?a=1&b=2", "<p>电话：0577-1</p>");
    site.AddPage(home + "logo.png", "\x89PNG");
    site.SetContentType(home + "logo.png", "image/png");
    site.AddPage("http://other.test/x.html", "<p>x</p>");
    site.SetPageFunction([](const std::string& url) -> std::optional<std::string> {
        if (url.find("/p") == std::string::npos) return std::nullopt;
        return "<p>" + url + "</p>";
    });
    const std::string port = std::to_string(site.Port());
    const std::string out = directory.File("followed").string();
    CliRun run = Run({"capture", home, "--follow", "--out", out, "--connect-to",
                      "shop.test:80:127.0.0.1:" + port, "--connect-to", "other.test:80:127.0.0.1:" + port});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    // 20 links of the host in the order linked: about, broken, logo, contact, p1 ... p16.
    std::vector<std::string> expected = {home + "about.html", "http://shop.test/contact.html?a=1&b=2"};
    for (int page = 1; page <= 16; ++page)
        expected.push_back("http://shop.test/p" + std::to_string(page) + ".html");
    EXPECT_EQ(Lines(ReadAll(out + "/linked-pages.txt")), expected);
    EXPECT_EQ(ReadAll(out + "/linked-1.html"), "<p>about</p>");
    EXPECT_EQ(ReadAll(out + "/linked-2.html"), "<p>电话：0577-1</p>");
    EXPECT_FALSE(std::filesystem::exists(out + "/linked-19.html"));
    EXPECT_EQ(ReadAll(out + "/1-home.html"), "<html><body>" + links + "</body></html>");
    EXPECT_NE(run.err.find("/broken.html"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("logo.png"), std::string::npos) << run.err;
    const std::pair<std::string, int> requests[] = {{home, 1},
                                                    {home + "about.html", 1},
                                                    {"http://other.test/x.html", 0},
                                                    {"http://shop.test/broken.html", 1},
                                                    {"http://shop.test/p16.html", 1},
                                                    {"http://shop.test/p17.html", 0},
                                                    {"http://shop.test/hidden.html", 0}};
    for (const auto& [url, count] : requests) EXPECT_EQ(site.RequestsFor(url), count) << url;
    // Read back as a captured company: the linked pages with their addresses, in their order.
    const std::optional<CapturedCompany> captured = ReadCapturedCompany(out);
    ASSERT_TRUE(captured);
    ASSERT_EQ(captured->linkedPages.size(), expected.size());
    EXPECT_EQ(captured->linkedPages[17].address, expected[17]);
    EXPECT_EQ(captured->linkedPages[17].body, "<p>" + expected[17] + "</p>");

    // A second capture into the same folder, with the rules of the sample directory: the pages the
    // reading reads are not asked for twice, and nothing of the first capture stays behind.
    sample::AddCompany(site, sample::MemberLink(3), 3);
    std::vector<std::string> arguments = {
        "capture", sample::MemberLink(3), "--follow", "--out", out, "--rules", rulesPath};
    for (const std::string& option : RoutedTo(site)) arguments.push_back(option);
    run = Run(arguments);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(ReadAll(out + "/linked-pages.txt")),
              (std::vector<std::string>{sample::MemberLink(3) + "contact.html",
                                        sample::MemberLink(3) + "intro.html"}));
    EXPECT_EQ(ReadAll(out + "/linked-1.html"), sample::PagesOf(sample::MemberLink(3), 3).contact);
    EXPECT_FALSE(std::filesystem::exists(out + "/linked-3.html"));
    EXPECT_EQ(site.RequestsFor(sample::MemberLink(3) + "contact.html"), 1);
    EXPECT_EQ(ReadAll(out + "/5-member-confirmation.html"),
              sample::PagesOf(sample::MemberLink(3), 3).confirmation);

    EXPECT_EQ(Run({"capture", "--keyword", "x", "--follow", "--out", out}).exitCode, 2);
}

// A capture into the folder of an earlier one that cannot write all its pages (a full disk, here a
// folder in a page's place) leaves no company there: never the new link with the earlier company's
// pages, which rules and learn would read as the new company's.
TEST_F(CliTest, ACaptureThatFailsHalfWayLeavesNoCompanyOfMixedPages) {
    const std::string folder = directory.File("again").string();
    CapturedCompany earlier{
        "http://detail.test/c/1.html", CompanyFamily::general, {"<p>1</p>", "<p>电话：1</p>"}, {}};
    earlier.pages[2] = "<p>甲公司介绍</p>";
    earlier.linkedPages.push_back({"http://detail.test/c/1/about.html", "<p>甲</p>"});
    ASSERT_TRUE(SaveCapturedCompany(folder, earlier));
    std::filesystem::remove(folder + "/2-contact.html");
    std::filesystem::create_directory(folder + "/2-contact.html");
    const CapturedCompany later{
        "http://detail.test/c/2.html", CompanyFamily::general, {"<p>2</p>", "<p>电话：2</p>"}, {}};
    EXPECT_FALSE(SaveCapturedCompany(folder, later));
    EXPECT_FALSE(ReadCapturedCompany(folder));
    // Once the page can be written the company is there, with none of the earlier pages.
    std::filesystem::remove(folder + "/2-contact.html");
    ASSERT_TRUE(SaveCapturedCompany(folder, later));
    const std::optional<CapturedCompany> read = ReadCapturedCompany(folder);
    ASSERT_TRUE(read);
    EXPECT_EQ(read->link, later.link);
    EXPECT_EQ(read->pages, later.pages);
    EXPECT_TRUE(read->linkedPages.empty());
}

// learn: captured companies named by their folder or the folder that holds them, the values file's
// faults named by line, the evidence with what was not learned first, and a user's profile never
// replaced. rules --dir then shows the learned rules' hits over several folders.
TEST_F(CliTest, LearnWritesANewProfileAndPrintsTheEvidenceOfEveryField) {
    for (int number = 1; number <= 3; ++number) {
        CapturedCompany company;
        company.link = "http://detail.test/c/" + std::to_string(number) + ".html";
        company.pages[0] =
            "<table><tr><td class=\"k\">电话：</td><td>0571-" + std::to_string(number) + "</td></tr></table>";
        ASSERT_TRUE(
            SaveCapturedCompany(directory.File("saved/c" + std::to_string(number)).string(), company));
    }
    ASSERT_TRUE(SaveCapturedCompany(
        directory.File("more/c4").string(),
        {"http://detail.test/c/4.html", CompanyFamily::general, {"<td>电话：</td><td>0571-4</td>"}, {}}));
    const std::string base = SavePage("base.rules", "siteName,,,示范\ngeneral,,,电话,,,OLD(.*)\n");
    const auto values = [this](const std::string& text) {
        return SavePage("values.txt", Utf8(u8"\uFEFF") + text);
    };
    const std::string out = directory.File("learned.rules").string();
    const std::vector<std::string> learn = {
        "learn",
        "--pages",
        directory.File("saved").string(),
        directory.File("more/c4").string(),
        "--values",
        values(Utf8(u8"# 示例\n[c1]\n电话 = 0571-1\n传真=0571-9\n\n[") + directory.File("saved/c2").string() +
               Utf8(u8"]\n电话=0571-2\n")),
        "--profile",
        base,
        "--out",
        out};
    CliRun run = Run(learn);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_GE(lines.size(), 6u) << run.out;
    EXPECT_TRUE(lines[0].starts_with(Utf8(u8"not learned\t传真\tgeneral\t"))) << run.out;
    EXPECT_EQ(lines[1], Utf8(u8"field\t电话\tgeneral\tmatched 4 of "
                             u8"4\t<TD[^>]*>电话：</TD>\\s*<TD[^>]*>\\s*([^<]*?)\\s*</TD>"));
    EXPECT_EQ(lines[2], "\t" + directory.File("saved/c1").string() + "\t0571-1");
    EXPECT_EQ(lines[5], "\t" + directory.File("more/c4").string() + "\t0571-4");
    EXPECT_EQ(ReadAll(out),
              "siteName,,,示范\ngeneral,,,电话,,,<TD[^>]*>电话：</TD>\\s*<TD[^>]*>\\s*([^<]*?)\\s*</TD>\n");

    // The profile now exists: a second run leaves it as it is.
    std::ofstream(out, std::ios::binary) << "mine";
    run = Run(learn);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(ReadAll(out), "mine");
    std::filesystem::remove(out);

    const struct {
        std::string values;
        std::string message;
    } faults[] = {
        {Utf8(u8"电话=0571-1\n"), "line 1: a value before the first [FOLDER] line"},
        {Utf8(u8"[c1]\n\n电邮=a@b.test\n"), "line 3: no field of the record has this name"},
        {Utf8(u8"[c1]\n电话\n"), "line 2: neither [FOLDER] nor FIELD=VALUE"},
        {Utf8(u8"[c9]\n电话=0571-1\n"), "[c9] names none of the captured companies"},
    };
    for (const auto& fault : faults) {
        std::vector<std::string> arguments = learn;
        arguments[5] = values(fault.values);
        run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << fault.message;
        EXPECT_NE(run.err.find(fault.message), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(out)) << fault.message;
    }
    // Company folders given as the shell completes them, with a trailing "/": [c1] still names one.
    run = Run({"learn", "--pages", directory.File("saved/c1").string() + "/",
               directory.File("more/c4").string() + "/", "--values",
               values(Utf8(u8"[c1]\n电话=0571-1\n[c4]\n电话=0571-4\n")), "--out", out});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::filesystem::remove(out);
    // A folder given for the values file is a file that cannot be read.
    std::vector<std::string> folderAsValues = learn;
    folderAsValues[5] = directory.File("saved").string();
    run = Run(folderAsValues);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("cannot read " + folderAsValues[5]), std::string::npos) << run.err;
    // Nothing learned: no profile that would only repeat the base.
    run = Run({"learn", "--pages", directory.File("saved").string(), "--values",
               values(Utf8(u8"[c1]\n电话=0571-7\n")), "--out", out});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.starts_with(Utf8(u8"not learned\t电话\t"))) << run.out;
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(
        Run({"learn", "--pages", directory.File("none").string(), "--values", values("[c1]\n"), "--out", out})
            .exitCode,
        2);

    std::ofstream(rulesPath, std::ios::binary | std::ios::app)
        << "general,,,传真,,,<TD>传真：</TD>\\s*<TD>([^<]*)</TD>\n";
    run = Run({"rules", "--rules", rulesPath, "--dir", directory.File("saved").string(),
               directory.File("more").string()});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Lines(run.out).front(), "company\tc1");
    EXPECT_NE(run.out.find("company\tc4\n"), std::string::npos) << run.out;
    // The rule that finds nothing stands first in the hit table, with its four misses.
    EXPECT_NE(run.err.find(Utf8(
                  u8"field\t传真\tgeneral\tmatched 0 of 4\t<TD>传真：</TD>\\s*<TD>([^<]*)</TD>\n\tc1\t-\n")),
              std::string::npos)
        << run.err;
}

// learn from result pages alone: the rules for the company links and the next page, learned from
// the names the values give, written after the base's lines; a name no link shows is named.
TEST_F(CliTest, LearnTakesAFolderOfResultPagesAndItsCompanyNames) {
    const std::filesystem::path results = directory.File("results");
    std::filesystem::create_directories(results);
    std::string list;
    for (int number = 1; number <= 3; ++number) {
        list += "<li class=\"item\"><a class=\"co\" href=\"/c/" + std::to_string(number) + ".html\">" +
                sample::CompanyName(number) + "</a> <a href=\"/c/" + std::to_string(number) +
                "/contact.html\">联系方式</a></li>\n";
    }
    std::ofstream(results / "result-page-1.html", std::ios::binary)
        << "<ul>" + list + "</ul><a class=\"next\" href=\"?q=x&amp;page=2\">下一页</a>";
    std::ofstream(results / "result-pages.txt", std::ios::binary) << "http://dir.test/find?q=x\n";
    const std::string values = directory.File("values.txt").string();
    std::ofstream(values, std::ios::binary) << "[" + results.string() + "]\n" + Utf8(u8"公司名称=公司2\n") +
                                                   "[" + results.string() + "]\n" +
                                                   Utf8(u8"公司名称=无此公司\n");
    const std::string base = SavePage("base.rules", "siteName,,,站\n");
    const std::string profile = directory.File("learned.rules").string();
    const CliRun run =
        Run({"learn", "--pages", results.string(), "--values", values, "--profile", base, "--out", profile});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("field\t\tgeneralCompReg\tmatched 1 of 1\t<a class=\"co\" href=\"([^\"]+)\"\n\t" +
                           (results / "result-page-1.html").string() +
                           "\t3 links, the first http://dir.test/c/1.html\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find(Utf8(u8"no result page links 无此公司")), std::string::npos) << run.err;
    const std::vector<std::string> lines = Lines(ReadAll(profile));
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(lines.front(), "siteName,,,站");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "generalCompReg,,,<a class=\"co\" href=\"([^\"]+)\""),
              lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "generalLinkReg,,,^https?://dir\\.test/c/"), lines.end());
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), "nextPageReg,,,<a class=\"next\" href=\"([^\"]+)\">下一页</a>"),
        lines.end());
}

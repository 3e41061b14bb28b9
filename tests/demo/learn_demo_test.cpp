// Learning a profile on the demo directory as a user would: capture a handful of companies,
// give the values of two of them as read on their pages, learn the label rules into the shipped
// profile stripped of its own, and search the whole query with the learned profile.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "demo/support/demo_directory_process.h"
#include "tools/demo-directory/gbk_text.h"

namespace {

const std::string kKeyword = "螺丝";
constexpr std::size_t kCapturedCompanies = 8;
// The truth's columns (after 认证) and the record labels a person names them by.
const std::map<std::size_t, std::string> kColumnLabels = {{1, "公司名称"},
                                                          {4, "电话"},
                                                          {5, "移动电话"},
                                                          {6, "传真"},
                                                          {7, "地址"},
                                                          {8, "邮编"},
                                                          {9, "公司网址"},
                                                          {10, "公司介绍"},
                                                          {11, "主营产品或服务"},
                                                          {12, "主营行业"},
                                                          {13, "企业类型"},
                                                          {14, "经营模式"},
                                                          {15, "公司成立时间"},
                                                          {16, "法定代表人/负责人"},
                                                          {17, "员工人数"},
                                                          {18, "注册资本"}};
constexpr std::size_t kValidatedColumn = 0;

std::string Gbk(const std::string& utf8) {
    return Utf8ToGbk(utf8).value();
}

// A truth or export line ("a","b",...,CR LF) as its cells.
std::vector<std::string> Cells(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ','))
        line.pop_back();
    std::vector<std::string> cells;
    std::size_t at = 0;
    while (at < line.size()) {
        const std::size_t end = line.find("\",\"", at);
        cells.push_back(line.substr(at + 1, (end == std::string::npos ? line.size() - 1 : end) - at - 1));
        if (end == std::string::npos) break;
        at = end + 2;
    }
    return cells;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) lines.push_back(line);
    return lines;
}

struct Captured {
    std::string folder;
    std::string family;
    std::vector<std::string> truth;  // the company's truth cells
};

using Rows = std::vector<std::vector<std::string>>;

// Row by row, naming the cells that differ in UTF-8.
void ExpectSameRows(const Rows& searched, const Rows& expected) {
    ASSERT_EQ(searched.size(), expected.size());
    for (std::size_t row = 0; row < expected.size(); ++row) {
        ASSERT_EQ(searched[row].size(), expected[row].size()) << "row " << row;
        for (std::size_t cell = 0; cell < expected[row].size(); ++cell) {
            EXPECT_EQ(GbkToUtf8(searched[row][cell]).value_or("?"),
                      GbkToUtf8(expected[row][cell]).value_or("?"))
                << "row " << row << " (" << GbkToUtf8(expected[row].at(1)).value_or("?") << "), column "
                << cell;
        }
    }
}

class LearnOnTheDemo : public ::testing::Test {
protected:
    void SetUp() override { work = MakeTemporaryDirectory(); }
    void TearDown() override { std::filesystem::remove_all(work); }

    int Cli(std::vector<std::string> arguments, const std::string& out = "") {
        arguments.insert(arguments.begin(), HARVIO_CLI);
        return RunProgram(arguments, out);
    }

    // The query's first result page captured, then its first companies, each matched to its
    // truth row by the name its home page shows.
    std::vector<Captured> CaptureCompanies(const DemoDirectoryProcess& site, const std::string& profile,
                                           const std::vector<std::string>& truth) {
        return CaptureCompanies(site, profile, profile, {}, truth);
    }

    // The same, the pages captured with captureProfile and the further capture options, the
    // companies' links listed by linkProfile.
    std::vector<Captured> CaptureCompanies(const DemoDirectoryProcess& site,
                                           const std::string& captureProfile, const std::string& linkProfile,
                                           const std::vector<std::string>& captureOptions,
                                           const std::vector<std::string>& truth) {
        const std::string connect = site.ConnectToRule();
        EXPECT_EQ(Cli({"capture", "--rules", captureProfile, "--keyword", kKeyword, "--connect-to", connect,
                       "--out", work + "/pages"}),
                  0);
        EXPECT_EQ(Cli({"rules", "--rules", linkProfile, "--list-page", work + "/pages/result-page-1.html"},
                      work + "/links.txt"),
                  0);
        std::vector<Captured> captured;
        for (const std::string& line : Lines(ReadWholeFile(work + "/links.txt"))) {
            if (!line.starts_with("link\t") || captured.size() == kCapturedCompanies) continue;
            const std::string folder = work + "/saved/c" + std::to_string(captured.size() + 10);
            std::vector<std::string> capture = {"capture",      "--rules", captureProfile, line.substr(5),
                                                "--connect-to", connect,   "--out",        folder};
            capture.insert(capture.end(), captureOptions.begin(), captureOptions.end());
            EXPECT_EQ(Cli(capture), 0);
            const std::string home = ReadWholeFile(folder + "/1-home.html");
            Captured company{folder, Lines(ReadWholeFile(folder + "/family.txt")).at(0), {}};
            for (const std::string& row : truth) {
                std::vector<std::string> cells = Cells(row);
                // The longest name the page shows: one name may hold another.
                if (home.find(cells.at(1)) != std::string::npos &&
                    (company.truth.empty() || cells.at(1).size() > company.truth.at(1).size()))
                    company.truth = std::move(cells);
            }
            EXPECT_FALSE(company.truth.empty()) << folder;
            captured.push_back(std::move(company));
        }
        return captured;
    }

    // The values a person reads on the company's pages: the truth's, except where the window
    // shows them otherwise than the page (the telephone's country code, the contact's title in
    // brackets).
    static std::string ValuesBlock(const Captured& company) {
        std::string pages = ReadWholeFile(company.folder + "/1-home.html") +
                            ReadWholeFile(company.folder + "/2-contact.html") +
                            ReadWholeFile(company.folder + "/3-introduction.html");
        for (int linked = 1;
             std::filesystem::exists(company.folder + "/linked-" + std::to_string(linked) + ".html");
             ++linked)
            pages += ReadWholeFile(company.folder + "/linked-" + std::to_string(linked) + ".html");
        std::string block = "[" + company.folder + "]\n";
        for (const auto& [column, label] : kColumnLabels) {
            std::string value = GbkToUtf8(company.truth.at(column)).value();
            if (label == "电话" && value.starts_with("-")) value = "86" + value;
            if (!value.empty()) block += label + "=" + value + "\n";
        }
        const std::string name = company.truth.at(2), title = company.truth.at(3);
        const std::string bracketed = name + Gbk("（") + title + Gbk("）");
        const std::string contact = title.empty()                                ? name
                                    : pages.find(bracketed) != std::string::npos ? bracketed
                                                                                 : name + " " + title;
        return block + "联系人=" + GbkToUtf8(contact).value() + "\n";
    }

    static std::size_t FilledCells(const Captured& company) {
        std::size_t filled = 0;
        for (const auto& entry : kColumnLabels) filled += !company.truth.at(entry.first).empty();
        return filled;
    }

    // The two examples of the given families that show the most fields each, since each family
    // learns from its own examples.
    static std::vector<Captured> Examples(const std::vector<Captured>& captured,
                                          const std::string& firstFamily, const std::string& secondFamily) {
        std::vector<Captured> best;
        for (const Captured& first : captured) {
            for (const Captured& second : captured) {
                if (&first == &second || first.family != firstFamily || second.family != secondFamily)
                    continue;
                if (best.empty() ||
                    FilledCells(first) + FilledCells(second) > FilledCells(best[0]) + FilledCells(best[1]))
                    best = {first, second};
            }
        }
        return best;
    }

    // The shipped profile without its label rules.
    std::string BaseProfile(const std::string& shipped) {
        std::string base;
        for (const std::string& line : Lines(ReadWholeFile(shipped))) {
            if (!line.starts_with("general,,,") && !line.starts_with("validate,,,") &&
                !line.starts_with("company,,,"))
                base += line + "\n";
        }
        const std::string path = work + "/base.rules";
        std::ofstream(path, std::ios::binary) << base;
        return path;
    }

    // Learns from the examples (and the folders of result pages given) into a new profile; the
    // evidence the command printed.
    std::string Learn(const std::vector<Captured>& examples, const std::string& base, const std::string& out,
                      const std::vector<std::string>& resultPageFolders = {}) {
        std::string values;
        for (const Captured& example : examples) values += ValuesBlock(example);
        const std::string valuesFile = out + ".values";
        std::ofstream(valuesFile, std::ios::binary) << values;
        std::vector<std::string> learn = {"learn", "--values", valuesFile, "--profile",    base,
                                          "--out", out,        "--pages",  work + "/saved"};
        learn.insert(learn.end(), resultPageFolders.begin(), resultPageFolders.end());
        EXPECT_EQ(Cli(learn, out + ".evidence"), 0);
        return ReadWholeFile(out + ".evidence");
    }

    // The whole query searched with the profile: its rows as the truth writes them, sorted.
    Rows Search(const DemoDirectoryProcess& site, const std::string& profile) {
        const std::string out = profile + ".csv";
        EXPECT_EQ(Cli({"search", "--rules", profile, "--keyword", kKeyword, "--connect-to",
                       site.ConnectToRule(), "--no-book", "--out", out}),
                  0);
        Rows rows;
        for (const std::string& line : Lines(ReadWholeFile(out))) {
            std::vector<std::string> cells = Cells(line);
            // Without the row number and the title line.
            if (cells.size() < 2 || cells.at(0).find_first_not_of("0123456789") != std::string::npos)
                continue;
            rows.emplace_back(cells.begin() + 1, cells.end());
        }
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    static Rows TruthRows(const std::vector<std::string>& truth) {
        Rows rows;
        for (const std::string& line : truth) rows.push_back(Cells(line));
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    std::string work;
};

TEST_F(LearnOnTheDemo, ModernLayoutLearnedFromTwoCompaniesSearchesAsTheShippedProfile) {
    const std::vector<std::string> directory = {"--site", "modern"};
    DemoDirectoryProcess site(directory);
    ASSERT_GT(site.port(), 0);
    const std::vector<std::string> truth = DemoTruth({"--site", "modern", "--keyword", kKeyword});
    ASSERT_GE(truth.size(), kCapturedCompanies);
    const std::string shipped = std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/sites/demo-modern.rules";
    const std::vector<Captured> captured = CaptureCompanies(site, shipped, truth);
    ASSERT_EQ(captured.size(), kCapturedCompanies);
    const std::vector<Captured> examples = Examples(captured, "general", "general");
    ASSERT_EQ(examples.size(), 2u);

    const std::string learned = work + "/learned.rules";
    const std::string evidence = Learn(examples, BaseProfile(shipped), learned);
    EXPECT_EQ(evidence.find("not learned"), std::string::npos) << evidence;
    // The members' shops share the companies' markup: the rules hold for them too.
    EXPECT_NE(evidence.find("\tgeneral,validate\tmatched"), std::string::npos) << evidence;
    ExpectSameRows(Search(site, learned), TruthRows(truth));

    // rules --dir shows the same hits for the learned profile.
    EXPECT_EQ(Cli({"rules", "--rules", learned, "--dir", work + "/saved"}, work + "/dir.txt"), 0);
}

// A profile of nothing but the search: the result-page rules are learned from the captured
// result page and the examples' names, the contact link from companies captured with the pages
// their home pages link to, and the families the learned link rules tell apart.
TEST_F(LearnOnTheDemo, ModernLayoutLearnedWholeFromTwoCompaniesAndTheirResultPage) {
    // Enough companies that the keyword's results fill more than one page.
    DemoDirectoryProcess site({"--site", "modern", "--companies", "1500"});
    ASSERT_GT(site.port(), 0);
    const std::vector<std::string> truth =
        DemoTruth({"--site", "modern", "--companies", "1500", "--keyword", kKeyword});
    const std::string shipped = std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/sites/demo-modern.rules";
    std::string searchOnly;
    for (const std::string& line : Lines(ReadWholeFile(shipped))) {
        if (line.starts_with("siteName,,,") || line.starts_with("searchUrlTemplate,,,") ||
            line.starts_with("queryCharset,,,"))
            searchOnly += line + "\n";
    }
    const std::string base = work + "/search-only.rules";
    std::ofstream(base, std::ios::binary) << searchOnly;
    std::vector<Captured> captured = CaptureCompanies(site, base, shipped, {"--follow"}, truth);
    ASSERT_EQ(captured.size(), kCapturedCompanies);
    // Captured by a profile that tells no families apart, every company reads as a member site;
    // the truth tells which are.
    for (Captured& company : captured)
        company.family = company.truth.at(kValidatedColumn) == Gbk("★") ? "member" : "general";
    const std::vector<Captured> examples = Examples(captured, "general", "general");
    ASSERT_EQ(examples.size(), 2u);

    const std::string learned = work + "/learned.rules";
    const std::string evidence = Learn(examples, base, learned, {work + "/pages"});
    EXPECT_EQ(evidence.find("not learned"), std::string::npos) << evidence;
    for (const char* key : {"validateCompReg", "generalCompReg", "generalLinkReg", "nextPageReg"})
        EXPECT_NE(evidence.find(std::string("\t") + key + "\tmatched 1 of 1"), std::string::npos)
            << key << evidence;
    ExpectSameRows(Search(site, learned), TruthRows(truth));
}

// The classic layout has three page families: company sites (definition lists), general pages
// (tables, some labels spaced out) and member sites (tables without attributes, and the
// introduction under a heading of its own). Two examples teach two families; the member sites
// read the general rules, and their introduction by a rule read after its label as they write it.
TEST_F(LearnOnTheDemo, ClassicLayoutLearnedFromTwoCompaniesOfTwoFamiliesSearchesAsTheTruth) {
    DemoDirectoryProcess site({});
    ASSERT_GT(site.port(), 0);
    const std::vector<std::string> truth = DemoTruth({"--keyword", kKeyword});
    const std::string shipped = std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/config/reg.alibaba";
    const std::vector<Captured> captured = CaptureCompanies(site, shipped, truth);
    ASSERT_EQ(captured.size(), kCapturedCompanies);
    ASSERT_TRUE(std::any_of(captured.begin(), captured.end(),
                            [](const Captured& company) { return company.family == "member"; }));
    const std::vector<Captured> examples = Examples(captured, "company", "general");
    ASSERT_EQ(examples.size(), 2u);

    const std::string learned = work + "/learned.rules";
    const std::string evidence = Learn(examples, BaseProfile(shipped), learned);
    EXPECT_EQ(evidence.find("not learned"), std::string::npos) << evidence;
    EXPECT_NE(evidence.find("field\t公司介绍\tvalidate\tmatched"), std::string::npos) << evidence;
    ExpectSameRows(Search(site, learned), TruthRows(truth));
}

}  // namespace

#include "engine/rule_search.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const boost::regex::flag_type kRuleFlags = boost::regex::perl | boost::regex::icase;

std::vector<std::string> AllCaptures(const boost::regex& pattern, std::string_view text) {
    std::vector<std::string> captures;
    std::size_t position = 0;
    for (std::string capture; FindNextCapture(pattern, text, position, capture);) {
        captures.push_back(capture);
        if (captures.size() > text.size() + 1) break;  // a search that never ends fails below
    }
    return captures;
}

TEST(RuleSearch, FirstCaptureIsSubMatchOneExactly) {
    const boost::regex pattern("<TD>(.*?)</TD>", kRuleFlags);
    std::string capture = "untouched";
    const std::string text = "<td> \xB9\xAB\xCB\xBE\r\n</td><TD>second</TD>";
    ASSERT_TRUE(FindFirstCapture(pattern, text, capture));
    EXPECT_EQ(capture, " \xB9\xAB\xCB\xBE\r\n");  // "." spans the line break, bytes kept as they are

    capture = "untouched";
    EXPECT_FALSE(FindFirstCapture(pattern, "<TD>open", capture));
    EXPECT_EQ(capture, "untouched");
}

TEST(RuleSearch, UnmatchedGroupGivesAnEmptyCapture) {
    const boost::regex pattern("a(x)?b", kRuleFlags);
    std::string capture = "old";
    ASSERT_TRUE(FindFirstCapture(pattern, "ab", capture));
    EXPECT_EQ(capture, "");
}

TEST(RuleSearch, NextCaptureWalksMatchesAndMovesToTheirEnd) {
    const boost::regex pattern("href=\"(.*?)\"", kRuleFlags);
    const std::string text = "<a href=\"one\"> <A HREF=\"two\">";
    std::size_t position = 0;
    std::string capture;
    ASSERT_TRUE(FindNextCapture(pattern, text, position, capture));
    EXPECT_EQ(capture, "one");
    EXPECT_EQ(position, text.find('>'));
    ASSERT_TRUE(FindNextCapture(pattern, text, position, capture));
    EXPECT_EQ(capture, "two");
    EXPECT_FALSE(FindNextCapture(pattern, text, position, capture));
    EXPECT_EQ(capture, "two");
}

TEST(RuleSearch, EmptyMatchesAdvanceAndEnd) {
    EXPECT_EQ(AllCaptures(boost::regex("(x*)", kRuleFlags), "abx"),
              (std::vector<std::string>{"", "", "x", ""}));
    EXPECT_EQ(AllCaptures(boost::regex("()", kRuleFlags), ""), (std::vector<std::string>{""}));
    std::size_t beyond = 4;
    std::string capture;
    EXPECT_FALSE(FindNextCapture(boost::regex("()", kRuleFlags), "abc", beyond, capture));
}

TEST(RuleSearch, LaterSearchesStillSeeTheBytesBeforeTheirStart) {
    // "^" matches only at line starts and "\b" only at word edges, as in one search of the text.
    EXPECT_EQ(AllCaptures(boost::regex("^(\\w)", kRuleFlags), "ab\ncd"),
              (std::vector<std::string>{"a", "c"}));
    EXPECT_EQ(AllCaptures(boost::regex("\\b(\\w)", kRuleFlags), "ab cd"),
              (std::vector<std::string>{"a", "c"}));
}

TEST(RuleSearch, PathologicalPatternIsNoMatchInsteadOfAnException) {
    const boost::regex pattern("((a*)*)b", kRuleFlags);
    const std::string text(5000, 'a');
    std::string capture = "untouched";
    EXPECT_FALSE(FindFirstCapture(pattern, text, capture));
    std::size_t position = 0;
    EXPECT_FALSE(FindNextCapture(pattern, text, position, capture));
    EXPECT_EQ(capture, "untouched");
}

}  // namespace

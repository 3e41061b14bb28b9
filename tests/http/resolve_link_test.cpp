#include "http/resolve_link.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Resolved(std::string link, const std::string& base) {
    ResolveLink(link, base);
    return link;
}

TEST(ResolveLinkTest, SiteRootLinksReplaceThePath) {
    EXPECT_EQ(Resolved("/x.html", "http://host/a/b.html"), "http://host/x.html");
    EXPECT_EQ(Resolved("/x.html", "http://host"), "http://host/x.html");
    EXPECT_EQ(Resolved("/", "http://host:8080/a?q=/b"), "http://host:8080/");
    EXPECT_EQ(Resolved("/x", "abc"), "abc/x") << "a base too short for a host is taken whole";
}

TEST(ResolveLinkTest, ParentStepsClimbOneDirectoryEach) {
    EXPECT_EQ(Resolved("../c.html", "http://host/a/b/d.html"), "http://host/a/c.html");
    EXPECT_EQ(Resolved("../../c.html", "http://host/a/b/d.html"), "http://host/c.html");
    EXPECT_EQ(Resolved("../x/../y", "http://host/a/b/d.html"), "http://host/a/x/../y");
}

TEST(ResolveLinkTest, ParentStepsBeyondTheBaseStopAtATextWithoutSlash) {
    EXPECT_EQ(Resolved("../../../../../../z", "http://h/a"), "http:/z");
    EXPECT_EQ(Resolved("../z", "nobase"), "nobase/z");
}

TEST(ResolveLinkTest, QueryLinksReplaceTheLastQuery) {
    EXPECT_EQ(Resolved("?p=2", "http://host/list?p=1"), "http://host/list?p=2");
    EXPECT_EQ(Resolved("?p=2", "http://host/list"), "http://host/list?p=2");
    EXPECT_EQ(Resolved("?p=3", "http://host/list?a=1?b=2"), "http://host/list?a=1?p=3");
}

TEST(ResolveLinkTest, DocumentLinksReplaceTheDocumentName) {
    EXPECT_EQ(Resolved("x.html", "http://host/a/b.html"), "http://host/a/x.html");
    EXPECT_EQ(Resolved("./x.html", "http://host/a/b.html"), "http://host/a/x.html");
    EXPECT_EQ(Resolved("x.html", "http://host"), "http://x.html")
        << "the last slash of such a base is the second of //";
    EXPECT_EQ(Resolved("x.html", "nobase"), "nobase/x.html");
}

TEST(ResolveLinkTest, AbsoluteFragmentAndEmptyLinks) {
    EXPECT_EQ(Resolved("https://other.test/p", "http://host/a"), "https://other.test/p");
    EXPECT_EQ(Resolved("httpfoo", "http://host/a/b"), "httpfoo") << "anything starting with http is kept";
    EXPECT_EQ(Resolved("HTTP://host/x", "http://host/a/b"), "http://host/a/HTTP://host/x")
        << "case-sensitive";
    EXPECT_EQ(Resolved("#top", "http://host/a/b.html"), "http://host/a/b.html#top");
    EXPECT_EQ(Resolved("", "http://host/a/b.html"), "http://host/a/b.html");
    EXPECT_EQ(Resolved("", ""), "");
    EXPECT_EQ(Resolved("x", ""), "/x");
}

}  // namespace

// The demo directory on its own: query answering, totals, determinism and faults, seen from the
// wire through a plain client.
#include <gtest/gtest.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "demo/support/demo_directory_process.h"
#include "demo/support/raw_http.h"
#include "tools/demo-directory/demo_catalogue.h"
#include "tools/demo-directory/demo_modern_map.h"
#include "tools/demo-directory/demo_query.h"
#include "tools/demo-directory/demo_site_map.h"
#include "tools/demo-directory/gbk_text.h"

namespace {

constexpr int kCompanies = 150;
const char* const kSearchHost = "s.demo-b2b.test";

// The engine's encoding: blank to "+", bytes from 0x80 as "%xx" in lower case.
std::string Encoded(const std::string& utf8) {
    std::string gbk = Utf8ToGbk(utf8).value();
    std::string text;
    const char* hex = "0123456789abcdef";
    for (unsigned char c : gbk) {
        if (c == ' ') {
            text += '+';
        } else if (c >= 0x80) {
            text += {'%', hex[c >> 4], hex[c & 15]};
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string ListTarget(const std::string& segments, int page) {
    return "/company/" + segments + "_pageSize-40_p-" + std::to_string(page) + "_n-y.html";
}

// The company addresses in the title links of a result page, in page order (duplicates kept).
std::vector<std::string> TitleLinks(const std::string& body) {
    std::vector<std::string> links;
    const std::string marker = "<a class=\"item-title";
    for (std::size_t at = body.find(marker); at != std::string::npos; at = body.find(marker, at + 1)) {
        std::size_t start = body.find("href=\"", at) + 6;
        links.push_back(body.substr(start, body.find('"', start) - start));
    }
    return links;
}

int NumberAfter(const std::string& body, const std::string& marker) {
    std::size_t at = body.find(marker);
    return at == std::string::npos ? -1 : std::atoi(body.c_str() + at + marker.size());
}

std::string HostOf(const std::string& url) {
    return url.substr(7, url.find('/', 7) - 7);
}
std::string TargetOf(const std::string& url) {
    return url.substr(url.find('/', 7));
}

RawResponse Fetch(const DemoDirectoryProcess& site, const std::string& url) {
    return RawGet(site.port(), HostOf(url), TargetOf(url));
}

// A fetch that follows one redirect, as the client does.
RawResponse FetchFollowing(const DemoDirectoryProcess& site, const std::string& url) {
    RawResponse response = Fetch(site, url);
    if (response.status != 302) return response;
    return RawGet(site.port(), HostOf(url), response.Header("Location"));
}

std::string Args(int companies) {
    return std::to_string(companies);
}

}  // namespace

TEST(DemoSiteQuery, KeywordSearchListsEveryFoundCompanyOnceOverItsPagesWithTheTotals) {
    DemoDirectoryProcess site({"--companies", Args(kCompanies)});
    ASSERT_GT(site.port(), 0);
    DemoCatalogue catalogue(kCompanies, 1);
    std::set<std::string> expected;
    for (const DemoCompany& company : catalogue.Companies()) {
        if (company.name.find("有限公司") != std::string::npos) expected.insert(demo_site::HomeUrl(company));
    }
    ASSERT_GT(expected.size(), 80u) << "the keyword must fill several result pages";

    std::string segments = "k-" + Encoded("有限公司");
    RawResponse first = RawGet(site.port(), kSearchHost, ListTarget(segments, 1));
    ASSERT_EQ(first.status, 200);
    EXPECT_EQ(first.Header("Content-Type"), "text/html; charset=gbk");
    int totalPages = NumberAfter(first.body, "<span class=\"total-page\">");
    EXPECT_EQ(NumberAfter(first.body, "<em id=\"totalCount\">"), static_cast<int>(expected.size()));
    EXPECT_EQ(totalPages, static_cast<int>((expected.size() + 39) / 40));

    std::set<std::string> listed;
    std::string lastOfPreviousPage;
    for (int page = 1; page <= totalPages; ++page) {
        RawResponse response = RawGet(site.port(), kSearchHost, ListTarget(segments, page));
        ASSERT_EQ(response.status, 200) << page;
        std::vector<std::string> links = TitleLinks(response.body);
        if (page > 1) {
            // The page opens with the last company of the page before: a duplicate across pages.
            ASSERT_FALSE(links.empty());
            EXPECT_EQ(links.front(), lastOfPreviousPage);
            links.erase(links.begin());
        }
        EXPECT_LE(links.size(), 40u);
        for (const std::string& link : links)
            EXPECT_TRUE(listed.insert(link).second) << "listed twice: " << link;
        if (!links.empty()) lastOfPreviousPage = links.back();
    }
    EXPECT_EQ(listed, expected);
    // A page past the last has no companies.
    EXPECT_TRUE(
        TitleLinks(RawGet(site.port(), kSearchHost, ListTarget(segments, totalPages + 1)).body).empty());
}

TEST(DemoSiteQuery, AllFiveConditionsWithRawIndustryAndBusinessModelBytesNarrowTheList) {
    DemoDirectoryProcess site({"--companies", Args(kCompanies)});
    ASSERT_GT(site.port(), 0);
    DemoCatalogue catalogue(kCompanies, 1);
    const DemoCompany* wanted = nullptr;
    for (const DemoCompany& company : catalogue.Companies()) {
        if (!company.city.empty() && company.city.find(' ') == std::string::npos) {
            wanted = &company;
            break;
        }
    }
    ASSERT_NE(wanted, nullptr);
    // Industry and business model travel as raw GBK bytes, the others encoded.
    std::string segments = "k-" + Encoded(wanted->products.front()) + "_c-" +
                           Utf8ToGbk(wanted->industry).value() + "_province-" + Encoded(wanted->province) +
                           "_showProvince-" + Encoded(wanted->province) + "_city-" + Encoded(wanted->city) +
                           "_biztype-" + Utf8ToGbk(wanted->businessModel).value();
    RawResponse response = RawGet(site.port(), kSearchHost, ListTarget(segments, 1));
    ASSERT_EQ(response.status, 200);
    std::vector<std::string> links = TitleLinks(response.body);
    ASSERT_FALSE(links.empty());
    EXPECT_NE(std::find(links.begin(), links.end(), demo_site::HomeUrl(*wanted)), links.end());
    for (const DemoCompany& company : catalogue.Companies()) {
        bool listed = std::find(links.begin(), links.end(), demo_site::HomeUrl(company)) != links.end();
        bool matches = company.province == wanted->province && company.city == wanted->city &&
                       company.industry == wanted->industry &&
                       company.businessModel == wanted->businessModel &&
                       KeywordFinds(wanted->products.front(), company);
        EXPECT_EQ(listed, matches) << company.name;
    }
}

TEST(DemoSiteQuery, SearchTargetsReadBlanksAndRejectOtherShapes) {
    std::string city = Encoded("延 安");
    ASSERT_NE(city.find('+'), std::string::npos);
    auto request = ParseSearchTarget(
        ListTarget("province-" + Encoded("陕西") + "_showProvince-" + Encoded("陕西") + "_city-" + city, 12));
    ASSERT_TRUE(request.has_value());
    EXPECT_EQ(request->conditions.city, "延 安");
    EXPECT_EQ(request->conditions.province, "陕西");
    EXPECT_EQ(request->conditions.keyword, "");
    EXPECT_EQ(request->page, 12);
    // A keyword that itself holds "p-1" stays whole.
    auto tricky = ParseSearchTarget(ListTarget("k-top-1", 3));
    ASSERT_TRUE(tricky.has_value());
    EXPECT_EQ(tricky->conditions.keyword, "top-1");
    EXPECT_EQ(tricky->page, 3);

    for (const std::string& target :
         {ListTarget("k-a", 0), std::string("/company/k-a.html"), ListTarget("", 1),
          ListTarget("k-%ff%ff", 1), ListTarget("k-a_province-x", 1),
          std::string("/elsewhere/k-a_pageSize-40_p-1_n-y.html")}) {
        EXPECT_FALSE(ParseSearchTarget(target).has_value()) << target;
    }
}

TEST(DemoSiteQuery, UnknownHostsPathsAndPagesOfAnotherFamilyAreNotFound) {
    DemoDirectoryProcess site({"--companies", "40"});
    ASSERT_GT(site.port(), 0);
    DemoCatalogue catalogue(40, 1);
    const DemoCompany* member = nullptr;
    const DemoCompany* general = nullptr;
    for (const DemoCompany& company : catalogue.Companies()) {
        if (company.family == DemoFamily::Member && !member) member = &company;
        if (company.family == DemoFamily::Detail && !general) general = &company;
    }
    ASSERT_TRUE(member && general);
    EXPECT_EQ(Fetch(site, demo_site::HomeUrl(*member)).status, 200);
    EXPECT_EQ(Fetch(site, demo_site::TimeInfoUrl(*member)).status, 200);
    EXPECT_EQ(Fetch(site, demo_site::ConfirmInfoUrl(*member)).status, 200);
    EXPECT_EQ(RawGet(site.port(), "www.example.com", "/").status, 404);
    EXPECT_EQ(RawGet(site.port(), kSearchHost, "/company/nothing.html").status, 404);
    EXPECT_EQ(RawGet(site.port(), "m999999.demo-b2b.test", "/").status, 404);
    // The detail company under the directory host's path, and a member page for a non-member.
    EXPECT_EQ(
        RawGet(site.port(), "dir.demo-b2b.test", "/corp/" + std::to_string(general->id) + ".html").status,
        404);
    EXPECT_EQ(
        RawGet(site.port(), "member.demo-b2b.test", "/time/d" + std::to_string(general->id) + ".html").status,
        404);
    // The confirmation page names the member twice; the two must agree.
    EXPECT_EQ(
        RawGet(site.port(), "member.demo-b2b.test", "/confirm/" + member->memberId + ".html?uid=m1").status,
        404);
}

TEST(DemoSiteQuery, PagesAreGbkWithFullWidthSpacesAndTheSameSeedGivesTheSameSite) {
    DemoDirectoryProcess first({"--companies", "60", "--seed", "5"});
    DemoDirectoryProcess again({"--companies", "60", "--seed", "5"});
    DemoDirectoryProcess other({"--companies", "60", "--seed", "6"});
    ASSERT_TRUE(first.port() > 0 && again.port() > 0 && other.port() > 0);
    std::string target = ListTarget("k-" + Encoded("有限公司"), 1);
    std::string body = RawGet(first.port(), kSearchHost, target).body;
    EXPECT_EQ(body, RawGet(again.port(), kSearchHost, target).body);
    EXPECT_NE(body, RawGet(other.port(), kSearchHost, target).body);
    EXPECT_TRUE(GbkToUtf8(body).has_value());

    DemoCatalogue catalogue(60, 5);
    for (const DemoCompany& company : catalogue.Companies()) {
        if (company.family != DemoFamily::Detail && company.family != DemoFamily::Directory) continue;
        std::string contact = Fetch(first, demo_site::ContactUrl(company)).body;
        EXPECT_NE(contact.find("\xA1\xA1"), std::string::npos)
            << "the spaced-out labels use full-width spaces";
        EXPECT_NE(contact.find("&nbsp;"), std::string::npos);
        break;
    }
    EXPECT_EQ(DemoTruth({"--companies", "60", "--seed", "5", "--keyword", "有限公司"}),
              DemoTruth({"--companies", "60", "--seed", "5", "--keyword", "有限公司"}));
}

TEST(DemoSiteFaults, FailingFaultsHitCompanyPagesForGoodButListPagesOnlyOnceAndNeverPageOne) {
    DemoCatalogue catalogue(kCompanies, 1);
    const DemoCompany& company = catalogue.Companies().front();
    std::string segments = "k-" + Encoded("有限公司");
    for (auto [option, status] :
         {std::pair{"--fault-404", 404}, {"--fault-403", 403}, {"--fault-500", 500}}) {
        DemoDirectoryProcess site({"--companies", Args(kCompanies), option, "1"});
        ASSERT_GT(site.port(), 0);
        EXPECT_EQ(Fetch(site, demo_site::HomeUrl(company)).status, status) << option;
        EXPECT_EQ(Fetch(site, demo_site::HomeUrl(company)).status, status) << option << " again";
        EXPECT_EQ(RawGet(site.port(), kSearchHost, ListTarget(segments, 1)).status, 200) << option;
        EXPECT_EQ(RawGet(site.port(), kSearchHost, ListTarget(segments, 2)).status, status) << option;
        EXPECT_EQ(RawGet(site.port(), kSearchHost, ListTarget(segments, 2)).status, 200)
            << option << " retried";
    }
}

TEST(DemoSiteFaults, ResetSendsNothingAndTruncationCutsTheHomePageBeforeItsLinks) {
    DemoCatalogue catalogue(kCompanies, 1);
    const DemoCompany& company = catalogue.Companies().front();
    {
        DemoDirectoryProcess site({"--companies", Args(kCompanies), "--fault-reset", "1"});
        ASSERT_GT(site.port(), 0);
        RawResponse dropped = Fetch(site, demo_site::HomeUrl(company));
        EXPECT_TRUE(dropped.connected);
        EXPECT_EQ(dropped.raw, "");
        EXPECT_EQ(dropped.status, 0);
    }
    DemoDirectoryProcess site({"--companies", Args(kCompanies), "--fault-truncate", "1"});
    ASSERT_GT(site.port(), 0);
    RawResponse home = Fetch(site, demo_site::HomeUrl(company));
    EXPECT_EQ(home.status, 200);
    EXPECT_LT(home.body.size(), std::stoul(home.Header("Content-Length")));
    EXPECT_EQ(home.body.find(demo_site::ContactUrl(company)), std::string::npos);
    EXPECT_EQ(home.body.find(demo_site::IntroductionUrl(company)), std::string::npos);
    // Only home pages are cut.
    RawResponse contact = Fetch(site, demo_site::ContactUrl(company));
    EXPECT_EQ(contact.body.size(), std::stoul(contact.Header("Content-Length")));
}

TEST(DemoSiteFaults, ChunkedSlowAndRedirectedPagesArriveWhole) {
    DemoCatalogue catalogue(kCompanies, 1);
    const DemoCompany& company = catalogue.Companies()[1];
    DemoDirectoryProcess plain({"--companies", Args(kCompanies)});
    ASSERT_GT(plain.port(), 0);
    std::string whole = Fetch(plain, demo_site::ContactUrl(company)).body;
    ASSERT_FALSE(whole.empty());

    DemoDirectoryProcess chunked({"--companies", Args(kCompanies), "--fault-chunked", "1"});
    RawResponse response = Fetch(chunked, demo_site::ContactUrl(company));
    EXPECT_EQ(response.Header("Transfer-Encoding"), "chunked");
    std::string decoded;
    for (std::size_t at = 0;;) {
        std::size_t lineEnd = response.body.find("\r\n", at);
        ASSERT_NE(lineEnd, std::string::npos);
        std::size_t size = std::stoul(response.body.substr(at, lineEnd - at), nullptr, 16);
        if (size == 0) break;
        decoded += response.body.substr(lineEnd + 2, size);
        at = lineEnd + 2 + size + 2;
    }
    EXPECT_EQ(decoded, whole);

    DemoDirectoryProcess slow({"--companies", Args(kCompanies), "--fault-slow", "1", "--slow-ms", "300"});
    auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(slow, demo_site::ContactUrl(company)).body, whole);
    EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(300));

    DemoDirectoryProcess moving({"--companies", Args(kCompanies), "--fault-redirect", "1"});
    RawResponse redirect = Fetch(moving, demo_site::ContactUrl(company));
    EXPECT_EQ(redirect.status, 302);
    std::string location = redirect.Header("Location");
    EXPECT_EQ(location, "/moved" + TargetOf(demo_site::ContactUrl(company)));
    RawResponse moved = RawGet(moving.port(), HostOf(demo_site::ContactUrl(company)), location);
    EXPECT_EQ(moved.status, 200);
    EXPECT_EQ(moved.body, whole);
}

TEST(DemoSiteFaults, TruthLeavesOutExactlyTheCompaniesWhosePagesFailOnTheWire) {
    const std::vector<std::string> faultOptions = {"--faults", "0.4", "--fault-seed", "11", "--slow-ms", "1"};
    std::vector<std::string> directory = {"--companies", Args(kCompanies)};
    std::vector<std::string> faulted = directory;
    faulted.insert(faulted.end(), faultOptions.begin(), faultOptions.end());
    DemoDirectoryProcess site(faulted);
    ASSERT_GT(site.port(), 0);

    std::vector<std::string> query = {"--keyword", "有限公司"};
    auto withQuery = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.end(), query.begin(), query.end());
        return arguments;
    };
    std::vector<std::string> clean = DemoTruth(withQuery(directory));
    std::vector<std::string> truth = DemoTruth(withQuery(faulted));
    ASSERT_FALSE(clean.empty());
    ASSERT_LT(truth.size(), clean.size());
    ASSERT_GT(truth.size(), 0u);

    // The companies by their telephone, which every row shows, also one without an introduction
    // page (and so without a name): it is read from its other pages.
    DemoCatalogue catalogue(kCompanies, 1);
    std::set<std::string> readable;
    for (const DemoCompany& company : catalogue.Companies()) {
        if (company.name.find("有限公司") == std::string::npos) continue;
        RawResponse home = FetchFollowing(site, demo_site::HomeUrl(company));
        bool ok = home.status == 200 && home.body.find(demo_site::ContactUrl(company)) != std::string::npos;
        std::vector<std::string> linked = {demo_site::ContactUrl(company)};
        if (company.introduction != DemoIntroduction::NoLink)
            linked.push_back(demo_site::IntroductionUrl(company));
        for (const std::string& url : linked) ok = ok && FetchFollowing(site, url).status == 200;
        if (ok) readable.insert(Utf8ToGbk(company.phone).value());
    }
    std::set<std::string> truthPhones;
    for (const std::string& line : truth) {
        std::size_t cellStart = 0;
        for (int cell = 0; cell < 4; ++cell) cellStart = line.find("\",\"", cellStart) + 3;
        truthPhones.insert(line.substr(cellStart, line.find('"', cellStart) - cellStart));
    }
    EXPECT_EQ(truthPhones, readable);
}

TEST(DemoSiteFaults, MisbehavioursOfTodaysServersAreOnTheWire) {
    DemoCatalogue catalogue(kCompanies, 1);
    const std::string url = demo_site::ContactUrl(catalogue.Companies()[1]);
    DemoDirectoryProcess plain({"--companies", Args(kCompanies)});
    ASSERT_GT(plain.port(), 0);
    const std::string whole = Fetch(plain, url).body;
    ASSERT_GT(whole.size(), 1000u);
    const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=gbk\r\n";
    const std::string length = "Content-Length: " + std::to_string(whole.size()) + "\r\n";
    struct Case {
        const char* option;
        std::string expectedRaw;
    };
    const Case cases[] = {
        {"--fault-continue",
         "HTTP/1.1 100 Continue\r\n\r\n" + head + length + "Connection: close\r\n\r\n" + whole},
        {"--fault-bare-lf", "HTTP/1.1 200 OK\nContent-Type: text/html; charset=gbk\nContent-Length: " +
                                std::to_string(whole.size()) + "\nConnection: close\n\n" + whole},
        {"--fault-zero-chunks", head + "Transfer-Encoding: chunked\r\nConnection: close\r\n\r\n000003e8\r\n" +
                                    whole.substr(0, 1000) + "\r\n"},
        {"--fault-lower-case",
         "HTTP/1.1 200 OK\r\ncontent-type: text/html; charset=gbk\r\ntransfer-encoding: "
         "chunked\r\nconnection: close\r\n\r\n3e8\r\n" +
             whole.substr(0, 1000) + "\r\n"},
        {"--fault-cut-short",
         head + length + "Connection: close\r\n\r\n" + whole.substr(0, whole.size() / 2)},
        {"--fault-esc-location",
         "HTTP/1.1 302 Found\r\nlocation: /moved" + TargetOf(url) + "\x1b[2J\r\ncontent-length: 0\r\n\r\n"},
    };
    for (const Case& c : cases) {
        DemoDirectoryProcess site({"--companies", Args(kCompanies), c.option, "1"});
        ASSERT_GT(site.port(), 0);
        const RawResponse response = Fetch(site, url);
        EXPECT_EQ(response.raw.substr(0, c.expectedRaw.size()), c.expectedRaw) << c.option;
    }
    // The address of the escape-location fault, sent on as clients send it, gives the page.
    DemoDirectoryProcess escaping({"--companies", Args(kCompanies), "--fault-esc-location", "1"});
    EXPECT_EQ(RawGet(escaping.port(), HostOf(url), "/moved" + TargetOf(url) + "%1B[2J").body, whole);
    // 429 and 503 ask to come back after Retry-After seconds; the next request gets the page.
    for (auto [option, status] : {std::pair{"--fault-429", 429}, {"--fault-503", 503}}) {
        DemoDirectoryProcess site({"--companies", Args(kCompanies), option, "1", "--retry-after", "7"});
        const RawResponse refused = Fetch(site, url);
        EXPECT_EQ(refused.status, status);
        EXPECT_EQ(refused.Header("Retry-After"), "7");
        EXPECT_EQ(Fetch(site, url).body, whole) << option;
    }
}

TEST(DemoSiteWire, HttpsWithUtf8AndGzipServesThePlainPagesUnderACertificateForEveryHost) {
    DemoCatalogue catalogue(kCompanies, 1);
    DemoDirectoryProcess plain({"--companies", Args(kCompanies)});
    const std::string caFile = MakeTemporaryDirectory() + "/ca.pem";
    DemoDirectoryProcess secure({"--companies", Args(kCompanies), "--https", caFile, "--utf8", "--gzip"});
    ASSERT_GT(secure.port(), 0);
    const DemoCompany& member =
        *std::find_if(catalogue.Companies().begin(), catalogue.Companies().end(),
                      [](const DemoCompany& c) { return c.family == DemoFamily::Member; });
    for (const std::string& url :
         {demo_site::HomeUrl(member), demo_site::ContactUrl(catalogue.Companies()[1])}) {
        const std::string host = HostOf(url);
        httplib::SSLClient client(host, secure.port());
        client.set_hostname_addr_map({{host, "127.0.0.1"}});
        client.set_ca_cert_path(caFile.c_str());
        client.enable_server_certificate_verification(true);
        const httplib::Result result = client.Get(TargetOf(url).c_str());
        ASSERT_TRUE(result) << url << ": " << httplib::to_string(result.error());
        EXPECT_EQ(result->get_header_value("Content-Encoding"), "gzip");
        EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=utf-8");
        // The same page, but in UTF-8 and with https links.
        std::string page = Utf8ToGbk(result->body).value_or("");
        EXPECT_NE(page.find("href=\"https://"), std::string::npos);
        for (auto [from, to] : {std::pair{"href=\"https://", "href=\"http://"},
                                {"src=\"https://", "src=\"http://"},
                                {"charset=utf-8", "charset=gbk"}}) {
            for (std::size_t at = page.find(from); at != std::string::npos; at = page.find(from, at))
                page.replace(at, std::string(from).size(), to);
        }
        EXPECT_EQ(page, Fetch(plain, url).body) << url;
    }
    // Without the test CA the certificate is refused.
    httplib::SSLClient untrusting("127.0.0.1", secure.port());
    untrusting.enable_server_certificate_verification(true);
    EXPECT_FALSE(untrusting.Get("/"));
}

TEST(DemoSiteWire, RequiredSessionCookieRedirectsEveryRequestWithoutAValidOneToItself) {
    const std::vector<std::string> options = {"--companies", "20", "--require-cookie"};
    DemoDirectoryProcess site(options);
    DemoDirectoryProcess sameSeed(options);
    ASSERT_GT(sameSeed.port(), 0);
    const std::string list = ListTarget("k-" + Encoded("有限公司"), 1);
    const RawResponse first = RawGet(site.port(), kSearchHost, list);
    EXPECT_EQ(first.status, 302);
    EXPECT_EQ(first.Header("Location"), list);
    const std::string setCookie = first.Header("Set-Cookie");
    const std::string session = setCookie.substr(0, setCookie.find(';'));
    EXPECT_EQ(session.rfind("demo_session=", 0), 0u) << setCookie;
    EXPECT_EQ(setCookie.substr(session.size()), "; Domain=demo-b2b.test; Path=/; HttpOnly; SameSite=Lax");
    EXPECT_EQ(RawGet(sameSeed.port(), kSearchHost, list).Header("Set-Cookie"), setCookie);

    // The session opens every page of every host of the site.
    const std::string home = demo_site::HomeUrl(DemoCatalogue(20, 1).Companies()[0]);
    for (const std::string& cookie :
         {"Cookie: " + session + "\r\n", "Cookie: a=1; " + session + "; b=2\r\n"}) {
        EXPECT_EQ(RawGet(site.port(), kSearchHost, list, cookie).status, 200) << cookie;
        EXPECT_EQ(RawGet(site.port(), HostOf(home), TargetOf(home), cookie).status, 200) << cookie;
    }
    std::string forged = session;
    forged.back() = forged.back() == '0' ? '1' : '0';
    for (const std::string& cookie :
         {"Cookie: " + forged + "\r\n", "Cookie: x" + session + "\r\n",
          std::string("Cookie: demo_session=\r\n"), "Cookie: " + session.substr(0, 14) + "\r\n"}) {
        const RawResponse refused = RawGet(site.port(), HostOf(home), TargetOf(home), cookie);
        EXPECT_EQ(refused.status, 302) << cookie;
        EXPECT_NE(refused.Header("Set-Cookie"), setCookie) << "a new session each time";
    }

    const std::string caFile = MakeTemporaryDirectory() + "/ca.pem";
    DemoDirectoryProcess secure({"--companies", "20", "--require-cookie", "--https", caFile});
    ASSERT_GT(secure.port(), 0);
    httplib::SSLClient client(kSearchHost, secure.port());
    client.set_hostname_addr_map({{kSearchHost, "127.0.0.1"}});
    client.set_ca_cert_path(caFile.c_str());
    const httplib::Result overHttps = client.Get(list);
    ASSERT_TRUE(overHttps);
    EXPECT_EQ(overHttps->get_header_value("Set-Cookie"), setCookie + "; Secure");
}

TEST(DemoRulesFile, ShippedRulesFilesAreTheirUtf8SourcesInGbk) {
    std::string source = std::string(HARVIO_SOURCE_DIR_FOR_TESTS) + "/";
    for (const auto& [utf8Source, shippedFile] :
         {std::pair{"tools/demo-directory/reg.alibaba.utf8", "config/reg.alibaba"},
          std::pair{"tools/demo-directory/demo-modern.rules.utf8", "config/sites/demo-modern.rules"}}) {
        std::string utf8 = ReadWholeFile(source + utf8Source);
        std::string shipped = ReadWholeFile(source + shippedFile);
        ASSERT_FALSE(utf8.empty()) << utf8Source;
        EXPECT_EQ(Utf8ToGbk(utf8).value_or(""), shipped) << shippedFile;
    }
}

// The modern layout seen from the wire: a session first, then UTF-8 gzip pages whose "下一页"
// links walk the query's companies in order, each company's pages at their own address only.
TEST(DemoSiteModern, NextPageLinksWalkTheQueryAndEveryPageLivesAtItsOwnAddress) {
    DemoDirectoryProcess site({"--companies", "60", "--site", "modern"});
    ASSERT_GT(site.port(), 0);
    httplib::Client client("127.0.0.1", site.port());
    const auto get = [&](const std::string& host, const std::string& target, const std::string& cookie) {
        httplib::Headers headers = {{"Host", host}};
        if (!cookie.empty()) headers.emplace("Cookie", cookie);
        return client.Get(target, headers);
    };
    DemoConditions query;
    query.keyword = "有限公司";
    std::string target = demo_modern::SearchTarget(query, 1);
    const auto refused = get(demo_modern::kHost, target, "");
    ASSERT_TRUE(refused);
    ASSERT_EQ(refused->status, 302);
    const std::string setCookie = refused->get_header_value("Set-Cookie");
    const std::string cookie = setCookie.substr(0, setCookie.find(';'));

    const DemoCatalogue catalogue(60, 1);
    const std::vector<const DemoCompany*> found = catalogue.Search(query);
    std::vector<std::string> listed;
    for (int page = 1; !target.empty(); ++page) {
        const auto response = get(demo_modern::kHost, target, cookie);
        ASSERT_TRUE(response);
        ASSERT_EQ(response->status, 200) << target;
        EXPECT_EQ(response->get_header_value("Content-Type"), "text/html; charset=utf-8");
        const std::string& body = response->body;  // undone by the client
        EXPECT_EQ(body.find("共"), std::string::npos) << "no totals";
        for (std::size_t at = body.find("data-id=\""); at != std::string::npos;
             at = body.find("data-id=\"", at + 1))
            listed.push_back(body.substr(at + 9, body.find('"', at + 9) - at - 9));
        const std::string next = "<a class=\"next\" rel=\"next\" href=\"";
        const std::size_t at = body.find(next);
        target.clear();
        if (at == std::string::npos) break;
        std::string link = body.substr(at + next.size(), body.find('"', at + next.size()) - at - next.size());
        ASSERT_EQ(link.front(), '?') << "a query-only link";
        for (std::size_t amp = link.find("&amp;"); amp != std::string::npos;
             amp = link.find("&amp;", amp + 1))
            link.replace(amp, 5, "&");
        target = "/search" + link;
        EXPECT_EQ(target, demo_modern::SearchTarget(query, page + 1));
    }
    // Every found company in list order; from page 2 on the page before's last one comes again.
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < found.size(); ++i) {
        if (i > 0 && i % demo_modern::kCompaniesPerPage == 0)
            expected.push_back(std::to_string(found[i - 1]->id));
        expected.push_back(std::to_string(found[i]->id));
    }
    EXPECT_EQ(listed, expected);

    for (const DemoCompany* company : {found[0], found[1], found[2], found[3]}) {
        const std::string home = demo_modern::HomeUrl(*company);
        EXPECT_EQ(get(HostOf(home), TargetOf(home), cookie)->status, 200) << home;
        EXPECT_EQ(get(HostOf(home), TargetOf(home) + "&x=1", cookie)->status, 404) << home;
        const std::string contact = demo_modern::ContactUrl(*company);
        EXPECT_EQ(get(HostOf(contact), TargetOf(contact), cookie)->status,
                  demo_modern::HasContactPage(*company) ? 200 : 404)
            << contact;
    }
    EXPECT_EQ(get(demo_modern::kHost, "/search?q=%FF&page=1", cookie)->status, 404) << "not UTF-8";
    EXPECT_EQ(get(demo_modern::kHost, "/search?q=a&page=0", cookie)->status, 404);
    EXPECT_EQ(get(demo_site::kSearchHost, ListTarget("k-a", 1), cookie)->status, 404) << "no classic pages";
}

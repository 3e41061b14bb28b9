// Names looked up through a DNS stub on loopback: IPv4 and IPv6 answers, the addresses of a name
// tried in order, unknown names, IPv6 literals, and a stop that abandons a lookup nobody answers.
#include "http/name_lookup.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <future>
#include <memory>
#include <string>

#include "http/connect_to_map.h"
#include "http/host_lookup_cache.h"
#include "http/http_client.h"
#include "http/request_canceller.h"
#include "support/dns_stub.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A cancelled lookup returns at once; this bound only absorbs a loaded machine or sanitizers.
constexpr auto kPromptReturn = 2s;

std::unique_ptr<ScriptedServer> ServeOn(bool ipv6, const std::string& body) {
    ServerOptions options;
    options.ipv6 = ipv6;
    try {
        return std::make_unique<ScriptedServer>(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n" + body),
                                                options);
    } catch (const std::exception&) {
        return nullptr;  // no IPv6 on this machine's loopback
    }
}

class NameLookupTest : public ::testing::Test {
protected:
    void SetUp() override { client.SetTimings({0ms, 5000ms}); }
    void TearDown() override { SetNameServersForTesting(""); }

    HttpClient client{ProxySetting{}};
};

TEST_F(NameLookupTest, EveryAddressOfANameIsTriedInTurnWhateverItsFamily) {
    auto v4 = ServeOn(false, "four");
    auto v6 = ServeOn(true, "six");
    if (!v6) GTEST_SKIP() << "no IPv6 loopback";
    // Each name also holds an address of the other family where nothing listens on its port.
    DnsStub dns({{"four.test", {"::1", "127.0.0.1"}}, {"six.test", {"127.0.0.1", "::1"}}});
    SetNameServersForTesting(dns.Address());
    const struct {
        std::string url;
        int result;
    } cases[] = {{"http://four.test:" + std::to_string(v4->Port()) + "/", 4},
                 {"http://six.test:" + std::to_string(v6->Port()) + "/", 3}};
    for (const auto& name : cases) {
        EXPECT_EQ(client.GetHtml(name.url.c_str(), ""), name.result) << name.url << " " << client.lastError;
    }
    EXPECT_GE(dns.Questions(), 2);
    EXPECT_EQ(v6->Requests().at(0).substr(0, 16), "GET / HTTP/1.1\r\n");
    EXPECT_NE(v6->Requests().at(0).find("\r\nHost: six.test:" + std::to_string(v6->Port()) + "\r\n"),
              std::string::npos);
}

TEST_F(NameLookupTest, BracketedIPv6LiteralsAreConnectedToDirectly) {
    auto v6 = ServeOn(true, "six");
    if (!v6) GTEST_SKIP() << "no IPv6 loopback";
    const DnsStub dns = DnsStub::Silent();
    SetNameServersForTesting(dns.Address());
    ASSERT_EQ(client.GetHtml(v6->Url("p").c_str(), ""), 3) << client.lastError;
    EXPECT_NE(v6->Requests().at(0).find("\r\nHost: [::1]:" + std::to_string(v6->Port()) + "\r\n"),
              std::string::npos)
        << v6->Requests()[0];
    // A connect-to rule may name an IPv6 target too.
    ASSERT_TRUE(AddConnectTo("site.test:80:[::1]:" + std::to_string(v6->Port())));
    EXPECT_EQ(client.GetHtml("http://site.test/q", ""), 3) << client.lastError;
    ClearConnectTo();
    EXPECT_NE(v6->Requests().at(1).find("\r\nHost: site.test\r\n"), std::string::npos) << v6->Requests()[1];
    EXPECT_EQ(dns.Questions(), 0);
}

TEST_F(NameLookupTest, UnknownNamesFailAsAConnectionDoes) {
    DnsStub dns({});
    SetNameServersForTesting(dns.Address());
    EXPECT_EQ(client.GetHtml("http://nowhere.test/", ""), -1);
    EXPECT_STREQ(client.lastError, "connect to nowhere.test error!\n");
    EXPECT_GE(dns.Questions(), 1);
}

TEST_F(NameLookupTest, CancelAbandonsALookupNobodyAnswers) {
    const DnsStub dns = DnsStub::Silent();
    SetNameServersForTesting(dns.Address());
    auto canceller = std::make_shared<RequestCanceller>();
    client.SetCanceller(canceller);
    auto request = std::async(std::launch::async, [&] { return client.GetHtml("http://hang.test/", ""); });
    for (int waited = 0; dns.Questions() == 0 && waited < 5000; waited += 5) std::this_thread::sleep_for(5ms);
    ASSERT_GE(dns.Questions(), 1);
    const auto cancelledAt = Clock::now();
    canceller->Cancel();
    EXPECT_EQ(request.get(), -1);
    EXPECT_LT(Clock::now() - cancelledAt, kPromptReturn);
    EXPECT_STREQ(client.lastError, "request cancelled for:http://hang.test/");
}

// A host is asked for once while its answer lives: its time to live, but at least a minute.
TEST_F(NameLookupTest, AnAnswerIsKeptForItsTimeToLiveButAtLeastAMinute) {
    const struct {
        std::uint32_t timeToLive;
        std::chrono::seconds later;
        bool askedAgain;
    } cases[] = {{1, 59s, false}, {1, 60s, true}, {300, 299s, false}, {300, 300s, true}};
    for (const auto& row : cases) {
        SCOPED_TRACE(std::to_string(row.timeToLive) + " s to live, " + std::to_string(row.later.count()) + " s later");
        DnsStub dns(DnsStub::Table{{"dir.test", {"127.0.0.1"}}}, false, row.timeToLive);
        SetNameServersForTesting(dns.Address());
        Clock::time_point now = Clock::now();
        HostLookupCache cache([&now] { return now; });
        std::vector<SocketAddress> addresses;
        ASSERT_EQ(cache.LookUp("dir.test", 80, -1, Clock::now() + 5s, addresses), LookupStatus::kFound);
        const int questions = dns.Questions();
        now += row.later;
        ASSERT_EQ(cache.LookUp("dir.test", 8080, -1, Clock::now() + 5s, addresses), LookupStatus::kFound);
        EXPECT_EQ(dns.Questions() > questions, row.askedAgain);
        ASSERT_EQ(addresses.size(), 1u);
        EXPECT_EQ(ntohs(reinterpret_cast<const sockaddr_in&>(addresses[0].storage).sin_port), 8080);
    }
}

// The requests of a client ask for a host once, whatever connections they need; a name that was
// not found is asked for again.
TEST_F(NameLookupTest, RequestsAskForAHostOnceButForAnUnknownOneEachTime) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\nConnection: close\r\nContent-Length: 2\r\n\r\nok"));
    DnsStub dns(DnsStub::Table{{"dir.test", {"127.0.0.1"}}});
    SetNameServersForTesting(dns.Address());
    const std::string url = "http://dir.test:" + std::to_string(server.Port()) + "/";
    ASSERT_EQ(client.GetHtml(url.c_str(), ""), 2) << client.lastError;
    const int questions = dns.Questions();
    for (int request = 0; request < 2; ++request) EXPECT_EQ(client.GetHtml(url.c_str(), ""), 2);
    EXPECT_EQ(server.ConnectionCount(), 3);
    EXPECT_EQ(dns.Questions(), questions);
    EXPECT_EQ(client.GetHtml("http://nowhere.test/", ""), -1);
    const int afterUnknown = dns.Questions();
    EXPECT_EQ(client.GetHtml("http://nowhere.test/", ""), -1);
    EXPECT_GT(dns.Questions(), afterUnknown);
}

// A thread that wants a host another thread is looking up waits for that answer instead of asking
// too, and a stop ends both at once.
TEST_F(NameLookupTest, ThreadsWantingOneHostShareItsLookupAndAStopEndsEveryWait) {
    const DnsStub dns = DnsStub::Silent();
    SetNameServersForTesting(dns.Address());
    HostLookupCache cache;
    RequestCanceller canceller;
    const auto lookUp = [&] {
        std::vector<SocketAddress> addresses;
        return cache.LookUp("hang.test", 80, canceller.WakeFd(), Clock::now() + 60s, addresses);
    };
    auto first = std::async(std::launch::async, lookUp);
    for (int waited = 0; dns.Questions() == 0 && waited < 5000; waited += 5) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(100ms);
    const int asked = dns.Questions();
    ASSERT_GE(asked, 1);
    auto second = std::async(std::launch::async, lookUp);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(dns.Questions(), asked);
    const auto cancelledAt = Clock::now();
    canceller.Cancel();
    EXPECT_EQ(first.get(), LookupStatus::kCancelled);
    EXPECT_EQ(second.get(), LookupStatus::kCancelled);
    EXPECT_LT(Clock::now() - cancelledAt, kPromptReturn);
}

TEST_F(NameLookupTest, ALookupNobodyAnswersEndsWithTheExchangesTimeLimit) {
    const DnsStub dns = DnsStub::Silent();
    SetNameServersForTesting(dns.Address());
    client.SetTimings({0ms, 5000ms, 5000ms, 200ms});
    EXPECT_EQ(client.GetHtml("http://hang.test/", ""), -3);
    EXPECT_STREQ(client.lastError, "get Html Connect TimeOuthttp://hang.test/");
}

}  // namespace

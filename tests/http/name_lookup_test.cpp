// Names looked up through a DNS stub on loopback: IPv4 and IPv6 answers, the addresses of a name
// tried in order, unknown names, IPv6 literals, and a stop that abandons a lookup nobody answers.
#include "http/name_lookup.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

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

TEST_F(NameLookupTest, ALookupNobodyAnswersEndsWithTheExchangesTimeLimit) {
    const DnsStub dns = DnsStub::Silent();
    SetNameServersForTesting(dns.Address());
    client.SetTimings({0ms, 5000ms, 5000ms, 200ms});
    EXPECT_EQ(client.GetHtml("http://hang.test/", ""), -3);
    EXPECT_STREQ(client.lastError, "get Html Connect TimeOuthttp://hang.test/");
}

}  // namespace

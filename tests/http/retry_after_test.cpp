// 429 and 503 answers with Retry-After: the value read as seconds or an HTTP date, the wait
// (capped, woken by a cancel, through the request gate) and the one repeat of the request.
#include "http/retry_after.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <string>

#include "http/http_client.h"
#include "http/request_canceller.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;

// Sun, 06 Nov 1994 08:49:37 GMT
constexpr std::time_t kDate = 784111777;

TEST(RetryAfterTest, SecondsAndTheThreeDateFormsAreRead) {
    const struct {
        std::string value;
        std::optional<std::chrono::seconds> wait;
    } cases[] = {
        {"120", 120s},
        {" 7\t", 7s},
        {"0", 0s},
        {"Sun, 06 Nov 1994 08:51:37 GMT", 120s},
        {"Sunday, 06-Nov-94 08:50:37 GMT", 60s},
        {"Sun Nov  6 08:49:47 1994", 10s},
        {"Sun, 06 Nov 1994 08:00:00 GMT", 0s},  // already past
        {"99999999999999999999999", std::chrono::seconds(1LL << 40)},
        {"", std::nullopt},
        {"-5", std::nullopt},
        {"soon", std::nullopt},
        {"Sun, 06 Foo 1994 08:51:37 GMT", std::nullopt},
        {"Sun, 06 Nov 1994", std::nullopt},
    };
    for (const auto& retry : cases) EXPECT_EQ(ParseRetryAfter(retry.value, kDate), retry.wait) << retry.value;
}

class RetryTest : public ::testing::Test {
protected:
    // Answers the first request with the refusal, every later one with a page.
    static ScriptedServer::Script RefuseOnce(std::string refusal) {
        return [refusal = std::move(refusal)](ScriptedConnection& connection, int index) {
            connection.ReadRequest();
            connection.Send(index == 0 ? refusal : "HTTP/1.1 200 OK\r\n\r\npage");
        };
    }

    void SetUp() override {
        HttpTimings timings{0ms, 5000ms};
        timings.longestRetryWait = 50ms;
        client.SetTimings(timings);
        client.SetRequestGate([this] {
            ++gatePasses;
            return gateOpen;
        });
    }

    HttpClient client{ProxySetting{}};
    int gatePasses = 0;
    bool gateOpen = true;
};

TEST_F(RetryTest, RefusalsWithRetryAfterAreAskedOnceMoreThroughTheGate) {
    for (const std::string& refusal :
         {std::string("HTTP/1.1 503 Busy\r\nRetry-After: 0\r\n\r\nbusy"),
          std::string("HTTP/1.1 429 Too Many\r\nretry-after: 100000\r\n\r\n"),
          std::string("HTTP/1.1 429 Too Many\r\nRetry-After: Sun, 06 Nov 1994 08:49:37 GMT\r\n\r\n")}) {
        SCOPED_TRACE(refusal);
        gatePasses = 0;
        ScriptedServer server(RefuseOnce(refusal));
        EXPECT_EQ(client.GetHtml(server.Url("list").c_str(), ""), 4);
        EXPECT_STREQ(client.htmlBuffer, "page");
        EXPECT_EQ(server.ConnectionCount(), 2);
        EXPECT_EQ(server.Requests().at(1), server.Requests().at(0));
        EXPECT_EQ(gatePasses, 1);
    }
}

TEST_F(RetryTest, WithoutUsableRetryAfterOrOnTheSecondRefusalTheAnswerStandsAsBefore) {
    for (const std::string& refusal : {std::string("HTTP/1.1 503 Busy\r\n\r\nbusy"),
                                       std::string("HTTP/1.1 503 Busy\r\nRetry-After: soon\r\n\r\nbusy"),
                                       std::string("HTTP/1.1 200 OK\r\nRetry-After: 0\r\n\r\nbusy")}) {
        ScriptedServer server(RefuseOnce(refusal));
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 4) << refusal;
        EXPECT_STREQ(client.htmlBuffer, "busy");
        EXPECT_EQ(server.ConnectionCount(), 1);
    }
    ScriptedServer stubborn(ScriptedServer::Answer("HTTP/1.1 503 Busy\r\nRetry-After: 0\r\n\r\nstill"));
    EXPECT_EQ(client.GetHtml(stubborn.Url().c_str(), ""), 5);
    EXPECT_EQ(client.statusCode, 503);
    EXPECT_EQ(stubborn.ConnectionCount(), 2);
}

TEST_F(RetryTest, AClosedGateOrACancelEndsTheWait) {
    ScriptedServer server(RefuseOnce("HTTP/1.1 503 Busy\r\nRetry-After: 0\r\n\r\n"));
    gateOpen = false;
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "request cancelled for:" + server.Url());
    EXPECT_EQ(server.ConnectionCount(), 1);

    ScriptedServer slow(RefuseOnce("HTTP/1.1 429 Too Many\r\nRetry-After: 300\r\n\r\n"));
    HttpTimings timings{0ms, 5000ms};
    client.SetTimings(timings);  // the full five minutes
    auto canceller = std::make_shared<RequestCanceller>();
    client.SetCanceller(canceller);
    auto request = std::async(std::launch::async, [&] { return client.GetHtml(slow.Url().c_str(), ""); });
    while (slow.ConnectionCount() == 0) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(100ms);  // into the wait, most likely; a cancel anywhere must end it
    canceller->Cancel();
    EXPECT_EQ(request.get(), -1);
    EXPECT_EQ(slow.ConnectionCount(), 1);
}

}  // namespace

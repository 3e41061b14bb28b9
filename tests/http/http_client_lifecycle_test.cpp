#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <memory>
#include <string>

#include "http/http_client.h"
#include "http/request_canceller.h"
#include "http/trace_output.h"
#include "support/loopback.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far longer than any test runs: a request that returns must have been cancelled.
constexpr auto kLongWait = 60s;
// A cancelled request returns at once; this bound only absorbs a loaded machine or sanitizers.
constexpr auto kPromptReturn = 2s;

struct CancelledRequest {
    int result;
    std::string lastError;
    Clock::duration afterCancel;
};

// Runs the request on another thread, cancels it after `delay` and measures how soon it returns.
CancelledRequest CancelDuring(HttpClient& client, const std::string& url, std::chrono::milliseconds delay) {
    auto canceller = std::make_shared<RequestCanceller>();
    client.SetCanceller(canceller);
    auto request = std::async(std::launch::async, [&] { return client.GetHtml(url.c_str(), ""); });
    std::this_thread::sleep_for(delay);
    const auto cancelledAt = Clock::now();
    canceller->Cancel();
    const int result = request.get();
    return {result, client.lastError, Clock::now() - cancelledAt};
}

class HttpClientLifecycleTest : public ::testing::Test {
protected:
    void SetUp() override { SetTraceStream(quietTrace); }
    void TearDown() override {
        SetTraceStream(nullptr);
        std::fclose(quietTrace);
    }

    std::FILE* quietTrace = std::fopen("/dev/null", "w");
    HttpClient client{ProxySetting{}};
};

TEST_F(HttpClientLifecycleTest, CancelEndsTheWaitBeforeTheRequest) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nx"));
    client.SetTimings({kLongWait, kLongWait});
    const CancelledRequest cancelled = CancelDuring(client, server.Url("a"), 50ms);
    EXPECT_EQ(cancelled.result, -1);
    EXPECT_EQ(cancelled.lastError, "request cancelled for:" + server.Url("a"));
    EXPECT_LT(cancelled.afterCancel, kPromptReturn);
    // The connection may have been opened while the request waited for its turn; nothing was sent.
    EXPECT_TRUE(server.Requests().empty());
}

TEST_F(HttpClientLifecycleTest, CancelEndsAConnectThatHangs) {
    // A listener whose accept queue is full drops further handshakes, so a connect to it hangs.
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(listen(listener, 0), 0);
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    std::vector<int> fillers;
    for (int i = 0; i < 2; ++i) {
        fillers.push_back(socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
        connect(fillers.back(), reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
    std::this_thread::sleep_for(50ms);

    // Had the connect gone through, the short first-byte wait would end the request with -3.
    client.SetTimings({0ms, 1ms});
    const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
    const CancelledRequest cancelled = CancelDuring(client, url, 300ms);
    EXPECT_EQ(cancelled.result, -1);
    EXPECT_EQ(cancelled.lastError, "request cancelled for:" + url);
    EXPECT_LT(cancelled.afterCancel, kPromptReturn);
    for (const int fd : fillers) close(fd);
    close(listener);
}

TEST_F(HttpClientLifecycleTest, CancelEndsTheWaitForTheFirstByte) {
    ScriptedServer server([](ScriptedConnection& connection, int) {
        connection.ReadRequest();
        connection.StaySilent();
    });
    client.SetTimings({0ms, kLongWait});
    const CancelledRequest cancelled = CancelDuring(client, server.Url("slow"), 200ms);
    EXPECT_EQ(cancelled.result, -1);
    EXPECT_EQ(cancelled.lastError, "request cancelled for:" + server.Url("slow"));
    EXPECT_LT(cancelled.afterCancel, kPromptReturn);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpClientLifecycleTest, CancelEndsAReceiveThatStalls) {
    ScriptedServer server([](ScriptedConnection& connection, int) {
        connection.ReadRequest();
        connection.Send("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<html>half a pa");
        connection.StaySilent();
    });
    client.SetTimings({0ms, kLongWait});
    const CancelledRequest cancelled = CancelDuring(client, server.Url("stall"), 200ms);
    EXPECT_EQ(cancelled.result, -1);
    EXPECT_EQ(cancelled.lastError, "request cancelled for:" + server.Url("stall"));
    EXPECT_LT(cancelled.afterCancel, kPromptReturn);
}

TEST_F(HttpClientLifecycleTest, CancelledCancellerRefusesEveryLaterRequest) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nx"));
    auto canceller = std::make_shared<RequestCanceller>();
    canceller->Cancel();
    client.SetCanceller(canceller);
    client.SetTimings({kLongWait, kLongWait});
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -1);
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), -1);
    EXPECT_EQ(server.ConnectionCount(), 0);

    client.SetCanceller(nullptr);
    client.SetTimings({0ms, kLongWait});
    EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 1);
}

TEST_F(HttpClientLifecycleTest, RunningOutOfDescriptorsFailsTheSocketCreation) {
    client.SetTimings({0ms, kLongWait});
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    // With the limit at the lowest free descriptor number, no new descriptor can be opened.
    const int lowestFree = dup(0);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    rlimit lowered = saved;
    lowered.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &lowered), 0);
    const int result = client.GetHtml("http://127.0.0.1:9/", "");
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(client.lastError, "socket creat error.");
}

TEST_F(HttpClientLifecycleTest, NoDescriptorIsLeftOpenByAnyOutcome) {
    // Answers in turn: a page, silence until the client gives up, a close without answer.
    ScriptedServer server([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        if (index % 3 == 0) connection.Send("HTTP/1.1 200 OK\r\n\r\npage");
        if (index % 3 == 1) connection.StaySilent();
    });
    client.SetTimings({0ms, 1ms});
    auto canceller = std::make_shared<RequestCanceller>();
    client.SetCanceller(canceller);
    const std::string refused = "http://127.0.0.1:" + std::to_string(FreeLoopbackPort()) + "/";
    const std::string page = server.Url("p");
    client.GetHtml(page.c_str(), "");  // lets the libraries open what they keep for good

    const int before = OpenDescriptorCount();
    int failures = 0;
    for (int i = 0; i < 1500; ++i) {
        failures += client.GetHtml(page.c_str(), "") < 0;
        failures += client.GetHtml(refused.c_str(), "") < 0;
        failures += client.GetHtml("http://", "") < 0;
    }
    canceller->Cancel();
    failures += client.GetHtml(page.c_str(), "") < 0;
    EXPECT_EQ(OpenDescriptorCount(), before);
    EXPECT_GE(failures, 3000);
}

}  // namespace

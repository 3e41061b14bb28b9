#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "http/connect_to_map.h"
#include "http/http_client.h"
#include "http/proxy_settings.h"
#include "http/support/request_lines.h"
#include "support/scripted_server.h"
#include "support/tiny_proxy.h"

namespace {

using namespace std::chrono_literals;

ProxySetting ProxyAt(int port) {
    return {true, "127.0.0.1", std::to_string(port)};
}

class ProxyTest : public ::testing::Test {
protected:
    void TearDown() override {
        useProxy = 0;
        proxyAddress.Set("");
        proxyPortText.Set("");
        ClearConnectTo();
    }
};

TEST_F(ProxyTest, RequestThroughAProxyNamesTheWholeUrlAndIgnoresConnectTo) {
    ScriptedServer proxy(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nvia proxy"));
    ASSERT_TRUE(AddConnectTo("dir.test:80:127.0.0.1:1"));
    HttpClient client(ProxyAt(proxy.Port()));
    client.SetTimings({0ms, 2000ms});

    ASSERT_EQ(client.GetHtml("http://dir.test/a?b=1", ""), 9);

    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0],
              "GET http://dir.test/a?b=1 HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n");
}

TEST_F(ProxyTest, FormDataThroughAProxyIsPostedToTheWholeUrl) {
    ScriptedServer proxy(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n"));
    HttpClient client(ProxyAt(proxy.Port()));
    client.SetTimings({0ms, 2000ms});

    ASSERT_EQ(client.GetHtml("http://dir.test:8080/search", "q=1"), 0);

    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "POST http://dir.test:8080/search HTTP/1.1\r\n" + kFixedLines +
                                       "Host: dir.test:8080\r\n"
                                       "Content-Type: application/x-www-form-urlencoded\r\n"
                                       "Content-Length: 3\r\n\r\nq=1");
}

TEST_F(ProxyTest, DefaultClientReadsTheProcessWideValuesAtEveryRequest) {
    ScriptedServer first(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n1"));
    ScriptedServer second(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n22"));
    ScriptedServer site(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n333"));
    HttpClient client;
    client.SetTimings({0ms, 2000ms});
    const std::string url = site.Url("page");

    useProxy = 1;
    proxyAddress.Set("127.0.0.1");
    proxyPortText.Set(std::to_string(first.Port()) + "abc");  // only the leading digits count
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), 1);
    proxyPortText.Set(std::to_string(second.Port()));
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), 2);
    useProxy = 0;
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), 3);
    EXPECT_EQ(site.Requests().at(0).substr(0, 10), "GET /page ");
}

TEST_F(ProxyTest, ClientWithAFixedSettingNeverReadsTheProcessWideValues) {
    ScriptedServer proxy(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nproxy"));
    ScriptedServer site(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nsite"));
    HttpClient direct(ProxySetting{});
    HttpClient proxied(ProxyAt(proxy.Port()));
    direct.SetTimings({0ms, 2000ms});
    proxied.SetTimings({0ms, 2000ms});

    useProxy = 1;
    proxyAddress.Set("127.0.0.1");
    proxyPortText.Set("1");
    EXPECT_EQ(direct.GetHtml(site.Url().c_str(), ""), 4);
    useProxy = 0;
    EXPECT_EQ(proxied.GetHtml(site.Url().c_str(), ""), 5);
}

TEST_F(ProxyTest, ProxyPortWithoutDigitsFailsToConnect) {
    HttpClient client(ProxySetting{true, "127.0.0.1", "port"});
    client.SetTimings({0ms, 2000ms});
    EXPECT_EQ(client.GetHtml("http://dir.test/", ""), -1);
    EXPECT_STREQ(client.lastError, "connect to 127.0.0.1 error!\n");
}

TEST_F(ProxyTest, RealProxyCarriesTheRequestToTheSite) {
    TinyProxy tinyproxy;
    ASSERT_TRUE(tinyproxy.Running()) << tinyproxy.Problem();
    ScriptedServer site(
        ScriptedServer::Answer("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n<b>company</b>"));
    HttpClient client(ProxyAt(tinyproxy.Port()));
    client.SetTimings({0ms, 5000ms});

    ASSERT_EQ(client.GetHtml(site.Url("a?b=1").c_str(), ""), 14) << client.lastError;

    EXPECT_STREQ(client.htmlBuffer, "<b>company</b>");
    ASSERT_EQ(site.Requests().size(), 1u);
    const std::string forwarded = site.Requests()[0];
    EXPECT_EQ(forwarded.substr(0, 17), "GET /a?b=1 HTTP/1") << forwarded;
    EXPECT_NE(forwarded.find("Host: 127.0.0.1:" + std::to_string(site.Port()) + "\r\n"), std::string::npos)
        << forwarded;
}

TEST_F(ProxyTest, ReadersAlwaysSeeAWholeValueWhileTheWindowWrites) {
    const std::string shortAddress = "127.0.0.2";
    const std::string longAddress = "127.100.200.250";
    std::atomic<bool> stop{false};
    std::atomic<int> writes{0};
    std::thread writer([&] {
        for (int i = 0; !stop; ++i) {
            proxyAddress.Set(i % 2 ? shortAddress : longAddress);
            useProxy = i % 2;
            ++writes;
        }
    });
    int torn = 0;
    for (int i = 0; i < 20000 || writes < 20000; ++i) {
        const ProxySetting setting = CurrentProxySetting();
        torn += setting.address != shortAddress && setting.address != longAddress && !setting.address.empty();
    }
    stop = true;
    writer.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace

// HTTPS against loopback TLS servers whose certificates come from a CA made in the test: the
// request inside TLS, SNI, the checks of chain, names and dates, where trust comes from, TLS
// versions, redirects between http and https, and CONNECT through a real proxy.
#include <gtest/gtest.h>
#include <openssl/ssl.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "http/connect_to_map.h"
#include "http/http_client.h"
#include "http/support/request_lines.h"
#include "http/tls_trust.h"
#include "support/scripted_server.h"
#include "support/temp_dir.h"
#include "support/tiny_proxy.h"
#include "tools/certificates/certificate_authority.h"

namespace {

using namespace std::chrono_literals;

constexpr long kDay = 24 * 3600;
constexpr long kWeek = 7 * kDay;

class TlsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(caFile) << ca.CertificatePem();
        SetExtraCaFile(caFile);
        client.SetTimings({0ms, 5000ms});
    }
    void TearDown() override {
        SetExtraCaFile("");
        ClearConnectTo();
    }

    ServerOptions Identity(const std::vector<std::string>& names, long from = -3600, long until = kDay,
                           const CertificateAuthority* issuer = nullptr) const {
        const CertificateAuthority::Issued issued = (issuer != nullptr ? *issuer : ca).Issue(names, from, until);
        return {false, issued.CertificatePem(), issued.KeyPem()};
    }
    // Requests for https://dir.test/ reach the server.
    static void RouteDirTest(const ScriptedServer& server) {
        ASSERT_TRUE(AddConnectTo("dir.test:443:127.0.0.1:" + std::to_string(server.Port())));
    }

    CertificateAuthority ca{"Harvio Test CA", -kWeek, kWeek};
    TempDir dir;
    std::string caFile = dir.File("ca.pem").string();
    HttpClient client{ProxySetting{}};
};

TEST_F(TlsTest, HttpsSendsTheSameRequestInsideTlsWithTheHostAsServerName) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nrows"),
                          Identity({"DNS:dir.test"}));
    RouteDirTest(server);
    ASSERT_EQ(client.GetHtml("https://dir.test/a?b=1", ""), 4) << client.lastError;
    EXPECT_STREQ(client.htmlBuffer, "rows");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], "GET /a?b=1 HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n");
    EXPECT_EQ(server.ServerNames(), std::vector<std::string>{"dir.test"});
}

TEST_F(TlsTest, LargeBodiesArriveWholeAcrossRecordsAndReads) {
    std::string body;
    for (int i = 0; body.size() < (3u << 20); ++i) body += "<tr><td>" + std::to_string(i) + "</td></tr>";
    const std::string chunked = "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" +
                                (std::stringstream() << std::hex << body.size()).str() + "\r\n" + body +
                                "\r\n0\r\n\r\n";
    for (const std::string& response :
         {"HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body,
          "HTTP/1.1 200 OK\r\n\r\n" + body, chunked}) {
        ScriptedServer server(ScriptedServer::AnswerInPieces(response, 70000), Identity({"IP:127.0.0.1"}));
        ASSERT_EQ(client.GetHtml(server.Url().c_str(), ""), static_cast<int>(body.size()))
            << client.lastError;
        EXPECT_EQ(std::string(client.htmlBuffer), body);
    }
}

TEST_F(TlsTest, CertificatesThatDoNotHoldAreRefusedWithTheirFault) {
    const CertificateAuthority stranger("Unknown CA", -kWeek, kWeek);
    const struct {
        const char* what;
        ServerOptions identity;
        std::string url;  // "PORT" stands for the server's port
        std::string fault;
    } cases[] = {
        {"another name", Identity({"DNS:other.test"}), "https://dir.test/", "hostname mismatch"},
        {"another address", Identity({"IP:127.0.0.2"}), "https://127.0.0.1:PORT/", "IP address mismatch"},
        {"a name for an address", Identity({"DNS:127.0.0.1"}), "https://127.0.0.1:PORT/",
         "IP address mismatch"},
        {"expired", Identity({"DNS:dir.test"}, -2 * kDay, -kDay), "https://dir.test/",
         "certificate has expired"},
        {"not yet valid", Identity({"DNS:dir.test"}, kDay, 2 * kDay), "https://dir.test/",
         "certificate is not yet valid"},
        {"unknown issuer", Identity({"DNS:dir.test"}, -3600, kDay, &stranger), "https://dir.test/",
         "unable to get local issuer certificate"},
    };
    for (const auto& refused : cases) {
        SCOPED_TRACE(refused.what);
        ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\npage"), refused.identity);
        RouteDirTest(server);
        std::string url = refused.url;
        if (const auto port = url.find("PORT"); port != std::string::npos) {
            url.replace(port, 4, std::to_string(server.Port()));
        }
        std::strcpy(client.htmlBuffer, "stale");
        EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
        EXPECT_EQ(client.lastError, "certificate refused: " + refused.fault + " for:" + url);
        EXPECT_EQ(server.ConnectionCount(), 0) << "nothing was asked of the server";
        ClearConnectTo();
    }
}

TEST_F(TlsTest, TrustComesFromOpenSslsDefaultPathsAndTheExtraCaFile) {
    ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nok"), Identity({"IP:127.0.0.1"}));
    const std::string url = server.Url();
    SetExtraCaFile("");
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "certificate refused: unable to get local issuer certificate for:" + url);

    ASSERT_EQ(setenv("SSL_CERT_FILE", caFile.c_str(), 1), 0);
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), 2) << client.lastError;
    unsetenv("SSL_CERT_FILE");

    SetExtraCaFile(dir.File("missing.pem").string());
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -1);
    EXPECT_EQ(client.lastError, "cannot read CA file " + dir.File("missing.pem").string() + " for:" + url);
}

TEST_F(TlsTest, TlsOneTwoAndOneThreeAreBothSpoken) {
    for (const int highest : {TLS1_2_VERSION, TLS1_3_VERSION}) {
        ServerOptions identity = Identity({"IP:127.0.0.1"});
        identity.highestTlsVersion = highest;
        ScriptedServer server(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\nok"), identity);
        EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 2) << highest << client.lastError;
    }
}

// A kept connection carries the next requests; a new connection to the same host and port
// resumes the session of the one before, by a TLS 1.3 ticket or a TLS 1.2 session alike.
TEST_F(TlsTest, KeptConnectionsCarryTheNextRequestsAndNewOnesResumeTheSession) {
    const std::string rows = "Content-Length: 4\r\n\r\nrows";
    for (const int highest : {TLS1_2_VERSION, TLS1_3_VERSION}) {
        for (const bool closeAsked : {false, true}) {
            SCOPED_TRACE(std::to_string(highest) + (closeAsked ? " with Connection: close" : ""));
            ServerOptions identity = Identity({"IP:127.0.0.1"});
            identity.highestTlsVersion = highest;
            ScriptedServer server(closeAsked ? ScriptedServer::Answer("HTTP/1.1 200 OK\r\nConnection: close\r\n" + rows)
                                             : ScriptedServer::AnswerEachRequest("HTTP/1.1 200 OK\r\n" + rows),
                                  identity);
            for (int request = 0; request < 3; ++request) {
                EXPECT_EQ(client.GetHtml(server.Url().c_str(), ""), 4) << client.lastError;
            }
            const std::vector<bool> resumed =
                closeAsked ? std::vector<bool>{false, true, true} : std::vector<bool>{false};
            EXPECT_EQ(server.ResumedSessions(), resumed);
        }
    }
}

TEST_F(TlsTest, ServerThatNeverHandshakesTimesOut) {
    ScriptedServer silent([](ScriptedConnection& connection, int) { connection.StaySilent(); });
    client.SetTimings({0ms, 5000ms, 100ms});
    const std::string url = "https://127.0.0.1:" + std::to_string(silent.Port()) + "/";
    EXPECT_EQ(client.GetHtml(url.c_str(), ""), -3);
    EXPECT_EQ(client.lastError, "get Html Connect TimeOut" + url);
}

TEST_F(TlsTest, RedirectsLeadFromHttpToHttpsAndBack) {
    ScriptedServer plain([](ScriptedConnection& connection, int index) {
        connection.ReadRequest();
        connection.Send(index == 0 ? "HTTP/1.1 301 Moved\r\nLocation: https://dir.test/secure\r\n\r\n"
                                   : "HTTP/1.1 200 OK\r\n\r\nback home");
    });
    const std::string back = plain.Url("back");
    // A root-relative link on an https page keeps its scheme and host.
    ScriptedServer secure(
        [&back](ScriptedConnection& connection, int index) {
            connection.ReadRequest();
            connection.Send("HTTP/1.1 302 Found\r\nLocation: " + (index == 0 ? std::string("/next") : back) +
                            "\r\n\r\n");
        },
        Identity({"DNS:dir.test"}));
    RouteDirTest(secure);
    ASSERT_EQ(client.GetHtml(plain.Url("start").c_str(), ""), 9) << client.lastError;
    ASSERT_EQ(secure.Requests().size(), 2u);
    EXPECT_EQ(secure.Requests()[0], "GET /secure HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n");
    EXPECT_EQ(secure.Requests()[1], "GET /next HTTP/1.1\r\n" + kFixedLines + "Host: dir.test\r\n\r\n");
    ASSERT_EQ(plain.Requests().size(), 2u);
    EXPECT_EQ(plain.Requests()[1].substr(0, 20), "GET /back HTTP/1.1\r\n");
}

TEST_F(TlsTest, ThroughAProxyHttpsGoesByConnectAndTlsInsideTheTunnel) {
    TinyProxy tinyproxy;
    ASSERT_TRUE(tinyproxy.Running()) << tinyproxy.Problem();
    ScriptedServer site(ScriptedServer::Answer("HTTP/1.1 200 OK\r\n\r\n<b>company</b>"),
                        Identity({"IP:127.0.0.1"}));
    HttpClient proxied(ProxySetting{true, "127.0.0.1", tinyproxy.PortText()});
    proxied.SetTimings({0ms, 5000ms});

    ASSERT_EQ(proxied.GetHtml(site.Url("a?b=1").c_str(), ""), 14) << proxied.lastError;
    ASSERT_EQ(site.Requests().size(), 1u);
    EXPECT_EQ(site.Requests()[0], "GET /a?b=1 HTTP/1.1\r\n" + kFixedLines +
                                      "Host: 127.0.0.1:" + std::to_string(site.Port()) + "\r\n\r\n");
}

// Three requests in a row through a real proxy: the CONNECT tunnel of https is kept and carries
// them all; tinyproxy asks to close every plain connection after its response, and is obeyed.
TEST_F(TlsTest, ThroughARealProxyTheTunnelIsKeptAndAPlainConnectionAsLongAsTheProxyKeepsIt) {
    for (const bool secure : {true, false}) {
        SCOPED_TRACE(secure ? "https" : "http");
        TinyProxy tinyproxy;
        ASSERT_TRUE(tinyproxy.Running()) << tinyproxy.Problem();
        ScriptedServer site(ScriptedServer::AnswerEachRequest("HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nrows"),
                            secure ? Identity({"IP:127.0.0.1"}) : ServerOptions());
        HttpClient proxied(ProxySetting{true, "127.0.0.1", tinyproxy.PortText()});
        proxied.SetTimings({0ms, 5000ms});
        for (int request = 0; request < 3; ++request) {
            EXPECT_EQ(proxied.GetHtml(site.Url("p").c_str(), ""), 4) << proxied.lastError;
        }
        EXPECT_EQ(site.Requests().size(), 3u);
        EXPECT_EQ(tinyproxy.ClientConnections(), secure ? 1 : 3);
        EXPECT_EQ(site.ConnectionCount(), secure ? 1 : 3);
    }
}

TEST_F(TlsTest, TheTunnelIsAskedForByHostAndPortAndARefusalFailsTheRequest) {
    ScriptedServer proxy(ScriptedServer::Answer("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"));
    HttpClient proxied(ProxySetting{true, "127.0.0.1", std::to_string(proxy.Port())});
    proxied.SetTimings({0ms, 5000ms});
    EXPECT_EQ(proxied.GetHtml("https://dir.test/list", ""), -1);
    EXPECT_STREQ(proxied.lastError, "proxy refused the tunnel (status 403) for:https://dir.test/list");
    ASSERT_EQ(proxy.Requests().size(), 1u);
    EXPECT_EQ(proxy.Requests()[0], "CONNECT dir.test:443 HTTP/1.1\r\nHost: dir.test:443\r\n\r\n");
}

}  // namespace

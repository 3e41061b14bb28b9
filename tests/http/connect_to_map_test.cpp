#include "http/connect_to_map.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

class ConnectToMapTest : public ::testing::Test {
protected:
    void SetUp() override { ClearConnectTo(); }
    void TearDown() override { ClearConnectTo(); }

    static std::string Target(const std::string& host, int port) {
        const ConnectTarget target = ResolveConnectTo(host, port);
        return target.host + ":" + std::to_string(target.port);
    }
};

TEST_F(ConnectToMapTest, WithoutRulesEveryRequestGoesWhereItSays) {
    EXPECT_EQ(Target("dir.test", 80), "dir.test:80");
}

TEST_F(ConnectToMapTest, MatchingHostAndPortAreRedirected) {
    ASSERT_TRUE(AddConnectTo("dir.test:80:127.0.0.1:8081"));
    EXPECT_EQ(Target("dir.test", 80), "127.0.0.1:8081");
    EXPECT_EQ(Target("DIR.Test", 80), "127.0.0.1:8081") << "host names ignore ASCII case";
    EXPECT_EQ(Target("dir.test", 8080), "dir.test:8080");
    EXPECT_EQ(Target("www.dir.test", 80), "www.dir.test:80");
}

TEST_F(ConnectToMapTest, EmptyFieldsMatchAnyOrKeepTheRequestedValue) {
    ASSERT_TRUE(AddConnectTo("::127.0.0.1:9000"));
    EXPECT_EQ(Target("any.test", 1234), "127.0.0.1:9000");
    ClearConnectTo();
    ASSERT_TRUE(AddConnectTo("a.test:::9001"));
    EXPECT_EQ(Target("a.test", 80), "a.test:9001");
    ClearConnectTo();
    ASSERT_TRUE(AddConnectTo(":8080:127.0.0.1:"));
    EXPECT_EQ(Target("b.test", 8080), "127.0.0.1:8080");
    EXPECT_EQ(Target("b.test", 80), "b.test:80");
}

TEST_F(ConnectToMapTest, HostsMayBeIPv6AndCompareAsAUrlWritesThem) {
    ASSERT_TRUE(AddConnectTo("site.test:443:[::1]:8443"));
    ASSERT_TRUE(AddConnectTo("[0:0::1]:80:127.0.0.1:81"));
    ASSERT_TRUE(AddConnectTo("0x7f.1:80:[0::1]:"));
    EXPECT_EQ(Target("site.test", 443), "[::1]:8443");
    EXPECT_EQ(Target("[::1]", 80), "127.0.0.1:81");
    EXPECT_EQ(Target("127.0.0.1", 80), "[::1]:80");
    EXPECT_EQ(Target("2130706433", 80), "[::1]:80");
}

TEST_F(ConnectToMapTest, FirstMatchingRuleWins) {
    ASSERT_TRUE(AddConnectTo("a.test:80:127.0.0.1:1001"));
    ASSERT_TRUE(AddConnectTo(":80:127.0.0.1:1002"));
    EXPECT_EQ(Target("a.test", 80), "127.0.0.1:1001");
    EXPECT_EQ(Target("b.test", 80), "127.0.0.1:1002");
}

TEST_F(ConnectToMapTest, BadSpecsAreRefusedAndAddNothing) {
    for (const std::string& text : std::vector<std::string>{
             "", "a.test", "a.test:80", "a.test:80:127.0.0.1", "a:80:b:81:c", "a.test:http:b:81",
             "a.test:80:b:0", "a.test:65536:b:80", "a.test:80:b:-1", "a.test: 80:b:81",
             "a.test:80:b:999999999999999999999", "[::1:80:b:81", "a b:80:c:81", "a.test:80:[x]:81",
             "a.test:80:[::1]x:81", "a.test:80:[::1]"}) {
        EXPECT_FALSE(AddConnectTo(text)) << text;
    }
    EXPECT_EQ(Target("a.test", 80), "a.test:80");
    EXPECT_TRUE(AddConnectTo("a.test:65535:b.test:1"));
}

TEST_F(ConnectToMapTest, RulesMayChangeWhileOtherThreadsResolve) {
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([] {
            for (int n = 0; n < 2000; ++n) {
                const std::string host = ResolveConnectTo("a.test", 80).host;
                EXPECT_TRUE(host == "a.test" || host == "127.0.0.1") << host;
            }
        });
    }
    for (int n = 0; n < 500; ++n) {
        AddConnectTo("a.test:80:127.0.0.1:1");
        ClearConnectTo();
    }
    for (std::thread& reader : readers) reader.join();
}

}  // namespace

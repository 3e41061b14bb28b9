// The pool of idle connections: which connection a place gets, the limits per place, in all and
// in time, connections the server closed, the end of a search, and threads that take and keep at
// once (run under TSan).
#include "http/connection_pool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "http/host_lookup_cache.h"
#include "http/socket_connection.h"
#include "support/scripted_server.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class ConnectionPoolTest : public ::testing::Test {
protected:
    // A new connection to the server, open as long as the server keeps it.
    std::unique_ptr<SocketConnection> ConnectionTo(const ScriptedServer& server) {
        auto connection = std::make_unique<SocketConnection>(-1, Clock::now() + 10s);
        EXPECT_EQ(connection->Connect("127.0.0.1", server.Port(), lookups), SocketStatus::kDone);
        return connection;
    }

    // Accepts one connection and holds it; the others wait in its backlog, open all the same.
    ScriptedServer holding{[](ScriptedConnection& connection, int) { connection.StaySilent(); }};
    HostLookupCache lookups;
    Clock::time_point now = Clock::now();
    ConnectionPool pool{[this] { return now; }};
};

TEST_F(ConnectionPoolTest, APlaceGetsItsLatestKeptConnectionAndNoOtherPlaces) {
    auto first = ConnectionTo(holding);
    auto second = ConnectionTo(holding);
    SocketConnection* const firstKept = first.get();
    SocketConnection* const secondKept = second.get();
    pool.Keep("http://a.test at 127.0.0.1:80", std::move(first));
    pool.Keep("http://a.test at 127.0.0.1:80", std::move(second));

    EXPECT_FALSE(pool.Holds("http://b.test at 127.0.0.1:80"));
    EXPECT_EQ(pool.Take("http://b.test at 127.0.0.1:80"), nullptr);
    EXPECT_EQ(pool.Take("http://a.test at 127.0.0.1:80").get(), secondKept);
    EXPECT_EQ(pool.Take("http://a.test at 127.0.0.1:80").get(), firstKept);
    EXPECT_EQ(pool.Take("http://a.test at 127.0.0.1:80"), nullptr);
}

TEST_F(ConnectionPoolTest, IdleConnectionsAreBoundedPerPlaceInAllAndInTime) {
    const struct {
        const char* what;
        int places;
        int perPlace;
        std::chrono::seconds idle;
        std::size_t kept;
    } cases[] = {
        {"five for one place", 1, 5, 0s, ConnectionPool::kIdlePerPlace},
        {"one for each of seventeen places", 17, 1, 0s, ConnectionPool::kIdleInAll},
        {"idle for just under the limit", 2, 2, ConnectionPool::kIdleLimit - 1s, 4},
        {"idle for the limit", 2, 2, ConnectionPool::kIdleLimit, 0},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.what);
        ConnectionPool bounded([this] { return now; });
        std::vector<SocketConnection*> keptOrder;
        for (int place = 0; place < row.places; ++place) {
            for (int connection = 0; connection < row.perPlace; ++connection) {
                auto kept = ConnectionTo(holding);
                keptOrder.push_back(kept.get());
                bounded.Keep("place " + std::to_string(place), std::move(kept));
            }
        }
        now += row.idle;
        EXPECT_EQ(bounded.Holds("place " + std::to_string(row.places - 1)), row.kept > 0);
        EXPECT_EQ(bounded.IdleCount(), row.kept);
        // The longest unused go first: the last kept are still there.
        if (row.kept > 0) {
            EXPECT_EQ(bounded.Take("place " + std::to_string(row.places - 1)).get(), keptOrder.back());
        }
    }
}

// A host every company is read on outlasts the hosts of single companies.
TEST_F(ConnectionPoolTest, OverTheLimitInAllAPlaceKeptOftenOutlastsPlacesKeptOnce) {
    for (int request = 0; request < 3; ++request) {
        std::unique_ptr<SocketConnection> connection = pool.Take("shared");
        pool.Keep("shared", connection ? std::move(connection) : ConnectionTo(holding));
    }
    for (std::size_t place = 0; place < ConnectionPool::kIdleInAll; ++place) {
        pool.Keep("once " + std::to_string(place), ConnectionTo(holding));
    }
    EXPECT_TRUE(pool.Holds("shared"));
    EXPECT_FALSE(pool.Holds("once 0"));
    EXPECT_TRUE(pool.Holds("once 1"));
    EXPECT_EQ(pool.IdleCount(), ConnectionPool::kIdleInAll);
}

TEST_F(ConnectionPoolTest, AConnectionTheServerClosedIsNeverHandedOut) {
    ScriptedServer closing([](ScriptedConnection&, int) {});
    auto closed = ConnectionTo(closing);
    auto open = ConnectionTo(holding);
    SocketConnection* const openKept = open.get();
    pool.Keep("place", std::move(open));
    pool.Keep("place", std::move(closed));
    for (int waited = 0; waited < 500 && closing.ConnectionCount() == 0; waited += 5) std::this_thread::sleep_for(5ms);
    std::this_thread::sleep_for(20ms);  // for the server's close to arrive

    EXPECT_EQ(pool.Take("place").get(), openKept);
    EXPECT_EQ(pool.IdleCount(), 0u);
}

TEST_F(ConnectionPoolTest, ClosingEmptiesThePoolAndClosesWhatIsKeptAfterwards) {
    pool.Keep("place", ConnectionTo(holding));
    pool.Close();
    EXPECT_EQ(pool.IdleCount(), 0u);
    pool.Keep("place", ConnectionTo(holding));
    EXPECT_EQ(pool.IdleCount(), 0u);
    EXPECT_EQ(pool.Take("place"), nullptr);
}

TEST_F(ConnectionPoolTest, ThreadsTakingAndKeepingAtOnceNeverShareAConnection) {
    ConnectionPool shared;
    std::mutex inUseMutex;
    std::set<SocketConnection*> inUse;
    std::atomic<int> shares{0};
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 4; ++thread) {
        threads.emplace_back([&] {
            for (int request = 0; request < 100; ++request) {
                const std::string place = "place " + std::to_string(request % 3);
                std::unique_ptr<SocketConnection> connection = shared.Take(place);
                if (!connection) connection = ConnectionTo(holding);
                {
                    std::lock_guard<std::mutex> lock(inUseMutex);
                    shares += !inUse.insert(connection.get()).second;
                }
                std::this_thread::yield();
                {
                    std::lock_guard<std::mutex> lock(inUseMutex);
                    inUse.erase(connection.get());
                }
                shared.Keep(place, std::move(connection));
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(shares, 0);
    EXPECT_LE(shared.IdleCount(), 3 * ConnectionPool::kIdlePerPlace);
}

}  // namespace

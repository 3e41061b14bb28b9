#include "http/request_canceller.h"

#include <gtest/gtest.h>
#include <poll.h>

#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

bool Readable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    return poll(&watched, 1, 0) == 1;
}

TEST(RequestCancellerTest, UncancelledWaitRunsItsFullTime) {
    RequestCanceller canceller;
    EXPECT_FALSE(canceller.IsCancelled());
    EXPECT_TRUE(canceller.WaitFor(5ms));
    EXPECT_TRUE(canceller.WaitFor(0ms));
    EXPECT_GE(canceller.WakeFd(), 0);
    EXPECT_FALSE(Readable(canceller.WakeFd()));
}

TEST(RequestCancellerTest, CancelWakesEveryWaiterAndStaysCancelled) {
    RequestCanceller canceller;
    std::vector<std::thread> waiters;
    std::atomic<int> woken{0};
    for (int i = 0; i < 4; ++i) {
        waiters.emplace_back([&] { woken += canceller.WaitFor(60s) ? 0 : 1; });
    }
    std::this_thread::sleep_for(20ms);
    canceller.Cancel();
    for (std::thread& waiter : waiters) waiter.join();
    EXPECT_EQ(woken, 4);
    EXPECT_TRUE(canceller.IsCancelled());
    EXPECT_FALSE(canceller.WaitFor(60s)) << "a wait after the cancel ends at once";
    EXPECT_TRUE(Readable(canceller.WakeFd()));
    canceller.Cancel();
    EXPECT_TRUE(Readable(canceller.WakeFd())) << "a second cancel changes nothing";
}

}  // namespace

#include "platform/single_instance_lock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

// Started with these variables, a copy of this program takes the named lock and reports on
// standard output: "held" (then waits to be killed) or "busy" (then exits).
constexpr const char* kHolderNameVariable = "HARVIO_TEST_LOCK_NAME";
constexpr const char* kHolderUserVariable = "HARVIO_TEST_LOCK_AS_UID";

const bool holderOnly = [] {
    const char* name = std::getenv(kHolderNameVariable);
    if (name == nullptr) return false;
    if (const char* uid = std::getenv(kHolderUserVariable)) {
        if (setgid(static_cast<gid_t>(std::atoi(uid))) != 0 ||
            setuid(static_cast<uid_t>(std::atoi(uid))) != 0) {
            _exit(2);
        }
    }
    static SingleInstanceLock lock;
    bool held = lock.Acquire(name);
    if (write(STDOUT_FILENO, held ? "held" : "busy", 4) != 4) _exit(2);
    if (!held) _exit(1);
    for (;;) pause();
}();

std::string TestName(const char* what) {
    return "Harvio test lock " + std::string(what) + " " + std::to_string(getpid());
}

struct Holder {
    pid_t pid = -1;
    std::string answer;
};

// Starts a copy of this program that tries the lock; returns once it has answered.
Holder StartHolder(const std::string& name, const char* asUid = nullptr) {
    int pipeEnds[2];
    Holder holder;
    if (pipe(pipeEnds) != 0) return holder;
    holder.pid = fork();
    if (holder.pid == 0) {
        dup2(pipeEnds[1], STDOUT_FILENO);
        close(pipeEnds[0]);
        setenv(kHolderNameVariable, name.c_str(), 1);
        if (asUid != nullptr) setenv(kHolderUserVariable, asUid, 1);
        execl("/proc/self/exe", "single_instance_lock_test", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char buffer[4];
    ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got > 0) holder.answer.assign(buffer, got);
    close(pipeEnds[0]);
    return holder;
}

int KillAndReap(pid_t pid) {
    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    return status;
}

int Reap(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SingleInstanceLockTest, OnlyOneHolderWithinTheProcess) {
    (void)holderOnly;
    std::string name = TestName("inside");
    SingleInstanceLock first;
    SingleInstanceLock second;
    ASSERT_TRUE(first.Acquire(name));
    EXPECT_FALSE(second.Acquire(name));
    EXPECT_FALSE(second.Held());
    // The holder asking again keeps its name; a different name is refused while one is held.
    EXPECT_TRUE(first.Acquire(name));
    EXPECT_FALSE(first.Acquire(TestName("other")));

    first.Release();
    EXPECT_TRUE(second.Acquire(name));
}

TEST(SingleInstanceLockTest, TheNameIsFreedWhenTheObjectGoes) {
    std::string name = TestName("scope");
    {
        SingleInstanceLock holder;
        ASSERT_TRUE(holder.Acquire(name));
    }
    SingleInstanceLock next;
    EXPECT_TRUE(next.Acquire(name));
}

TEST(SingleInstanceLockTest, AnotherProcessIsRefusedWhileTheFirstHoldsIt) {
    std::string name = TestName("across");
    SingleInstanceLock mine;
    ASSERT_TRUE(mine.Acquire(name));
    Holder other = StartHolder(name);
    EXPECT_EQ(other.answer, "busy");
    EXPECT_EQ(Reap(other.pid), 1);
}

TEST(SingleInstanceLockTest, AKilledHolderFreesTheName) {
    std::string name = TestName("crash");
    Holder holder = StartHolder(name);
    ASSERT_EQ(holder.answer, "held");
    SingleInstanceLock mine;
    EXPECT_FALSE(mine.Acquire(name));

    int status = KillAndReap(holder.pid);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_TRUE(mine.Acquire(name));
}

TEST(SingleInstanceLockTest, ProgramsStartedByTheHolderDoNotKeepTheName) {
    std::string name = TestName("inherit");
    pid_t launched = -1;
    {
        SingleInstanceLock mine;
        ASSERT_TRUE(mine.Acquire(name));
        // Stands for the browser: a program started while the lock is held, still running later.
        // The close-on-exec pipe reaches end of file once the program has replaced the fork.
        int execDone[2];
        ASSERT_EQ(pipe2(execDone, O_CLOEXEC), 0);
        launched = fork();
        if (launched == 0) {
            execl("/bin/sleep", "sleep", "30", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(execDone[1]);
        char ignored;
        EXPECT_EQ(read(execDone[0], &ignored, 1), 0);
        close(execDone[0]);
    }
    SingleInstanceLock next;
    EXPECT_TRUE(next.Acquire(name));
    KillAndReap(launched);
}

TEST(SingleInstanceLockTest, AnotherUserIsRefusedToo) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to start a copy as another user";
    std::string name = TestName("user");
    SingleInstanceLock mine;
    ASSERT_TRUE(mine.Acquire(name));
    Holder other = StartHolder(name, "65534");
    EXPECT_EQ(other.answer, "busy");
    EXPECT_EQ(Reap(other.pid), 1);
}

TEST(SingleInstanceLockTest, UnusableNamesAreRefused) {
    SingleInstanceLock lock;
    EXPECT_FALSE(lock.Acquire(""));
    EXPECT_FALSE(lock.Acquire(std::string(200, 'x')));
    EXPECT_FALSE(lock.Held());
}

}  // namespace

#include "platform/administrator_check.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

namespace {

constexpr uid_t kNobody = 65534;

class AdministratorCheckTest : public ::testing::Test {
protected:
    void TearDown() override { SetAdministratorCheckForTesting(std::nullopt); }
};

// Answers IsAdministrator() in a child process that has dropped to an ordinary user holding
// exactly the given supplementary groups. Returns 1 for yes, 0 for no, -1 when it cannot tell.
int AnswerAsOrdinaryUser(const std::vector<gid_t>& groups) {
    pid_t child = fork();
    if (child == 0) {
        if (setgroups(groups.size(), groups.data()) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
            _exit(2);
        _exit(IsAdministrator() ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) > 1) return -1;
    return WEXITSTATUS(status);
}

TEST_F(AdministratorCheckTest, RootIsAnAdministrator) {
    if (geteuid() != 0) GTEST_SKIP() << "runs as root only";
    EXPECT_TRUE(IsAdministrator());
}

TEST_F(AdministratorCheckTest, OrdinaryUsersAreAdministratorsOnlyThroughAnAdministratorGroup) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    EXPECT_EQ(AnswerAsOrdinaryUser({}), 0);
    // A group that grants nothing.
    EXPECT_EQ(AnswerAsOrdinaryUser({kNobody}), 0);

    bool anyAdministratorGroup = false;
    for (const char* name : {"sudo", "wheel", "admin"}) {
        if (group* entry = getgrnam(name)) {
            anyAdministratorGroup = true;
            EXPECT_EQ(AnswerAsOrdinaryUser({kNobody, entry->gr_gid}), 1) << name;
        }
    }
    if (!anyAdministratorGroup) GTEST_SKIP() << "no administrator group on this machine";
}

TEST_F(AdministratorCheckTest, TestsCanReplaceTheAnswer) {
    bool real = IsAdministrator();
    SetAdministratorCheckForTesting(!real);
    EXPECT_EQ(IsAdministrator(), !real);
    SetAdministratorCheckForTesting(std::nullopt);
    EXPECT_EQ(IsAdministrator(), real);
}

}  // namespace

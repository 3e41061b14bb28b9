#include "platform/administrator_check.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <vector>

namespace {

// 0 asks the system, 1 answers no, 2 answers yes.
std::atomic<int> answerOverride{0};

constexpr std::array<const char*, 3> kAdministratorGroups = {"sudo", "wheel", "admin"};

std::vector<gid_t> CallerGroups() {
    std::vector<gid_t> groups;
    int count = getgroups(0, nullptr);
    if (count > 0) {
        groups.resize(count);
        count = getgroups(count, groups.data());
        groups.resize(count > 0 ? count : 0);
    }
    groups.push_back(getegid());
    return groups;
}

bool GroupId(const char* name, gid_t* gid) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (getgrnam_r(name, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return false;
    }
    *gid = found->gr_gid;
    return true;
}

}  // namespace

bool IsAdministrator() {
    int forced = answerOverride.load();
    if (forced != 0) return forced == 2;
    if (geteuid() == 0) return true;
    std::vector<gid_t> groups = CallerGroups();
    for (const char* name : kAdministratorGroups) {
        gid_t gid = 0;
        if (GroupId(name, &gid) && std::find(groups.begin(), groups.end(), gid) != groups.end()) return true;
    }
    return false;
}

void SetAdministratorCheckForTesting(std::optional<bool> answer) {
    answerOverride.store(answer ? (*answer ? 2 : 1) : 0);
}

#include "platform/no_replace_rename.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>

NoReplaceRename RenameWithoutReplacing(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return NoReplaceRename::kRenamed;
    if (errno == EEXIST) return NoReplaceRename::kTargetExists;
    // Filesystems without the flag (some network and FUSE ones) answer EINVAL.
    if (errno != EINVAL && errno != ENOSYS) return NoReplaceRename::kFailed;
    if (link(from.c_str(), to.c_str()) != 0)
        return errno == EEXIST ? NoReplaceRename::kTargetExists : NoReplaceRename::kFailed;
    unlink(from.c_str());
    return NoReplaceRename::kRenamed;
}

#pragma once

#include <string>

// Puts a file under a new name only where no file of that name exists, atomically, so that a
// file another program made meanwhile is never replaced: renameat2(RENAME_NOREPLACE), or, on a
// filesystem that refuses it, a hard link under the new name and the old name removed.
enum class NoReplaceRename {
    kRenamed,
    kTargetExists,  // the file at `to` stays as it was; `from` too
    kFailed,        // errno tells why
};
NoReplaceRename RenameWithoutReplacing(const std::string& from, const std::string& to);

#include "ui/dialogs/user_settings_file.h"

#include <QFile>
#include <QFileInfo>

#include "platform/program_paths.h"

namespace {

constexpr mode_t kPrivateFolder = 0700;  // as the base directory rules make the config folder
// The user owns the copy whatever the shipped file's mode (an installed tree is read-only).
constexpr QFile::Permissions kUserFile = QFile::ReadOwner | QFile::WriteOwner;

QString Name(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

}  // namespace

bool PrepareUserSettingsFile(const std::string& userFile) {
    if (QFileInfo::exists(Name(userFile))) return true;
    const std::string folder = userFile.substr(0, userFile.rfind('/'));
    if (!MakeFolders(folder, kPrivateFolder)) return false;
    const QString shipped = Name(SettingsFilePath());
    if (QFileInfo::exists(shipped) && !QFile::copy(shipped, Name(userFile))) return false;
    if (QFileInfo::exists(Name(userFile))) QFile::setPermissions(Name(userFile), kUserFile);
    return true;
}

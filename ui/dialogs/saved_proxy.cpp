#include "ui/dialogs/saved_proxy.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "platform/program_paths.h"
#include "ui/dialogs/user_settings_file.h"

namespace {

constexpr char kAddressKey[] = "Proxy/Address";
constexpr char kPortKey[] = "Proxy/Port";

QString Name(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

}  // namespace

bool ProxyValuesAreSaved() {
    return !UserSettingsFilePath().empty();
}

std::optional<SavedProxy> LoadSavedProxy() {
    if (!ProxyValuesAreSaved() || !QFileInfo::exists(Name(SettingsFilePath()))) return std::nullopt;
    const QSettings settings(Name(SettingsFilePath()), QSettings::IniFormat);
    SavedProxy proxy{settings.value(QString::fromLatin1(kAddressKey)).toString().toStdString(),
                     settings.value(QString::fromLatin1(kPortKey)).toString().toStdString()};
    if (proxy.address.empty() || proxy.portText.empty()) return std::nullopt;
    return proxy;
}

bool SaveProxy(const SavedProxy& proxy) {
    const std::string userFile = UserSettingsFilePath();
    if (userFile.empty() || !PrepareUserSettingsFile(userFile)) return false;
    QSettings settings(Name(userFile), QSettings::IniFormat);
    // The dialog accepts digits and dots only, so the values are plain ASCII.
    settings.setValue(QString::fromLatin1(kAddressKey), QString::fromStdString(proxy.address));
    settings.setValue(QString::fromLatin1(kPortKey), QString::fromStdString(proxy.portText));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

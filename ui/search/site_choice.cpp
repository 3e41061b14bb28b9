#include "ui/search/site_choice.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include "platform/program_paths.h"
#include "ui/dialogs/user_settings_file.h"

namespace {

constexpr char kNameKey[] = "Site/Name";

QString ChoiceFile() {
    return QFile::decodeName(SiteChoiceFilePath().c_str());
}

}  // namespace

std::optional<QString> LoadSiteChoice() {
    if (!QFileInfo::exists(ChoiceFile())) return std::nullopt;
    const QSettings settings(ChoiceFile(), QSettings::IniFormat);
    const QString name = settings.value(QString::fromLatin1(kNameKey)).toString();
    if (name.isEmpty()) return std::nullopt;
    return name;
}

bool SaveSiteChoice(const QString& siteName) {
    // Installed, the choice joins the user's settings file, which starts as the shipped one.
    if (CurrentProgramLayout() == ProgramLayout::kInstalled && !PrepareUserSettingsFile(SiteChoiceFilePath()))
        return false;
    QSettings settings(ChoiceFile(), QSettings::IniFormat);
    settings.setValue(QString::fromLatin1(kNameKey), siteName);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

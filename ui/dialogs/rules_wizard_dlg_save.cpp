#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "engine/site_profiles.h"
#include "platform/qt/message_box.h"
#include "ui/dialogs/rules_wizard_dlg.h"
#include "ui/search/gbk_text.h"
#include "ui/wizard/learned_profile_saving.h"

// Saving the learned profile: a name of its own among the sites, the base profile's other keys,
// and no file replaced without asking.

void CRulesWizardDlg::OnSave() {
    const QString siteName = siteNameBox_->text().trimmed();
    if (siteName.isEmpty()) {
        ShowMessageBox(this, QStringLiteral("请填写新站点的名称。"), MessageButtons::Ok);
        siteNameBox_->setFocus();
        return;
    }
    const std::vector<FieldEvidence>* fields = session_.NamedEvidence();
    if (fields == nullptr) {
        ShowMessageBox(this, QStringLiteral("还在学习规则，请稍候再保存。"), MessageButtons::Ok);
        return;
    }
    if (std::none_of(fields->begin(), fields->end(),
                     [](const FieldEvidence& field) { return field.learned; })) {
        ShowMessageBox(this, QStringLiteral("还没有学会任何字段的规则，没有可保存的内容。"),
                       MessageButtons::Ok);
        return;
    }
    const std::string path = LearnedProfilePath(siteName);
    const std::string gbkName = ToGbk(siteName).toStdString();
    for (const SiteProfile& profile : ListSiteProfiles()) {
        if (profile.name == gbkName && profile.path != path) {
            ShowMessageBox(this, QStringLiteral("已有名为“%1”的站点，请换一个名称。").arg(siteName),
                           MessageButtons::Ok);
            siteNameBox_->setFocus();
            return;
        }
    }
    const std::optional<std::string> baseText = ReadWholeFile(baseProfilePath_);
    if (!baseText) {
        ShowMessageBox(this,
                       QStringLiteral("无法读取作为基础的规则文件 %1。")
                           .arg(QFile::decodeName(baseProfilePath_.c_str())),
                       MessageButtons::Ok);
        return;
    }
    const QString shownPath = QFile::decodeName(path.c_str());
    WrittenFile written = SaveLearnedProfile(path, *baseText, *fields, siteName, ExistingFile::kKeep);
    if (written.keptExisting) {
        if (ShowMessageBox(this, QStringLiteral("规则文件 %1 已存在，要替换它吗？").arg(shownPath),
                           MessageButtons::YesNo) != MessageAnswer::Yes)
            return;
        written = SaveLearnedProfile(path, *baseText, *fields, siteName, ExistingFile::kReplace);
    }
    if (!written.written) {
        ShowMessageBox(this,
                       QStringLiteral("无法保存规则文件 %1（%2）。")
                           .arg(shownPath, QString::fromLocal8Bit(written.failure.c_str())),
                       MessageButtons::Ok);
        return;
    }
    SetStatus(QStringLiteral("已保存到 %1，主窗口的站点框里可以选择“%2”。").arg(shownPath, siteName));
    emit profileSaved(shownPath);
}

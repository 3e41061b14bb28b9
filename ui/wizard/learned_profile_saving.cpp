#include "ui/wizard/learned_profile_saving.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "engine/rules_file.h"
#include "platform/program_paths.h"
#include "ui/search/gbk_text.h"

namespace {

constexpr char kProfileEnding[] = ".rules";
constexpr mode_t kFolderMode = 0755;

}  // namespace

std::string LearnedProfilePath(const QString& siteName) {
    QString fileName = siteName;
    fileName.replace(u'/', u'_');
    fileName.remove(QChar(u'\0'));
    if (fileName.startsWith(u'.')) fileName[0] = u'_';
    return UserSiteProfileFolder() + "/" + QFile::encodeName(fileName).toStdString() + kProfileEnding;
}

WrittenFile SaveLearnedProfile(const std::string& path, const std::string& baseText,
                               const std::vector<FieldEvidence>& fields, const QString& siteName,
                               ExistingFile existing) {
    if (!MakeFolders(std::filesystem::path(path).parent_path().string(), kFolderMode)) {
        WrittenFile failed;
        failed.failure = std::strerror(errno);
        return failed;
    }
    const std::string text =
        RulesTextNamed(LearnedProfileText(baseText, fields), ToGbk(siteName).toStdString());
    return WriteTextFileInPlace(path, text, existing);
}

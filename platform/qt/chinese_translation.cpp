#include "platform/qt/chinese_translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// "qt_zh_CN" gathers the modules' catalogues; "qtbase_zh_CN" holds the widgets' own texts.
constexpr const char* kCatalogues[] = {"qt_zh_CN", "qtbase_zh_CN"};

QTranslator* installedTranslator = nullptr;

}  // namespace

bool InstallChineseTranslation(QCoreApplication& application) {
    if (installedTranslator != nullptr) return true;
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char* catalogue : kCatalogues) {
        auto* translator = new QTranslator(&application);
        if (translator->load(QString::fromLatin1(catalogue), folder) &&
            QCoreApplication::installTranslator(translator)) {
            installedTranslator = translator;
            return true;
        }
        delete translator;
    }
    return false;
}

bool ChineseTranslationInstalled() {
    return installedTranslator != nullptr;
}

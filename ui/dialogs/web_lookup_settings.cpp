#include "ui/dialogs/web_lookup_settings.h"

#include <QFile>
#include <QSettings>
#include <QStringEncoder>

#include "platform/program_paths.h"

namespace {

// An ini value with a comma reads as a list; the user meant one text.
QString ReadText(const QSettings& settings, const char* key, const QString& fallback) {
    QString text =
        settings.value(QString::fromLatin1(key)).toStringList().join(QStringLiteral(", ")).trimmed();
    return text.isEmpty() ? fallback : text;
}

// The fixed paths begin with a slash, so one the user typed at the end of the host is dropped.
QByteArray ReadBaseAddress(const QSettings& settings, const char* key, const QByteArray& fallback) {
    QByteArray base = QStringEncoder("GBK")(ReadText(settings, key, QString()));
    while (base.endsWith('/')) base.chop(1);
    return base.isEmpty() ? fallback : base;
}

}  // namespace

WebLookupSettings LoadWebLookupSettings(const QString& iniPath) {
    WebLookupSettings result;
    if (!QFile::exists(iniPath)) return result;
    QSettings settings(iniPath, QSettings::IniFormat);
    result.webSearchBase = ReadBaseAddress(settings, "WebSearch/BaseAddress", result.webSearchBase);
    result.smsPlatformBase = ReadBaseAddress(settings, "SmsPlatform/BaseAddress", result.smsPlatformBase);
    result.serviceTelephone = ReadText(settings, "SmsPlatform/ServiceTelephone", result.serviceTelephone);
    result.serviceQq = ReadText(settings, "SmsPlatform/ServiceQQ", result.serviceQq);
    return result;
}

WebLookupSettings LoadWebLookupSettings() {
    return LoadWebLookupSettings(QFile::decodeName(SettingsFilePath().c_str()));
}

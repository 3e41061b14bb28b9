#pragma once

#include <QByteArray>
#include <QString>

// Where the web look-ups go and whom the account-opening message names. Read from the settings
// file "harvio.ini"; a missing file, key or empty value keeps the default.
struct WebLookupSettings {
    QByteArray webSearchBase = "http://www.baidu.com";      // scheme and host, no trailing slash
    QByteArray smsPlatformBase = "http://sms.example.com";  // scheme and host, no trailing slash
    QString serviceTelephone = QStringLiteral("000-00000000");
    QString serviceQq = QStringLiteral("00000000");
};

WebLookupSettings LoadWebLookupSettings(const QString& iniPath);
// From SettingsFilePath().
WebLookupSettings LoadWebLookupSettings();

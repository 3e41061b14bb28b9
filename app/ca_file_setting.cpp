#include "app/ca_file_setting.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

std::string ConfiguredCaFile(const QString& iniPath) {
    if (!QFile::exists(iniPath)) return {};
    const QSettings settings(iniPath, QSettings::IniFormat);
    const QString caFile = settings.value(QStringLiteral("caFile")).toString().trimmed();
    if (caFile.isEmpty()) return {};
    return QFile::encodeName(QFileInfo(iniPath).dir().absoluteFilePath(caFile)).toStdString();
}

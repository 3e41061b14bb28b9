#include "app/user_agent_setting.h"

#include <QFile>

#include "platform/settings_value.h"

std::string ConfiguredUserAgent(const QString& iniPath) {
    std::string value =
        ReadTopLevelSetting(QFile::encodeName(iniPath).toStdString(), "userAgent").value_or(std::string());
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        value = value.substr(1, value.size() - 2);
    return value;
}

#include "app/user_agent_setting.h"

#include <QFile>

std::string ConfiguredUserAgent(const QString& iniPath) {
    QFile file(iniPath);
    if (!file.open(QIODevice::ReadOnly)) return {};
    std::string value;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) break;  // the keys before any section end here
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || line.left(equals).trimmed() != QLatin1String("userAgent")) continue;
        QString text = line.mid(equals + 1).trimmed();
        if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
            text = text.mid(1, text.size() - 2);
        value = text.toStdString();
    }
    return value;
}

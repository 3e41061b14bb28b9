#include "ui/controls/book_dates.h"

#include <QDateTime>

QString BookDate(int64_t when) {
    return QDateTime::fromSecsSinceEpoch(when).toString(QStringLiteral("yyyy-MM-dd"));
}

QString LastExportedText(int64_t when) {
    return when == 0 ? QStringLiteral("尚未导出") : BookDate(when);
}

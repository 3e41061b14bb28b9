#include "platform/qt/skin.h"

#include <QApplication>
#include <QFile>

bool SkinH_AttachEx(const char* path, const char* /*password*/) {
    if (path == nullptr || qApp == nullptr) return false;
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    qApp->setStyleSheet(QString::fromUtf8(file.readAll()));
    return true;
}

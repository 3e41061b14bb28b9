#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The window shows Unicode while the engine, the cells and the files hold GBK bytes; text
// crosses between the two only here.
QString FromGbk(QByteArrayView gbk);
QByteArray ToGbk(const QString& text);

#include "ui/search/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

QString FromGbk(QByteArrayView gbk) {
    QStringDecoder decoder("GBK");
    return decoder.decode(gbk);
}

QByteArray ToGbk(const QString& text) {
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

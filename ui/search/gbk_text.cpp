#include "ui/search/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

#include "engine/gbk_characters.h"

QString FromGbk(QByteArrayView gbk) {
    QStringDecoder decoder(kCellEncoding);
    return decoder.decode(gbk);
}

QByteArray ToGbk(const QString& text) {
    QStringEncoder encoder(kCellEncoding);
    return encoder.encode(text);
}

#include "ui/search/gbk_text.h"

#include <QStringDecoder>
#include <QStringEncoder>

// GB18030 has the same bytes as GBK for every GBK character, and also the characters beyond it
// that pages in other charsets bring: read and written as GB18030, they show and pass whole.
constexpr const char* kEngineEncoding = "GB18030";

QString FromGbk(QByteArrayView gbk) {
    QStringDecoder decoder(kEngineEncoding);
    return decoder.decode(gbk);
}

QByteArray ToGbk(const QString& text) {
    QStringEncoder encoder(kEngineEncoding);
    return encoder.encode(text);
}

#include "ui/dialogs/dialog_font.h"

#include <QFontDatabase>
#include <QStringList>

namespace {

constexpr int kFontPointSize = 9;

}  // namespace

QFont DialogFont() {
    const QStringList candidates = {QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                    QStringLiteral("Noto Sans CJK SC"),
                                    QStringLiteral("WenQuanYi Micro Hei")};
    QFont font;
    for (const QString& family : candidates) {
        if (QFontDatabase::hasFamily(family)) {
            font.setFamily(family);
            break;
        }
    }
    font.setPointSize(kFontPointSize);
    return font;
}

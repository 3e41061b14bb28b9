#include "ui/dialogs/dialog_units.h"

#include <QFontMetrics>
#include <QWidget>

namespace {
// The average character width is taken over the Latin letters, as the dialog templates' own
// measure is.
constexpr char kAverageWidthSample[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
constexpr int kSampleLength = sizeof(kAverageWidthSample) - 1;
constexpr int kQuartersPerCharacter = 4;
constexpr int kEighthsPerLine = 8;
}  // namespace

QSize DialogUnitsToPixels(const QWidget* widget, int widthUnits, int heightUnits) {
    const QFontMetrics metrics(widget->font());
    const int sampleWidth = metrics.horizontalAdvance(QString::fromLatin1(kAverageWidthSample));
    const int averageWidth = (sampleWidth + kSampleLength / 2) / kSampleLength;
    return {widthUnits * averageWidth / kQuartersPerCharacter,
            heightUnits * metrics.height() / kEighthsPerLine};
}

#include "ui/controls/header_bitmaps.h"

#include <QColor>

namespace {

constexpr int kBackgroundWidth = 100;
constexpr int kBackgroundHeight = 17;
constexpr int kArrowSize = 18;
// Rows and columns counted from 1, as the pictures were drawn: the triangle spans rows 8 to 11
// and is centred on column 9.
constexpr int kTriangleFirstRow = 8;
constexpr int kTriangleRows = 4;
constexpr int kTriangleCentreColumn = 9;

const QColor kHighlight(255, 255, 255);
const QColor kGround(222, 230, 216);
const QColor kLowerBand(176, 186, 169);
const QColor kBottomEdge(1, 70, 65);
const QColor kArrowGrey(128, 128, 128);

}  // namespace

QImage HeaderBackgroundBitmap() {
    QImage image(kBackgroundWidth, kBackgroundHeight, QImage::Format_RGB32);
    image.fill(kGround);
    for (int x = 0; x < kBackgroundWidth; ++x) {
        image.setPixelColor(x, 0, kHighlight);
        image.setPixelColor(x, kBackgroundHeight - 2, kLowerBand);
        image.setPixelColor(x, kBackgroundHeight - 1, kBottomEdge);
    }
    return image;
}

QImage SortArrowBitmap(bool ascending) {
    QImage image(kArrowSize, kArrowSize, QImage::Format_RGB32);
    image.fill(kGround);
    for (int step = 0; step < kTriangleRows; ++step) {
        // Descending widens downwards (points up); ascending narrows downwards (points down).
        int halfWidth = ascending ? kTriangleRows - 1 - step : step;
        int y = kTriangleFirstRow - 1 + step;
        for (int x = kTriangleCentreColumn - 1 - halfWidth; x <= kTriangleCentreColumn - 1 + halfWidth; ++x) {
            image.setPixelColor(x, y, kArrowGrey);
        }
    }
    return image;
}

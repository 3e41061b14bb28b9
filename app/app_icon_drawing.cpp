#include "app/app_icon_drawing.h"

#include <QColor>
#include <QPainter>
#include <QPen>

namespace {

const QColor kBackground(0, 102, 170);
const QColor kLens(255, 255, 255);

}  // namespace

void DrawApplicationIcon(QPainter& painter, double size) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBackground);
    painter.drawRoundedRect(QRectF(0, 0, size, size), size / 6.0, size / 6.0);
    QPen pen(kLens, size / 8.0, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal lens = size * 0.46;
    painter.drawEllipse(QRectF(size * 0.16, size * 0.16, lens, lens));
    painter.drawLine(QPointF(size * 0.56, size * 0.56), QPointF(size * 0.82, size * 0.82));
}

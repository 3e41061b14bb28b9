#include "app/app_icon.h"

#include <QPainter>
#include <QPixmap>

#include "app/app_icon_drawing.h"

namespace {

// Title bar, task bar and about box sizes.
constexpr int kIconSizes[] = {16, 32, 48};

}  // namespace

QIcon ApplicationIcon() {
    QIcon icon;
    for (int size : kIconSizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        DrawApplicationIcon(painter, size);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

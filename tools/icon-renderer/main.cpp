// Writes the program's icon files for the desktop's icon theme: harvio-48.png, harvio-256.png and
// the scalable harvio.svg, into the folder named on the command line. Run by the build.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "app/app_icon_drawing.h"

namespace {

constexpr int kPixelSizes[] = {48, 256};
constexpr int kScalableSize = 256;  // the SVG's own view box; it scales from there

bool WritePng(const QString& folder, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    DrawApplicationIcon(painter, size);
    painter.end();
    return image.save(folder + QStringLiteral("/harvio-%1.png").arg(size));
}

bool WriteSvg(const QString& folder) {
    QSvgGenerator svg;
    svg.setFileName(folder + QStringLiteral("/harvio.svg"));
    svg.setSize(QSize(kScalableSize, kScalableSize));
    svg.setViewBox(QRect(0, 0, kScalableSize, kScalableSize));
    svg.setTitle(QStringLiteral("Harvio"));
    QPainter painter;
    if (!painter.begin(&svg)) return false;
    DrawApplicationIcon(painter, kScalableSize);
    return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    // Painting needs the GUI library set up; no window is shown, so no display is needed.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (int size : kPixelSizes) {
        if (!WritePng(folder, size)) {
            std::fprintf(stderr, "cannot write the %d px icon into %s\n", size, argv[1]);
            return 1;
        }
    }
    if (!WriteSvg(folder)) {
        std::fprintf(stderr, "cannot write the scalable icon into %s\n", argv[1]);
        return 1;
    }
    return 0;
}

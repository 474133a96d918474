// Build tool: writes the program's icon for the desktop, as a hicolor icon
// theme tree, and checks a drawing of the SVG against the pixels.
//   export_icon DIR APP_ID SIZE...   DIR/<SIZE>x<SIZE>/apps/APP_ID.png, DIR/scalable/apps/APP_ID.svg
//   export_icon --compare FILE.png   FILE (a square drawing of the SVG) against the icon's pixels
#include <QDir>
#include <QImage>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "res/icon.h"

namespace {

QImage IconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32);
    auto pixels = res::DrawIcon(size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) image.setPixel(x, y, pixels[static_cast<std::size_t>(y * size + x)]);
    return image;
}

int Export(const QString& dir, const QString& id, int count, char** sizes) {
    for (int i = 0; i < count; ++i) {
        int size = std::atoi(sizes[i]);
        QString sub = QString("%1/%2x%2/apps").arg(dir).arg(size);
        if (size <= 0 || size > 1024 || !QDir().mkpath(sub) ||
            !IconImage(size).save(sub + "/" + id + ".png")) {
            std::fprintf(stderr, "export_icon: cannot write the %s pixel icon in %s\n", sizes[i],
                         qPrintable(sub));
            return 1;
        }
    }
    QString sub = dir + "/scalable/apps";
    std::ofstream svg;
    if (QDir().mkpath(sub)) svg.open((sub + "/" + id + ".svg").toStdString(), std::ios::binary);
    if (!(svg << res::IconSvg()) || !svg.flush()) {
        std::fprintf(stderr, "export_icon: cannot write the SVG icon in %s\n", qPrintable(sub));
        return 1;
    }
    return 0;
}

// At a multiple of 32 pixels every block edge falls between pixels, so a
// faithful drawing differs only where the flame's curves cross a pixel: by the
// error of the icon's 4 × 4 samples there, a few levels. A block out of place,
// missing or mis-coloured shows as pixels off by more than kTolerance.
int Compare(const char* path) {
    constexpr int kTolerance = 24;
    QImage drawn(path);
    if (drawn.isNull() || drawn.width() != drawn.height()) {
        std::fprintf(stderr, "export_icon: %s is no square image\n", path);
        return 1;
    }
    drawn = drawn.convertToFormat(QImage::Format_ARGB32);
    QImage icon = IconImage(drawn.width());
    int worst = 0, off = 0;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x) {
            QRgb a = drawn.pixel(x, y), b = icon.pixel(x, y);
            int d = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                              std::abs(qBlue(a) - qBlue(b)), std::abs(qAlpha(a) - qAlpha(b))});
            worst = std::max(worst, d);
            off += d > kTolerance;
        }
    }
    std::printf(
        "%s against the icon at %d pixels: largest difference %d of 255, %d pixels off by more than %d\n",
        path, drawn.width(), worst, off, kTolerance);
    return off == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--compare") return Compare(argv[2]);
    if (argc >= 4 && argv[1][0] != '-') return Export(argv[1], argv[2], argc - 3, argv + 3);
    std::fprintf(stderr, "usage: export_icon DIR APP_ID SIZE... | export_icon --compare FILE.png\n");
    return 2;
}

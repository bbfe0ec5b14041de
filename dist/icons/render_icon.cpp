// Renders an SVG icon into a square PNG of one size, for the fixed sizes of the icon theme.
// Usage: velor-render-icon IN.svg OUT.png SIZE
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>

#include <charconv>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: velor-render-icon IN.svg OUT.png SIZE\n");
        return 1;
    }
    int size = 0;
    const char* sizeEnd = argv[3] + std::strlen(argv[3]);
    const auto [end, error] = std::from_chars(argv[3], sizeEnd, size);
    if (error != std::errc() || end != sizeEnd || size <= 0 || size > 4096) {
        std::fprintf(stderr, "velor-render-icon: SIZE must be a number of pixels, not %s\n",
                     argv[3]);
        return 1;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "velor-render-icon: cannot read %s\n", argv[1]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[2]), "PNG")) {
        std::fprintf(stderr, "velor-render-icon: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}

// Writes the application icon as PNG files (kdmxp-<size>.png) into the directory given, at build time,
// from the same painting code the program uses for its window icon.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <cstdio>

#include "ui/pictures.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: kdmxp-icongen DIR SIZE...\n", stderr);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QString directory = QString::fromLocal8Bit(argv[1]);
    for (int i = 2; i < argc; ++i) {
        const int size = QString::fromLatin1(argv[i]).toInt();
        if (size <= 0) return 2;
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        PaintLogo(painter, QRectF(0, 0, size, size));
        painter.end();
        const QString path = QStringLiteral("%1/kdmxp-%2.png").arg(directory).arg(size);
        if (!image.save(path)) {
            std::fprintf(stderr, "kdmxp-icongen: cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}

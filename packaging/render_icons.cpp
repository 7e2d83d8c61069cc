// tarnwell-icons: renders the program's vector icon into the PNG sizes of
// the hicolor icon theme while the project builds, so that installing and
// packaging need no picture converter of their own.
//
//   tarnwell-icons SOURCE.svg OUTPUT_FOLDER NAME SIZE...
//
// writes OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each SIZE (1 to
// 1024), drawn the way the window draws its own icon: the whole picture
// scaled to the square, antialiased, on a transparent ground. Any failure
// leaves a message and a non-zero exit status.
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <cstdio>
#include <vector>

namespace {

constexpr int LargestSize = 1024;

int Usage() {
    std::fprintf(stderr, "Usage: tarnwell-icons SOURCE.svg OUTPUT_FOLDER NAME SIZE...\n");
    return 2;
}

QImage Render(QSvgRenderer& renderer, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    return image;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 5) {
        return Usage();
    }
    const QString source = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    if (name.isEmpty() || name.contains(QLatin1Char('/'))) {
        return Usage();
    }
    std::vector<int> sizes;
    for (int i = 4; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > LargestSize) {
            std::fprintf(stderr, "tarnwell-icons: not a size: %s\n", argv[i]);
            return Usage();
        }
        sizes.push_back(size);
    }

    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "tarnwell-icons: cannot read %s as SVG\n", argv[1]);
        return 1;
    }
    for (const int size : sizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        if (!QDir().mkpath(folder) || !Render(renderer, size).save(file, "PNG")) {
            std::fprintf(stderr, "tarnwell-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}

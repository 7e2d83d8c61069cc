// tarnwell-icons: renders the program's vector artwork into the pictures
// the program and its packages are built with, so that neither the running
// program nor the Windows build needs an SVG renderer:
//
//   tarnwell-icons SOURCE.svg OUTPUT_FOLDER NAME SIZE...
//       OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for each SIZE (1 to 1024),
//       the hicolor icon theme's layout;
//   tarnwell-icons --picture SOURCE.svg OUTPUT.png|OUTPUT.rgb32 WIDTH HEIGHT
//       one picture of the whole SVG stretched to WIDTH x HEIGHT (the
//       banner at 1x and 2x, the icon sizes built into the program); a
//       .rgb32 file is the opaque picture's pixels as they lie in memory
//       (32 bits each, 0xffRRGGBB in the machine's byte order, rows top to
//       bottom, no header), which the program shows without decoding;
//   tarnwell-icons --ico SOURCE.svg OUTPUT.ico SIZE...
//       a Windows icon holding one PNG-compressed image per SIZE (1 to 256).
//
// Every picture is drawn the way the window used to draw it: the whole
// picture scaled to the size, antialiased, on a transparent ground. Any
// failure leaves a message and a non-zero exit status.
#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QString>
#include <QSvgRenderer>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int LargestSize = 1024;
// The ICO directory stores each side in one byte, 0 meaning 256.
constexpr int LargestIcoSize = 256;

int Usage() {
    std::fprintf(stderr,
                 "Usage: tarnwell-icons SOURCE.svg OUTPUT_FOLDER NAME SIZE...\n"
                 "       tarnwell-icons --picture SOURCE.svg OUTPUT.png WIDTH HEIGHT\n"
                 "       tarnwell-icons --ico SOURCE.svg OUTPUT.ico SIZE...\n");
    return 2;
}

QImage Render(QSvgRenderer& renderer, QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

bool ReadSizes(int argc, char* argv[], int first, int largest, std::vector<int>& sizes) {
    for (int i = first; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size < 1 || size > largest) {
            std::fprintf(stderr, "tarnwell-icons: not a size: %s\n", argv[i]);
            return false;
        }
        sizes.push_back(size);
    }
    return !sizes.empty();
}

QByteArray Png(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void PutLittleEndian(QByteArray& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out.append(static_cast<char>((value >> (8 * i)) & 0xFFu));
    }
}

// An ICO file: a six-byte header, one sixteen-byte directory entry per
// image, then the images, here each a whole PNG file (understood by every
// Windows since Vista, and far smaller than bitmaps at 256 pixels).
QByteArray Ico(QSvgRenderer& renderer, const std::vector<int>& sizes) {
    std::vector<QByteArray> images;
    for (const int size : sizes) {
        images.push_back(Png(Render(renderer, QSize(size, size))));
    }
    QByteArray out;
    PutLittleEndian(out, 0, 2);  // reserved
    PutLittleEndian(out, 1, 2);  // an icon, not a cursor
    PutLittleEndian(out, static_cast<std::uint32_t>(images.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const auto side = static_cast<std::uint32_t>(sizes[i] % LargestIcoSize);
        PutLittleEndian(out, side, 1);  // width
        PutLittleEndian(out, side, 1);  // height
        PutLittleEndian(out, 0, 1);     // no palette
        PutLittleEndian(out, 0, 1);     // reserved
        PutLittleEndian(out, 1, 2);     // colour planes
        PutLittleEndian(out, 32, 2);    // bits per pixel
        PutLittleEndian(out, static_cast<std::uint32_t>(images[i].size()), 4);
        PutLittleEndian(out, offset, 4);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const QByteArray& image : images) {
        out.append(image);
    }
    return out;
}

bool WriteFile(const QString& file, const QByteArray& bytes) {
    QSaveFile out(file);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

int Fail(const QString& file) {
    std::fprintf(stderr, "tarnwell-icons: cannot write %s\n", qPrintable(file));
    return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
    const QString mode = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    const bool picture = mode == QLatin1String("--picture");
    const bool ico = mode == QLatin1String("--ico");
    const int first = picture || ico ? 2 : 1;
    if (argc < first + 3 || (picture && argc != 6)) {
        return Usage();
    }
    const QString source = QString::fromLocal8Bit(argv[first]);
    const QString output = QString::fromLocal8Bit(argv[first + 1]);

    std::vector<int> sizes;
    QString name;
    if (picture) {
        if (!ReadSizes(argc, argv, 4, LargestSize, sizes)) {
            return Usage();
        }
    } else if (ico) {
        if (!ReadSizes(argc, argv, 4, LargestIcoSize, sizes)) {
            return Usage();
        }
    } else {
        name = QString::fromLocal8Bit(argv[3]);
        if (name.isEmpty() || name.contains(QLatin1Char('/')) ||
            !ReadSizes(argc, argv, 4, LargestSize, sizes)) {
            return Usage();
        }
    }

    QSvgRenderer renderer(source);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "tarnwell-icons: cannot read %s as SVG\n", argv[first]);
        return 1;
    }

    if (picture) {
        const QImage image = Render(renderer, QSize(sizes[0], sizes[1]));
        QDir().mkpath(QFileInfo(output).absolutePath());
        if (output.endsWith(QLatin1String(".rgb32"), Qt::CaseInsensitive)) {
            const QImage opaque = image.convertToFormat(QImage::Format_RGB32);
            QByteArray pixels;
            for (int y = 0; y < opaque.height(); ++y) {
                pixels.append(reinterpret_cast<const char*>(opaque.constScanLine(y)),
                              opaque.width() * 4);
            }
            return WriteFile(output, pixels) ? 0 : Fail(output);
        }
        return WriteFile(output, Png(image)) ? 0 : Fail(output);
    }
    if (ico) {
        QDir().mkpath(QFileInfo(output).absolutePath());
        return WriteFile(output, Ico(renderer, sizes)) ? 0 : Fail(output);
    }
    for (const int size : sizes) {
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(output).arg(size);
        const QString file = QStringLiteral("%1/%2.png").arg(folder, name);
        if (!QDir().mkpath(folder) || !Render(renderer, QSize(size, size)).save(file, "PNG")) {
            return Fail(file);
        }
    }
    return 0;
}

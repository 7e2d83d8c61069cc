#include "window/appicon.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <algorithm>
#include <array>
#include <map>

namespace tarnwell::window {

namespace {

constexpr std::array<int, 7> Sizes{16, 24, 32, 48, 64, 128, 256};

// Hands out the built-in icon pictures one size at a time, reading each
// only when it is first asked for: a window shows its icon at one or two
// sizes, and reading all seven at start-up was a good part of it.
class ArtIconEngine : public QIconEngine {
public:
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode, QIcon::State, qreal scale) override {
        const int wanted = qRound(std::max(size.width(), size.height()) * scale);
        // The smallest picture at least as large as asked for, else the
        // largest; drawn smaller when it does not match.
        const auto found = std::lower_bound(Sizes.begin(), Sizes.end(), wanted);
        const int side = found == Sizes.end() ? Sizes.back() : *found;
        QPixmap& picture = pictures_[side];
        if (picture.isNull()) {
            picture =
                QPixmap::fromImage(QImage(QStringLiteral(":/art/icon-%1.png").arg(side), "PNG"));
        }
        if (side == wanted || wanted <= 0) {
            return picture;
        }
        return picture.scaled(wanted, wanted, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override {
        const int side = std::min({size.width(), size.height(), Sizes.back()});
        return {side, side};
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override {
        QList<QSize> sizes;
        for (const int side : Sizes) {
            sizes.append(QSize(side, side));
        }
        return sizes;
    }

    QIconEngine* clone() const override { return new ArtIconEngine(*this); }
    QString key() const override { return QStringLiteral("tarnwell-art"); }

private:
    std::map<int, QPixmap> pictures_;
};

}  // namespace

QIcon AppIcon() {
    return QIcon(new ArtIconEngine);
}

}  // namespace tarnwell::window

// The hicolor PNGs rendered at build time from the program's SVG icon:
// each must have its nominal size, show the rounded tile on a transparent
// ground, and be the same picture as the largest one, only smaller.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QString>
#include <cstdlib>

namespace {

constexpr int Sizes[] = {16, 24, 32, 48, 64, 128, 256};
constexpr int Largest = 256;

QImage Icon(int size) {
    return QImage(
               QStringLiteral(TARNWELL_ICON_FOLDER "/%1x%1/apps/" TARNWELL_APP_ID ".png").arg(size))
        .convertToFormat(QImage::Format_ARGB32);
}

// Mean absolute difference of two pictures of one size, per channel
// (0 to 255), alpha included. A faithful reduction differs by about 2 at
// 16 pixels and less above; the icon upside down by about 30.
double MeanDifference(const QImage& a, const QImage& b) {
    long long total = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = a.pixelColor(x, y);
            const QColor q = b.pixelColor(x, y);
            total += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
                     std::abs(p.blue() - q.blue()) + std::abs(p.alpha() - q.alpha());
        }
    }
    return static_cast<double>(total) / (4.0 * a.width() * a.height());
}

class IconSize : public ::testing::TestWithParam<int> {};

TEST_P(IconSize, IsASquareOfItsNominalSize) {
    const QImage icon = Icon(GetParam());
    ASSERT_FALSE(icon.isNull()) << "no PNG for size " << GetParam();
    EXPECT_EQ(icon.width(), GetParam());
    EXPECT_EQ(icon.height(), GetParam());
    EXPECT_TRUE(icon.hasAlphaChannel());
}

TEST_P(IconSize, ShowsTheRoundedTileOnATransparentGround) {
    const QImage icon = Icon(GetParam());
    ASSERT_FALSE(icon.isNull());
    const int last = GetParam() - 1;
    // The tile's rounded corners leave the picture's corners empty.
    for (const auto& [x, y] : {std::pair{0, 0}, {last, 0}, {0, last}, {last, last}}) {
        EXPECT_EQ(icon.pixelColor(x, y).alpha(), 0) << "corner " << x << "," << y;
    }
    // Beside the left winglet and below the engines there is only the blue tile.
    const QColor left = icon.pixelColor(GetParam() / 16, GetParam() / 2);
    EXPECT_EQ(left.alpha(), 255);
    EXPECT_GT(left.blue(), left.red());
    const QColor bottom = icon.pixelColor(GetParam() / 2, last - GetParam() / 16);
    EXPECT_EQ(bottom.alpha(), 255);
    EXPECT_GT(bottom.blue(), bottom.red());
}

TEST_P(IconSize, IsTheLargestPictureScaledDown) {
    const QImage icon = Icon(GetParam());
    const QImage largest = Icon(Largest);
    ASSERT_FALSE(icon.isNull());
    ASSERT_FALSE(largest.isNull());
    const QImage reduced =
        largest.scaled(GetParam(), GetParam(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
            .convertToFormat(QImage::Format_ARGB32);
    EXPECT_LT(MeanDifference(icon, reduced), 8.0);
}

INSTANTIATE_TEST_SUITE_P(Hicolor, IconSize, ::testing::ValuesIn(Sizes),
                         [](const auto& info) { return std::to_string(info.param); });

TEST(IconComparison, TellsTheIconFromItsMirrorImage) {
    // The tolerance of the check above must not let any picture pass: the
    // icon upside down is not the icon.
    const QImage largest = Icon(Largest);
    ASSERT_FALSE(largest.isNull());
    const QImage turned = largest.mirrored(false, true);
    EXPECT_GT(MeanDifference(largest, turned), 8.0);
}

}  // namespace

#include "platform/symbolicon.h"

#include <QImage>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

struct NamedSymbol
{
    Symbol symbol;
    const char *name;
};

class SymbolIconTest : public testing::TestWithParam<NamedSymbol>
{
};

// Alpha coverage of a rendering: a blank or missing drawing covers nothing.
int coveredPixels(const QImage &image)
{
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            covered += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return covered;
}

TEST_P(SymbolIconTest, bundledDrawingRendersSomething)
{
    const QImage image = bundledSymbolIcon(GetParam().symbol).pixmap(QSize(32, 32)).toImage();
    ASSERT_EQ(image.size(), QSize(32, 32));
    const int covered = coveredPixels(image);
    EXPECT_GT(covered, 32 * 32 / 20) << "too little drawn";
    EXPECT_LT(covered, 32 * 32 * 9 / 10) << "a filled square instead of a shape";
}

TEST_P(SymbolIconTest, tintPaintsEveryCoveredPixelInTheTintAtTheDeviceRatio)
{
    const QColor tint(200, 30, 60);
    const QPixmap pixmap = symbolPixmap(GetParam().symbol, 16, tint, 2.0);
    EXPECT_EQ(pixmap.deviceIndependentSize(), QSizeF(16, 16));
    const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(image.size(), QSize(32, 32)) << "drawn at the screen's ratio, not scaled up";
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) != 255)
                continue;
            ++opaque;
            EXPECT_EQ(QColor::fromRgb(pixel), tint) << x << "," << y;
        }
    }
    EXPECT_GT(opaque, 0);
}

INSTANTIATE_TEST_SUITE_P(EverySymbol, SymbolIconTest,
    testing::Values(NamedSymbol { Symbol::MagnifyingGlass, "magnifyingglass" },
        NamedSymbol { Symbol::ClearCircle, "xmark.circle.fill" }, NamedSymbol { Symbol::Gear, "gearshape" },
        NamedSymbol { Symbol::Pin, "pin.fill" }, NamedSymbol { Symbol::ChevronUp, "chevron.up" },
        NamedSymbol { Symbol::ChevronDown, "chevron.down" },
        NamedSymbol { Symbol::LockShield, "lock.shield" }, NamedSymbol { Symbol::Folder, "folder" },
        NamedSymbol { Symbol::FolderPlus, "folder.badge.plus" }, NamedSymbol { Symbol::Copy, "doc.on.doc" },
        NamedSymbol { Symbol::Document, "doc" }, NamedSymbol { Symbol::Trash, "trash" },
        NamedSymbol { Symbol::Pencil, "pencil" }, NamedSymbol { Symbol::InfoCircle, "info.circle.fill" },
        NamedSymbol { Symbol::CheckedSquare, "checkmark.square.fill" },
        NamedSymbol { Symbol::Square, "square" },
        NamedSymbol { Symbol::SplitRectangle, "rectangle.split.2x1" }),
    [](const testing::TestParamInfo<NamedSymbol> &info) {
        QString name = QLatin1String(info.param.name);
        name.replace(QLatin1Char('.'), QLatin1Char('_'));
        return name.toStdString();
    });

} // namespace

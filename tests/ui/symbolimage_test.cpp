#include "ui/layout.h"
#include "ui/symbolimage.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <thread>

using namespace ui;

namespace {

QImage paint(const View &view, QSize size)
{
    ViewTree tree(view.frame(size.width(), size.height()));
    tree.rebuild(size.width());
    QImage canvas(size, QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    tree.paint(painter, QRectF(QPointF(0, 0), size));
    return canvas;
}

struct SymbolSizeCase
{
    const char *label;
    const char *name;
    double fontSize;
    ImageScale scale;
    double side;
};

void PrintTo(const SymbolSizeCase &c, std::ostream *out)
{
    *out << c.label;
}

class SymbolSize : public testing::TestWithParam<SymbolSizeCase>
{
};

} // namespace

TEST_P(SymbolSize, followsTheFontInForceAndTheImageScale)
{
    const SymbolSizeCase &c = GetParam();
    ViewTree tree(VStack({ View(SymbolImage(QString::fromLatin1(c.name)).imageScale(c.scale))
                               .font(Font::system(c.fontSize))
                               .tag("symbol") }));
    tree.rebuild(200);
    const QRectF frame = tree.frameOfTag(QStringLiteral("symbol"));
    EXPECT_NEAR(frame.width(), c.side, 1e-9);
    EXPECT_NEAR(frame.height(), c.side, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Symbols, SymbolSize,
    testing::Values(SymbolSizeCase { "bodyDisc", "circle.fill", 13, ImageScale::Medium, 13 * 1.15 },
        SymbolSizeCase { "smallCheckBox", "checkmark.square.fill", 13, ImageScale::Small, 13 * 1.15 * 0.78 },
        SymbolSizeCase { "largeSquare", "square", 20, ImageScale::Large, 20 * 1.15 * 1.29 },
        SymbolSizeCase { "unknownName", "no.such.symbol", 13, ImageScale::Medium, 13 * 1.15 }),
    [](const testing::TestParamInfo<SymbolSizeCase> &info) { return std::string(info.param.label); });

TEST(Symbols, hierarchicalDrawsTheMarkOverTheShapeInTheSecondColourAndMonochromeCutsItOut)
{
    const QColor mark(0xB9, 0xB9, 0xBB);
    const QColor shape(0x20, 0x60, 0xC0);
    const View checked = SymbolImage(QStringLiteral("checkmark.square.fill"))
                             .renderingMode(SymbolRenderingMode::Hierarchical)
                             .foregroundStyle(Color(mark), Color(shape));
    // At 100 points the square's side is 115: the middle of the check's short stroke
    // lies at (0.36, 0.6) of it, a corner of the box without the check at (0.2, 0.8).
    const QImage layered = paint(View(checked).font(Font::system(100)), QSize(115, 115));
    EXPECT_EQ(layered.pixelColor(41, 69), mark);
    EXPECT_EQ(layered.pixelColor(23, 92), shape);

    const View monochrome
        = SymbolImage(QStringLiteral("checkmark.square.fill")).foregroundStyle(Color(shape));
    const QImage cut = paint(View(monochrome).font(Font::system(100)), QSize(115, 115));
    EXPECT_EQ(cut.pixelColor(41, 69), QColor(Qt::white)) << "the check is knocked out of the box";
    EXPECT_EQ(cut.pixelColor(23, 92), shape);

    const View open = SymbolImage(QStringLiteral("square"))
                          .renderingMode(SymbolRenderingMode::Hierarchical)
                          .foregroundStyle(Color(mark), Color(shape));
    const QImage outline = paint(View(open).font(Font::system(100)), QSize(115, 115));
    EXPECT_EQ(outline.pixelColor(57, 57), QColor(Qt::white)) << "an empty square is hollow";
    EXPECT_EQ(outline.pixelColor(57, 11), mark) << "one layer takes the primary colour";
}

TEST(Symbols, standOnTheBaselineOfTheTextBesideThem)
{
    ViewTree tree(HStack(VerticalAlignment::FirstTextBaseline, 4,
        { View(SymbolImage(QStringLiteral("circle.fill"))).tag("bullet"),
            Text(QStringLiteral("Item")).view().tag("text") }));
    tree.rebuild(300);
    const QRectF bullet = tree.frameOfTag(QStringLiteral("bullet"));
    const QRectF text = tree.frameOfTag(QStringLiteral("text"));
    // The symbol's middle sits at half the capital height above the text's baseline.
    const double baseline = bullet.center().y() + 0.7 * 13 / 2;
    EXPECT_GT(baseline, text.top() + text.height() / 2);
    EXPECT_LT(baseline, text.bottom());
}

namespace {

struct ReuseCase
{
    const char *label;
    const char *name;
    SymbolRenderingMode mode;
    double fontSize;
};

void PrintTo(const ReuseCase &c, std::ostream *out)
{
    *out << c.label;
}

View symbol(const ReuseCase &c, SymbolRenderingMode mode, double fontSize)
{
    return View(SymbolImage(QString::fromLatin1(c.name))
                    .renderingMode(mode)
                    .foregroundStyle(Color(QColor(0xB9, 0xB9, 0xBB)), Color(QColor(0x20, 0x60, 0xC0))))
        .font(Font::system(fontSize));
}

class SymbolReuse : public testing::TestWithParam<ReuseCase>
{
};

} // namespace

// Symbols shaped once are drawn again from what was shaped: one of another size or
// rendering mode, shaped first, must not stand in for it.
TEST_P(SymbolReuse, drawsAsTheFirstOfItsKindDrawnAnywhere)
{
    const ReuseCase &c = GetParam();
    const QSize size(60, 60);
    QImage alone;
    // A thread of its own has shaped nothing yet.
    std::thread([&] { alone = paint(symbol(c, c.mode, c.fontSize), size); }).join();
    const SymbolRenderingMode other = c.mode == SymbolRenderingMode::Hierarchical
        ? SymbolRenderingMode::Monochrome
        : SymbolRenderingMode::Hierarchical;
    paint(symbol(c, c.mode, c.fontSize * 0.75), size);
    paint(symbol(c, other, c.fontSize), size);
    EXPECT_EQ(paint(symbol(c, c.mode, c.fontSize), size), alone);
    EXPECT_EQ(paint(symbol(c, c.mode, c.fontSize), size), alone) << "drawn again";
}

INSTANTIATE_TEST_SUITE_P(Symbols, SymbolReuse,
    testing::Values(
        ReuseCase { "checkedMonochrome", "checkmark.square.fill", SymbolRenderingMode::Monochrome, 40 },
        ReuseCase { "square", "square", SymbolRenderingMode::Monochrome, 30 },
        ReuseCase { "info", "info.circle.fill", SymbolRenderingMode::Hierarchical, 44 }),
    [](const testing::TestParamInfo<ReuseCase> &info) { return std::string(info.param.label); });

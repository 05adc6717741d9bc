#include "ui/view.h"

#include "tests/support/printers.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cmath>

using namespace ui;

namespace {

struct CornerCase
{
    const char *name;
    QRectF rect;
    double radius;
};

void PrintTo(const CornerCase &c, std::ostream *out)
{
    *out << c.name;
}

class ContinuousCorners : public testing::TestWithParam<CornerCase>
{
};

} // namespace

TEST_P(ContinuousCorners, fillTheRectangleBendEarlierAndPassWhereACircularCornerWould)
{
    const CornerCase &c = GetParam();
    const QPainterPath continuous
        = Shape::roundedRectangle(c.radius, RoundedCornerStyle::Continuous).path(c.rect);
    const QPainterPath circular = Shape::roundedRectangle(c.radius).path(c.rect);
    EXPECT_EQ(continuous.boundingRect(), c.rect);
    EXPECT_FALSE(continuous.contains(c.rect.topLeft() + QPointF(0.5, 0.5))) << "the corner is cut";
    EXPECT_TRUE(continuous.contains(c.rect.center()));

    const double radius = std::min(c.radius, std::min(c.rect.width(), c.rect.height()) / 2);
    // Along the top edge, just inside where a circular corner starts, the continuous
    // corner has already left the edge.
    const QPointF nearEdge(c.rect.left() + radius * 1.1, c.rect.top() + 0.05);
    if (1.528 * radius < std::min(c.rect.width(), c.rect.height()) / 2) {
        EXPECT_TRUE(circular.contains(nearEdge));
        EXPECT_FALSE(continuous.contains(nearEdge));
    }
    // The middle of the corner lies where the quarter circle's middle lies.
    const double inset = radius * (1 - std::sqrt(0.5));
    EXPECT_TRUE(continuous.contains(c.rect.topLeft() + QPointF(inset + 0.3, inset + 0.3)));
    EXPECT_FALSE(continuous.contains(c.rect.topLeft() + QPointF(inset - 0.3, inset - 0.3)));
}

INSTANTIATE_TEST_SUITE_P(Shapes, ContinuousCorners,
    testing::Values(CornerCase { "panel", QRectF(10, 20, 200, 60), 15 },
        CornerCase { "nearlyACapsule", QRectF(0, 0, 100, 24), 12 },
        CornerCase { "radiusBeyondHalf", QRectF(0, 0, 40, 20), 30 }),
    [](const testing::TestParamInfo<CornerCase> &info) { return std::string(info.param.name); });

TEST(Shapes, aZeroRadiusContinuousRectangleIsTheRectangle)
{
    const QRectF rect(0, 0, 50, 30);
    const QPainterPath path = Shape::roundedRectangle(0, RoundedCornerStyle::Continuous).path(rect);
    EXPECT_TRUE(path.contains(QPointF(0.2, 0.2)));
    EXPECT_EQ(path.boundingRect(), rect);
}

TEST(Shapes, aRectangleOneLineThinStrokedInsideStaysInsideWhateverItsJoin)
{
    const struct
    {
        const char *name;
        double lineWidth;
        Qt::PenJoinStyle join;
        QRectF rect;
    } cases[] = {
        { "a one-point line with miter joins", 1, Qt::MiterJoin, QRectF(20, 20, 60, 1) },
        { "a three-point upright line with miter joins", 3, Qt::MiterJoin, QRectF(40, 10, 3, 60) },
        { "a two-point line with round joins", 2, Qt::RoundJoin, QRectF(20, 30, 50, 2) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(200, 160, QImage::Format_ARGB32);
        image.setDevicePixelRatio(2);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            StrokeStyle style;
            style.lineWidth = c.lineWidth;
            style.join = c.join;
            Shape::rectangle().paintStroke(painter, c.rect, Qt::black, style, true);
        }
        const QRect inside = QRectF(c.rect.topLeft() * 2, c.rect.size() * 2).toAlignedRect();
        int outside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x)
                outside += !inside.contains(x, y) && image.pixelColor(x, y) != QColor(Qt::white);
        }
        EXPECT_EQ(outside, 0);
        EXPECT_EQ(image.pixelColor(inside.center()), QColor(Qt::black));
    }
}

// A tall outline is stroked band by band, which must cover the pixels one pass covers:
// the same stroke with a clip set (drawn in one pass) is the reference.
TEST(Shapes, aTallOutlineStrokesTheSamePixelsAsOnePass)
{
    const struct
    {
        const char *name;
        Shape shape;
        QRectF rect;
        double lineWidth;
        QList<double> dash;
        QPointF offset;
    } cases[] = {
        { "a table's upright rule", Shape::rectangle(), QRectF(30.5, 3.25, 1, 250.4), 1, {}, QPointF(0, 0) },
        { "a box moved by part of a row", Shape::rectangle(), QRectF(10.3, 5.7, 150.2, 230.9), 1.5, {},
            QPointF(2.25, -0.4) },
        { "a rounded card", Shape::roundedRectangle(8, RoundedCornerStyle::Continuous),
            QRectF(12, 20.5, 160, 200), 2, {}, QPointF(0, 17) },
        { "a dashed capsule", Shape::capsule(), QRectF(60.2, 4, 40, 240.6), 1, { 4, 3 }, QPointF(0.5, 0.5) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        StrokeStyle style;
        style.lineWidth = c.lineWidth;
        style.dash = c.dash;
        QImage banded(200, 270, QImage::Format_ARGB32_Premultiplied);
        banded.fill(Qt::white);
        QImage whole = banded;
        for (QImage *image : { &banded, &whole }) {
            QPainter painter(image);
            painter.translate(c.offset);
            if (image == &whole)
                painter.setClipRect(QRectF(-50, -50, 400, 400));
            c.shape.paintStroke(painter, c.rect, QColor(30, 60, 200, 180), style, true);
        }
        EXPECT_TRUE(banded == whole);
    }
}

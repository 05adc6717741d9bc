#include "markdown/views/resizetofit.h"

#include "tests/support/printers.h"

#include "ui/statestore.h"

#include <gtest/gtest.h>

#include <QImage>

#include <limits>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

struct FitCase
{
    const char *name;
    QSizeF ideal;
    ui::ProposedSize proposal;
    QSizeF size;
};

void PrintTo(const FitCase &c, std::ostream *out)
{
    *out << c.name;
}

class ResizeToFitSize : public ::testing::TestWithParam<FitCase>
{
};

// A resizable picture of the ideal size, so the content stretches to what it is placed at.
ui::View picture(QSizeF size)
{
    QImage image(qMax(1, int(size.width())), qMax(1, int(size.height())), QImage::Format_ARGB32);
    image.fill(Qt::green);
    return ui::Image(image).resizable();
}

TEST_P(ResizeToFitSize, scalesDownToTheWidthKeepingTheAspectAndNeverUp)
{
    const FitCase &c = GetParam();
    ui::StateStore store;
    const ui::ElementPtr fitted
        = ResizeToFit(c.ideal, picture(c.ideal)).resolve({}, ui::ResolveScope(store, 1));
    const QSizeF size = fitted->sizeThatFits(c.proposal);
    // Compared exactly: QSizeF compares fuzzily.
    EXPECT_EQ(size.width(), c.size.width());
    EXPECT_EQ(size.height(), c.size.height());
    // The content is stretched to exactly that size, at the origin.
    fitted->place(QRectF(QPointF(5, 7), size), c.proposal);
    ASSERT_EQ(fitted->children().size(), 1u);
    const ui::Element *content = fitted->children().front().get();
    while (!content->children().empty())
        content = content->children().front().get();
    EXPECT_EQ(content->frame(), QRectF(QPointF(5, 7), size));
}

INSTANTIATE_TEST_SUITE_P(Cases, ResizeToFitSize,
    ::testing::Values(FitCase { "narrower", QSizeF(400, 300), { 200.0, std::nullopt }, QSizeF(200, 150) },
        FitCase { "wider", QSizeF(400, 300), { 500.0, std::nullopt }, QSizeF(400, 300) },
        FitCase { "infinite", QSizeF(400, 300), { infinity, std::nullopt }, QSizeF(400, 300) },
        FitCase { "exactly", QSizeF(400, 300), { 400.0, std::nullopt }, QSizeF(400, 300) },
        FitCase { "noWidth", QSizeF(400, 300), ui::ProposedSize::unspecified(), QSizeF(400, 300) },
        FitCase { "tallerThanOffered", QSizeF(400, 300), { 200.0, 50.0 }, QSizeF(200, 150) },
        FitCase { "nothingInNothing", QSizeF(0, 0), { 0.0, std::nullopt }, QSizeF(0, 0) },
        FitCase { "nothingInSome", QSizeF(0, 0), { 120.0, std::nullopt }, QSizeF(0, 0) },
        FitCase { "noHeight", QSizeF(400, 0), { 200.0, std::nullopt }, QSizeF(200, 0) },
        FitCase { "noWidthOfItsOwn", QSizeF(0, 80), { 200.0, std::nullopt }, QSizeF(0, 80) },
        FitCase { "offeredNoWidth", QSizeF(400, 300), { 0.0, std::nullopt }, QSizeF(0, 0) }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

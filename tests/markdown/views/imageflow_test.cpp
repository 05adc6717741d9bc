#include "markdown/views/imageflow.h"

#include "markdown/views/imagebundle.h"

#include "markdown/model/markdowncontent.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/theme/theme.h"
#include "markdown/views/markdown.h"
#include "markdown/views/markdownenvironment.h"

#include "tests/markdown/views/markdownpng.h"
#include "tests/markdown/views/paragraphcontent.h"
#include "tests/markdown/views/recordingimageprovider.h"
#include "tests/markdown/views/rendered.h"
#include "tests/support/printers.h"

#include "ui/color.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

ImageFlowItem image(const QString &source, const QString &alt, std::optional<QString> destination = {})
{
    return { RawImageData { source, alt, std::move(destination) } };
}

const ImageFlowItem lineBreak { ImageFlowItem::LineBreak {} };

struct ItemsCase
{
    const char *name;
    QList<InlineNode> inlines;
    std::optional<QList<ImageFlowItem>> items; // none: the run is set as text
};

void PrintTo(const ItemsCase &c, std::ostream *out)
{
    *out << c.name;
}

class ImageFlowItems : public ::testing::TestWithParam<ItemsCase>
{
};

TEST_P(ImageFlowItems, takeOnlyRunsOfImagesAndBreaks)
{
    const ItemsCase &c = GetParam();
    const std::optional<QList<Indexed<ImageFlowItem>>> items = imageFlowItems(c.inlines);
    ASSERT_EQ(items.has_value(), c.items.has_value());
    if (!items)
        return;
    EXPECT_EQ(*items, indexed(*c.items));
    EXPECT_EQ(ImageFlow(c.inlines).has_value(), true);
}

INSTANTIATE_TEST_SUITE_P(Runs, ImageFlowItems,
    ::testing::Values(ItemsCase { "aSoftBreakIsSkipped", paragraphContent(u"![a](a.png)\n![b](b.png)"_s),
                          QList { image(u"a.png"_s, u"a"_s), image(u"b.png"_s, u"b"_s) } },
        ItemsCase { "aLineBreakIsAnItem", paragraphContent(u"![a](a.png)\\\n![b](b.png)"_s),
            QList { image(u"a.png"_s, u"a"_s), lineBreak, image(u"b.png"_s, u"b"_s) } },
        ItemsCase { "aSpaceMakesItText", paragraphContent(u"![a](a.png) ![b](b.png)"_s), std::nullopt },
        ItemsCase { "aLinkedImageCarriesTheDestination",
            paragraphContent(u"![a](a.png)\n[![b *bold*](b.png)](note.md)\n![c](c.png)"_s),
            QList { image(u"a.png"_s, u"a"_s), image(u"b.png"_s, u"b bold"_s, u"note.md"_s),
                image(u"c.png"_s, u"c"_s) } },
        ItemsCase {
            "aLinkAroundAnImageAndAWord", paragraphContent(u"[![a](a.png) word](x)"_s), std::nullopt },
        ItemsCase { "emphasisAroundAnImage", paragraphContent(u"*![a](a.png)*"_s), std::nullopt },
        ItemsCase { "inlineCode", paragraphContent(u"![a](a.png)`x`"_s), std::nullopt },
        ItemsCase { "theSameImageTwiceIsTwoItems", paragraphContent(u"![a](a.png)![a](a.png)"_s),
            QList { image(u"a.png"_s, u"a"_s), image(u"a.png"_s, u"a"_s) } },
        ItemsCase { "anEmptyTextIsSkipped", { InlineNode::image(u"a.png"_s, {}), InlineNode::text(u""_s) },
            QList { image(u"a.png"_s, u""_s) } },
        ItemsCase { "aSingleSpaceIsText", { InlineNode::image(u"a.png"_s, {}), InlineNode::text(u" "_s) },
            std::nullopt },
        ItemsCase { "nothingIsAFlowOfNoItems", {}, QList<ImageFlowItem> {} },
        ItemsCase {
            "onlyFiller", { InlineNode::softBreak(), InlineNode::text(u""_s) }, QList<ImageFlowItem> {} }),
    [](const auto &info) { return std::string(info.param.name); });

ui::EnvironmentValues withImages(const RecordingImageProvider &images, Theme theme = Theme())
{
    ui::EnvironmentValues env;
    env.set<ImageProviderKey>(AnyImageProvider(images));
    env.set<ThemeKey>(std::move(theme));
    return env;
}

TEST(ImageFlow, isAQuarterOfTheRootSizeApartBothWays)
{
    const struct
    {
        const char *name;
        std::optional<double> size; // none: the default font properties
        double gap;
    } cases[] = { { "default", std::nullopt, 3 }, { "13", 13, 3 }, { "14", 14, 4 }, { "20", 20, 5 } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImageProvider images;
        ui::View flow = *ImageFlow(paragraphContent(u"![a](a.png)\n![b](b.png)\\\n![c](c.png)"_s));
        if (c.size)
            flow = flow.modifier(markdownTextStyle(FontSize(*c.size)));
        Rendered rendered(flow, withImages(images));
        const std::vector<QRectF> frames = rendered.frames(u"image"_s);
        ASSERT_EQ(frames.size(), 3u);
        EXPECT_EQ(frames[1].left() - frames[0].right(), c.gap);
        EXPECT_EQ(frames[1].top(), frames[0].top());
        // The line break's row is empty and stands between two gaps.
        EXPECT_EQ(frames[2].left(), 0);
        EXPECT_EQ(frames[2].top() - frames[0].bottom(), 2 * c.gap);
    }
}

TEST(ImageFlow, anEmptyFlowTakesNoSpace)
{
    Rendered rendered(*ImageFlow(QList<InlineNode> {}));
    EXPECT_EQ(rendered.tree.contentSize(), QSizeF(0, 0));
}

// Block images as the vault shows them: a 2:1 picture scaled to fit what it is offered,
// no wider than the width a "#w=" fragment asks for (and then as tall as it is
// offered), tagged "image".
class FittedImageProvider final : public ImageProvider
{
public:
    ui::View makeImage(const std::optional<QUrl> &url) const override
    {
        QImage picture(200, 100, QImage::Format_ARGB32);
        picture.fill(Qt::green);
        constexpr double infinity = std::numeric_limits<double>::infinity();
        const QString fragment = url ? url->fragment() : QString();
        const std::optional<double> width
            = fragment.startsWith(u"w="_s) ? std::optional(fragment.sliced(2).toDouble()) : std::nullopt;
        return ui::View(ui::Image(picture).resizable())
            .aspectRatio(std::nullopt, ui::ContentMode::Fit)
            .frame(ui::FlexibleFrame()
                       .withMaxWidth(width.value_or(infinity))
                       .withMaxHeight(width ? std::optional(infinity) : std::nullopt)
                       .withAlignment(ui::Alignment::center()))
            .tag(u"image"_s);
    }
};

TEST(Markdown, imagesFlowSideBySideOrStackAtTheirOwnSizes)
{
    const struct
    {
        const char *name;
        QString markdown;
        SoftBreak::Mode softBreaks;
        double width;
        std::vector<QRectF> frames;
        bool fitted = false; // fitted to the space offered, as the vault's are
    } cases[] = {
        { "aSoftBreak", u"![a](a.png)\n![b](b.png)"_s, SoftBreak::Mode::Space, 600,
            { QRectF(0, 0, 30, 20), QRectF(33, 0, 30, 20) } },
        { "aSoftBreakShownAsALineBreak", u"![a](a.png)\n![b](b.png)"_s, SoftBreak::Mode::LineBreak, 600,
            { QRectF(0, 0, 30, 20), QRectF(33, 0, 30, 20) } },
        { "aLineBreak", u"![a](a.png)  \n![b](b.png)"_s, SoftBreak::Mode::Space, 600,
            { QRectF(0, 0, 30, 20), QRectF(0, 26, 30, 20) } },
        { "tooNarrowForTwo", u"![a](a.png)\n![b](b.png)"_s, SoftBreak::Mode::Space, 50,
            { QRectF(0, 0, 30, 20), QRectF(0, 23, 30, 20) } },
        // Neither takes space from the other, nor gives its own to it.
        { "aSizedAndAnUnsizedBlockImage", u"![a](a.png#w=300)\n\n![b](b.png)"_s, SoftBreak::Mode::LineBreak,
            400, { QRectF(0, 0, 300, 150), QRectF(0, 166, 400, 200) }, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingImageProvider images;
        ui::EnvironmentValues env = withImages(images);
        if (c.fitted)
            env.set<ImageProviderKey>(AnyImageProvider(FittedImageProvider()));
        env.set<SoftBreakModeKey>(c.softBreaks);
        // In a stack with others, as the preview shows a note's sections.
        Rendered rendered(ui::VStack({ Markdown(c.markdown) }), env, c.width);
        EXPECT_EQ(rendered.frames(u"image"_s), c.frames);
    }
}

TEST(Markdown, imagesOfAFlowResolveAgainstTheImageBaseAndTheirLinksAgainstTheBase)
{
    RecordingImageProvider images;
    std::vector<QUrl> opened;
    ui::EnvironmentValues env = withImages(images);
    env.set<ui::OpenUrlKey>([&opened](const QUrl &url) { opened.push_back(url); });
    Rendered rendered(Markdown(u"![a](a.png)\n[![b](b.png)](other%20note.md)"_s, QUrl(u"https://h/notes/"_s),
                          QUrl(u"https://cdn/pics/"_s)),
        env);
    EXPECT_EQ(*images.asked,
        (std::vector<std::optional<QUrl>> {
            QUrl(u"https://cdn/pics/a.png"_s), QUrl(u"https://cdn/pics/b.png"_s) }));
    const std::vector<QRectF> frames = rendered.frames(u"image"_s);
    ASSERT_EQ(frames.size(), 2u);
    for (const QRectF &frame : frames) {
        if (ui::Element *target = rendered.tree.root()->hitTest(frame.center())) {
            target->mousePressed({ frame.center() });
            target->mouseReleased({ frame.center() });
        }
    }
    EXPECT_EQ(opened, std::vector<QUrl> { QUrl(u"https://h/notes/other%20note.md"_s) })
        << "only the linked image opens, with its destination resolved against the base";
}

} // namespace

namespace {

// The widest run of `color` in any row of `image`, in pixels.
int widestRun(const QImage &image, QColor color)
{
    int widest = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = image.pixelColor(x, y) == color ? run + 1 : 0;
            widest = std::max(widest, run);
        }
    }
    return widest;
}

} // namespace

TEST(MarkdownPng, rendersANoteFullOfImagesNarrowedToTheColumn)
{
    QTemporaryDir pictures;
    const struct
    {
        const char *name;
        QSize size;
        QColor color;
    } files[]
        = { { "wide.png", QSize(600, 200), QColor(240, 140, 20) }, { "a.png", QSize(120, 90), Qt::blue },
              { "b.png", QSize(120, 90), Qt::darkGreen }, { "c.png", QSize(60, 60), Qt::magenta } };
    for (const auto &file : files) {
        QImage picture(file.size, QImage::Format_ARGB32);
        picture.fill(file.color);
        ASSERT_TRUE(picture.save(pictures.filePath(QString::fromLatin1(file.name)), "PNG"));
    }
    const QString note = u"# A gallery\n\nSome words before the pictures.\n\n![wide](wide.png)\n\n"
                         u"![a](a.png)\n![b](b.png)\n[![c](c.png)](https://example.org)\n\n"
                         u"![a](a.png)\\\n![b](b.png)\n\nText with ![c](c.png) inside.\n"_s;
    ui::EnvironmentValues env;
    env.set<ImageProviderKey>(
        AnyImageProvider(AssetImageProvider(lastPathComponent, ImageBundle(pictures.path()))));
    const QString out
        = qEnvironmentVariable("QV_MARKDOWN_PNG_DIR", QDir::temp().filePath(u"quorvane-markdown-png"_s));
    QDir().mkpath(out);
    for (const int width : { 320, 640, 900 }) {
        SCOPED_TRACE(width);
        ASSERT_TRUE(writeMarkdownPng(note, width, QDir(out).filePath(u"gallery-%1.png"_s.arg(width)), env));
        // At one pixel per point, inside the 16-point page padding.
        const QImage page = renderMarkdown(note, width, env, 1).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(widestRun(page, files[0].color), std::min(width - 32, 600)) << "never enlarged";
    }
}

#include "ui/layout.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>

using namespace ui;

namespace {

QString sentence()
{
    return QStringLiteral("The quick brown fox jumps over the lazy dog again and again");
}

QImage rendered(const ViewTree &tree)
{
    QImage canvas(tree.contentSize().toSize(), QImage::Format_ARGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    tree.paint(painter, QRectF(QPointF(0, 0), tree.contentSize()));
    return canvas;
}

} // namespace

TEST(Text, wrapsAtTheOfferedWidthAndAnswersItsOneLineIdealSize)
{
    ViewTree tree(VStack({ Text(sentence()).view().tag("text") }).fixedSize());
    tree.rebuild(100);
    const QRectF ideal = tree.frameOfTag(QStringLiteral("text"));

    tree.setRoot(VStack(HorizontalAlignment::Leading, 0, { Text(sentence()).view().tag("text") }));
    tree.rebuild(120);
    const QRectF wrapped = tree.frameOfTag(QStringLiteral("text"));
    EXPECT_LE(wrapped.width(), 120);
    EXPECT_GT(wrapped.height(), ideal.height() * 2);
    EXPECT_GT(ideal.width(), 200);

    tree.layout(2000);
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("text")).size(), ideal.size()) << "a wide offer keeps one line";
}

TEST(Text, lineSpacingAddsSpaceBetweenLinesOnly)
{
    ViewTree plain(Text(QStringLiteral("one\ntwo\nthree")).view().tag("t"));
    plain.rebuild(300);
    ViewTree spaced(Text(QStringLiteral("one\ntwo\nthree")).view().lineSpacing(10).tag("t"));
    spaced.rebuild(300);
    const double extra
        = spaced.frameOfTag(QStringLiteral("t")).height() - plain.frameOfTag(QStringLiteral("t")).height();
    EXPECT_GE(extra, 20);
    EXPECT_LE(extra, 31);
}

TEST(Text, largerFontMeasuresLarger)
{
    ViewTree small(Text(QStringLiteral("Heading")).view().font(Font::system(13)).tag("t"));
    small.rebuild(500);
    AttributeContainer big;
    big.set<FontAttribute>(Font::system(26, Font::Weight::Bold));
    ViewTree large(Text(AttributedText(QStringLiteral("Heading"), big)).view().tag("t"));
    large.rebuild(500);
    EXPECT_GT(
        large.frameOfTag(QStringLiteral("t")).height(), small.frameOfTag(QStringLiteral("t")).height() * 1.6);
}

TEST(Text, inlineImageStandsInTheLineAndConcatenates)
{
    QImage bitmap(40, 30, QImage::Format_ARGB32);
    bitmap.fill(Qt::blue);
    const Text text = Text(QStringLiteral("before ")) + Text(Image(bitmap)) + Text(QStringLiteral(" after"));
    EXPECT_EQ(text.plainText(), QStringLiteral("before \uFFFC after"));
    ViewTree tree(text.view().fixedSize().tag("t"));
    tree.rebuild(800);
    EXPECT_GE(tree.frameOfTag(QStringLiteral("t")).height(), 30);
}

TEST(Text, aClickOnALinkCallsTheEnvironmentsOpenUrlActionAndShowsTheHand)
{
    QList<QUrl> opened;
    AttributeContainer link;
    link.set<LinkAttribute>(QUrl(QStringLiteral("quorvane://note?path=%2FNotes%2FA.md")));
    AttributedText attributed(QStringLiteral("see "));
    attributed.append(QStringLiteral("the note"), link);
    ViewTree tree(
        Text(attributed).view().tag("t").fixedSize().onOpenUrl([&](const QUrl &url) { opened.append(url); }));
    tree.rebuild(800);
    Element *text = tree.findByTag(QStringLiteral("t"));
    ASSERT_TRUE(text);
    const QRectF frame = text->frame();
    const QPointF onLink(frame.right() - 5, frame.center().y());
    const QPointF onPlain(frame.left() + 3, frame.center().y());
    EXPECT_EQ(tree.root()->hitTest(onLink), text);
    EXPECT_EQ(text->cursorAt(onLink), Qt::PointingHandCursor);
    EXPECT_EQ(text->cursorAt(onPlain), Qt::ArrowCursor);

    text->mousePressed({ onPlain });
    text->mouseReleased({ onPlain });
    EXPECT_TRUE(opened.isEmpty());
    text->mousePressed({ onLink });
    text->mouseReleased({ onLink });
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first().toString(), QStringLiteral("quorvane://note?path=%2FNotes%2FA.md"));
}

TEST(Text, eachTextsLinksOpenTheirOwnUrlsWhereTextsLookAlike)
{
    const auto links = [](const QString &first, const QString &last) {
        AttributeContainer start;
        start.set<LinkAttribute>(QUrl(first));
        AttributeContainer end;
        end.set<LinkAttribute>(QUrl(last));
        AttributedText text(QStringLiteral("open"), start);
        text.append(QStringLiteral(" the one or the other "));
        text.append(QStringLiteral("close"), end);
        return Text(text);
    };
    QList<QUrl> opened;
    ViewTree tree(VStack(HorizontalAlignment::Leading, 0,
        { links(QStringLiteral("https://a.example/1"), QStringLiteral("https://a.example/2")).view().tag("a"),
            links(QStringLiteral("https://b.example/1"), QStringLiteral("https://b.example/2"))
                .view()
                .tag("b") })
                      .onOpenUrl([&](const QUrl &url) { opened.append(url); }));
    tree.rebuild(800);
    const struct
    {
        const char *tag;
        bool atEnd;
        const char *url;
    } clicks[] = { { "b", true, "https://b.example/2" }, { "a", false, "https://a.example/1" },
        { "b", false, "https://b.example/1" }, { "a", true, "https://a.example/2" } };
    for (const auto &click : clicks) {
        Element *text = tree.findByTag(QString::fromLatin1(click.tag));
        ASSERT_TRUE(text);
        const QRectF frame = text->frame();
        const QPointF point(click.atEnd ? frame.right() - 5 : frame.left() + 3, frame.center().y());
        opened.clear();
        text->mousePressed({ point });
        text->mouseReleased({ point });
        EXPECT_EQ(opened, QList<QUrl> { QUrl(QString::fromLatin1(click.url)) }) << click.tag << click.atEnd;
    }
}

TEST(Text, selectionIsMadeWithTheMouseAndCopiedWithCtrlC)
{
    ViewTree tree(Text(QStringLiteral("alpha beta\ngamma")).view().tag("t").fixedSize().textSelection(true));
    tree.rebuild(800);
    Element *text = tree.findByTag(QStringLiteral("t"));
    ASSERT_TRUE(text);
    ASSERT_TRUE(text->acceptsFocus());
    const QRectF frame = text->frame();
    text->mousePressed({ frame.topLeft() + QPointF(0.5, 2) });
    text->mouseMoved({ frame.bottomRight() - QPointF(0.5, 2) });
    text->mouseReleased({ frame.bottomRight() - QPointF(0.5, 2) });

    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    EXPECT_TRUE(text->keyPressed(&copy));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("alpha beta\ngamma"));

    text->focusLost();
    QGuiApplication::clipboard()->setText(QStringLiteral("untouched"));
    EXPECT_FALSE(text->keyPressed(&copy)) << "nothing selected any more";
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("untouched"));
}

TEST(Text, textWithoutSelectionIgnoresThePointer)
{
    ViewTree tree(Text(QStringLiteral("plain")).view().tag("t").fixedSize());
    tree.rebuild(800);
    Element *text = tree.findByTag(QStringLiteral("t"));
    EXPECT_FALSE(text->acceptsPointer());
    EXPECT_EQ(tree.root()->hitTest(text->frame().center()), nullptr);
}

TEST(Text, firstBaselinesLineUpInAHorizontalStack)
{
    AttributeContainer big;
    big.set<FontAttribute>(Font::system(30));
    ViewTree tree(HStack(VerticalAlignment::FirstTextBaseline, 4,
        { Text(QStringLiteral("small")).view().tag("small"),
            Text(AttributedText(QStringLiteral("Big"), big)).view().tag("big") }));
    tree.rebuild(800);
    Element *small = tree.findByTag(QStringLiteral("small"));
    Element *large = tree.findByTag(QStringLiteral("big"));
    const double smallBaseline = small->frame().y() + *small->baseline(small->frame().size(), false);
    const double largeBaseline = large->frame().y() + *large->baseline(large->frame().size(), false);
    EXPECT_NEAR(smallBaseline, largeBaseline, 0.01);
    EXPECT_GT(small->frame().y(), large->frame().y());
}

TEST(Text, aLabelsIconStandsOnTheFirstLineOfATitleInACustomLayout)
{
    // The title is laid out by a layout that knows nothing of baselines: its first
    // line is found among its subviews as placed.
    class Indented final : public Layout
    {
    public:
        QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const override
        {
            double height = 0, width = 0;
            for (const LayoutSubview &subview : subviews) {
                const QSizeF size = subview.sizeThatFits(proposal);
                width = std::max(width, size.width() + 10);
                height += size.height() + 6;
            }
            return { width, height };
        }
        void placeSubviews(
            const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const override
        {
            QPointF at = bounds.topLeft() + QPointF(10, 6);
            for (const LayoutSubview &subview : subviews) {
                subview.place(at, UnitPoint::topLeading(), proposal);
                at.ry() += subview.sizeThatFits(proposal).height() + 6;
            }
        }
    };
    AttributeContainer big;
    big.set<FontAttribute>(Font::system(24));
    const View title = LayoutView(std::make_shared<Indented>(),
        { Text(AttributedText(QStringLiteral("First line"), big)).view().tag("first"),
            Text(QStringLiteral("second paragraph")).view() });
    ViewTree tree(Label(title, Text(QStringLiteral("10.")).view().tag("marker")).fixedSize());
    tree.rebuild(800);
    Element *marker = tree.findByTag(QStringLiteral("marker"));
    Element *first = tree.findByTag(QStringLiteral("first"));
    ASSERT_TRUE(marker && first);
    EXPECT_LT(marker->frame().right(), first->frame().left());
    EXPECT_NEAR(marker->frame().y() + *marker->baseline(marker->frame().size(), false),
        first->frame().y() + *first->baseline(first->frame().size(), false), 0.01);
    EXPECT_GT(marker->frame().y(), first->frame().y()) << "the smaller marker sits lower";
}

TEST(Text, trackingWidensTheTextAndRunBackgroundsAreDrawn)
{
    const QString word = QStringLiteral("tracking");
    ViewTree plain(Text(word).view().fixedSize().tag("t"));
    plain.rebuild(800);
    AttributeContainer spaced;
    spaced.set<TrackingAttribute>(4.0);
    spaced.set<KernAttribute>(1.0);
    spaced.set<BackgroundColorAttribute>(Color(QColor(255, 0, 0)));
    ViewTree tracked(Text(AttributedText(word, spaced)).view().fixedSize().tag("t"));
    tracked.rebuild(800);
    const double extra
        = tracked.frameOfTag(QStringLiteral("t")).width() - plain.frameOfTag(QStringLiteral("t")).width();
    EXPECT_NEAR(extra, 5.0 * word.size(), 6.0);

    const QImage canvas = rendered(tracked);
    int red = 0;
    for (int x = 0; x < canvas.width(); ++x) {
        if (canvas.pixelColor(x, 1) == QColor(255, 0, 0))
            ++red;
    }
    EXPECT_GT(red, canvas.width() / 2) << "the run's background fills its line";
}

namespace {

struct TextKind
{
    const char *name;
    Text (*make)();
    TextAlignment alignment;
};

Text styledText()
{
    AttributeContainer bold;
    bold.set<FontAttribute>(Font::system(17, Font::Weight::Bold));
    AttributeContainer linked;
    linked.set<LinkAttribute>(QUrl(QStringLiteral("https://example.org/")));
    AttributedText text(QStringLiteral("Some words "));
    text.append(QStringLiteral("in bold "), bold);
    text.append(QStringLiteral("and a link "), linked);
    text.append(sentence());
    return text;
}

Text imageText()
{
    QImage bitmap(24, 18, QImage::Format_ARGB32);
    bitmap.fill(Qt::blue);
    return Text(sentence()) + Text(Image(bitmap)) + Text(QStringLiteral(" and the rest of it after"));
}

void PrintTo(const TextKind &kind, std::ostream *out)
{
    *out << kind.name;
}

class TextAtWidths : public testing::TestWithParam<TextKind>
{
};

} // namespace

// A text measured and drawn at one width, then laid out at others, ends where a text
// laid out at the last width alone does, and draws the same.
TEST_P(TextAtWidths, laidOutAgainEndsAsAFreshLayoutAndDrawsTheSame)
{
    const TextKind &kind = GetParam();
    const auto view = [&kind] {
        return VStack(HorizontalAlignment::Leading, 4,
            { Label(kind.make().view().tag("item"), Text(QStringLiteral("•"))),
                kind.make().view().tag("block") })
            .multilineTextAlignment(kind.alignment)
            .lineSpacing(2);
    };
    ViewTree moved(view());
    moved.rebuild(800);
    rendered(moved);
    for (const double width : { 300.0, 90.0, 800.0, 5.0, 143.0 })
        moved.layout(width);
    ViewTree fresh(view());
    fresh.rebuild(143);

    for (const char *tag : { "item", "block" })
        EXPECT_EQ(moved.frameOfTag(QString::fromLatin1(tag)), fresh.frameOfTag(QString::fromLatin1(tag)))
            << tag;
    EXPECT_GT(fresh.frameOfTag(QStringLiteral("block")).height(), 40) << "the text wraps";
    EXPECT_EQ(rendered(moved), rendered(fresh));
}

INSTANTIATE_TEST_SUITE_P(Kinds, TextAtWidths,
    testing::Values(TextKind { "plain", [] { return Text(sentence()); }, TextAlignment::Leading },
        TextKind { "styledRuns", styledText, TextAlignment::Leading },
        TextKind { "lineFeeds", [] { return Text(QStringLiteral("first line\n\nthird line that goes on")); },
            TextAlignment::Leading },
        TextKind { "inlineImage", imageText, TextAlignment::Leading },
        TextKind { "centred", styledText, TextAlignment::Center }),
    [](const testing::TestParamInfo<TextKind> &info) { return std::string(info.param.name); });

// Italic glyphs lean past the end of their line, and Qt keeps room for that when it
// breaks lines: broken again at the narrower frame, a line could lose its last word to
// a line that was never measured, drawn below the text's frame.
TEST(Text, drawsTheLinesItWasMeasuredWithInItsFrame)
{
    const Font italic = Font::system(11).italic();
    const QString words
        = QStringLiteral("A quoted paragraph that runs long enough to wrap onto a second line at "
                         "the narrow width, and then some more words fill a third.");
    for (double width = 90; width <= 130; width += 1) {
        ViewTree tree(VStack(HorizontalAlignment::Leading, 0, { Text(words).view().font(italic) }));
        tree.rebuild(width);
        const QSizeF size = tree.contentSize();
        QImage canvas(int(width), int(size.height()) + 60, QImage::Format_ARGB32);
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        tree.paint(painter, QRectF(0, 0, width, canvas.height()));
        painter.end();
        int inkBelow = 0;
        for (int y = int(std::ceil(size.height())) + 1; y < canvas.height(); ++y) {
            for (int x = 0; x < canvas.width(); ++x)
                inkBelow += canvas.pixelColor(x, y) != QColor(Qt::white);
        }
        EXPECT_EQ(inkBelow, 0) << "at width " << width;
    }
}

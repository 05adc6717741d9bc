#include "ui/accessibility.h"
#include "ui/hostingview.h"
#include "ui/layout.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include "tests/support/waitfor.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QAccessibleActionInterface>

using namespace ui;

namespace {

QString roleName(AccessibleRole role)
{
    static const char *const names[] = { "none", "text", "heading", "link", "image", "button", "group" };
    return QString::fromLatin1(names[int(role)]);
}

// One line per node, children indented: role, level, "name", and "*" where it can
// be activated.
void dump(const std::vector<AccessibleNode> &nodes, int depth, QStringList &lines)
{
    for (const AccessibleNode &node : nodes) {
        QString line = QString(depth * 2, u' ') + roleName(node.role);
        if (node.headingLevel > 0)
            line += QString::number(node.headingLevel);
        line += QStringLiteral(" \"%1\"").arg(node.name);
        if (node.activate)
            line += QStringLiteral(" *");
        lines.append(line);
        dump(node.children, depth + 1, lines);
    }
}

QString dumpOf(const View &view)
{
    ViewTree tree(view);
    tree.rebuild(400);
    QStringList lines;
    dump(accessibleNodes(*tree.root()), 0, lines);
    return lines.join(u'\n');
}

Text linkText(const QString &text, const QString &url)
{
    AttributeContainer link;
    link.set<LinkAttribute>(QUrl(url));
    return Text(AttributedText(text, link));
}

Image square()
{
    QImage image(8, 8, QImage::Format_ARGB32);
    image.fill(Qt::red);
    return Image(image);
}

Image labelled(const QString &label, QImage image = square().image())
{
    return Image(image, 1.0, label);
}

struct NodesCase
{
    const char *name;
    std::function<View()> view;
    const char *expected;
};

void PrintTo(const NodesCase &c, std::ostream *out)
{
    *out << c.name;
}

class AccessibleNodes : public ::testing::TestWithParam<NodesCase>
{
};

const NodesCase nodesCases[] = {
    { "layoutIsLiftedAndTextsReadInOrder",
        [] {
            return VStack({ Text(QStringLiteral("One")).view().padding(4),
                HStack({ Text(QStringLiteral("Two")), Spacer(), Text(QStringLiteral("Three")) }) });
        },
        "text \"One\"\ntext \"Two\"\ntext \"Three\"" },
    { "aLinkInsideTextIsItsOwnActivatableChild",
        [] {
            return View(Text(QStringLiteral("See "))
                + linkText(QStringLiteral("the site"), "https://a.example") + Text(QStringLiteral(" now")));
        },
        "text \"See the site now\"\n  link \"the site\" *" },
    { "aHeadingReadsItsTextWithItsLevelAndKeepsItsLinks",
        [] {
            return VStack(
                { Text(QStringLiteral("Intro ")) + linkText(QStringLiteral("here"), "https://b.example"),
                    Divider() })
                .accessibilityHeading(2);
        },
        "heading2 \"Intro here\"\n  link \"here\" *" },
    { "anImageIsReadAsItsLabelAndWithoutOneNotAtAll",
        [] {
            return VStack({ View(square()).accessibilityLabel(QStringLiteral("A red square")), View(square()),
                View(square()).accessibilityLabel(QString()) });
        },
        "image \"A red square\"" },
    { "anInlineImageIsReadAsItsLabelWhereItStands",
        [] {
            const Image dot = labelled(QStringLiteral("red status dot"));
            return VStack({ Text(QStringLiteral("Before the dot ")) + Text(dot)
                    + Text(QStringLiteral(" and after it.")),
                View(dot) });
        },
        "text \"Before the dot red status dot and after it.\"\nimage \"red status dot\"" },
    { "anInlineLabelIsSetApartFromTheWordsItTouchesAndAnEmptyImageIsSilent",
        [] {
            return View(Text(QStringLiteral("Dots:")) + Text(labelled(QStringLiteral("red")))
                + Text(labelled(QStringLiteral("blue"))) + Text(QStringLiteral("here ("))
                + Text(labelled(QStringLiteral("green"))) + Text(QStringLiteral(")"))
                + Text(labelled(QStringLiteral("missing"), QImage())) + Text(QStringLiteral(".")));
        },
        "text \"Dots: red blue here (green).\"" },
    { "aLabelledImageStillLoadingIsAnImage",
        [] {
            return View(Color::clear())
                .frame(0, 0)
                .accessibilityLabel(QStringLiteral("Chart"))
                .accessibilityRole(AccessibleRole::Image);
        },
        "image \"Chart\"" },
    { "aButtonIsNamedByItsTextUnlessLabelled",
        [] {
            return VStack({ Button(Text(QStringLiteral("Open")), [] {}),
                Button(HStack({ View(square()), Text(QStringLiteral("Go")) }), [] {
                }).accessibilityLabel(QStringLiteral("Go there")) });
        },
        "button \"Open\" *\nbutton \"Go there\" *" },
    { "aGroupKeepsItsChildren",
        [] {
            return VStack({ Text(QStringLiteral("TITLE")), Button(Text(QStringLiteral("Act")), [] {}) })
                .padding(12)
                .accessibilityRole(AccessibleRole::Group);
        },
        "group \"\"\n  text \"TITLE\"\n  button \"Act\" *" },
    { "aTextCutAtLineBreaksReadsEveryCharacterOfItsRuns",
        [] {
            AttributeContainer bold;
            bold.set<FontAttribute>(Font::system(15, Font::Weight::Bold));
            AttributedText runs(QStringLiteral("one\n"), bold);
            runs.append(QString());
            runs.append(QStringLiteral("\ntwo "));
            runs.append(QStringLiteral("and\r\nthree"), bold);
            runs.append(QStringLiteral("\u2029four "));
            return View(Text(runs) + Text(square()) + linkText(QStringLiteral("five"), "https://c.example")
                + Text(QStringLiteral(" six\n")));
        },
        "text \"one\n\ntwo and\n\nthree\nfour five six\n\"\n  link \"five\" *" },
    { "textsOfLinksInTheSameStyleNameTheirOwnLinks",
        [] {
            const auto links = [](const QString &first, const QString &second) {
                return linkText(first, "https://d.example") + Text(QStringLiteral(" or "))
                    + linkText(second, "https://e.example");
            };
            return VStack({ links(QStringLiteral("north"), QStringLiteral("south")),
                links(QStringLiteral("east"), QStringLiteral("west")) });
        },
        "text \"north or south\"\n  link \"north\" *\n  link \"south\" *\n"
        "text \"east or west\"\n  link \"east\" *\n  link \"west\" *" },
};

} // namespace

TEST_P(AccessibleNodes, describeTheTreeAsAScreenReaderReadsIt)
{
    EXPECT_EQ(dumpOf(GetParam().view()), QString::fromUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Accessibility, AccessibleNodes, ::testing::ValuesIn(nodesCases),
    [](const auto &info) { return info.param.name; });

TEST(HostingViewAccessible, followsTheShownTreeAndActivatesLinksThroughTheOpenUrlAction)
{
    QList<QUrl> opened;
    HostingView host;
    host.resize(300, 200);
    host.setRootView(
        View(linkText(QStringLiteral("first"), "https://one.example")).onOpenUrl([&opened](const QUrl &url) {
            opened.append(url);
        }));
    host.show();
    host.flush();
    QAccessibleInterface *document = QAccessible::queryAccessibleInterface(&host);
    ASSERT_NE(document, nullptr);
    ASSERT_EQ(document->childCount(), 1);
    QAccessibleInterface *text = document->child(0);
    EXPECT_EQ(text->role(), QAccessible::StaticText);
    EXPECT_EQ(text->parent(), document);
    ASSERT_EQ(text->childCount(), 1);
    QAccessibleInterface *link = text->child(0);
    EXPECT_EQ(link->role(), QAccessible::Link);
    EXPECT_EQ(link->parent(), text);
    link->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_TRUE(waitFor([&] { return !opened.isEmpty(); }));
    EXPECT_EQ(opened, QList<QUrl> { QUrl(QStringLiteral("https://one.example")) });

    host.setRootView(VStack({ Text(QStringLiteral("A")), Text(QStringLiteral("B")) }));
    host.flush();
    ASSERT_EQ(document->childCount(), 2);
    EXPECT_EQ(document->child(1)->text(QAccessible::Name), QStringLiteral("B"));
    EXPECT_EQ(document->indexOfChild(document->child(1)), 1);
}

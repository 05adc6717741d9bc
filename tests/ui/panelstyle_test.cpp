#include "ui/panelstyle.h"

#include "platform/qt/derivedpalette.h"

#include "tests/support/waitfor.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

namespace {

QPalette look(QColor window, QColor text)
{
    QPalette palette;
    palette.setColor(QPalette::Window, window);
    palette.setColor(QPalette::WindowText, text);
    palette.setColor(QPalette::PlaceholderText, text);
    return palette;
}

// Looks that differ in their text colours only: nothing else of a widget that
// derives its text changes with them.
const QPalette lightLook = look(QColor(0xf5, 0xf5, 0xf7), QColor(0x1d, 0x1d, 0x1f));
const QPalette darkLook = look(QColor(0xf5, 0xf5, 0xf7), QColor(0xf2, 0xf2, 0xf7));

// The look reaches shown windows through the event loop.
bool textBecomes(const QWidget &widget, QPalette::ColorRole role, const QColor &color)
{
    return waitFor([&] { return widget.palette().color(role) == color; });
}

class DerivedPaletteTest : public ::testing::Test
{
protected:
    DerivedPaletteTest()
        : m_before(QApplication::palette())
    {
        QApplication::setPalette(lightLook);
    }
    ~DerivedPaletteTest() override { QApplication::setPalette(m_before); }

private:
    QPalette m_before;
};

QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}

// Each way a derived colour is set up, and where the widget stands: it follows
// the look in force after a switch, both ways, and keeps the roles it doesn't
// derive inherited.
TEST_F(DerivedPaletteTest, aDerivedColourFollowsTheLookBothWays)
{
    const struct
    {
        const char *name;
        bool placedLater; // made without a parent, put in a layout afterwards
        bool parentOwnWindow; // the parent sets its own background
    } cases[] = {
        { "madeInItsParent", false, false },
        { "placedInALayoutLater", true, false },
        { "underAParentWithItsOwnBackground", false, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QWidget parent;
        if (c.parentOwnWindow) {
            QPalette tinted = parent.palette();
            tinted.setColor(QPalette::Window, Qt::blue);
            parent.setPalette(tinted);
        }
        auto *layout = new QVBoxLayout(&parent);
        auto *label = new QLabel(QStringLiteral("quiet"), c.placedLater ? nullptr : &parent);
        PanelStyle::setTextTone(*label, PanelStyle::tertiary);
        if (c.placedLater)
            layout->addWidget(label);
        parent.show();
        EXPECT_EQ(label->palette().color(QPalette::WindowText), PanelStyle::tertiary(lightLook));

        QApplication::setPalette(darkLook);
        EXPECT_TRUE(textBecomes(*label, QPalette::WindowText, PanelStyle::tertiary(darkLook)));
        EXPECT_EQ(label->palette().color(QPalette::Window), parent.palette().color(QPalette::Window));
        QApplication::setPalette(lightLook);
        EXPECT_TRUE(textBecomes(*label, QPalette::WindowText, PanelStyle::tertiary(lightLook)));
        if (c.placedLater)
            delete label;
    }
}

TEST_F(DerivedPaletteTest, aSecondDerivationReplacesTheFirst)
{
    QWidget parent;
    auto *label = new QLabel(&parent);
    parent.show();
    derivePalette(*label, [](QPalette &palette) { palette.setColor(QPalette::PlaceholderText, Qt::red); });
    EXPECT_EQ(label->palette().color(QPalette::PlaceholderText), QColor(Qt::red));
    // Back to what it inherits: nothing derived any more.
    derivePalette(*label, [](QPalette &) {});
    EXPECT_EQ(label->palette().color(QPalette::PlaceholderText), lightLook.color(QPalette::PlaceholderText));
    QApplication::setPalette(darkLook);
    EXPECT_TRUE(textBecomes(*label, QPalette::PlaceholderText, darkLook.color(QPalette::PlaceholderText)));
    EXPECT_EQ(withAlpha(label->palette().color(QPalette::WindowText), 0.7f), PanelStyle::secondary(darkLook));
}

TEST_F(DerivedPaletteTest, aStyledFieldTakesTheNewLookWithItsSheet)
{
    QWidget parent;
    auto *field = new QLineEdit(&parent);
    field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    followLook(*field);
    parent.show();
    EXPECT_EQ(field->palette().color(QPalette::PlaceholderText), lightLook.color(QPalette::PlaceholderText));
    QApplication::setPalette(darkLook);
    EXPECT_TRUE(textBecomes(*field, QPalette::PlaceholderText, darkLook.color(QPalette::PlaceholderText)));
    EXPECT_EQ(field->styleSheet(), QStringLiteral("QLineEdit { background: transparent; }"));
}

} // namespace

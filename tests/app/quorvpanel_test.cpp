#include "app/quorvpanel.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <vector>

namespace {

const QColor background(0x30, 0x40, 0x50);
const QColor opaquePart = Qt::white;
const QColor changedPart(0xe0, 0x20, 0x20);
const QPoint inOpaquePart(200, 150);
const QPoint inBareContent(20, 20);

struct FadeCase
{
    const char *name;
    bool translucent;
    std::vector<qreal> opacities; // set one after another
};

void PrintTo(const FadeCase &fade, std::ostream *out)
{
    *out << fade.name;
}

// Premultiplied, as the window system's buffer holds it.
QColor premultiplied(const QColor &color, qreal alpha)
{
    return QColor::fromRgbF(color.redF() * alpha, color.greenF() * alpha, color.blueF() * alpha, alpha);
}

QColor mix(const QColor &top, const QColor &under, qreal amount)
{
    auto channel = [amount](qreal a, qreal b) { return a * amount + b * (1 - amount); };
    return QColor::fromRgbF(channel(top.redF(), under.redF()), channel(top.greenF(), under.greenF()),
        channel(top.blueF(), under.blueF()), channel(top.alphaF(), under.alphaF()));
}

::testing::AssertionResult near(const QColor &actual, const QColor &expected)
{
    const int channels[][2] = { { actual.red(), expected.red() }, { actual.green(), expected.green() },
        { actual.blue(), expected.blue() }, { actual.alpha(), expected.alpha() } };
    for (const auto &[a, e] : channels) {
        if (std::abs(a - e) > 2) {
            return ::testing::AssertionFailure()
                << actual.name(QColor::HexArgb).toStdString() << " instead of "
                << expected.name(QColor::HexArgb).toStdString();
        }
    }
    return ::testing::AssertionSuccess();
}

class QuorvPanelFade : public ::testing::TestWithParam<FadeCase>
{
protected:
    QuorvPanelFade()
        : panel(GetParam().translucent)
    {
        QPalette palette;
        palette.setColor(QPalette::Window, background);
        palette.setColor(QPalette::Base, opaquePart);
        panel.setPalette(palette);
        // The content paints nothing of its own around a part that paints itself
        // opaquely, as a scroll area's viewport does.
        auto *content = new QWidget;
        auto *layout = new QVBoxLayout(content);
        layout->setContentsMargins(40, 40, 40, 40);
        area = new QAbstractScrollArea;
        layout->addWidget(area);
        panel.setContent(content);
        panel.setGeometry(0, 0, 400, 300);
        content->setGeometry(panel.rect());
        panel.show();
        settle();
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }
    // What the window system holds; the offscreen platform's window buffers keep no
    // alpha, so a see-through panel is looked at as it paints.
    QColor onScreenAt(QPoint point)
    {
        const QImage image = GetParam().translucent
            ? panel.grab().toImage()
            : QGuiApplication::primaryScreen()->grabWindow(panel.winId()).toImage();
        return QColor::fromRgba(image.convertToFormat(QImage::Format_ARGB32_Premultiplied).pixel(point));
    }

    QuorvPanel panel;
    QAbstractScrollArea *area;
};

TEST_P(QuorvPanelFade, theContentShowsOverTheBackgroundByItsOpacity)
{
    const qreal backgroundAlpha = GetParam().translucent ? 0.92 : 1.0;
    const QColor under = premultiplied(background, backgroundAlpha);
    for (qreal opacity : GetParam().opacities) {
        panel.setContentOpacity(opacity);
        settle();
        EXPECT_EQ(panel.contentOpacity(), opacity);
        EXPECT_TRUE(near(onScreenAt(inOpaquePart), mix(opaquePart, under, opacity))) << "at " << opacity;
        EXPECT_TRUE(near(onScreenAt(inBareContent), under)) << "at " << opacity;
        // The fade never takes the mouse from the content.
        EXPECT_EQ(panel.childAt(inOpaquePart), area->viewport());

        // The part changes alone, as a note rendered off the main thread arrives: it
        // shows through the fade as much as the rest of the content.
        QPalette palette = area->viewport()->palette();
        palette.setColor(QPalette::Base, changedPart);
        area->viewport()->setPalette(palette);
        settle();
        EXPECT_TRUE(near(onScreenAt(inOpaquePart), mix(changedPart, under, opacity)))
            << "changed at " << opacity;
        palette.setColor(QPalette::Base, opaquePart);
        area->viewport()->setPalette(palette);
        settle();
    }
}

INSTANTIATE_TEST_SUITE_P(Fades, QuorvPanelFade,
    ::testing::Values(FadeCase { "fadingInOverAnOpaqueBackground", false, { 0.0, 0.25, 0.6, 1.0 } },
        FadeCase { "jumpingBothWays", false, { 0.0, 1.0, 0.5, 1.0, 0.0 } },
        FadeCase { "fadingInOverASeeThroughBackground", true, { 0.0, 0.4, 1.0 } },
        FadeCase { "fadingOutOverASeeThroughBackground", true, { 0.7, 0.1 } }),
    [](const ::testing::TestParamInfo<FadeCase> &info) { return info.param.name; });

struct KeyCase
{
    const char *name;
    Qt::Key key;
    QString text;
    QString typed; // what the field holds afterwards: nothing when the hook took the key
};

void PrintTo(const KeyCase &row, std::ostream *out)
{
    *out << row.name;
}

class PanelKeyHook : public ::testing::TestWithParam<KeyCase>
{
};

// The hook sees a key before the focused field, once, even while the panel is
// not yet the active window (the window system's activation not handled yet):
// keys typed right as the panel appears are judged like any other.
TEST_P(PanelKeyHook, seesEveryKeyForTheFocusedFieldOnce)
{
    QuorvPanel panel;
    auto *content = new QWidget;
    auto *field = new QLineEdit(content);
    new QVBoxLayout(content);
    content->layout()->addWidget(field);
    content->layout()->addWidget(new QLineEdit(content)); // where Qt's own Tab handling would go
    panel.setContent(content);
    field->setFocus();
    ASSERT_EQ(panel.focusWidget(), field);
    ASSERT_EQ(QApplication::focusWidget(), nullptr);

    QList<int> seen;
    panel.onKeyDown = [&](QKeyEvent *event) {
        seen.append(event->key());
        return event->key() == Qt::Key_Tab;
    };
    QKeyEvent press(QEvent::KeyPress, GetParam().key, Qt::NoModifier, GetParam().text);
    QApplication::sendEvent(field, &press);
    EXPECT_EQ(seen, QList<int> { GetParam().key });
    EXPECT_EQ(field->text(), GetParam().typed);
    EXPECT_EQ(panel.focusWidget(), field);
}

INSTANTIATE_TEST_SUITE_P(QuorvPanel, PanelKeyHook,
    ::testing::Values(KeyCase { "claimedTab", Qt::Key_Tab, QStringLiteral("\t"), QString() },
        KeyCase { "letterForTheField", Qt::Key_A, QStringLiteral("a"), QStringLiteral("a") }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace

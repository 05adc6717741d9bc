#include "app/appearance.h"
#include "app/chromestyle.h"

#include "tests/support/contrast.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionButton>

namespace {

// An unchecked box shows nothing but its edge: it must read on the window (3:1).
TEST(ChromeStyle, anUncheckedBoxOrRadioButtonReadsInBothLooks)
{
    ChromeStyle style;
    for (const auto mode : { Appearance::Mode::Light, Appearance::Mode::Dark }) {
        SCOPED_TRACE(mode == Appearance::Mode::Dark ? "dark" : "light");
        const QPalette palette = Appearance::paletteOf(mode);
        QCheckBox box(QStringLiteral("Launch at login"));
        QRadioButton radio(QStringLiteral("Follow System"));
        for (QAbstractButton *button : std::initializer_list<QAbstractButton *> { &box, &radio }) {
            button->setStyle(&style);
            button->setPalette(palette);
            button->resize(button->sizeHint());
            QStyleOptionButton option;
            option.initFrom(button);
            const bool isBox = button == &box;
            const QRect indicator = style.subElementRect(
                isBox ? QStyle::SE_CheckBoxIndicator : QStyle::SE_RadioButtonIndicator, &option, button);
            const QImage drawn = button->grab().toImage().copy(indicator);
            const QColor window = palette.color(QPalette::Window);
            EXPECT_GE(strongestContrast(drawn, window), 3.0) << (isBox ? "box" : "radio");
        }
    }
}

} // namespace

#include "app/panelfooterview.h"

#include "app/appearance.h"
#include "tests/app/sharedstate.h"
#include "tests/support/contrast.h"
#include "tests/support/waitfor.h"

#include <QHash>
#include <QLabel>
#include <QPushButton>
#include <QTextDocumentFragment>

#include <gtest/gtest.h>

namespace {

TEST(PanelFooter, theUpdateButtonShowsOnlyWhileAnUpdateExists)
{
    SharedState shared;
    QWidget window;
    PanelFooterView footer(shared.state, &window);
    EXPECT_FALSE(footer.updateButton()->isVisibleTo(&window));
    shared.state.setUpdateAvailable(true);
    EXPECT_TRUE(footer.updateButton()->isVisibleTo(&window));
    footer.updateButton()->click(); // no updater set: nothing happens
    shared.state.setUpdateAvailable(false);
    EXPECT_FALSE(footer.updateButton()->isVisibleTo(&window));
    EXPECT_EQ(QTextDocumentFragment::fromHtml(footer.hint()->text()).toPlainText(),
        QStringLiteral("Press Esc to dismiss"));
}

// Its white text reads at 4.5:1 on the blue it is filled with, in either look (the
// text itself is drawn smoothed, never quite white at this size).
TEST(PanelFooter, theUpdateButtonReadsInBothLooks)
{
    SharedState shared;
    shared.state.setUpdateAvailable(true);
    QWidget window;
    PanelFooterView footer(shared.state, &window);
    window.show();
    for (const auto mode : { Appearance::Mode::Light, Appearance::Mode::Dark }) {
        SCOPED_TRACE(mode == Appearance::Mode::Dark ? "dark" : "light");
        Appearance::apply(mode);
        const QColor highlight = Appearance::paletteOf(mode).color(QPalette::Highlight);
        // The fill is the colour most of the button is drawn in.
        const auto fill = [&] {
            const QImage drawn = footer.updateButton()->grab().toImage();
            QHash<QRgb, int> counts;
            for (int y = 0; y < drawn.height(); ++y) {
                for (int x = 0; x < drawn.width(); ++x)
                    ++counts[drawn.pixel(x, y)];
            }
            QRgb most = 0;
            for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
                if (it.value() > counts.value(most))
                    most = it.key();
            }
            return QColor::fromRgb(most);
        };
        ASSERT_TRUE(waitFor([&] {
            return fill() != QColor(Qt::white) && contrastRatio(fill(), highlight) < 1.1;
        })) << fill().name().toStdString();
        EXPECT_GE(contrastRatio(Qt::white, fill()), 4.5);
    }
    Appearance::apply(Appearance::Mode::System);
}

} // namespace

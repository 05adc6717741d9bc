#include "notes/vaultonboardingview.h"

#include "tests/notes/notesviewfixture.h"
#include "tests/support/waitfor.h"

#include <QLabel>
#include <QPushButton>
#include <QTextLayout>

#include <gtest/gtest.h>

namespace {

using Onboarding = NotesViewFixture;

TEST_F(Onboarding, hidesThePanelThenAsksThenChangesTheVault)
{
    VaultOnboardingView view(*environment);
    FakeFolderChooser &chooser = environment->fakeChooser();
    chooser.onRequest = [&] { environment->steps.append("chooser"); };
    view.chooseButton()->click();
    EXPECT_EQ(environment->steps, QStringList({ "dismiss", "chooser" }));
    ASSERT_EQ(chooser.requests.size(), 1);
    EXPECT_EQ(chooser.requests[0].prompt, "Choose");
    EXPECT_EQ(chooser.requests[0].message, "Select your notes folder");

    chooser.answer(QUrl::fromLocalFile(vault()));
    // On a later turn of the main queue, not inside the chooser's answer.
    EXPECT_EQ(environment->steps.size(), 2);
    ASSERT_TRUE(waitFor([&] { return environment->steps.size() == 3; }));
    EXPECT_EQ(environment->steps.last(), "changeVault");
    EXPECT_EQ(environment->changedVaults, QList<QUrl> { QUrl::fromLocalFile(vault()) });
}

TEST_F(Onboarding, cancellingChangesNothing)
{
    VaultOnboardingView view(*environment);
    view.chooseVaultFolder();
    environment->fakeChooser().answer(std::nullopt);
    runEventsFor(std::chrono::milliseconds(50));
    EXPECT_EQ(environment->steps, QStringList { "dismiss" });
    EXPECT_TRUE(environment->changedVaults.isEmpty());
}

// The notes pane's size in the panel: 40% of the screen's height less the
// search bar and the footer, half of its width.
struct PaneSize
{
    const char *screen;
    QSize size;
};

class OnboardingAtPanelSize : public NotesViewFixture, public ::testing::WithParamInterface<PaneSize>
{
};

// The lines a label needs for its text at the width it was given.
int linesNeeded(const QLabel &label)
{
    if (!label.wordWrap())
        return 1;
    QTextLayout layout(label.text(), label.font());
    layout.beginLayout();
    int lines = 0;
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(label.contentsRect().width());
        ++lines;
    }
    layout.endLayout();
    return lines;
}

TEST_P(OnboardingAtPanelSize, showsEveryTextInFull)
{
    VaultOnboardingView view(*environment);
    view.resize(GetParam().size);
    view.show();
    ASSERT_TRUE(waitFor([&] { return view.isVisible() && view.chooseButton()->isVisible(); }));
    QCoreApplication::processEvents();

    QList<QWidget *> shown { view.chooseButton() };
    for (QLabel *label : view.findChildren<QLabel *>()) {
        shown.append(label);
        if (label->text().isEmpty())
            continue;
        SCOPED_TRACE(label->text().toStdString());
        const QFontMetrics metrics(label->font());
        const QRect text = label->contentsRect();
        EXPECT_GE(text.height(), linesNeeded(*label) * metrics.lineSpacing());
        if (label->wordWrap()) {
            EXPECT_EQ(label->width(), 200); // as wide as the explanation may be
            EXPECT_EQ(label->font().pixelSize(), 11);
        } else {
            EXPECT_GE(text.width(), metrics.horizontalAdvance(label->text()));
        }
    }
    for (qsizetype i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(view.rect().contains(shown[i]->geometry())) << shown[i]->objectName().toStdString();
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()));
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, OnboardingAtPanelSize,
    ::testing::Values(PaneSize { "1440x900", QSize(720, 272) }, PaneSize { "1024x768", QSize(512, 219) }),
    [](const auto &info) { return std::string(info.param.screen).replace(4, 1, "by"); });

} // namespace

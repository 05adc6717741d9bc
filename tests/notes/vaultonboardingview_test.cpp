#include "notes/vaultonboardingview.h"

#include "tests/notes/notesviewfixture.h"
#include "tests/support/waitfor.h"

#include <QLabel>
#include <QPushButton>

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

TEST_F(Onboarding, showsItsTexts)
{
    VaultOnboardingView view(*environment);
    QStringList texts;
    for (const QLabel *label : view.findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            texts.append(label->text());
    }
    EXPECT_EQ(texts,
        QStringList({ "Choose a folder to get started",
            QStringLiteral(
                "Point Quorvane at a folder of Markdown files \u2014 like your Obsidian vault.") }));
    EXPECT_EQ(view.chooseButton()->text(), "Choose Folder...");
}

} // namespace

#include "app/appstate.h"
#include "platform/defaults.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class AppStateTest : public ::testing::Test
{
protected:
    Defaults &defaults()
    {
        if (!m_defaults)
            m_defaults = std::make_unique<Defaults>(dir.filePath(QStringLiteral("defaults.json")));
        return *m_defaults;
    }
    // Settings as a person might have left them in the file.
    void writeSettings(const QByteArray &json)
    {
        QFile file(dir.filePath(QStringLiteral("defaults.json")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(json);
    }

    QTemporaryDir dir;
    std::unique_ptr<Defaults> m_defaults;
};

TEST_F(AppStateTest, focusStartsAtTheStoredPane)
{
    defaults().setString(QStringLiteral("lastFocusedPane"), QStringLiteral("notes"));
    EXPECT_EQ(AppState(defaults()).focusTarget(), PanelFocusTarget::pane(FocusedPane::Notes));
    defaults().setString(QStringLiteral("lastFocusedPane"), QStringLiteral("search"));
    EXPECT_EQ(AppState(defaults()).focusTarget(), PanelFocusTarget::pane(FocusedPane::Clipboard));
    defaults().setInteger(QStringLiteral("lastFocusedPane"), 1);
    EXPECT_EQ(AppState(defaults()).focusTarget(), PanelFocusTarget::pane(FocusedPane::Clipboard));
}

TEST_F(AppStateTest, onlyPanesAreStoredAsTheLastFocus)
{
    AppState state(defaults());
    state.switchPane(false); // clipboard → notes
    EXPECT_EQ(defaults().string(QStringLiteral("lastFocusedPane")), QStringLiteral("notes"));
    state.setSearchFocused(true);
    EXPECT_TRUE(state.focusTarget().isSearch());
    state.setSearchFocused(false);
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::none());
    EXPECT_EQ(defaults().string(QStringLiteral("lastFocusedPane")), QStringLiteral("notes"));
}

TEST_F(AppStateTest, leavingSearchWhileAPaneHasFocusChangesNothing)
{
    AppState state(defaults());
    state.setSearchFocused(false);
    EXPECT_EQ(state.focusTarget(), PanelFocusTarget::pane(FocusedPane::Clipboard));
}

TEST_F(AppStateTest, landingOnTheClipboardPaneRequestsItsFocus)
{
    AppState state(defaults());
    int requests = 0;
    QObject::connect(&state, &AppState::clipboardFocusRequested, [&] { ++requests; });
    state.switchPane(false); // notes
    state.switchPane(false); // search
    EXPECT_EQ(state.clipboardFocusRequest(), 0);
    state.switchPane(false); // clipboard
    EXPECT_EQ(state.clipboardFocusRequest(), 1);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(defaults().string(QStringLiteral("lastFocusedPane")), QStringLiteral("clipboard"));
}

TEST_F(AppStateTest, settingsReadTheirDefaultsWhenMissingOrOfTheWrongType)
{
    writeSettings(R"({"dismissOnCopy": "yes", "autoSaveDelay": "fast", "historyLimit": 12.5,
                      "isGestureEnabled": 0, "skipSensitiveItems": null})");
    AppState state(defaults());
    EXPECT_TRUE(state.dismissOnCopy());
    EXPECT_EQ(state.autoSaveDelay(), 1.0);
    EXPECT_EQ(state.historyLimit(), 200);
    EXPECT_TRUE(state.isGestureEnabled());
    EXPECT_TRUE(state.skipSensitiveItems());
}

TEST_F(AppStateTest, storedSettingsAreHonouredAndWritesAreStored)
{
    writeSettings(R"({"dismissOnCopy": false, "autoSaveDelay": 2.5, "historyLimit": 500,
                      "isGestureEnabled": false, "skipSensitiveItems": false})");
    AppState state(defaults());
    EXPECT_FALSE(state.dismissOnCopy());
    EXPECT_EQ(state.autoSaveDelay(), 2.5);
    EXPECT_EQ(state.historyLimit(), 500);
    EXPECT_FALSE(state.isGestureEnabled());
    EXPECT_FALSE(state.skipSensitiveItems());

    state.setDismissOnCopy(true);
    state.setAutoSaveDelay(0.5);
    state.setHistoryLimit(1000);
    state.setGestureEnabled(true);
    state.setSkipSensitiveItems(true);
    Defaults reread(defaults().filePath());
    EXPECT_EQ(reread.boolean(QStringLiteral("dismissOnCopy")), true);
    EXPECT_EQ(reread.real(QStringLiteral("autoSaveDelay")), 0.5);
    EXPECT_EQ(reread.integer(QStringLiteral("historyLimit")), 1000);
    EXPECT_EQ(reread.boolean(QStringLiteral("isGestureEnabled")), true);
    EXPECT_EQ(reread.boolean(QStringLiteral("skipSensitiveItems")), true);
}

} // namespace

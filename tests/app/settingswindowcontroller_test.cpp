#include "app/appstate.h"
#include "app/settingswindowcontroller.h"
#include "clipboard/clipboardstore.h"
#include "platform/clock.h"
#include "platform/defaults.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakepasteboard.h"
#include "tests/app/sharedstate.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(SettingsWindowController, aClosedWindowReopensAtItsSavedFrameInTheNextRun)
{
    QTemporaryDir dir;
    Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    FakeFileEventStream events;
    FakePasteboard pasteboard;
    auto store = openStoreIn(dir);
    AppState state(defaults, *store, pasteboard, events, Clock::system());
    QPoint movedTo;
    {
        SettingsWindowController thisRun;
        thisRun.show(state);
        QWidget *window = thisRun.window();
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(window->size(), QSize(480, 560));
        window->move(window->pos() + QPoint(37, 23));
        movedTo = window->pos();
        window->close();
        EXPECT_FALSE(window->isVisible());
        thisRun.show(state);
        EXPECT_EQ(thisRun.window(), window); // the same window, not a second one
        window->close();
        delete window;
    }
    SettingsWindowController nextRun;
    nextRun.show(state);
    EXPECT_EQ(nextRun.window()->pos(), movedTo);
    delete nextRun.window();
}

} // namespace

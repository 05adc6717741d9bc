// Real grabs on a private Xvfb, keys typed by xdotool (XTEST), as another program would.
#include "platform/x11/xcbhotkeygrabber.h"

#include "platform/keyboardlayout.h"
#include "shortcuts/modifiers.h"

#include "tests/support/waitfor.h"

#include <QCoreApplication>
#include <QProcess>
#include <QScopeGuard>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

constexpr qint64 keyK = 40;
constexpr qint64 keyL = 37;
constexpr qint64 ctrlShift = CarbonModifier::command | CarbonModifier::shift;

void xdotool(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    ASSERT_TRUE(process.waitForFinished(10000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

class XcbHotKeyGrabberTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        grabber = XcbHotKeyGrabber::connect();
        ASSERT_TRUE(grabber) << "no X server";
        QObject::connect(grabber.get(), &HotKeyGrabber::pressed, [this](qint64 key, qint64 modifiers) {
            presses.append({ key, modifiers });
        });
        QObject::connect(grabber.get(), &HotKeyGrabber::released, [this](qint64 key, qint64 modifiers) {
            releases.append({ key, modifiers });
        });
    }

    std::unique_ptr<XcbHotKeyGrabber> grabber;
    QList<std::pair<qint64, qint64>> presses;
    QList<std::pair<qint64, qint64>> releases;
};

TEST_F(XcbHotKeyGrabberTest, grabbedCombinationPressesAndReleasesOnce)
{
    ASSERT_EQ(grabber->grab(keyK, ctrlShift), 0);
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+shift+k") });
    ASSERT_TRUE(waitFor([&] { return releases.size() == 1; }));
    EXPECT_EQ(presses, (QList<std::pair<qint64, qint64>> { { keyK, ctrlShift } }));
    EXPECT_EQ(releases, presses);

    // Another combination of the same key is not ours. The server keeps the
    // order of what it sends: once a later grabbed key has come, so would have this.
    ASSERT_EQ(grabber->grab(keyL, ctrlShift), 0);
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+k"), QStringLiteral("key"),
        QStringLiteral("ctrl+shift+l") });
    ASSERT_TRUE(waitFor([&] { return releases.size() == 2; }));
    EXPECT_EQ(presses, (QList<std::pair<qint64, qint64>> { { keyK, ctrlShift }, { keyL, ctrlShift } }));
}

TEST_F(XcbHotKeyGrabberTest, locksDoNotMatterAndModifiersMayGoUpFirst)
{
    ASSERT_EQ(grabber->grab(keyK, ctrlShift), 0);
    for (const QString &lock : { QStringLiteral("Num_Lock"), QStringLiteral("Caps_Lock") }) {
        xdotool({ QStringLiteral("key"), lock });
        xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+shift+k") });
        xdotool({ QStringLiteral("key"), lock });
    }
    ASSERT_TRUE(waitFor([&] { return releases.size() == 2; }));
    EXPECT_EQ(presses.size(), 2);

    xdotool({ QStringLiteral("keydown"), QStringLiteral("ctrl+shift+k"), QStringLiteral("keyup"),
        QStringLiteral("ctrl+shift"), QStringLiteral("keyup"), QStringLiteral("k") });
    ASSERT_TRUE(waitFor([&] { return releases.size() == 3; }));
    EXPECT_EQ(releases.last(), std::make_pair(keyK, ctrlShift));
}

TEST_F(XcbHotKeyGrabberTest, repeatedPressesOfAHeldKeyCountOnce)
{
    ASSERT_EQ(grabber->grab(keyK, ctrlShift), 0);
    xdotool({ QStringLiteral("keydown"), QStringLiteral("ctrl+shift+k"), QStringLiteral("keydown"),
        QStringLiteral("k"), QStringLiteral("keydown"), QStringLiteral("k"), QStringLiteral("keyup"),
        QStringLiteral("k"), QStringLiteral("keyup"), QStringLiteral("ctrl+shift") });
    // Events come in order: once the next grabbed key has come, all of the held one has.
    ASSERT_EQ(grabber->grab(keyL, ctrlShift), 0);
    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+shift+l") });
    ASSERT_TRUE(waitFor([&] { return presses.contains({ keyL, ctrlShift }); }));
    const QList<std::pair<qint64, qint64>> once { { keyK, ctrlShift }, { keyL, ctrlShift } };
    EXPECT_EQ(presses, once);
    ASSERT_TRUE(waitFor([&] { return releases.size() >= 2; }));
    EXPECT_EQ(releases, once);
}

TEST_F(XcbHotKeyGrabberTest, grabsStayOnTheirKeysWhenTheLayoutChanges)
{
    // Key code 12 is the key that types "q" on a US board and "a" on a French one.
    constexpr qint64 keyQ = 12;
    ASSERT_EQ(grabber->grab(keyQ, ctrlShift), 0);
    const auto restore
        = qScopeGuard([] { QProcess::execute(QStringLiteral("setxkbmap"), { QStringLiteral("us") }); });
    ASSERT_EQ(QProcess::execute(QStringLiteral("setxkbmap"), { QStringLiteral("fr") }), 0);
    ASSERT_TRUE(waitFor([&] { return grabber->keyboardLayout()->text(keyQ) == QStringLiteral("a"); }));

    xdotool({ QStringLiteral("key"), QStringLiteral("ctrl+shift+a") });
    ASSERT_TRUE(waitFor([&] { return releases.size() == 1; }));
    EXPECT_EQ(presses, (QList<std::pair<qint64, qint64>> { { keyQ, ctrlShift } }));
}

TEST_F(XcbHotKeyGrabberTest, aKeymapChangeReadInOneGoWithTheKeysLosesNeitherPressNorRelease)
{
    // A busy program reads its socket late and finds the keyboard's announcement and
    // the key in one batch, as when the first key another program types through XTEST
    // announces a new keyboard. Nothing here runs the event loop until the last step.
    const QStringList setUs { QStringLiteral("setxkbmap"), QStringLiteral("us") };
    const QStringList keyDown { QStringLiteral("xdotool"), QStringLiteral("keydown"),
        QStringLiteral("ctrl+shift+k") };
    const QStringList keyUp { QStringLiteral("xdotool"), QStringLiteral("keyup"), QStringLiteral("k"),
        QStringLiteral("keyup"), QStringLiteral("ctrl+shift") };
    const struct
    {
        const char *when;
        QList<QStringList> beforeFirstRead;
        QList<QStringList> afterFirstRead;
    } cases[] = {
        { "announced before the press", { setUs, keyDown }, { keyUp } },
        { "announced while the key is down", { keyDown, setUs }, { keyUp } },
        { "announced before press and release", { setUs, keyDown, keyUp }, {} },
    };
    ASSERT_EQ(grabber->grab(keyK, ctrlShift), 0);
    const QList<std::pair<qint64, qint64>> once { { keyK, ctrlShift } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.when);
        presses.clear();
        releases.clear();
        for (const QStringList &command : c.beforeFirstRead)
            ASSERT_EQ(QProcess::execute(command.first(), command.mid(1)), 0);
        ASSERT_TRUE(waitFor([&] { return !presses.isEmpty(); }));
        for (const QStringList &command : c.afterFirstRead)
            ASSERT_EQ(QProcess::execute(command.first(), command.mid(1)), 0);
        ASSERT_TRUE(waitFor([&] { return !releases.isEmpty(); }));
        EXPECT_EQ(presses, once);
        EXPECT_EQ(releases, once);
    }
}

TEST_F(XcbHotKeyGrabberTest, combinationHeldByAnotherClientIsBadAccessUntilReleased)
{
    std::unique_ptr<XcbHotKeyGrabber> other = XcbHotKeyGrabber::connect();
    ASSERT_TRUE(other);
    ASSERT_EQ(other->grab(keyK, ctrlShift), 0);
    EXPECT_EQ(grabber->grab(keyK, ctrlShift), HotKeyGrabber::heldByAnotherClient);
    other->ungrab(keyK, ctrlShift);
    EXPECT_EQ(grabber->grab(keyK, ctrlShift), 0);
    EXPECT_EQ(other->grab(keyK, ctrlShift), HotKeyGrabber::heldByAnotherClient);
    grabber->ungrab(keyK, ctrlShift);
    grabber->ungrab(keyK, ctrlShift); // twice is harmless
}

TEST_F(XcbHotKeyGrabberTest, probeTellsAnotherClientsGrabFromAFreeOrOwnOneAndKeepsNothing)
{
    std::unique_ptr<XcbHotKeyGrabber> other = XcbHotKeyGrabber::connect();
    ASSERT_TRUE(other);
    ASSERT_EQ(other->grab(keyK, ctrlShift), 0);
    EXPECT_EQ(grabber->probe(keyK, ctrlShift), HotKeyGrabber::heldByAnotherClient);
    EXPECT_EQ(other->probe(keyK, ctrlShift), 0); // its own grab
    other->ungrab(keyK, ctrlShift);

    // Free: the probe's grab is gone by the time it answers, so a real grab follows.
    EXPECT_EQ(grabber->probe(keyK, ctrlShift), 0);
    EXPECT_EQ(other->grab(keyK, ctrlShift), 0);
    other->ungrab(keyK, ctrlShift);
    EXPECT_EQ(grabber->probe(keyK, CarbonModifier::function), HotKeyGrabber::cannotExpress);
}

TEST_F(XcbHotKeyGrabberTest, combinationsXCannotExpressAreRefused)
{
    EXPECT_EQ(grabber->grab(keyK, CarbonModifier::function), HotKeyGrabber::cannotExpress);
    EXPECT_EQ(grabber->grab(keyK, 0x400), HotKeyGrabber::cannotExpress);
    EXPECT_EQ(grabber->grab(63, CarbonModifier::command), HotKeyGrabber::cannotExpress); // fn key
    EXPECT_EQ(grabber->grab(70000, CarbonModifier::command), HotKeyGrabber::cannotExpress);
    EXPECT_EQ(grabber->grab(-1, CarbonModifier::command), HotKeyGrabber::cannotExpress);
    EXPECT_EQ(grabber->grab(keyK, CarbonModifier::option | CarbonModifier::control), 0); // Alt+Super
}

} // namespace

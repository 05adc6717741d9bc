#include "shortcuts/recordercocoa.h"

#include "platform/defaults.h"
#include "platform/fake/fakealertpresenter.h"
#include "platform/fake/fakehotkeygrabber.h"
#include "platform/notificationcenter.h"
#include "shortcuts/applicationmenu.h"
#include "shortcuts/recorder.h"
#include "shortcuts/registry.h"
#include "tests/support/waitfor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <gtest/gtest.h>

using namespace GlobalShortcuts;

namespace {

// X keycodes of the built-in US keymap.
constexpr quint32 xTab = 23, xEscape = 9, xBackspace = 22, xDelete = 119, xA = 38, xJ = 44, xQ = 24, xC = 54,
                  xF5 = 71, xLeft = 113, xControlL = 37;

const Shortcut ctrlShiftK(Key::k, ModifierFlag::Command | ModifierFlag::Shift);
const Shortcut ctrlAltJ(Key::j, ModifierFlag::Command | ModifierFlag::Option);

class RecorderTest : public ::testing::Test
{
protected:
    RecorderTest()
        : defaults(dir.filePath(QStringLiteral("defaults.json")))
        , registry(defaults, notifications, grabber)
        , activity(notifications.addObserver(recorderActiveStatusDidChange,
              [this](const Notification &n) { active.append(n.userInfo.value(QStringLiteral("isActive"))); }))
    {
        auto *layout = new QVBoxLayout(&window);
        before = new QPushButton(QStringLiteral("before"), &window);
        layout->addWidget(before);
        recorder = new RecorderCocoa(
            registry, alerts, name, [this](const std::optional<Shortcut> &s) { changes.append(s); }, &window);
        recorder->beep = [this] { ++beeps; };
        layout->addWidget(recorder);
        after = new QPushButton(QStringLiteral("after"), &window);
        layout->addWidget(after);
    }

    void SetUp() override
    {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }));
    }

    void startRecording()
    {
        recorder->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(recorder->isRecording());
        active.clear();
    }

    // What the window system delivers: the shortcut question first, then the press,
    // not yet accepted by anyone (so that an unhandled one climbs to the window).
    void press(int key, Qt::KeyboardModifiers modifiers, quint32 xKeycode)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : recorder.data();
        QKeyEvent override(QEvent::ShortcutOverride, key, modifiers, xKeycode, 0, 0);
        override.ignore();
        QApplication::sendEvent(target, &override);
        QKeyEvent event(QEvent::KeyPress, key, modifiers, xKeycode, 0, 0);
        event.ignore();
        QApplication::sendEvent(target, &event);
    }

    QTemporaryDir dir;
    Defaults defaults;
    NotificationCenter notifications;
    FakeHotKeyGrabber grabber;
    Registry registry;
    FakeAlertPresenter alerts;
    QList<QVariant> active;
    NotificationToken activity;
    const Name name { QStringLiteral("toggleHUD") };
    QWidget window;
    QPointer<QPushButton> before;
    QPointer<RecorderCocoa> recorder;
    QPointer<QPushButton> after;
    QList<std::optional<Shortcut>> changes;
    int beeps = 0;
};

// --- what each key press decides ------------------------------------------------

struct KeyCase
{
    const char *name;
    int key;
    Qt::KeyboardModifiers modifiers;
    quint32 xKeycode;
    std::optional<Shortcut> storedBefore;
    std::optional<Shortcut> storedAfter;
    bool recordingAfter;
    int beeps;
};

const KeyCase keyCases[] = {
    { "tabEndsRecording", Qt::Key_Tab, {}, xTab, ctrlShiftK, ctrlShiftK, false, 0 },
    { "shiftTabBeeps", Qt::Key_Backtab, Qt::ShiftModifier, xTab, ctrlShiftK, ctrlShiftK, true, 1 },
    { "escapeEndsRecordingAndKeepsTheShortcut", Qt::Key_Escape, {}, xEscape, ctrlShiftK, ctrlShiftK, false,
        0 },
    { "escapeWithTheKeypadFlagStillHasNoModifiers", Qt::Key_Escape, Qt::KeypadModifier, xEscape, ctrlShiftK,
        ctrlShiftK, false, 0 },
    { "ctrlEscapeIsACandidate", Qt::Key_Escape, Qt::ControlModifier, xEscape, {},
        Shortcut(Key::escape, ModifierFlag::Command), false, 0 },
    { "backspaceClearsAndGoesOnRecording", Qt::Key_Backspace, {}, xBackspace, ctrlShiftK, {}, true, 0 },
    { "deleteClears", Qt::Key_Delete, {}, xDelete, ctrlShiftK, {}, true, 0 },
    { "backspaceWithNothingShownDoesNothing", Qt::Key_Backspace, {}, xBackspace, {}, {}, true, 0 },
    { "ctrlDeleteIsACandidate", Qt::Key_Delete, Qt::ControlModifier, xDelete, {},
        Shortcut(Key::deleteForward, ModifierFlag::Command), false, 0 },
    { "aLetterAloneBeeps", Qt::Key_A, {}, xA, ctrlShiftK, ctrlShiftK, true, 1 },
    { "shiftAndALetterBeeps", Qt::Key_A, Qt::ShiftModifier, xA, {}, {}, true, 1 },
    { "anArrowWithTheKeypadFlagBeeps", Qt::Key_Left, Qt::KeypadModifier, xLeft, {}, {}, true, 1 },
    { "altAndALetterIsTaken", Qt::Key_A, Qt::AltModifier, xA, {}, Shortcut(Key::a, ModifierFlag::Option),
        false, 0 },
    { "f5AloneIsTaken", Qt::Key_F5, {}, xF5, {}, Shortcut(Key::f5, {}), false, 0 },
    { "shiftF5IsTaken", Qt::Key_F5, Qt::ShiftModifier, xF5, {}, Shortcut(Key::f5, ModifierFlag::Shift), false,
        0 },
    { "ctrlAltJReplacesTheShortcut", Qt::Key_J, Qt::ControlModifier | Qt::AltModifier, xJ, ctrlShiftK,
        ctrlAltJ, false, 0 },
    { "aKeyTheLayoutCantNumberBeeps", Qt::Key_J, Qt::ControlModifier, 0, ctrlShiftK, ctrlShiftK, true, 1 },
    { "aModifierAloneIsNothingYet", Qt::Key_Control, Qt::ControlModifier, xControlL, {}, {}, true, 0 },
};

void PrintTo(const KeyCase &c, std::ostream *out)
{
    *out << c.name;
}

class RecorderKeyTest : public RecorderTest, public ::testing::WithParamInterface<KeyCase>
{
};

TEST_P(RecorderKeyTest, decidesAsItsChecksSay)
{
    const KeyCase &c = GetParam();
    if (c.storedBefore)
        registry.setShortcut(c.storedBefore, name);
    startRecording();
    press(c.key, c.modifiers, c.xKeycode);

    EXPECT_EQ(registry.shortcut(name), c.storedAfter);
    EXPECT_EQ(recorder->isRecording(), c.recordingAfter);
    EXPECT_EQ(registry.isRecordingShortcut(), c.recordingAfter);
    EXPECT_EQ(beeps, c.beeps);
    EXPECT_TRUE(alerts.shown.isEmpty());
    EXPECT_EQ(recorder->text(), c.storedAfter ? c.storedAfter->description() : QString());
    EXPECT_EQ(recorder->cancelButton()->isVisible(), c.storedAfter.has_value());
    if (c.storedAfter != c.storedBefore) {
        EXPECT_EQ(changes, (QList<std::optional<Shortcut>> { c.storedAfter }));
        // Stored means registered: it works at once.
        EXPECT_TRUE(grabber.isGrabbed(c.storedAfter ? c.storedAfter->carbonKeyCode() : 0,
                        c.storedAfter ? c.storedAfter->carbonModifiers() : 0)
            == c.storedAfter.has_value());
    } else {
        EXPECT_TRUE(changes.isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Keys, RecorderKeyTest, ::testing::ValuesIn(keyCases), [](const auto &info) { return info.param.name; });

TEST_F(RecorderTest, tabHandsTheFocusToTheNextControl)
{
    startRecording();
    press(Qt::Key_Tab, {}, xTab);
    EXPECT_EQ(QApplication::focusWidget(), after.data());
    EXPECT_EQ(active, (QList<QVariant> { false }));
}

TEST_F(RecorderTest, escapeLeavesTheWindowWithoutFocus)
{
    startRecording();
    press(Qt::Key_Escape, {}, xEscape);
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Record Shortcut"));
}

// --- conflicts ------------------------------------------------------------------

struct ConflictCase
{
    const char *name;
    int key;
    quint32 xKeycode;
    Shortcut shortcut;
    int answer;
    QString message;
    QStringList buttons;
    bool stored;
};

const ConflictCase conflictCases[] = {
    { "aMenuItemsShortcutIsRefusedWithItsTitle", Qt::Key_Q, xQ, Shortcut(Key::q, ModifierFlag::Command), 0,
        QStringLiteral("This keyboard shortcut can't be used because the menu item “Quit Quorvane” already "
                       "uses it."),
        {}, false },
    { "aStandardEditShortcutIsAMenuItemsToo", Qt::Key_C, xC, Shortcut(Key::c, ModifierFlag::Command), 0,
        QStringLiteral("This keyboard shortcut can't be used because the menu item “Copy” already uses it."),
        {}, false },
    { "anotherProgramsAnsweredWithOkIsNotStored", Qt::Key_J, xJ, ctrlAltJ, 0,
        QStringLiteral("This keyboard shortcut can't be used because another program already uses it."),
        { QStringLiteral("OK"), QStringLiteral("Use Anyway") }, false },
    { "anotherProgramsUsedAnywayIsStored", Qt::Key_J, xJ, ctrlAltJ, 1,
        QStringLiteral("This keyboard shortcut can't be used because another program already uses it."),
        { QStringLiteral("OK"), QStringLiteral("Use Anyway") }, true },
};

void PrintTo(const ConflictCase &c, std::ostream *out)
{
    *out << c.name;
}

class RecorderConflictTest : public RecorderTest, public ::testing::WithParamInterface<ConflictCase>
{
};

TEST_P(RecorderConflictTest, raisesTheAlertAndStoresOnlyWhenForced)
{
    const ConflictCase &c = GetParam();
    QMenu menu;
    menu.addAction(QStringLiteral("Quit Quorvane"))->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    ApplicationMenu::shared().addMenu(&menu);
    grabber.refuse(ctrlAltJ.carbonKeyCode(), ctrlAltJ.carbonModifiers());
    alerts.answers = { c.answer };
    bool recordingDuringAlert = true;
    alerts.onRun = [&] { recordingDuringAlert = recorder->isRecording() || registry.isRecordingShortcut(); };
    registry.setShortcut(ctrlShiftK, name);
    startRecording();

    press(c.key,
        c.shortcut.modifiers().testFlag(ModifierFlag::Option) ? Qt::ControlModifier | Qt::AltModifier
                                                              : Qt::ControlModifier,
        c.xKeycode);

    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, c.message);
    EXPECT_EQ(alerts.shown[0].buttons, c.buttons);
    EXPECT_EQ(alerts.shown[0].style, Alert::Style::Warning);
    EXPECT_FALSE(recordingDuringAlert) << "the keys that answer the alert must reach it";
    EXPECT_EQ(registry.shortcut(name), c.stored ? c.shortcut : ctrlShiftK);
    // Refused: recording again at once, for the next combination.
    EXPECT_EQ(recorder->isRecording(), !c.stored);
}

INSTANTIATE_TEST_SUITE_P(Conflicts, RecorderConflictTest, ::testing::ValuesIn(conflictCases),
    [](const auto &info) { return info.param.name; });

// --- mouse, focus and window ------------------------------------------------------

TEST_F(RecorderTest, aClickReleasedOutsideEndsRecordingAndGoesOnButNotWithinThreePoints)
{
    startRecording();
    const auto release = [&](QPoint local) {
        const QPointF global = recorder->mapToGlobal(QPointF(local));
        QMouseEvent event(
            QEvent::MouseButtonRelease, QPointF(local), global, Qt::LeftButton, Qt::NoButton, {});
        return QApplication::sendEvent(&window, &event);
    };
    release(QPoint(-3, recorder->height() / 2));
    EXPECT_TRUE(recorder->isRecording());
    release(QPoint(recorder->width() + 2, recorder->height() + 2));
    EXPECT_TRUE(recorder->isRecording());
    release(QPoint(-4, recorder->height() / 2));
    EXPECT_FALSE(recorder->isRecording());
}

TEST_F(RecorderTest, showsTheStoredShortcutAndFollowsItsChanges)
{
    EXPECT_TRUE(recorder->text().isEmpty());
    EXPECT_FALSE(recorder->cancelButton()->isVisible());
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Record Shortcut"));

    RecorderCocoa twin(registry, alerts, name, {}, &window);
    RecorderCocoa other(registry, alerts, Name(QStringLiteral("other")), {}, &window);
    registry.setShortcut(ctrlShiftK, name);
    EXPECT_EQ(twin.text(), QStringLiteral("Ctrl+Shift+K"));
    EXPECT_TRUE(twin.cancelButton()->isVisible());
    EXPECT_TRUE(other.text().isEmpty());

    other.setShortcutName(Name(QStringLiteral("toggleHUD"), ctrlAltJ)); // another raw value: shown at once
    EXPECT_EQ(other.text(), QStringLiteral("Ctrl+Shift+K"));
    defaults.remove(name.defaultsKey());
    other.setShortcutName(name); // the same raw value: nothing read again
    EXPECT_EQ(other.text(), QStringLiteral("Ctrl+Shift+K"));

    // A value that doesn't decode shows as none.
    defaults.setString(name.defaultsKey(), QStringLiteral("junk"));
    registry.setShortcut(std::nullopt, Name(QStringLiteral("unrelated")));
    other.setShortcutName(Name(QStringLiteral("x")));
    other.setShortcutName(name);
    EXPECT_TRUE(other.text().isEmpty());
    EXPECT_FALSE(other.cancelButton()->isVisible());
}

TEST_F(RecorderTest, recordingSilencesHotKeysAndAnnouncesItself)
{
    int fired = 0;
    registry.onKeyUp(name, [&] { ++fired; });
    registry.setShortcut(ctrlShiftK, name);
    recorder->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(recorder->placeholderText(), QStringLiteral("Press Shortcut"));
    EXPECT_EQ(active, (QList<QVariant> { true }));
    grabber.press(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers());
    grabber.release(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers());
    EXPECT_EQ(fired, 0);

    after->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(active, (QList<QVariant> { true, false }));
    grabber.press(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers());
    grabber.release(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers());
    EXPECT_EQ(fired, 1);
}

// Whether anything but the field's background is drawn across its middle: the
// prompt or the shortcut, centred.
bool showsInkInTheMiddle(RecorderCocoa &recorder)
{
    const QImage image = recorder.grab().toImage();
    const QRgb background = recorder.palette().color(QPalette::Base).rgb();
    for (int y = image.height() / 3; y < image.height() * 2 / 3; ++y)
        for (int x = image.width() / 3; x < image.width() * 2 / 3; ++x)
            if (image.pixel(x, y) != background)
                return true;
    return false;
}

TEST_F(RecorderTest, whatItShowsIsDrawnIdleAndWhileRecording)
{
    const struct
    {
        const char *name;
        std::optional<Shortcut> stored;
        bool recording;
    } cases[] = {
        { "idleWithoutShortcut", {}, false },
        { "recordingWithoutShortcut", {}, true },
        { "recordingWithShortcut", ctrlShiftK, true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        registry.setShortcut(c.stored, name);
        if (c.recording)
            startRecording();
        else
            before->setFocus(Qt::MouseFocusReason);
        ASSERT_EQ(recorder->isRecording(), c.recording);
        EXPECT_TRUE(showsInkInTheMiddle(*recorder));
    }
}

TEST_F(RecorderTest, theCancelButtonFollowsTheAppearance)
{
    registry.setShortcut(ctrlShiftK, name);
    const auto iconImage = [&] { return recorder->cancelButton()->icon().pixmap(16, 16).toImage(); };
    const QImage light = iconImage();
    QPalette dark = window.palette();
    dark.setColor(QPalette::PlaceholderText, QColor(0xee, 0x22, 0x22));
    window.setPalette(dark);
    EXPECT_NE(iconImage(), light);
}

TEST_F(RecorderTest, theCancelButtonClearsReportsNoneAndRecords)
{
    registry.setShortcut(ctrlShiftK, name);
    ASSERT_TRUE(recorder->cancelButton()->isVisible());
    recorder->cancelButton()->trigger();
    EXPECT_FALSE(registry.shortcut(name).has_value());
    EXPECT_FALSE(grabber.isGrabbed(ctrlShiftK.carbonKeyCode(), ctrlShiftK.carbonModifiers()));
    EXPECT_EQ(changes, (QList<std::optional<Shortcut>> { std::nullopt }));
    EXPECT_FALSE(recorder->cancelButton()->isVisible());
    EXPECT_TRUE(recorder->isRecording());
}

TEST_F(RecorderTest, leavingTheWindowOrItsActivationEndsRecording)
{
    startRecording();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &other; }));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(registry.isRecordingShortcut());
    EXPECT_EQ(window.focusWidget(), nullptr) << "coming back must not record by itself";

    // Right after the window comes back the control can't take the focus by
    // itself; on the next turn it can.
    window.activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == &window; }));
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(waitFor([&] { return recorder->canBecomeKeyView(); }));

    startRecording();
    recorder->setParent(nullptr); // out of its window
    EXPECT_FALSE(recorder->isRecording());
    ASSERT_FALSE(active.isEmpty());
    EXPECT_EQ(active.last(), false);

    // An idle control says so too when it leaves.
    recorder->setParent(&window);
    active.clear();
    recorder->setParent(nullptr);
    EXPECT_EQ(active, (QList<QVariant> { false }));
    delete recorder.data();
}

TEST_F(RecorderTest, aRecorderDestroyedWhileRecordingGivesTheHotKeysBack)
{
    startRecording();
    delete recorder.data();
    EXPECT_FALSE(registry.isRecordingShortcut());
}

// --- the recorder with and without a label -----------------------------------------

TEST_F(RecorderTest, recorderViewsShowTheirLabelAsGivenAndKeepTheirControl)
{
    // A plain title is shown as it stands, even when it reads like a text key.
    Recorder titled(registry, alerts, QStringLiteral("record_shortcut"), name);
    ASSERT_TRUE(titled.hasLabel());
    EXPECT_EQ(qobject_cast<QLabel *>(titled.label())->text(), QStringLiteral("record_shortcut"));

    int built = 0;
    QList<std::optional<Shortcut>> reported;
    Recorder custom(
        registry, alerts, name, [&](const std::optional<Shortcut> &s) { reported.append(s); },
        [&] {
            ++built;
            return new QLabel(QStringLiteral("Toggle HUD:"));
        });
    EXPECT_EQ(built, 1);
    EXPECT_EQ(custom.label()->parent(), &custom);

    registry.setShortcut(ctrlShiftK, name);
    RecorderCocoa *control = custom.control();
    custom.setName(Name(QStringLiteral("other")));
    EXPECT_EQ(custom.control(), control);
    EXPECT_TRUE(control->text().isEmpty());
    control->cancelButton()->setVisible(true);
    control->cancelButton()->trigger();
    EXPECT_EQ(reported, (QList<std::optional<Shortcut>> { std::nullopt }));
}

} // namespace

#include "app/settingsview.h"

#include "app/appearance.h"
#include "app/appstate.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardstore.h"
#include "notes/notesmanager.h"
#include "platform/defaults.h"
#include "platform/fake/fakealertpresenter.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakefolderchooser.h"
#include "platform/fake/fakeloginitem.h"
#include "platform/fake/fakepasteboard.h"
#include "platform/fake/fakeworkspace.h"
#include "platform/updater.h"
#include "tests/app/sharedstate.h"
#include "tests/support/contrast.h"
#include "tests/support/waitfor.h"
#include "ui/panelstyle.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QKeyEvent>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QPushButton>
#include <QSpinBox>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

class SettingsViewTest : public ::testing::Test, public SharedState
{
public: // the table's rows reach in
    ~SettingsViewTest() override { Appearance::apply(Appearance::Mode::System); }

    SettingsView &view()
    {
        if (!m_view) {
            m_view = std::make_unique<SettingsView>(SettingsEnvironment { state, alerts, chooser, workspace,
                loginItem, nullptr, [this] { return trusted; }, [this] { ++accessibilityRequests; } });
            m_view->show();
        }
        return *m_view;
    }
    template<class T> T *control(const char *name)
    {
        T *found = view().findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    // Selects the number in the spin box named `name`, types `text` and ends the edit
    // with Return, as a person would.
    void typeInto(const char *name, const char *text)
    {
        QAbstractSpinBox *spin = control<QAbstractSpinBox>(name);
        spin->selectAll();
        for (const char *c = text; *c; ++c) {
            const int key = *c == '.' ? Qt::Key_Period : Qt::Key_0 + (*c - '0');
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(QLatin1Char(*c)));
            QApplication::sendEvent(spin, &press);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(spin, &enter);
    }
    // Hidden and shown again, as when the settings window is closed and reopened.
    void reopen()
    {
        view().hide();
        view().show();
    }
    QUrl makeFolder(const QString &name)
    {
        const QString path = dir.filePath(name);
        QDir().mkpath(path);
        return QUrl::fromLocalFile(QDir(path).canonicalPath());
    }

    FakeAlertPresenter alerts;
    FakeFolderChooser chooser;
    FakeWorkspace workspace;
    FakeLoginItem loginItem;
    bool trusted = true;
    int accessibilityRequests = 0;
    QList<bool> gestureChanges;
    std::unique_ptr<SettingsView> m_view;
};

// --- every control writes its setting, and the setting reaches its component -------

struct ControlCase
{
    const char *name;
    std::function<void(SettingsViewTest &)> change;
    std::function<void(SettingsViewTest &)> check;
};

void PrintTo(const ControlCase &c, std::ostream *out)
{
    *out << c.name;
}

class SettingsControlTest : public SettingsViewTest, public ::testing::WithParamInterface<ControlCase>
{
};

const ControlCase controlCases[] = {
    { "historyDepthStepsByFiftyAndTrimsAtTheNextCapture",
        [](SettingsViewTest &t) { t.control<QSpinBox>("historyLimit")->stepBy(1); },
        [](SettingsViewTest &t) {
            EXPECT_EQ(t.state.historyLimit(), 250);
            EXPECT_EQ(t.state.clipboardManager().historyLimit(), 250);
            EXPECT_EQ(t.control<QSpinBox>("historyLimit")->text(), QStringLiteral("History depth: 250"));
        } },
    { "historyDepthStopsAtFifty",
        [](SettingsViewTest &t) {
            QSpinBox *spin = t.control<QSpinBox>("historyLimit");
            spin->setValue(100);
            spin->stepBy(-1);
            spin->stepBy(-1);
        },
        [](SettingsViewTest &t) {
            EXPECT_EQ(t.state.historyLimit(), 50);
            EXPECT_EQ(t.state.clipboardManager().historyLimit(), 50);
        } },
    { "historyDepthTakesATypedNumber", [](SettingsViewTest &t) { t.typeInto("historyLimit", "300"); },
        [](SettingsViewTest &t) { EXPECT_EQ(t.state.clipboardManager().historyLimit(), 300); } },
    { "historyDepthBringsATypedNumberAboveTheRangeDownToIt",
        [](SettingsViewTest &t) { t.typeInto("historyLimit", "5000"); },
        [](SettingsViewTest &t) {
            EXPECT_EQ(t.state.historyLimit(), 1000);
            EXPECT_EQ(t.control<QSpinBox>("historyLimit")->text(), QStringLiteral("History depth: 1000"));
        } },
    { "historyDepthBringsATypedNumberBelowTheRangeUpToIt",
        [](SettingsViewTest &t) { t.typeInto("historyLimit", "7"); },
        [](SettingsViewTest &t) { EXPECT_EQ(t.state.historyLimit(), 50); } },
    { "dismissOnCopyIsStored", [](SettingsViewTest &t) { t.control<QCheckBox>("dismissOnCopy")->click(); },
        [](SettingsViewTest &t) { EXPECT_FALSE(t.state.dismissOnCopy()); } },
    { "skipSensitiveReachesTheClipboardManager",
        [](SettingsViewTest &t) { t.control<QCheckBox>("skipSensitiveItems")->click(); },
        [](SettingsViewTest &t) {
            EXPECT_FALSE(t.state.skipSensitiveItems());
            EXPECT_FALSE(t.state.clipboardManager().skipSensitiveItems());
        } },
    { "autoSaveDelayStopsAtHalfASecondWithOneDecimal",
        [](SettingsViewTest &t) {
            QDoubleSpinBox *spin = t.control<QDoubleSpinBox>("autoSaveDelay");
            spin->stepBy(-1);
            spin->stepBy(-1);
        },
        [](SettingsViewTest &t) {
            EXPECT_DOUBLE_EQ(t.state.autoSaveDelay(), 0.5);
            EXPECT_EQ(t.control<QDoubleSpinBox>("autoSaveDelay")->text(), QStringLiteral("0.5s"));
        } },
    { "autoSaveDelayTakesATypedNumber", [](SettingsViewTest &t) { t.typeInto("autoSaveDelay", "3"); },
        [](SettingsViewTest &t) {
            EXPECT_DOUBLE_EQ(t.state.autoSaveDelay(), 3.0);
            EXPECT_EQ(t.control<QDoubleSpinBox>("autoSaveDelay")->text(), QStringLiteral("3.0s"));
        } },
    { "autoSaveDelaySnapsATypedNumberToTheNearestHalfSecond",
        [](SettingsViewTest &t) { t.typeInto("autoSaveDelay", "2.3"); },
        [](SettingsViewTest &t) { EXPECT_DOUBLE_EQ(t.state.autoSaveDelay(), 2.5); } },
    { "autoSaveDelaySnapsATypedNumberWithMoreDecimals",
        [](SettingsViewTest &t) { t.typeInto("autoSaveDelay", "1.74"); },
        [](SettingsViewTest &t) { EXPECT_DOUBLE_EQ(t.state.autoSaveDelay(), 1.5); } },
    { "autoSaveDelayBringsATypedNumberAboveTheRangeDownToIt",
        [](SettingsViewTest &t) { t.typeInto("autoSaveDelay", "9"); },
        [](SettingsViewTest &t) {
            EXPECT_DOUBLE_EQ(t.state.autoSaveDelay(), 5.0);
            EXPECT_EQ(t.control<QDoubleSpinBox>("autoSaveDelay")->text(), QStringLiteral("5.0s"));
        } },
    { "autoSaveDelayBringsATypedNumberBelowTheRangeUpToIt",
        [](SettingsViewTest &t) { t.typeInto("autoSaveDelay", "0.1"); },
        [](SettingsViewTest &t) { EXPECT_DOUBLE_EQ(t.state.autoSaveDelay(), 0.5); } },
    { "alwaysDarkIsStoredAndAppliedAtOnce",
        [](SettingsViewTest &t) { t.control<QPushButton>("theme-dark")->click(); },
        [](SettingsViewTest &t) {
            EXPECT_EQ(t.defaults.string(DefaultsKey::appearanceMode), QStringLiteral("dark"));
            EXPECT_TRUE(Appearance::isDark());
            EXPECT_TRUE(t.control<QPushButton>("theme-dark")->isChecked());
            EXPECT_FALSE(t.control<QPushButton>("theme-system")->isChecked());
        } },
    { "theGestureSwitchReachesTheMonitor",
        [](SettingsViewTest &t) {
            t.state.onGestureEnabledChanged = [&t](bool on) { t.gestureChanges.append(on); };
            t.control<QCheckBox>("gestureToggle")->click();
        },
        [](SettingsViewTest &t) {
            EXPECT_FALSE(t.state.isGestureEnabled());
            EXPECT_EQ(t.gestureChanges, QList<bool> { false });
        } },
};

TEST_P(SettingsControlTest, writesItsSettingAndReachesItsComponent)
{
    GetParam().change(*this);
    GetParam().check(*this);
}

INSTANTIATE_TEST_SUITE_P(Controls, SettingsControlTest, ::testing::ValuesIn(controlCases),
    [](const auto &info) { return info.param.name; });

TEST_F(SettingsViewTest, showsTheStoredValuesAndFollowsTheirChanges)
{
    defaults.setInteger(DefaultsKey::historyLimit, 600);
    defaults.setString(DefaultsKey::appearanceMode, QStringLiteral("sepia")); // follows the system
    EXPECT_EQ(control<QSpinBox>("historyLimit")->value(), 600);
    EXPECT_TRUE(control<QPushButton>("theme-system")->isChecked());
    state.setAutoSaveDelay(2.5);
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>("autoSaveDelay")->value(), 2.5);
    EXPECT_EQ(state.autoSaveDelay(), 2.5); // showing it wrote nothing else
}

// --- the login item ---------------------------------------------------------------

TEST_F(SettingsViewTest, openingShowsTheLoginItemWithoutRegisteringItAgain)
{
    loginItem.enabled = true;
    EXPECT_TRUE(control<QCheckBox>("launchAtLogin")->isChecked());
    reopen();
    EXPECT_EQ(loginItem.registers, 0);
    EXPECT_EQ(loginItem.unregisters, 0);
    EXPECT_TRUE(view().loginItemStatus().isEmpty());

    loginItem.enabled = false; // removed behind the program's back
    reopen();
    EXPECT_FALSE(control<QCheckBox>("launchAtLogin")->isChecked());
    EXPECT_EQ(loginItem.unregisters, 0);
}

TEST_F(SettingsViewTest, theToggleRegistersAndUnregisters)
{
    QCheckBox *toggle = control<QCheckBox>("launchAtLogin");
    toggle->click();
    EXPECT_TRUE(loginItem.enabled);
    EXPECT_EQ(view().loginItemStatus(), QStringLiteral("Enabled"));
    EXPECT_TRUE(control<QLabel>("loginItemStatus")->isVisible());
    toggle->click();
    EXPECT_FALSE(loginItem.enabled);
    EXPECT_TRUE(view().loginItemStatus().isEmpty());
    EXPECT_FALSE(control<QLabel>("loginItemStatus")->isVisible());
}

TEST_F(SettingsViewTest, aFailedRegisterTurnsTheToggleOffKeepsTheMessageAndUnregistersNothing)
{
    loginItem.failRegister = true;
    QCheckBox *toggle = control<QCheckBox>("launchAtLogin");
    toggle->click();
    EXPECT_FALSE(toggle->isChecked());
    EXPECT_EQ(loginItem.unregisters, 0);
    EXPECT_EQ(view().loginItemStatus(), QStringLiteral("Failed — check /autostart"));
    EXPECT_EQ(control<QLabel>("loginItemStatus")->palette().color(QPalette::PlaceholderText),
        PanelStyle::destructive(view().palette()));
}

TEST_F(SettingsViewTest, theLoginItemStatusReadsInTheLookItIsShownIn)
{
    const struct
    {
        const char *name;
        bool failRegister;
    } cases[] = {
        { "enabled", false },
        { "failed", true },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        m_view.reset();
        Appearance::apply(Appearance::Mode::System); // Qt's own palette: another quiet text colour
        ASSERT_NE(QApplication::palette().color(QPalette::PlaceholderText), QColor(0x8e, 0x8e, 0x93));
        loginItem.enabled = false;
        loginItem.failRegister = c.failRegister;
        control<QCheckBox>("launchAtLogin")->click();
        QLabel *status = control<QLabel>("loginItemStatus");
        ASSERT_FALSE(view().loginItemStatus().isEmpty());

        // Switched while the form is up: the line takes the new look's colour.
        Appearance::apply(Appearance::Mode::Dark);
        // A failure in the red of that look, else the form's own quiet text colour.
        const auto expected = [&] {
            return c.failRegister ? PanelStyle::destructive(view().palette())
                                  : view().palette().color(QPalette::PlaceholderText);
        };
        EXPECT_TRUE(waitFor([&] {
            return Appearance::isDark() && view().palette().color(QPalette::Window).lightnessF() < 0.5
                && status->palette().color(QPalette::PlaceholderText) == expected();
        })) << status->palette().color(QPalette::PlaceholderText).name().toStdString();
    }
}

TEST_F(SettingsViewTest, theSiteLinkReadsInTheDarkLookItSwitchesTo)
{
    Appearance::apply(Appearance::Mode::Light); // whose link colour is too dark for the dark look
    QLabel *site = control<QLabel>("siteLink");
    Appearance::apply(Appearance::Mode::Dark);
    const QColor window = Appearance::paletteOf(Appearance::Mode::Dark).color(QPalette::Window);
    ASSERT_TRUE(waitFor([&] { return site->palette().color(QPalette::Window) == window; }));
    EXPECT_GE(strongestContrast(site->grab().toImage(), window), 4.5);
}

// --- actions ---------------------------------------------------------------------

TEST_F(SettingsViewTest, clearAllAsksFirstAndThenRemovesPinnedEntriesToo)
{
    ClipboardItem pinned
        = ClipboardItem::create(ContentType::Text, QByteArrayLiteral("p"), QStringLiteral("p"));
    pinned.isPinned = true;
    store->insert(pinned);
    store->insert(ClipboardItem::create(ContentType::Text, QByteArrayLiteral("x"), QStringLiteral("x")));
    ASSERT_TRUE(store->save());

    alerts.answers = { 1, 0 }; // "Cancel", then "Clear All"
    control<QPushButton>("clearAllHistory")->click();
    ASSERT_EQ(alerts.shown.size(), 1);
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Clear all clipboard history?"));
    EXPECT_EQ(alerts.shown[0].informativeText,
        QStringLiteral(
            "This will permanently delete all clipboard history. Pinned items will also be removed."));
    EXPECT_EQ(
        alerts.shown[0].buttons, (QStringList { QStringLiteral("Clear All"), QStringLiteral("Cancel") }));
    EXPECT_EQ(alerts.shown[0].defaultButton, 1); // a reflexive Return keeps the history
    EXPECT_EQ(alerts.shown[0].cancelButton, 1);
    EXPECT_EQ(store->fetchAll().value().size(), 2);

    control<QPushButton>("clearAllHistory")->click();
    EXPECT_TRUE(store->fetchAll().value().isEmpty());
}

TEST_F(SettingsViewTest, theChosenFolderBecomesTheVaultAndItsPathIsShown)
{
    QLabel *path = control<QLabel>("vaultPath");
    EXPECT_EQ(path->text(), QStringLiteral("No folder selected"));
    control<QPushButton>("changeVault")->click();
    ASSERT_EQ(chooser.requests.size(), 1);
    EXPECT_EQ(chooser.requests[0].prompt, QStringLiteral("Choose"));
    EXPECT_EQ(chooser.requests[0].message, QStringLiteral("Select your notes folder"));
    chooser.answer(std::nullopt); // Cancel
    runEventsFor(std::chrono::milliseconds(20));
    EXPECT_EQ(path->text(), QStringLiteral("No folder selected"));

    const QUrl vault = makeFolder(QStringLiteral("My Notes"));
    control<QPushButton>("changeVault")->click();
    chooser.answer(vault);
    ASSERT_TRUE(waitFor([&] { return path->text() == vault.toLocalFile(); }));
    EXPECT_EQ(state.notesManager().vaultURL(), vault);
    // Asked again, the chooser opens at the vault.
    control<QPushButton>("changeVault")->click();
    EXPECT_EQ(chooser.requests.last().startFolder, vault.toLocalFile());
}

TEST_F(SettingsViewTest, theGestureToggleIsOfferedOnlyWhenTrustedAsOfTheLastOpening)
{
    trusted = false;
    EXPECT_FALSE(control<QCheckBox>("gestureToggle")->isVisible());
    EXPECT_TRUE(control<QWidget>("gesturePermission")->isVisible());
    trusted = true;
    EXPECT_FALSE(control<QCheckBox>("gestureToggle")->isVisible());
    reopen();
    EXPECT_TRUE(control<QCheckBox>("gestureToggle")->isVisible());
    EXPECT_FALSE(control<QWidget>("gesturePermission")->isVisible());
}

TEST_F(SettingsViewTest, aManualUpdateCheckThatFailsSaysSo)
{
    control<QPushButton>("checkForUpdates")->click(); // no updater yet: nothing
    EXPECT_TRUE(alerts.shown.isEmpty());

    QNetworkAccessManager network;
    Updater updater(network, QStringLiteral("0.1.0"));
    updater.feedUrlString = [] { return QStringLiteral("http://127.0.0.1:9/appcast.xml"); };
    state.setUpdater(&updater);
    control<QPushButton>("checkForUpdates")->click();
    ASSERT_TRUE(waitFor([&] { return !alerts.shown.isEmpty(); }));
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("Update check failed"));
    state.setUpdater(nullptr);
}

TEST_F(SettingsViewTest, aNewerReleaseIsReportedOnceItsPageIsOpen)
{
    QTcpServer silent; // takes the check's request and never answers it
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    QNetworkAccessManager network;
    Updater updater(network, QStringLiteral("0.1.0"));
    updater.feedUrlString
        = [&] { return QStringLiteral("http://127.0.0.1:%1/appcast.xml").arg(silent.serverPort()); };
    QList<QUrl> opened;
    updater.openDownloadPage = [&](const QUrl &page) { opened.append(page); };
    state.setUpdater(&updater);
    QList<QUrl> openedWhenShown;
    alerts.onRun = [&] { openedWhenShown = opened; };
    control<QPushButton>("checkForUpdates")->click();

    // What the updater does when its check finds a newer release.
    AppcastItem item;
    item.displayVersion = QStringLiteral("9.0");
    item.downloadPage = QUrl(QStringLiteral("https://quorvane.app/download"));
    Q_EMIT updater.didFindValidUpdate(item);
    updater.openDownloadPage(item.downloadPage);

    ASSERT_TRUE(waitFor([&] { return !alerts.shown.isEmpty(); }));
    EXPECT_EQ(alerts.shown[0].message, QStringLiteral("A new version of Quorvane is available"));
    EXPECT_EQ(openedWhenShown, QList<QUrl> { item.downloadPage });
    state.setUpdater(nullptr);
}

// --- the feedback draft -------------------------------------------------------------

TEST_F(SettingsViewTest, theFeedbackDraftKeepsAVaultPathWhole)
{
    EXPECT_TRUE(view().feedbackUrl().toEncoded().endsWith("Vault%3A%20Not%20configured"));

    const QUrl vault = makeFolder(QStringLiteral("a&b=c+d #e"));
    ASSERT_FALSE(state.setVault(vault));
    control<QPushButton>("sendFeedback")->click();
    ASSERT_EQ(workspace.opened.size(), 1);
    const QUrl draft = workspace.opened[0];
    EXPECT_EQ(draft.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(draft.path(), QStringLiteral("support@quorvane.app"));
    EXPECT_TRUE(draft.fragment().isEmpty());

    const QByteArray query = draft.query(QUrl::FullyEncoded).toLatin1();
    const QList<QByteArray> items = query.split('&');
    ASSERT_EQ(items.size(), 2) << query.constData();
    EXPECT_EQ(QUrl::fromPercentEncoding(items[0]),
        QStringLiteral("subject=Quorvane Feedback (v%1)").arg(SettingsView::version()));
    const QString body = QUrl::fromPercentEncoding(items[1].mid(int(qstrlen("body="))));
    EXPECT_TRUE(body.startsWith(QStringLiteral("\n---\nApp: Quorvane "))) << body.toStdString();
    EXPECT_TRUE(body.contains(QStringLiteral("\nAccessibility: Granted\nGesture: Enabled\n")));
    EXPECT_TRUE(body.endsWith(QStringLiteral("\nVault: ") + vault.toLocalFile())) << body.toStdString();
    for (const char *raw : { "+", "#", " " })
        EXPECT_FALSE(items[1].contains(raw)) << raw;
}

} // namespace

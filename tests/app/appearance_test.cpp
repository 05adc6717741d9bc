#include "app/appearance.h"
#include "app/appstate.h"
#include "app/quorvcontentview.h"
#include "clipboard/clipboardmanager.h"
#include "notes/noteeditorview.h"
#include "notes/notespaneview.h"
#include "tests/app/fakesystem.h"
#include "ui/panelstyle.h"

#include "tests/support/contrast.h"
#include "tests/support/waitfor.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <gtest/gtest.h>

namespace {

TEST(Appearance, onlyDarkAndLightOverrideTheSystem)
{
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("dark")), Appearance::Mode::Dark);
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("light")), Appearance::Mode::Light);
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("system")), Appearance::Mode::System);
    EXPECT_EQ(Appearance::modeFor(QStringLiteral("Dark")), Appearance::Mode::System);
    EXPECT_EQ(Appearance::modeFor(QString()), Appearance::Mode::System);
}

TEST(Appearance, systemRestoresThePaletteTheDesktopGave)
{
    Appearance::apply(Appearance::Mode::System);
    const bool systemIsDark = Appearance::isDark();
    Appearance::apply(Appearance::Mode::Dark);
    EXPECT_TRUE(Appearance::isDark());
    Appearance::apply(Appearance::Mode::Light);
    EXPECT_FALSE(Appearance::isDark());
    Appearance::apply(Appearance::Mode::System);
    EXPECT_EQ(Appearance::isDark(), systemIsDark);
}

// What the chrome draws with, in each look: text reads at 4.5:1, and edges and
// icons that carry meaning at 3:1 (WCAG AA).
struct ContrastCase
{
    const char *name;
    QColor (*foreground)(const QPalette &);
    QPalette::ColorRole background;
    double minimum;
};

void PrintTo(const ContrastCase &c, std::ostream *out)
{
    *out << c.name;
}

QColor role(const QPalette &palette, QPalette::ColorRole role)
{
    return palette.color(QPalette::Active, role);
}

constexpr double text = 4.5;
constexpr double graphic = 3.0;

const ContrastCase contrastCases[] = {
    { "windowText", [](const QPalette &p) { return role(p, QPalette::WindowText); }, QPalette::Window, text },
    { "fieldText", [](const QPalette &p) { return role(p, QPalette::Text); }, QPalette::Base, text },
    { "secondaryText", [](const QPalette &p) { return PanelStyle::secondary(p); }, QPalette::Window, text },
    { "tertiaryText", [](const QPalette &p) { return PanelStyle::tertiary(p); }, QPalette::Window, text },
    { "formNote", [](const QPalette &p) { return role(p, QPalette::PlaceholderText); }, QPalette::Window,
        text },
    { "placeholder", [](const QPalette &p) { return role(p, QPalette::PlaceholderText); }, QPalette::Base,
        text },
    { "linkOnWindow", [](const QPalette &p) { return role(p, QPalette::Link); }, QPalette::Window, text },
    { "linkOnField", [](const QPalette &p) { return role(p, QPalette::Link); }, QPalette::Base, text },
    { "buttonText", [](const QPalette &p) { return role(p, QPalette::ButtonText); }, QPalette::Button, text },
    { "selectedText", [](const QPalette &p) { return role(p, QPalette::HighlightedText); },
        QPalette::Highlight, text },
    { "destructiveOnWindow", [](const QPalette &p) { return PanelStyle::destructive(p); }, QPalette::Window,
        text },
    { "destructiveButton", [](const QPalette &p) { return PanelStyle::destructive(p); }, QPalette::Button,
        text },
    { "accent", [](const QPalette &p) { return role(p, QPalette::Highlight); }, QPalette::Window, graphic },
    { "controlOutline", [](const QPalette &p) { return PanelStyle::controlOutline(p); }, QPalette::Window,
        graphic },
    { "controlOutlineOnField", [](const QPalette &p) { return PanelStyle::controlOutline(p); },
        QPalette::Base, graphic },
};

class ChromeContrast : public ::testing::TestWithParam<ContrastCase>
{
};

TEST_P(ChromeContrast, readsInBothLooks)
{
    const ContrastCase &c = GetParam();
    for (const auto mode : { Appearance::Mode::Light, Appearance::Mode::Dark }) {
        SCOPED_TRACE(mode == Appearance::Mode::Dark ? "dark" : "light");
        const QPalette palette = Appearance::paletteOf(mode);
        const QColor background = role(palette, c.background);
        EXPECT_GE(contrastRatio(over(c.foreground(palette), background), background), c.minimum);
    }
}

INSTANTIATE_TEST_SUITE_P(Appearance, ChromeContrast, ::testing::ValuesIn(contrastCases),
    [](const auto &info) { return info.param.name; });

// The program launched in a look, its panel down, with a note open in the notes pane.
class LaunchedPanel : public FakeSystem
{
public:
    explicit LaunchedPanel(const QString &look)
    {
        defaults.setString(QStringLiteral("appearanceMode"), look);
        delegate = makeDelegate();
        EXPECT_EQ(delegate->applicationDidFinishLaunching(), AppDelegate::LaunchResult::Launched);
        QDir(dir.path()).mkpath(QStringLiteral("vault"));
        writeNote("note\n");
        EXPECT_FALSE(state().setVault(QUrl::fromLocalFile(dir.filePath(QStringLiteral("vault")))));
        delegate->panelController()->showFrom(nullptr);
        finishAnimation(*delegate->panelController());
        state().setSelectedNoteURL(QUrl::fromLocalFile(notePath()));
        processEvents();
    }
    ~LaunchedPanel() { delegate->applicationWillTerminate(); }

    AppState &state() { return *delegate->appState(); }
    NotesPaneView &notes() { return *delegate->contentView()->findChild<NotesPaneView *>(); }
    QString notePath() const { return dir.filePath(QStringLiteral("vault/note.md")); }
    // Another program's write, dated well away from the program's own.
    void writeNote(const QByteArray &bytes)
    {
        QFile file(notePath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        ASSERT_TRUE(
            file.setFileTime(QDateTime::currentDateTime().addSecs(-300), QFileDevice::FileModificationTime));
    }
    void typeIntoNote()
    {
        notes().toggleEditing();
        notes().editor()->insertPlainText(QStringLiteral("typed"));
    }
    // What `name` shows on screen; a null image while it is not shown.
    QImage shown(const char *name)
    {
        processEvents();
        auto *widget = delegate->contentView()->findChild<QWidget *>(QLatin1String(name));
        return widget && widget->isVisible() ? widget->grab().toImage() : QImage();
    }

    std::unique_ptr<AppDelegate> delegate;
};

struct LiveSwitchCase
{
    const char *name;
    const char *view; // its object name
    void (*raise)(LaunchedPanel &);
};

void PrintTo(const LiveSwitchCase &c, std::ostream *out)
{
    *out << c.name;
}

const LiveSwitchCase liveSwitchCases[] = {
    { "modifiedBanner", "modifiedBanner",
        [](LaunchedPanel &panel) {
            panel.typeIntoNote();
            panel.writeNote("changed elsewhere\n");
            panel.notes().refreshFileStatus();
        } },
    { "deletedBanner", "deletedBanner",
        [](LaunchedPanel &panel) {
            panel.typeIntoNote();
            QFile::remove(panel.notePath());
            panel.notes().refreshFileStatus();
        } },
    { "savedAsNewBanner", "noticeBanner",
        [](LaunchedPanel &panel) {
            panel.typeIntoNote();
            QFile::remove(panel.notePath());
            panel.notes().refreshFileStatus();
            panel.notes().saveAsNew();
        } },
    { "sensitiveBanner", "sensitiveBanner",
        [](LaunchedPanel &panel) {
            panel.pasteboard.offerText(QStringLiteral("an entry"));
            panel.state().clipboardManager().checkPasteboard();
            ASSERT_TRUE(waitFor([&] { return !panel.state().clipboardManager().isCaptureInFlight(); }));
            panel.state().setLastItemWasSensitive(true);
        } },
};

class LiveSwitch : public ::testing::TestWithParam<LiveSwitchCase>
{
protected:
    ~LiveSwitch() override { Appearance::apply(Appearance::Mode::System); }
};

// Switched to a look while it is up, a view shows what it shows when made in that look.
TEST_P(LiveSwitch, showsTheNewLookAtOnce)
{
    const LiveSwitchCase &c = GetParam();
    for (const auto &[from, to] : { std::pair("light", "dark"), std::pair("dark", "light") }) {
        SCOPED_TRACE(to);
        QImage madeInIt;
        {
            LaunchedPanel panel { QLatin1String(to) };
            c.raise(panel);
            madeInIt = panel.shown(c.view);
        }
        ASSERT_FALSE(madeInIt.isNull());
        LaunchedPanel panel { QLatin1String(from) };
        c.raise(panel);
        ASSERT_FALSE(panel.shown(c.view).isNull());
        Appearance::apply(Appearance::modeFor(QLatin1String(to)));
        EXPECT_TRUE(waitFor([&] { return panel.shown(c.view) == madeInIt; }));
    }
}

INSTANTIATE_TEST_SUITE_P(Appearance, LiveSwitch, ::testing::ValuesIn(liveSwitchCases),
    [](const auto &info) { return info.param.name; });

} // namespace

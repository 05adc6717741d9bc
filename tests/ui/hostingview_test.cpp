#include "ui/hostingview.h"
#include "ui/layout.h"
#include "ui/text.h"

#include "tests/support/waitfor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <thread>

using namespace ui;

namespace {

void click(QWidget *widget, QPoint at)
{
    const QPointF global = widget->mapToGlobal(QPointF(at));
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), global, Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), global, Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(widget, &release);
}

} // namespace

TEST(HostingView, routesAClickToTheButtonUnderThePointerAtItsScrolledPosition)
{
    int clicks = 0;
    std::vector<View> rows;
    for (int i = 0; i < 20; ++i)
        rows.push_back(View(Color::gray()).frame(std::nullopt, 50));
    rows.push_back(Button(View(Color::red()).frame(100, 40), [&clicks] { ++clicks; }).tag("button"));
    HostingView host;
    host.resize(300, 200);
    host.setRootView(VStack(HorizontalAlignment::Leading, 0, rows));
    host.show();
    host.flush();
    EXPECT_EQ(host.tree().frameOfTag(QStringLiteral("button")), QRectF(0, 1000, 100, 40));
    EXPECT_EQ(host.tree().width(), host.viewport()->width());

    QScrollBar *bar = host.verticalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), 800);
    const int y = 1020 - bar->value();
    click(host.viewport(), QPoint(50, y));
    EXPECT_EQ(clicks, 1);
    click(host.viewport(), QPoint(200, y));
    EXPECT_EQ(clicks, 1) << "beside the button";
}

TEST(HostingView, aButtonLabelledWithTextInSelectableTextStillTakesTheClick)
{
    int clicks = 0;
    HostingView host;
    host.resize(300, 200);
    host.setRootView(VStack({ Text(QStringLiteral("Selectable")).view().tag("text"),
                                Button(Text(QStringLiteral("Open")), [&clicks] { ++clicks; }).tag("button") })
                         .textSelection(true));
    host.show();
    host.flush();
    click(host.viewport(), host.tree().frameOfTag(QStringLiteral("button")).center().toPoint());
    EXPECT_EQ(clicks, 1);
    // The text beside it stays selectable.
    EXPECT_TRUE(host.tree().findByTag(QStringLiteral("text"))->acceptsFocus());
}

TEST(HostingView, aStateWriteFromAsynchronousWorkRebuildsOnTheNextTurn)
{
    HostingView host;
    host.resize(300, 200);
    host.setRootView(withState<double>(10, [](State<double> height) {
        return View(Color::red())
            .frame(std::nullopt, *height)
            .tag("bar")
            .task(1, [height](TaskHandle handle) {
                QTimer::singleShot(0, [height, handle] {
                    if (!handle.isCancelled())
                        height.set(500);
                });
            });
    }));
    host.show();
    host.flush();
    EXPECT_EQ(host.tree().frameOfTag(QStringLiteral("bar")).height(), 10);
    EXPECT_TRUE(waitFor([&] { return host.tree().frameOfTag(QStringLiteral("bar")).height() == 500; }));
    EXPECT_GT(host.verticalScrollBar()->maximum(), 0);
}

TEST(HostingView, aWidthChangeRelaysOutWithoutResolving)
{
    HostingView host;
    host.resize(300, 200);
    host.setRootView(VStack({ View(Color::red()).frame(std::nullopt, 10).tag("bar") }));
    host.show();
    host.flush();
    Element *before = host.tree().findByTag(QStringLiteral("bar"));
    host.resize(500, 200);
    QApplication::processEvents();
    EXPECT_EQ(host.tree().findByTag(QStringLiteral("bar")), before);
    EXPECT_EQ(host.tree().frameOfTag(QStringLiteral("bar")).width(), host.viewport()->width());
}

TEST(HostingView, aHeightChangeMovesTheEndOfTheScrollRange)
{
    HostingView host;
    host.resize(300, 200);
    // A steady scroll bar keeps the width still: only the height changes.
    host.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    host.setRootView(View(Color::red()).frame(std::nullopt, 1000));
    host.show();
    host.flush();
    const int before = host.verticalScrollBar()->maximum();
    EXPECT_EQ(before, 1000 - host.viewport()->height());
    host.resize(300, 400);
    QApplication::processEvents();
    EXPECT_EQ(host.verticalScrollBar()->maximum(), 1000 - host.viewport()->height());
    EXPECT_LT(host.verticalScrollBar()->maximum(), before);
}

TEST(HostingView, aSelectableTextClaimsCopyBeforeAnyWindowShortcut)
{
    HostingView host;
    host.resize(300, 200);
    host.setRootView(Text(QStringLiteral("copy me")).view().fixedSize().textSelection(true).tag("t"));
    host.show();
    host.flush();
    auto overrideAccepted = [&host](QKeySequence::StandardKey key) {
        const QKeyCombination combination = QKeySequence(key)[0];
        QKeyEvent event(QEvent::ShortcutOverride, combination.key(), combination.keyboardModifiers());
        event.ignore();
        QApplication::sendEvent(&host, &event);
        return event.isAccepted();
    };
    EXPECT_FALSE(overrideAccepted(QKeySequence::Copy)) << "no text has the keys yet";

    const QPointF centre = host.tree().frameOfTag(QStringLiteral("t")).center();
    QMouseEvent press(QEvent::MouseButtonPress, centre, host.viewport()->mapToGlobal(centre), Qt::LeftButton,
        Qt::LeftButton, {});
    QApplication::sendEvent(host.viewport(), &press);
    EXPECT_TRUE(overrideAccepted(QKeySequence::Copy));
    EXPECT_TRUE(overrideAccepted(QKeySequence::SelectAll));
    EXPECT_FALSE(overrideAccepted(QKeySequence::Paste));

    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    QApplication::sendEvent(&host, &selectAll);
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    QApplication::sendEvent(&host, &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copy me"));
}

TEST(HostingView, aStateWriteElsewhereKeepsTheSelectionAndForgetsOnlyWhatItReplaced)
{
    State<double> height;
    int clicks = 0;
    HostingView host;
    host.resize(300, 300);
    host.setRootView(VStack({ Text(QStringLiteral("copy me")).view().fixedSize().textSelection(true).tag("t"),
        withState<double>(10, [&](State<double> state) {
            height = state;
            return Button(View(Color::red()).frame(100, *state), [&clicks] { ++clicks; }).tag("button");
        }) }));
    host.show();
    host.flush();
    auto send = [&host](QEvent::Type type, QPointF at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, host.viewport()->mapToGlobal(at), Qt::LeftButton, buttons, {});
        QApplication::sendEvent(host.viewport(), &event);
    };
    const QPointF text = host.tree().frameOfTag(QStringLiteral("t")).center();
    send(QEvent::MouseButtonPress, text, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, text, Qt::NoButton);
    QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, QStringLiteral("a"));
    QApplication::sendEvent(&host, &selectAll);

    height.set(40);
    host.flush();
    QGuiApplication::clipboard()->clear();
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, QStringLiteral("c"));
    QApplication::sendEvent(&host, &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("copy me"))
        << "the text kept its selection";

    // Pressed on the button, which the write then builds anew: the release reaches
    // nothing rather than an element that is gone.
    const QPointF button = host.tree().frameOfTag(QStringLiteral("button")).center();
    send(QEvent::MouseButtonPress, button, Qt::LeftButton);
    height.set(60);
    host.flush();
    send(QEvent::MouseButtonRelease, button, Qt::NoButton);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(host.tree().frameOfTag(QStringLiteral("button")).height(), 60);
}

// ---- A tree made on another thread --------------------------------------------

struct AdoptCase
{
    const char *name;
    double contentHeight; // of the new tree, before its task adds to it
    bool paletteChangesMeanwhile;
};

void PrintTo(const AdoptCase &row, std::ostream *out)
{
    *out << row.name;
}

class AdoptTree : public ::testing::TestWithParam<AdoptCase>
{
};

TEST_P(AdoptTree, showsATreeMadeOnAnotherThreadAsIfItWereMadeHere)
{
    const AdoptCase &row = GetParam();
    HostingView host;
    host.resize(300, 200);
    State<int> oldState;
    host.setRootView(withState<int>(0, [&oldState](State<int> state) {
        return View(Color::blue()).frame(std::nullopt, 10).tag("old").task(1, [&oldState, state](TaskHandle) {
            oldState = state;
        });
    }));
    host.show();
    host.flush();

    int started = 0;
    auto tree = std::make_unique<ViewTree>(withState<double>(row.contentHeight,
                                               [&started](State<double> height) {
                                                   return View(Color::red())
                                                       .frame(std::nullopt, *height)
                                                       .tag("new")
                                                       .task(1, [&started, height](TaskHandle) {
                                                           ++started;
                                                           height.set(*height + 5);
                                                       });
                                               }),
        host.treeEnvironment());
    tree->store().holdTasks();
    const quint64 revision = host.environmentRevision();
    const double width = host.viewportWidth(host.scrolls(row.contentHeight));
    std::thread([&tree, width] { tree->rebuild(width); }).join();
    EXPECT_EQ(started, 0) << "its work waits until it is shown";

    if (row.paletteChangesMeanwhile) {
        QPalette dark = host.palette();
        dark.setColor(QPalette::Window, Qt::black);
        host.setPalette(dark);
    }
    std::unique_ptr<ViewTree> old = host.adoptTree(std::move(tree), revision);
    EXPECT_EQ(started, 1);
    EXPECT_EQ(old->findByTag(QStringLiteral("new")), nullptr);
    ASSERT_NE(old->findByTag(QStringLiteral("old")), nullptr);
    // Late work of the old tree reaches nothing.
    oldState.set(1);
    EXPECT_FALSE(old->needsRebuild());
    old.reset();

    ASSERT_TRUE(waitFor([&] {
        return host.tree().frameOfTag(QStringLiteral("new")).height() == row.contentHeight + 5
            && host.tree().width() == host.viewport()->width();
    }));
    EXPECT_EQ(host.tree().frameOfTag(QStringLiteral("new")).width(), host.viewport()->width());
    EXPECT_EQ(host.tree().environment().get<ColorSchemeKey>(),
        row.paletteChangesMeanwhile ? ColorScheme::Dark : ColorScheme::Light);
    EXPECT_EQ(host.verticalScrollBar()->maximum(),
        std::max(0, int(row.contentHeight + 5) - host.viewport()->height()));
}

INSTANTIATE_TEST_SUITE_P(HostingView, AdoptTree,
    ::testing::Values(AdoptCase { "fits", 100, false }, AdoptCase { "scrolls", 1000, false },
        AdoptCase { "paletteChanged", 1000, true }),
    [](const auto &info) { return std::string(info.param.name); });

// ---- An appearance change ---------------------------------------------------

// What changes the look: the palette turns dark, or the user's text size doubles: by
// the application's font (the desktop's), by the dots per inch of the host's screen, or
// by the window moving to a screen of twice the dots per inch.
enum class Change { Palette, TextSize, DotsPerInch, Screen };

struct AppearanceCase
{
    const char *name;
    std::optional<bool> ownerMakesTheTree; // absent: no handler
    Change change = Change::Palette;
};

void makeChange(Change change, HostingView &host)
{
    if (change == Change::Palette) {
        QPalette dark = host.palette();
        dark.setColor(QPalette::Window, Qt::black);
        host.setPalette(dark);
    } else if (change == Change::TextSize) {
        QFont font = QApplication::font();
        font.setPointSizeF(18);
        QApplication::setFont(font);
        // Every widget is told on the next turn of the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationFontChange);
    } else if (change == Change::DotsPerInch) {
        // What Qt says when the desktop sets other dots per inch.
        Q_EMIT host.screen()->logicalDotsPerInchChanged(2 * host.screen()->logicalDotsPerInchY());
    } else {
        const QList<QScreen *> screens = QGuiApplication::screens();
        const auto dense = std::find_if(screens.begin(), screens.end(), [&](const QScreen *screen) {
            return screen->logicalDotsPerInchY() == 2 * host.screen()->logicalDotsPerInchY();
        });
        ASSERT_NE(dense, screens.end())
            << "no screen of twice the dots per inch (tests/ui/data/screens.json)";
        host.setScreen(*dense);
    }
}

bool inTheNewLook(Change change, const EnvironmentValues &environment)
{
    return change == Change::Palette ? environment.get<ColorSchemeKey>() == ColorScheme::Dark
                                     : environment.get<TextSizeScaleKey>() == 2;
}

// The application's font as it was before the test.
struct ApplicationFontKept
{
    ~ApplicationFontKept() { QApplication::setFont(font); }
    QFont font = QApplication::font();
};

void PrintTo(const AppearanceCase &row, std::ostream *out)
{
    *out << row.name;
}

class AppearanceChange : public ::testing::TestWithParam<AppearanceCase>
{
};

TEST_P(AppearanceChange, resolvesTheTreeAgainUnlessItsOwnerMakesOne)
{
    const AppearanceCase &row = GetParam();
    const ApplicationFontKept kept;
    HostingView host;
    host.resize(300, 200);
    int asked = 0;
    if (row.ownerMakesTheTree) {
        host.setAppearanceChangeHandler([&] {
            ++asked;
            return *row.ownerMakesTheTree;
        });
    }
    int resolved = 0;
    host.setRootView(EnvironmentReader([&resolved](const EnvironmentValues &) {
        ++resolved;
        return View(Color::blue()).frame(std::nullopt, 10);
    }));
    host.show();
    host.flush();
    ASSERT_EQ(resolved, 1);

    makeChange(row.change, host);
    host.flush();
    EXPECT_EQ(asked, row.ownerMakesTheTree ? 1 : 0);
    EXPECT_TRUE(inTheNewLook(row.change, host.treeEnvironment()));
    const bool left = row.ownerMakesTheTree.value_or(false);
    EXPECT_EQ(host.showsCurrentEnvironment(), !left);
    EXPECT_EQ(inTheNewLook(row.change, host.tree().environment()), !left);
    EXPECT_EQ(resolved, left ? 1 : 2) << "resolved again only when the host makes it";

    if (left) {
        // The owner's tree, made for the new look, is shown as it is.
        auto made = std::make_unique<ViewTree>(View(Color::red()).tag("made"), host.treeEnvironment());
        made->rebuild(host.viewportWidth(false));
        host.adoptTree(std::move(made), host.environmentRevision());
        host.flush();
        EXPECT_NE(host.tree().findByTag(QStringLiteral("made")), nullptr);
        EXPECT_EQ(resolved, 1);
        EXPECT_TRUE(host.showsCurrentEnvironment());
        EXPECT_TRUE(inTheNewLook(row.change, host.tree().environment()));
    }
}

TEST(AppearanceChange, aNewRootViewTakesTheLookAnOwnerLeftBehind)
{
    HostingView host;
    host.setAppearanceChangeHandler([] { return true; });
    host.setRootView(View(Color::blue()));
    host.flush();
    QPalette dark = host.palette();
    dark.setColor(QPalette::Window, Qt::black);
    host.setPalette(dark);
    host.setRootView(View(Color::red()));
    host.flush();
    EXPECT_TRUE(host.showsCurrentEnvironment());
    EXPECT_EQ(host.tree().environment().get<ColorSchemeKey>(), ColorScheme::Dark);
}

INSTANTIATE_TEST_SUITE_P(HostingView, AppearanceChange,
    ::testing::Values(AppearanceCase { "noOwner", std::nullopt }, AppearanceCase { "ownerDeclines", false },
        AppearanceCase { "ownerMakesIt", true },
        AppearanceCase { "textSizeNoOwner", std::nullopt, Change::TextSize },
        AppearanceCase { "dotsPerInchNoOwner", std::nullopt, Change::DotsPerInch },
        AppearanceCase { "screenNoOwner", std::nullopt, Change::Screen }),
    [](const auto &info) { return std::string(info.param.name); });

// Freeing a long note's elements takes as long as a short note's first frame: the
// elements a new root replaces wait until the new ones have been painted, and never
// pile up while nothing is painted.
TEST(HostingView, freesTheElementsANewRootReplacedOnceTheNewOnesArePainted)
{
    HostingView host;
    host.resize(300, 200);
    host.show();
    // Shows a root whose elements hold a token: it expires when they are freed.
    auto showHolding = [&host] {
        auto token = std::make_shared<int>(0);
        host.setRootView(
            withState<int>(0, [token](State<int>) { return Text(QStringLiteral("note")).view(); }));
        host.flush();
        return std::weak_ptr<int>(token);
    };
    auto showPlain = [&host] {
        host.setRootView(Text(QStringLiteral("plain")).view());
        host.flush();
    };
    const std::weak_ptr<int> first = showHolding();
    showPlain();
    EXPECT_FALSE(first.expired()) << "freed before the new root was painted";
    host.viewport()->repaint();
    EXPECT_TRUE(waitFor([&] { return first.expired(); }));

    // Replaced again and again without a frame: only the last replaced one waits.
    const std::weak_ptr<int> second = showHolding();
    const std::weak_ptr<int> third = showHolding();
    showPlain();
    EXPECT_TRUE(second.expired());
    EXPECT_FALSE(third.expired());
    host.hide();
    EXPECT_TRUE(third.expired()) << "kept while hidden";
}

#include "ui/layout.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QList>

using namespace ui;

namespace {

struct NamesPreference
{
    using Value = QStringList;
    static Value defaultValue() { return {}; }
    static void reduce(Value &value, const Value &next) { value += next; }
};

struct MaxPreference
{
    using Value = double;
    static Value defaultValue() { return 0; }
    static void reduce(Value &value, const Value &next) { value = std::max(value, next); }
};

struct LevelKey
{
    using Value = int;
    static Value defaultValue() { return 0; }
};

View named(const QString &name)
{
    return View(Color::red()).frame(10, 10).preference<NamesPreference>({ name });
}

View levelProbe(const char *tag)
{
    return EnvironmentReader([tag](const EnvironmentValues &env) {
        return View(Color::red()).frame(double(env.get<LevelKey>()), 1).tag(QString::fromLatin1(tag));
    });
}

} // namespace

TEST(Preferences, reduceInTreeOrderAndAreReadByAnAncestor)
{
    QStringList seen;
    View view = VStack({ named("a"), HStack({ named("b"), named("c") }), named("d").background(named("e")) })
                    .overlayPreferenceValue<NamesPreference>([&seen](const QStringList &names) {
                        seen = names;
                        return EmptyView();
                    });
    ViewTree tree(view);
    tree.rebuild(100);
    EXPECT_EQ(seen, QStringList({ "a", "b", "c", "d", "e" }));
    EXPECT_EQ(tree.root()->preferences().get<NamesPreference>(), seen);
}

TEST(Preferences, transformRaisesTheCollectedValueAndAbsentKeysKeepTheDefault)
{
    View view = VStack(
        { View(Color::red()).preference<MaxPreference>(12), View(Color::red()).preference<MaxPreference>(4) })
                    .transformPreference<MaxPreference>([](double &value) { value = std::max(value, 8.0); });
    ViewTree tree(view);
    tree.rebuild(100);
    EXPECT_EQ(tree.root()->preferences().get<MaxPreference>(), 12);
    EXPECT_FALSE(tree.root()->preferences().contains<NamesPreference>());
    EXPECT_TRUE(tree.root()->preferences().get<NamesPreference>().isEmpty());
}

TEST(Preferences, siblingsDoNotShareAValueWrittenAfterMerging)
{
    // Both children start from the same shared value; raising one must not raise the other.
    View shared = View(Color::red()).preference<MaxPreference>(5);
    View view = VStack({ shared.transformPreference<MaxPreference>([](double &v) { v = 50; }).tag("raised"),
        shared.tag("plain") });
    ViewTree tree(view);
    tree.rebuild(100);
    EXPECT_EQ(tree.findByTag(QStringLiteral("raised"))->preferences().get<MaxPreference>(), 50);
    EXPECT_EQ(tree.findByTag(QStringLiteral("plain"))->preferences().get<MaxPreference>(), 5);
}

TEST(Environment, aValueIsOverriddenOnlyBelowItsModifier)
{
    View view = VStack(HorizontalAlignment::Leading, 0,
        { levelProbe("before"),
            VStack({ levelProbe("inside"),
                       levelProbe("deeper").transformEnvironment<LevelKey>([](int &level) { level += 1; }) })
                .environment<LevelKey>(20),
            levelProbe("after") });
    ViewTree tree(view);
    tree.rebuild(100);
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("before")).width(), 0);
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("inside")).width(), 20);
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("deeper")).width(), 21);
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("after")).width(), 0);
}

TEST(State, isKeptAcrossRebuildsByIdentityAndDroppedWithItsView)
{
    State<int> captured;
    bool show = true;
    View counter = withState<int>(1, [&captured](State<int> state) {
        captured = state;
        return View(Color::red()).frame(double(*state), 1).tag("counter");
    });
    ViewTree tree(EnvironmentReader(
        [&](const EnvironmentValues &) { return VStack({ show ? counter : EmptyView() }); }));
    bool rebuildAsked = false;
    tree.setNeedsRebuildHandler([&] { rebuildAsked = true; });
    tree.rebuild(100);
    captured.set(7);
    EXPECT_TRUE(rebuildAsked);
    tree.rebuild();
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("counter")).width(), 7);

    show = false;
    tree.rebuild();
    show = true;
    tree.rebuild();
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("counter")).width(), 1)
        << "a view that left the tree starts afresh";
}

TEST(State, explicitIdentityFollowsAnItemThatMoves)
{
    QList<int> order { 1, 2 };
    std::map<int, State<int>> states;
    ViewTree tree(EnvironmentReader([&](const EnvironmentValues &) {
        std::vector<View> rows;
        for (int id : order)
            rows.push_back(withState<int>(id * 10, [id, &states](State<int> state) {
                states[id] = state;
                return View(Color::red()).frame(double(*state), 1).tag(id);
            }).id(id));
        return VStack(rows);
    }));
    tree.rebuild(100);
    states[2].set(99);
    order = { 2, 1 };
    tree.rebuild();
    EXPECT_EQ(tree.frameOfTag(2).width(), 99);
    EXPECT_EQ(tree.frameOfTag(2).y(), 0);
    EXPECT_EQ(tree.frameOfTag(1).width(), 10);
}

TEST(Tasks, startOnceRestartWhenTheirIdChangesAndCancelWhenTheViewGoes)
{
    int starts = 0;
    std::vector<TaskHandle> handles;
    QVariant id = 1;
    bool show = true;
    ViewTree tree(EnvironmentReader([&](const EnvironmentValues &) {
        return show ? View(Color::red())
                          .task(id,
                              [&](TaskHandle handle) {
                                  ++starts;
                                  handles.push_back(handle);
                              })
                    : EmptyView();
    }));
    tree.rebuild(100);
    tree.rebuild();
    EXPECT_EQ(starts, 1);
    id = 2;
    tree.rebuild();
    EXPECT_EQ(starts, 2);
    EXPECT_TRUE(handles[0].isCancelled());
    EXPECT_FALSE(handles[1].isCancelled());
    show = false;
    tree.rebuild();
    EXPECT_TRUE(handles[1].isCancelled());
}

TEST(GeometryReader, anchorsResolveToPlacedBoundsInTheReadersSpace)
{
    struct AnchorPreference
    {
        using Value = QList<Anchor>;
        static Value defaultValue() { return {}; }
        static void reduce(Value &value, const Value &next) { value += next; }
    };
    QList<QRectF> resolved;
    View view = VStack(HorizontalAlignment::Leading, 4,
        { View(Color::red()).frame(30, 10).anchorPreference<AnchorPreference>([](Anchor anchor) {
             return QList<Anchor> { anchor };
         }),
            View(Color::red()).frame(20, 6).anchorPreference<AnchorPreference>([](Anchor anchor) {
                return QList<Anchor> { anchor };
            }) })
                    .padding(5)
                    .overlayPreferenceValue<AnchorPreference>([&resolved](const QList<Anchor> &anchors) {
                        return GeometryReader([&resolved, anchors](const GeometryProxy &proxy) {
                            resolved.clear();
                            for (const Anchor &anchor : anchors)
                                resolved.append(proxy[anchor]);
                            return EmptyView();
                        });
                    });
    ViewTree tree(VStack({ view }).padding(Edge::top, 100));
    tree.rebuild(300);
    ASSERT_EQ(resolved.size(), 2);
    EXPECT_EQ(resolved[0], QRectF(5, 5, 30, 10));
    EXPECT_EQ(resolved[1], QRectF(5, 19, 20, 6));
}

TEST(State, placesUnderOneViewKeepTheirOwnStateAndTasks)
{
    // Two stateful modifiers of one type at one place, and a decoration next to the
    // content's twelfth child, are separate places.
    std::vector<State<int>> outer, inner, decoration, twelfth;
    auto probe = [](std::vector<State<int>> &into, int initial) {
        return withState<int>(initial, [&into](State<int> state) {
            into.push_back(state);
            return View(Color::red()).frame(double(*state), 1);
        });
    };
    std::vector<View> rows;
    for (int i = 0; i < 12; ++i)
        rows.push_back(i == 11 ? probe(twelfth, 3) : View(Color::red()).frame(1, 1));
    View nestedStates = withState<int>(1, [&](State<int> state) {
        outer.push_back(state);
        return probe(inner, 2);
    });
    ViewTree tree(VStack({ nestedStates, VStack(rows).background(probe(decoration, 4)) }));
    tree.rebuild(100);
    EXPECT_EQ(*outer.back(), 1);
    EXPECT_EQ(*inner.back(), 2);
    EXPECT_EQ(*twelfth.back(), 3);
    EXPECT_EQ(*decoration.back(), 4);
    inner.back().set(20);
    tree.rebuild();
    EXPECT_EQ(*outer.back(), 1);
    EXPECT_EQ(*inner.back(), 20);

    int firstStarts = 0, secondStarts = 0;
    ViewTree tasks(View(Color::red()).task(1, [&](TaskHandle) { ++firstStarts; }).task(2, [&](TaskHandle) {
        ++secondStarts;
    }));
    tasks.rebuild(100);
    tasks.rebuild();
    tasks.rebuild();
    EXPECT_EQ(firstStarts, 1) << "two tasks on one view do not restart each other";
    EXPECT_EQ(secondStarts, 1);
}

namespace {
struct WidestPreference
{
    using Value = double;
    static Value defaultValue() { return 0; }
    static void reduce(Value &value, const Value &next) { value = std::max(value, next); }
};
} // namespace

TEST(Preferences, aMeasuredWidthFedBackDownSettlesWithinOneRebuild)
{
    // A column of markers as wide as the widest one, trailing-aligned: each marker
    // reports its own width, the column stores the widest and frames every marker to it.
    int changes = 0;
    const double widths[] = { 10, 14, 22 };
    View column = withState<std::optional<double>>(std::nullopt, [&](State<std::optional<double>> width) {
        std::vector<View> markers;
        for (double w : widths) {
            markers.push_back(
                View(Color::red())
                    .frame(w, 5)
                    .tag(w)
                    .idealSizePreference<WidestPreference>([](QSizeF size) { return size.width(); })
                    .frame(*width, std::nullopt, Alignment::trailing()));
        }
        return VStack(HorizontalAlignment::Leading, 0, markers)
            .onPreferenceChange<WidestPreference>([&changes, width](double widest) {
                ++changes;
                width.set(widest);
            });
    });
    ViewTree tree(column);
    bool hostAsked = false;
    tree.setNeedsRebuildHandler([&] { hostAsked = true; });
    tree.rebuild(200);
    EXPECT_EQ(tree.frameOfTag(10.0), QRectF(12, 0, 10, 5));
    EXPECT_EQ(tree.frameOfTag(14.0), QRectF(8, 5, 14, 5));
    EXPECT_EQ(tree.frameOfTag(22.0), QRectF(0, 10, 22, 5));
    EXPECT_EQ(changes, 1);
    EXPECT_FALSE(hostAsked) << "settled inside the rebuild";
    tree.rebuild();
    EXPECT_EQ(changes, 1) << "an unchanged value is not reported again";
}

TEST(GeometryReader, contentKeepsItsStateAndStartsItsTasksLikeAnyOther)
{
    std::vector<double> started;
    State<int> counter;
    ViewTree tree(GeometryReader([&](const GeometryProxy &proxy) {
        return withState<int>(1, [&](State<int> state) {
            counter = state;
            return View(Color::red()).frame(double(*state), 1).tag("probe");
        }).task(proxy.size().width(), [&started, width = proxy.size().width()](TaskHandle) {
            started.push_back(width);
        });
    }).frame(std::nullopt, 10));
    tree.rebuild(100);
    EXPECT_EQ(started, std::vector<double>({ 100 }));
    counter.set(7);
    tree.rebuild();
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("probe")).width(), 7) << "state kept across a rebuild";
    EXPECT_EQ(started.size(), 1u) << "the same task is not started again";
    tree.layout(300);
    EXPECT_EQ(started, std::vector<double>({ 100, 300 })) << "a new size starts the new task at once";
}

#include "tests/ui/layoutdump.h"
#include "ui/layout.h"
#include "ui/text.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QList>
#include <QSet>

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

// Ids of different types or values are different places, whatever their text; one
// id is one place wherever the item stands among its siblings.
TEST(State, explicitIdsAreApartByTypeAndValue)
{
    StateStore store;
    const ResolveScope container = ResolveScope(store, 7).child(3);
    const QList<QVariant> ids { QVariant(5), QVariant(5u), QVariant(qulonglong(5)), QVariant(qlonglong(5)),
        QVariant(QStringLiteral("5")), QVariant(6), QVariant(qulonglong(6)), QVariant(-5),
        QVariant(qulonglong(1) << 40), QVariant(QStringLiteral("item")) };
    QSet<quint64> identities;
    for (const QVariant &id : ids) {
        const quint64 identity = container.child(0).withExplicitId(id).identity();
        EXPECT_EQ(container.child(9).withExplicitId(id).identity(), identity) << id.toString().toStdString();
        identities.insert(identity);
    }
    EXPECT_EQ(identities.size(), ids.size());
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

namespace {

View box(double width, double height, const QVariant &tag = {})
{
    View view = View(Color::blue()).frame(width, height);
    return tag.isValid() ? view.tag(tag) : view;
}

// What a case writes to: the handles its views hand out as they are resolved.
struct Probe
{
    State<int> first;
    State<int> second;
};

View reading(State<int> Probe::*slot, Probe &probe, std::function<View(int)> body)
{
    return withState<int>(0, [slot, &probe, body](State<int> state) {
        probe.*slot = state;
        return body(*state);
    });
}

struct UpdateCase
{
    const char *name;
    std::function<View(Probe &)> make;
    std::function<void(Probe &, ViewTree &)> write;
};

void PrintTo(const UpdateCase &c, std::ostream *os)
{
    *os << c.name;
}

std::function<void(Probe &, ViewTree &)> setFirst(int value)
{
    return [value](Probe &p, ViewTree &tree) {
        p.first.set(value);
        tree.update();
    };
}

std::vector<View> paragraphs(int count)
{
    std::vector<View> views;
    for (int i = 0; i < count; ++i)
        views.push_back(box(100 + 10 * i, 12 + i % 3));
    return views;
}

const UpdateCase updateCases[] = {
    { "aBlockInTheMiddleGrows",
        [](Probe &p) {
            std::vector<View> blocks = paragraphs(5);
            blocks.push_back(
                reading(&Probe::first, p, [](int v) { return v ? box(200, 120) : box(60, 14); }));
            for (const View &view : paragraphs(5))
                blocks.push_back(view);
            return VStack(HorizontalAlignment::Leading, 4, blocks).padding();
        },
        setFirst(1) },
    { "aCellOfAGridWidens",
        [](Probe &p) {
            return Grid(
                { GridRow({ box(30, 10), reading(&Probe::first, p, [](int v) { return box(10 + v, 10); }) }),
                    GridRow({ box(50, 20), box(40, 12) }) });
        },
        setFirst(55) },
    { "theTitleOfALabelGetsLarger",
        [](Probe &p) {
            return VStack(HorizontalAlignment::Leading, 2,
                { Label(reading(&Probe::first, p,
                            [](int v) {
                                return VStack(HorizontalAlignment::Leading, 2,
                                    { Text(QStringLiteral("Title")).view().font(Font::system(10 + 8 * v)),
                                        Text(QStringLiteral("body")).view() });
                            }),
                      Text(QStringLiteral("1.")).view()),
                    box(20, 20) });
        },
        setFirst(2) },
    { "aViewInAStackBecomesEmpty",
        [](Probe &p) {
            return VStack(HorizontalAlignment::Leading, 10,
                { box(20, 10), reading(&Probe::first, p, [](int v) { return v ? EmptyView() : box(30, 10); }),
                    box(40, 10) });
        },
        setFirst(1) },
    { "aViewLeftOutOfAStackWhileEmptyAppears",
        [](Probe &p) {
            return VStack(HorizontalAlignment::Leading, 10,
                { box(20, 10), reading(&Probe::first, p, [](int v) { return v ? box(30, 10) : EmptyView(); }),
                    box(40, 10) });
        },
        setFirst(1) },
    { "aPreferenceReadAboveChanges",
        [](Probe &p) {
            return VStack({ reading(&Probe::first, p,
                                [](int v) { return box(10, 10).preference<MaxPreference>(double(10 + v)); }),
                              box(20, 10).preference<MaxPreference>(15) })
                .overlayPreferenceValue<MaxPreference>(
                    [](double widest) { return View(Color::red()).frame(widest, 3); }, Alignment::top());
        },
        setFirst(40) },
    { "anInnerThenAnOuterState",
        [](Probe &p) {
            return reading(&Probe::first, p, [&p](int outer) {
                return VStack(HorizontalAlignment::Leading, 0,
                    { box(10 + outer, 10),
                        reading(&Probe::second, p, [](int inner) { return box(10 + inner, 10 + inner); }),
                        box(10, 10) });
            });
        },
        [](Probe &p, ViewTree &tree) {
            p.second.set(30);
            tree.update();
            p.first.set(50);
            tree.update();
            p.second.set(5);
            tree.update();
        } },
    { "insideAGeometryReader",
        [](Probe &p) {
            return VStack({ box(10, 10), GeometryReader([&p](const GeometryProxy &proxy) {
                               return reading(&Probe::first, p,
                                   [width = proxy.size().width()](int v) { return box(v, width / 10); });
                           }).frame(std::nullopt, 40),
                box(10, 10) });
        },
        setFirst(25) },
    { "flexibleNeighboursShareAgain",
        [](Probe &p) {
            return HStack(VerticalAlignment::Top, 0,
                { View(Color::red()).frame(std::nullopt, 10),
                    reading(&Probe::first, p, [](int v) { return box(10 + v, 10); }),
                    View(Color::red()).frame(std::nullopt, 10) });
        },
        setFirst(60) },
    { "twoReadersWrittenTogether",
        [](Probe &p) {
            return VStack(HorizontalAlignment::Trailing, 3,
                { reading(&Probe::first, p, [](int v) { return box(20 + v, 10); }), box(50, 5),
                    reading(&Probe::second, p, [](int v) { return box(20, 10 + v); }) });
        },
        [](Probe &p, ViewTree &tree) {
            p.first.set(70);
            p.second.set(9);
            tree.update();
        } },
};

class Update : public testing::TestWithParam<UpdateCase>
{
};

} // namespace

TEST_P(Update, laysOutAsAFullRebuildWould)
{
    const UpdateCase &c = GetParam();
    Probe probe;
    ViewTree tree(c.make(probe));
    tree.rebuild(300);
    const QString before = layoutDump(*tree.root());
    c.write(probe, tree);
    const QString updated = layoutDump(*tree.root());
    EXPECT_NE(updated, before) << "the write changes the layout";
    tree.rebuild();
    EXPECT_EQ(updated, layoutDump(*tree.root()));
}

INSTANTIATE_TEST_SUITE_P(Cases, Update, testing::ValuesIn(updateCases),
    [](const testing::TestParamInfo<UpdateCase> &info) { return std::string(info.param.name); });

TEST(Update, aStateWriteResolvesOnlyTheViewsThatReadItAndKeepsTheRest)
{
    int resolutions = 0;
    auto counted = [&resolutions](View view) {
        return EnvironmentReader([&resolutions, view](const EnvironmentValues &) {
            ++resolutions;
            return view;
        });
    };
    State<int> height;
    std::vector<View> rows;
    for (int i = 0; i < 20; ++i) {
        if (i == 10) {
            rows.push_back(withState<int>(10, [&](State<int> state) {
                height = state;
                return counted(box(50, *state, QStringLiteral("image")));
            }));
        }
        rows.push_back(counted(box(40, 10, i)));
    }
    ViewTree tree(VStack(HorizontalAlignment::Leading, 0, rows));
    tree.rebuild(200);
    EXPECT_EQ(resolutions, 21);
    Element *above = tree.findByTag(3);
    Element *below = tree.findByTag(15);
    const QRectF belowBefore = below->frame();

    height.set(60);
    tree.update();
    EXPECT_EQ(resolutions, 22) << "only the view that read the state";
    EXPECT_EQ(tree.findByTag(3), above) << "elements elsewhere are kept";
    EXPECT_EQ(tree.findByTag(15), below);
    EXPECT_EQ(tree.frameOfTag(QStringLiteral("image")), QRectF(0, 100, 50, 60));
    EXPECT_EQ(below->frame(), belowBefore.translated(0, 50)) << "what follows moves down";
    EXPECT_EQ(tree.contentSize(), QSizeF(50, 260));

    tree.update();
    EXPECT_EQ(resolutions, 22) << "nothing written, nothing resolved";
}

TEST(Update, dropsTheStateAndCancelsTheTasksOfWhatItRemoves)
{
    State<bool> shown;
    State<int> inner;
    std::vector<TaskHandle> tasks;
    ViewTree tree(withState<bool>(true, [&](State<bool> show) {
        shown = show;
        std::vector<View> rows { box(10, 10) };
        if (*show) {
            rows.push_back(withState<int>(3, [&](State<int> state) {
                inner = state;
                return box(double(*state), 10).task(1, [&tasks](TaskHandle handle) {
                    tasks.push_back(handle);
                });
            }));
        }
        return VStack(rows);
    }));
    tree.rebuild(100);
    ASSERT_EQ(tasks.size(), 1u);
    const int states = tree.store().stateCount();
    inner.set(8);
    tree.update();
    EXPECT_EQ(tasks.size(), 1u) << "resolved again, the same task goes on";
    EXPECT_FALSE(tasks[0].isCancelled());

    shown.set(false);
    tree.update();
    EXPECT_TRUE(tasks[0].isCancelled());
    EXPECT_LT(tree.store().stateCount(), states);
    shown.set(true);
    tree.update();
    EXPECT_EQ(*inner, 3) << "a view that left the tree starts afresh";
    EXPECT_EQ(tasks.size(), 2u);
}

TEST(Preferences, areTheSameOnlyWithTheSameKeysAndEqualValues)
{
    struct NoEquality
    {
        using Value = std::function<void()>;
        static Value defaultValue() { return {}; }
        static void reduce(Value &, const Value &) { }
    };
    auto values = [](std::optional<double> widest, std::optional<QStringList> names) {
        PreferenceValues prefs;
        if (widest)
            prefs.set<MaxPreference>(*widest);
        if (names)
            prefs.set<NamesPreference>(*names);
        return prefs;
    };
    struct Case
    {
        const char *name;
        PreferenceValues a, b;
        bool same;
    };
    PreferenceValues opaque;
    opaque.set<NoEquality>([] {});
    PreferenceValues shared;
    shared.merge(opaque);
    const Case cases[] = {
        { "bothEmpty", {}, {}, true },
        { "equalValues", values(3, QStringList { "a" }), values(3, QStringList { "a" }), true },
        { "keysInAnotherOrder", values(3, QStringList { "a" }),
            [] {
                PreferenceValues prefs;
                prefs.set<NamesPreference>({ "a" });
                prefs.set<MaxPreference>(3);
                return prefs;
            }(),
            true },
        { "anotherValue", values(3, std::nullopt), values(4, std::nullopt), false },
        { "aMissingKey", values(3, QStringList {}), values(3, std::nullopt), false },
        { "aValueWithoutEquality", opaque,
            [] {
                PreferenceValues prefs;
                prefs.set<NoEquality>([] {});
                return prefs;
            }(),
            false },
        { "theSameValueShared", opaque, shared, true },
    };
    for (const Case &c : cases) {
        EXPECT_EQ(c.a.isSameAs(c.b), c.same) << c.name;
        EXPECT_EQ(c.b.isSameAs(c.a), c.same) << c.name;
    }
}

#include "ui/cancellation.h"
#include "ui/layout.h"
#include "ui/viewtree.h"

#include <gtest/gtest.h>

#include <QThread>

using namespace ui;

namespace {

// A column of squares whose resolving cancels the token after `cancelAfter` of
// them (never for -1); the tree is built under that token.
struct CutCase
{
    const char *name;
    int cancelAfter;
    int resolved; // squares in the tree afterwards
    double height;
};

class CutShort : public ::testing::TestWithParam<CutCase>
{
};

TEST_P(CutShort, workStopsWhereItsTokenIsCancelled)
{
    const CancellationToken token;
    int made = 0;
    std::vector<View> squares;
    for (int i = 0; i < 100; ++i) {
        squares.push_back(View::make([&, i](const EnvironmentValues &env, const ResolveScope &scope) {
            if (i == GetParam().cancelAfter)
                token.cancel();
            ++made;
            return View(Color::red()).frame(10, 10).resolve(env, scope);
        }));
    }
    ViewTree tree(VStack(HorizontalAlignment::Center, 0, std::move(squares)));
    const CancellationToken::Scope scope(token);
    tree.rebuild(100);
    EXPECT_EQ(made, GetParam().resolved);
    EXPECT_EQ(tree.contentSize().height(), GetParam().height);
}

INSTANTIATE_TEST_SUITE_P(Cancellation, CutShort,
    ::testing::Values(CutCase { "notCancelled", -1, 100, 1000 },
        // The square that cancels is the last one made; nothing is measured after it.
        CutCase { "cancelledMidway", 40, 41, 0 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Cancellation, aTokenStopsOnlyTheWorkOfItsOwnScope)
{
    const CancellationToken cancelled;
    cancelled.cancel();
    EXPECT_FALSE(CancellationToken::isCurrentCancelled());
    {
        const CancellationToken::Scope outer(cancelled);
        EXPECT_TRUE(CancellationToken::isCurrentCancelled());
        const CancellationToken other;
        {
            const CancellationToken::Scope inner(other);
            EXPECT_FALSE(CancellationToken::isCurrentCancelled());
            EXPECT_FALSE(CancellationToken::current().isCancelled());
        }
        EXPECT_TRUE(CancellationToken::current().isCancelled());
        // Another thread, outside any scope, goes on.
        bool elsewhere = true;
        QThread *thread = QThread::create([&] { elsewhere = CancellationToken::isCurrentCancelled(); });
        thread->start();
        thread->wait();
        delete thread;
        EXPECT_FALSE(elsewhere);
    }
    EXPECT_FALSE(CancellationToken::isCurrentCancelled());
}

} // namespace

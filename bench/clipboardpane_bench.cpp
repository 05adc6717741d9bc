// The clipboard pane over a long history: a query must filter ten thousand
// entries well within a keystroke (budget 10 ms), and opening the pane on them
// must not pause (budget 50 ms), because only the rows on screen are made.
#include "appbench.h"
#include "guibenchmain.h"

#include "app/appclipboardpanestate.h"
#include "clipboard/clipboardlisting.h"
#include "clipboard/clipboardlistview.h"
#include "clipboard/clipboardmanager.h"
#include "clipboard/clipboardpaneview.h"

#include <QScrollBar>

#include <ctime>
#include <memory>

namespace {

constexpr int entryCount = 10'000;

struct Fixture : AppBench
{
    std::unique_ptr<AppClipboardPaneState> paneState;
};

// Ten thousand texts of the lengths people copy, one in fifty pinned.
Fixture &fixture()
{
    static std::unique_ptr<Fixture> f;
    if (f)
        return *f;
    f = std::make_unique<Fixture>();
    for (int i = 0; i < entryCount; ++i) {
        f->clock.advance(1000);
        const QString text = QStringLiteral("Clipboard entry %1: a sentence of the usual length, with a "
                                            "word or two more to search through")
                                 .arg(i);
        ClipboardItem item = ClipboardItem::create(f->clock, ContentType::Text, text.toUtf8(), text);
        item.isPinned = i % 50 == 0;
        f->store->insert(item);
    }
    if (!f->store->save())
        qFatal("cannot fill the bench store");
    f->startApp();
    f->paneState = std::make_unique<AppClipboardPaneState>(*f->appState);
    return *f;
}

void BM_FilterTenThousandEntries(benchmark::State &state)
{
    const ClipboardEntries entries(fixture().store->fetchNewestFirst().value());
    const QStringList queries
        = { QStringLiteral("entry 99"), QStringLiteral("SENTENCE"), QStringLiteral("zz") };
    qsizetype i = 0;
    for (auto _ : state) {
        ClipboardListing listing = ClipboardListing::filtered(entries, queries.at(i++ % queries.size()));
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(BM_FilterTenThousandEntries)->Unit(benchmark::kMillisecond);

// From the stored entries to a laid-out pane, as the panel's first showing does.
void BM_BuildPaneOnTenThousandEntries(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        ClipboardPaneView pane(*f.paneState, f.notifications);
        pane.resize(700, 300);
        pane.show();
        benchmark::DoNotOptimize(pane.listing());
    }
}
BENCHMARK(BM_BuildPaneOnTenThousandEntries)->Unit(benchmark::kMillisecond);

// A keystroke in the search field: the open pane filters and lays out again.
void BM_QueryInTheOpenPane(benchmark::State &state)
{
    Fixture &f = fixture();
    ClipboardPaneView pane(*f.paneState, f.notifications);
    pane.resize(700, 300);
    pane.show();
    const QStringList queries
        = { QStringLiteral("s"), QStringLiteral("se"), QStringLiteral("sen"), QString() };
    qsizetype i = 0;
    for (auto _ : state)
        f.appState->setSearchQuery(queries.at(i++ % queries.size()));
}
BENCHMARK(BM_QueryInTheOpenPane)->Unit(benchmark::kMillisecond);

// Scrolling through the open pane a page at a time: rows are made as they come
// into view and dropped as they leave.
void BM_ScrollAPage(benchmark::State &state)
{
    Fixture &f = fixture();
    f.appState->setSearchQuery(QString());
    ClipboardPaneView pane(*f.paneState, f.notifications);
    pane.resize(700, 300);
    pane.show();
    QScrollBar *bar = pane.list()->verticalScrollBar();
    for (auto _ : state) {
        const int next = bar->value() + bar->pageStep();
        bar->setValue(next > bar->maximum() ? 0 : next);
    }
}
BENCHMARK(BM_ScrollAPage)->Unit(benchmark::kMicrosecond);

double threadCpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// What one capture costs the GUI thread, from the poll that sees the copy until
// the open pane shows it: reading, storing, trimming and the pane's update. Work
// on other threads is not counted, and neither is the wait for it.
void BM_CaptureIntoTheOpenPane(benchmark::State &state)
{
    Fixture &f = fixture();
    f.appState->setSearchQuery(QString());
    ClipboardManager &manager = f.appState->clipboardManager();
    // The history keeps its size: each capture adds one entry and trims one.
    manager.setHistoryLimit(entryCount - entryCount / 50);
    ClipboardPaneView pane(*f.paneState, f.notifications);
    pane.resize(700, 300);
    pane.show();
    QCoreApplication::processEvents();
    int announced = 0;
    const QMetaObject::Connection counting
        = QObject::connect(f.store.get(), &ClipboardStore::changed, [&announced] { ++announced; });
    int n = 0;
    for (auto _ : state) {
        f.clock.advance(1000);
        f.pasteboard.offerText(QStringLiteral("A fresh copy number %1 from another program").arg(++n));
        const int before = announced;
        const double start = threadCpuSeconds();
        manager.checkPasteboard();
        while (announced == before)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        state.SetIterationTime(threadCpuSeconds() - start);
    }
    QObject::disconnect(counting);
    if (pane.listing().ids.size() != entryCount)
        state.SkipWithError("the pane did not keep the history's size");
}
BENCHMARK(BM_CaptureIntoTheOpenPane)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(200);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}

// What capture costs the program: a poll with nothing new must cost nothing
// measurable (it runs twice a second for the life of the program), and one
// capture against a full history must stay far below a frame.
#include "clipboard/clipboardmanager.h"
#include "platform/fake/fakepasteboard.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int storedEntries = 10000;

struct Fixture
{
    Fixture()
    {
        StoreError error;
        store = ClipboardStore::open(dir.filePath(QStringLiteral("Clipboard.store")), &error);
        if (!store)
            qFatal("cannot open the bench store: %s", qPrintable(error.description));
        for (int i = 0; i < storedEntries; ++i) {
            const QString text = QStringLiteral("stored entry %1 with some ordinary words").arg(i);
            ClipboardItem item = ClipboardItem::create(ContentType::Text, text.toUtf8(), text);
            item.timestamp = QDateTime::currentDateTimeUtc().addSecs(i - storedEntries);
            store->insert(item);
        }
        if (!store->save())
            qFatal("cannot fill the bench store");
        // The limit holds the history at its size: each capture adds one and trims one.
        manager = std::make_unique<ClipboardManager>(*store, pasteboard, storedEntries);
    }

    QTemporaryDir dir;
    FakePasteboard pasteboard;
    std::unique_ptr<ClipboardStore> store;
    std::unique_ptr<ClipboardManager> manager;
};

Fixture &fixture()
{
    static Fixture instance;
    return instance;
}

void BM_IdlePoll(benchmark::State &state)
{
    Fixture &f = fixture();
    f.pasteboard.offerText(QStringLiteral("already seen"));
    f.manager->checkPasteboard();
    for (auto _ : state)
        f.manager->checkPasteboard();
}
BENCHMARK(BM_IdlePoll)->Unit(benchmark::kMicrosecond);

void BM_CaptureTextWithFullHistory(benchmark::State &state)
{
    Fixture &f = fixture();
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.pasteboard.offerText(QStringLiteral("a fresh copy number %1 from another program").arg(++n));
        state.ResumeTiming();
        f.manager->checkPasteboard(); // hash, duplicate lookup, insert, trim, save
    }
    if (f.store->fetchAll().value().size() != storedEntries)
        state.SkipWithError("the history did not keep its size");
}
BENCHMARK(BM_CaptureTextWithFullHistory)->Unit(benchmark::kMillisecond);

void BM_CaptureTwentyMegabyteText(benchmark::State &state)
{
    Fixture &f = fixture();
    QByteArray huge;
    while (huge.size() < 20 * 1024 * 1024)
        huge += "twenty megabytes of clipboard text, one line after another\n";
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.pasteboard.offer({ { PasteboardType::string, huge + QByteArray::number(++n) } });
        state.ResumeTiming();
        f.manager->checkPasteboard();
    }
}
BENCHMARK(BM_CaptureTwentyMegabyteText)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();

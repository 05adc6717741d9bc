// The clipboard store at history sizes users reach: the duplicate lookup must
// stay flat (an index, not a scan) and one insertion must stay cheap even when
// some entries hold megabyte images.
#include "clipboard/clipboardstore.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

struct Fixture
{
    QTemporaryDir dir;
    std::unique_ptr<ClipboardStore> store;
    QStringList hashes;
};

// One image in a hundred is a 1 MB payload, the rest short texts.
Fixture &fixture(int entries)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    auto &slot = fixtures[entries];
    if (slot)
        return *slot;
    slot = std::make_unique<Fixture>();
    StoreError error;
    slot->store = ClipboardStore::open(slot->dir.filePath(QStringLiteral("Clipboard.store")), &error);
    if (!slot->store)
        qFatal("cannot open the bench store: %s", qPrintable(error.description));
    QByteArray image(1 << 20, Qt::Uninitialized);
    for (int i = 0; i < entries; ++i) {
        ClipboardItem item;
        if (i % 100 == 0) {
            QRandomGenerator::global()->fillRange(
                reinterpret_cast<quint32 *>(image.data()), image.size() / 4);
            item = ClipboardItem::create(ContentType::Image, image, QStringLiteral("Image (512x512)"));
        } else {
            const QString text = QStringLiteral("clipboard text number %1 with a little more to read").arg(i);
            item = ClipboardItem::create(ContentType::Text, text.toUtf8(), text);
        }
        item.timestamp = QDateTime::currentDateTimeUtc().addSecs(i - entries);
        slot->hashes.append(*item.contentHash);
        slot->store->insert(item);
    }
    if (!slot->store->save())
        qFatal("cannot fill the bench store");
    return *slot;
}

void BM_DuplicateLookupByHash(benchmark::State &state)
{
    Fixture &f = fixture(int(state.range(0)));
    qsizetype i = 0;
    for (auto _ : state) {
        auto found = f.store->fetchByContentHash(f.hashes[i++ % f.hashes.size()]);
        benchmark::DoNotOptimize(found);
    }
}
BENCHMARK(BM_DuplicateLookupByHash)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_InsertOneEntry(benchmark::State &state)
{
    Fixture &f = fixture(int(state.range(0)));
    int n = 0;
    for (auto _ : state) {
        const QString text = QStringLiteral("a new copy %1").arg(++n);
        f.store->insert(ClipboardItem::create(ContentType::Text, text.toUtf8(), text));
        if (!f.store->save())
            state.SkipWithError("save failed");
    }
}
BENCHMARK(BM_InsertOneEntry)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();

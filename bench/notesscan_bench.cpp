// The vault scan against the floor of any scan: a plain recursive walk that
// stats every file. The first scan of a vault and every rescan must each stay
// within twice the walk on a vault of 10,000 notes in 100 folders with 500
// media files; the program says so and fails when either does not.
//
// eventBatchStall: the longest the main thread is kept busy at once between a
// batch of file events in a vault of 50,000 notes and the rescan's lists being
// published. Auto-save raises such a batch after every save, so this is how
// long typing can freeze.
#include "notes/notesmanager.h"
#include "platform/clock.h"
#include "platform/fake/fakefileeventstream.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <dirent.h>
#include <map>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

constexpr int folderCount = 100;
constexpr int notesPerFolder = 100;
constexpr int mediaPerFolder = 5;
constexpr double allowedRatio = 2.0;

const QString &vault()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        for (int f = 0; f < folderCount; ++f) {
            const QString folder = dir.path() + QStringLiteral("/Folder %1").arg(f);
            QDir().mkpath(folder);
            for (int n = 0; n < notesPerFolder; ++n) {
                QFile note(folder + QStringLiteral("/Note %1.md").arg(n));
                note.open(QIODevice::WriteOnly);
                note.write("# A note\n\nSome text.\n");
            }
            for (int m = 0; m < mediaPerFolder; ++m) {
                QFile image(folder + QStringLiteral("/image %1.png").arg(m));
                image.open(QIODevice::WriteOnly);
            }
        }
        return dir.path();
    }();
    return path;
}

// Made only when a benchmark asks for it: writing 50,000 files takes a while.
const QString &largeVault()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        for (int f = 0; f < 500; ++f) {
            const QString folder = dir.path() + QStringLiteral("/Folder %1").arg(f);
            QDir().mkpath(folder);
            for (int n = 0; n < 100; ++n) {
                QFile note(folder + QStringLiteral("/Note %1.md").arg(n));
                note.open(QIODevice::WriteOnly);
            }
        }
        return dir.path();
    }();
    return path;
}

long walk(const QByteArray &folder)
{
    long files = 0;
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    while (const dirent *entry = ::readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray path = folder + '/' + entry->d_name;
        struct stat info
        {
        };
        if (::lstat(path.constData(), &info) != 0)
            continue;
        if (S_ISDIR(info.st_mode))
            files += walk(path);
        else
            ++files;
    }
    ::closedir(dir);
    return files;
}

void plainWalk(benchmark::State &state)
{
    const QByteArray root = QFile::encodeName(vault());
    for (auto _ : state)
        benchmark::DoNotOptimize(walk(root));
}
BENCHMARK(plainWalk)->Unit(benchmark::kMillisecond);

void scanVault(benchmark::State &state)
{
    FakeFileEventStream events;
    NotesManager manager(events, Clock::system());
    manager.setVault(QUrl::fromLocalFile(vault()));
    for (auto _ : state)
        manager.scanVault();
    if (manager.allFiles().size() != folderCount * notesPerFolder)
        state.SkipWithError("the scan missed notes");
}
BENCHMARK(scanVault)->Unit(benchmark::kMillisecond);

// The first scan of a vault, at launch or after the vault changed, meets no
// item it knows: every name and URL is built afresh. Only setting the vault
// is timed; making the manager and freeing what it listed are not the scan.
void firstScan(benchmark::State &state)
{
    FakeFileEventStream events;
    for (auto _ : state) {
        NotesManager manager(events, Clock::system());
        const auto start = std::chrono::steady_clock::now();
        manager.setVault(QUrl::fromLocalFile(vault()));
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        if (manager.allFiles().size() != folderCount * notesPerFolder)
            state.SkipWithError("the scan missed notes");
    }
}
BENCHMARK(firstScan)->UseManualTime()->Unit(benchmark::kMillisecond);

void eventBatchStall(benchmark::State &state)
{
    FakeFileEventStream events;
    NotesManager manager(events, Clock::system());
    manager.setVault(QUrl::fromLocalFile(largeVault()));
    int published = 0;
    QObject::connect(&manager, &NotesManager::allFilesChanged, [&published] { ++published; });
    double landedSeconds = 0;
    for (auto _ : state) {
        const int before = published;
        const auto batch = std::chrono::steady_clock::now();
        events.deliverBatch();
        std::chrono::duration<double> longest {};
        while (published == before) {
            const auto start = std::chrono::steady_clock::now();
            QCoreApplication::processEvents();
            longest
                = std::max<std::chrono::duration<double>>(longest, std::chrono::steady_clock::now() - start);
            // Between turns the main thread would be free for the keyboard.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        landedSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - batch).count();
        state.SetIterationTime(longest.count());
    }
    state.counters["landed_ms"] = benchmark::Counter(
        landedSeconds * 1000 / double(state.iterations()), benchmark::Counter::kDefaults);
    if (manager.allFiles().size() != 50000)
        state.SkipWithError("the scan missed notes");
}
BENCHMARK(eventBatchStall)->UseManualTime()->Iterations(4)->Unit(benchmark::kMillisecond);

class RatioReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        // The fastest repetition of each: other work on the machine only
        // ever adds time, to either side.
        for (const Run &run : runs) {
            if (run.run_type != Run::RT_Iteration)
                continue;
            const std::string name = run.run_name.function_name;
            const double time = run.GetAdjustedRealTime();
            if (!times.count(name) || time < times[name])
                times[name] = time;
        }
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QLoggingCategory::setFilterRules(QStringLiteral("com.quorvane.app.*=false"));
    // Repetitions let a busy machine's noise fall out of the comparison.
    std::vector<char *> arguments(argv, argv + argc);
    char repetitions[] = "--benchmark_repetitions=5";
    arguments.insert(arguments.begin() + 1, repetitions);
    argc = int(arguments.size());
    argv = arguments.data();
    benchmark::Initialize(&argc, argv);
    vault(); // built once, outside every timing
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!reporter.times.count("plainWalk"))
        return 0; // filtered: nothing to compare against
    bool within = true;
    for (const char *scan : { "firstScan", "scanVault" }) {
        if (!reporter.times.count(scan))
            continue;
        const double ratio = reporter.times[scan] / reporter.times["plainWalk"];
        std::printf("%s / walk: %.2f (allowed %.1f)\n", scan, ratio, allowedRatio);
        within = within && ratio <= allowedRatio;
    }
    return within ? 0 : 1;
}

// From the hot key to the panel's first frame, with the notes pane over vaults
// of 1,000 and of 50,000 notes: the time must not grow with the vault, whatever
// the showing does to keep the vault's lists current.
#include "appbench.h"
#include "guibenchmain.h"

#include "app/appdelegate.h"
#include "app/appstate.h"
#include "app/panelcontroller.h"
#include "app/quorvpanel.h"
#include "notes/notesmanager.h"
#include "tests/app/fakesystem.h"

#include <QElapsedTimer>
#include <QEvent>

#include <chrono>
#include <map>
#include <memory>

namespace {

// Notes the panel has painted since the flag was last cleared.
class FrameWatch : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

// The launched program over stand-ins, its vault a folder of `notes` notes
// (a tenth at the root, the rest in 45 folders).
struct Program : FakeSystem
{
    explicit Program(int notes)
    {
        const QString vault = dir.filePath(QStringLiteral("Vault"));
        writeBenchVault(vault, notes, 45, QDateTime::currentDateTimeUtc().addDays(-60));
        delegate = makeDelegate();
        if (delegate->applicationDidFinishLaunching() != AppDelegate::LaunchResult::Launched)
            qFatal("the bench program did not launch");
        delegate->appState()->changeVault(QUrl::fromLocalFile(vault));
        QObject::connect(&delegate->appState()->notesManager(), &NotesManager::allFilesChanged, &watch,
            [this] { ++publications; });
        delegate->panel()->installEventFilter(&watch);
    }
    ~Program() { delegate->applicationWillTerminate(); }

    FrameWatch watch;
    int publications = 0;
    std::unique_ptr<AppDelegate> delegate;
};

void settle()
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

Program &program(int notes)
{
    static std::map<int, std::unique_ptr<Program>> programs;
    auto &made = programs[notes];
    if (!made)
        made = std::make_unique<Program>(notes);
    return *made;
}

void BM_HotKeyToFirstFrame(benchmark::State &state)
{
    Program &p = program(int(state.range(0)));
    PanelController &controller = *p.delegate->panelController();
    for (auto _ : state) {
        p.watch.painted = false;
        const int published = p.publications;
        const auto start = std::chrono::steady_clock::now();
        p.delegate->togglePanel();
        while (!p.watch.painted)
            QCoreApplication::processEvents();
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        state.SetIterationTime(elapsed.count());
        // Untimed: the showing's rescan lands wherever it runs, what it set off
        // (the list lays out its rows in batches) settles, and the panel goes.
        while (p.publications == published)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        settle();
        controller.hideImmediately();
        settle();
    }
}
// Each showing settles for a fifth of a second untimed: a fixed count keeps the run short.
BENCHMARK(BM_HotKeyToFirstFrame)
    ->Arg(1'000)
    ->Arg(50'000)
    ->Iterations(30)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The offscreen platform's complaints (no raise, no tray) would bury the figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return runGuiBenchmarks<QApplication>(argc, argv);
}

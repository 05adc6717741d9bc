// Every wheel event of the session waits for the tap's answer while its grab is
// held, so the work per event must stay a few hundred nanoseconds: one step of
// the recogniser, and the whole path through the monitor's lock.
#include "bench/guibenchmain.h"
#include "gesture/gesturemonitor.h"
#include "gesture/gesturestatemachine.h"
#include "platform/defaults.h"
#include "platform/fake/fakenaturalscrolling.h"
#include "platform/fake/fakescrolltap.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

const std::vector<GestureScreen> screens { { QStringLiteral("left"), QRectF(-1920, -180, 1920, 1080) },
    { QStringLiteral("main"), QRectF(0, 0, 1440, 900) },
    { QStringLiteral("right"), QRectF(1440, 0, 2560, 1440) } };

// Ordinary scrolling in the middle of a window: the common case.
void recognizerStepAwayFromTheEdge(benchmark::State &state)
{
    GestureStateMachine machine;
    double t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine.process(screens, 10, 3000, 500, t));
        t += 0.01;
    }
}
BENCHMARK(recognizerStepAwayFromTheEdge);

// Scrolling at the top edge: recognitions start, trigger and get reset.
void recognizerStepAtTheTop(benchmark::State &state)
{
    GestureStateMachine machine;
    double t = 0;
    int n = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine.process(screens, 10, 3000, 1440, t));
        t += 0.01;
        if (++n % 8 == 0)
            machine.reset();
    }
}
BENCHMARK(recognizerStepAtTheTop);

// The tap's whole answer: the monitor's lock, the conversion and the step.
void monitorAnswerPerNotch(benchmark::State &state)
{
    QTemporaryDir dir;
    Defaults defaults(dir.filePath(QStringLiteral("defaults.json")));
    FakeNaturalScrolling device;
    FakeScrollTapFactory taps;
    GestureMonitor monitor(taps, ScrollDirection(defaults, device));
    monitor.start();
    taps.last->waitUntilRunning(2000);
    double t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(taps.last->scroll({ 10, QPointF(300, 400), t }));
        t += 0.01;
    }
    monitor.stop();
}
BENCHMARK(monitorAnswerPerNotch);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks(argc, argv);
}

#pragma once

#include <QApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <functional>

// The main of a benchmark that needs a GUI application object (fonts, painting,
// screens), on the offscreen platform so it runs without a display.
// Widgets need the QApplication kind of application object: `Application` says which.
// `afterRun` runs while the application object still lives: a benchmark that keeps
// views between runs lets them go there, and one that sums its runs up prints it.
template<typename Application = QGuiApplication>
int runGuiBenchmarks(int argc, char **argv, const std::function<void()> &afterRun = {})
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (afterRun)
        afterRun();
    return 0;
}

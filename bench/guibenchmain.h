#pragma once

#include <QApplication>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

// The main of a benchmark that needs a GUI application object (fonts, painting,
// screens), on the offscreen platform so it runs without a display.
// Widgets need the QApplication kind of application object: `Application` says which.
template<typename Application = QGuiApplication> int runGuiBenchmarks(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

#pragma once

#include <QGuiApplication>

#include <benchmark/benchmark.h>

// The main of a benchmark that needs a GUI application object (fonts, painting,
// screens), on the offscreen platform so it runs without a display.
inline int runGuiBenchmarks(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

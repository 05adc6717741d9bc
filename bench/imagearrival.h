#pragma once

#include "ui/hostingview.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QScrollBar>

#include <functional>

// One state write the way an image arrives: `arrive` writes the picture into the place
// that shows it (tagged "picture"), and the host resolves, lays out and paints the
// viewport that shows it. Pictures of two sizes take turns, so that every write moves
// what follows.
inline void measureImageArrival(
    benchmark::State &state, const ui::View &root, const std::function<void(const QImage &)> &arrive)
{
    ui::HostingView host;
    host.resize(800, 600);
    host.setRootView(root);
    // Shown and settled first: the viewport's final width, with its scroll bar, is laid
    // out once before the clock runs.
    host.show();
    QApplication::processEvents();
    host.flush();
    QImage wide(600, 300, QImage::Format_ARGB32_Premultiplied);
    QImage tall(400, 500, QImage::Format_ARGB32_Premultiplied);
    wide.fill(Qt::darkCyan);
    tall.fill(Qt::darkMagenta);
    QImage canvas(host.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    bool useWide = true;
    for (auto _ : state) {
        arrive(useWide ? wide : tall);
        useWide = !useWide;
        host.flush();
        host.verticalScrollBar()->setValue(int(host.tree().frameOfTag(QStringLiteral("picture")).y()) - 100);
        host.viewport()->render(&canvas);
    }
}

#pragma once

#include "ui/viewtree.h"

#include <benchmark/benchmark.h>

#include <QColor>
#include <QImage>
#include <QPainter>

#include <optional>

// A view laid out at 800 points, then laid out again on every pass: between 800
// and 640 points, two widths whose sizes are known after the first passes.
inline void measureLayoutAtAnotherWidth(benchmark::State &state, const ui::View &view)
{
    ui::ViewTree tree(view);
    tree.rebuild(800);
    double width = 800;
    for (auto _ : state) {
        width = width == 800 ? 640 : 800;
        tree.layout(width);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}

// The same at a width not seen before on every pass, as dragging the panel's edge
// gives: no size is known yet.
inline void measureLayoutAtNewWidths(benchmark::State &state, const ui::View &view)
{
    ui::ViewTree tree(view);
    tree.rebuild(800);
    double width = 800;
    for (auto _ : state) {
        width = width > 500 ? width - 7 : 800;
        tree.layout(width);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}

// One viewport of 800 by 600 points halfway down the view laid out at 800 points,
// painted on every pass; onto a canvas filled with `background` first, where given.
inline void measureViewportPaint(
    benchmark::State &state, const ui::View &view, std::optional<QColor> background = std::nullopt)
{
    ui::ViewTree tree(view);
    tree.rebuild(800);
    QImage canvas(800, 600, QImage::Format_ARGB32_Premultiplied);
    const double top = tree.contentSize().height() / 2;
    for (auto _ : state) {
        if (background)
            canvas.fill(*background);
        QPainter painter(&canvas);
        painter.translate(0, -top);
        tree.paint(painter, QRectF(0, top, 800, 600));
    }
}

// A fresh tree of the view resolved and laid out at 800 points on every pass.
inline void measureResolveAndLayout(benchmark::State &state, const ui::View &view)
{
    for (auto _ : state) {
        ui::ViewTree tree(view);
        tree.rebuild(800);
        benchmark::DoNotOptimize(tree.contentSize());
    }
}

#pragma once

#include "markdown/theme/theme.h"

#include "ui/viewtree.h"

#include <QRectF>
#include <QString>

#include <vector>

// A view resolved and laid out at a width, as the host would show it, with the frames
// of its tagged elements at hand.
struct Rendered
{
    explicit Rendered(const ui::View &view, ui::EnvironmentValues env = {}, double width = 600);
    // The frames of the elements tagged `tag`, in tree order.
    std::vector<QRectF> frames(const QString &tag) const;
    // The string tags that start with `prefix`, in tree order.
    std::vector<QString> tagsStartingWith(const QString &prefix) const;

    ui::ViewTree tree;
};

// `env` with remote images asked of a loader that never answers, unless the test set
// its own: a unit test must not reach the network (a lookup still running when the
// test process exits can crash it).
ui::EnvironmentValues offline(ui::EnvironmentValues env);

// `theme` with every paragraph tagged "p" around what its own style makes of it.
Theme withTaggedParagraphs(const Theme &theme);

#pragma once

#include <QRectF>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace ui {

class Element;

enum class AccessibleRole { None, Text, Heading, Link, Image, Button, Group };

// What a view's accessibility modifiers say about it, kept on its element.
struct AccessibilityTraits
{
    // Stands for everything inside: the subtree is announced as one element with
    // this name (an empty one for an image: not announced at all).
    std::optional<QString> label;
    // What that one element is, when nothing inside says (an image still loading).
    // A group keeps its children.
    std::optional<AccessibleRole> role;
    // A heading of this level (1 to 6); 0 when not a heading.
    int headingLevel = 0;
};

// One element as assistive technology is shown it: a copy taken from the element
// tree, so it stays safe to read whatever the tree does after it was taken.
struct AccessibleNode
{
    AccessibleRole role = AccessibleRole::None;
    QString name; // the text read out: a text's or heading's own, a link's, a label
    int headingLevel = 0;
    QRectF frame; // in content coordinates, like the elements' frames
    // Presses a button or opens a link; empty for everything else.
    std::function<void()> activate;
    std::vector<AccessibleNode> children;
};

// The nodes of the subtree under `root`, in reading order. Elements that are only
// layout (stacks, frames, paddings) are not nodes: what they hold is lifted to their
// parent. Texts without text and images without a label are left out.
std::vector<AccessibleNode> accessibleNodes(const Element &root);

} // namespace ui

#include "ui/accessibility.h"

#include "ui/element.h"

#include <QStringList>

namespace ui {

namespace {

std::vector<AccessibleNode> nodesOf(const Element &element);

void append(std::vector<AccessibleNode> &to, std::vector<AccessibleNode> &&nodes)
{
    to.insert(to.end(), std::make_move_iterator(nodes.begin()), std::make_move_iterator(nodes.end()));
}

std::vector<AccessibleNode> childNodes(const Element &element)
{
    std::vector<AccessibleNode> nodes;
    for (const ElementPtr &child : element.children())
        append(nodes, nodesOf(*child));
    return nodes;
}

// What a screen reader reads for nodes taken together: their texts, in order.
void collectText(const std::vector<AccessibleNode> &nodes, QStringList &parts)
{
    for (const AccessibleNode &node : nodes) {
        if (node.role == AccessibleRole::Text || node.role == AccessibleRole::Heading) {
            if (!node.name.isEmpty())
                parts.append(node.name);
        } else if (node.role == AccessibleRole::Group) {
            collectText(node.children, parts);
        }
    }
}

QString textOf(const std::vector<AccessibleNode> &nodes)
{
    QStringList parts;
    collectText(nodes, parts);
    return parts.join(QLatin1Char(' '));
}

const AccessibleNode *find(const std::vector<AccessibleNode> &nodes, AccessibleRole role)
{
    for (const AccessibleNode &node : nodes) {
        if (node.role == role)
            return &node;
        if (const AccessibleNode *inside = find(node.children, role))
            return inside;
    }
    return nullptr;
}

void collectLinks(const std::vector<AccessibleNode> &nodes, std::vector<AccessibleNode> &links)
{
    for (const AccessibleNode &node : nodes) {
        if (node.role == AccessibleRole::Link)
            links.push_back(node);
        else
            collectLinks(node.children, links);
    }
}

// The element as its modifiers describe it. Anything but a group stands for its
// whole subtree, which is read as its name; a heading's links can still be followed
// and a button inside can still be pressed.
AccessibleNode described(const AccessibilityTraits &traits, QRectF frame, std::vector<AccessibleNode> inside)
{
    AccessibleNode node;
    node.frame = frame;
    node.headingLevel = traits.headingLevel;
    if (traits.role == AccessibleRole::Group) {
        node.role = AccessibleRole::Group;
        node.name = traits.label.value_or(QString());
        node.children = std::move(inside);
        return node;
    }
    node.name = traits.label ? *traits.label : textOf(inside);
    if (const AccessibleNode *button = find(inside, AccessibleRole::Button)) {
        node.role = AccessibleRole::Button;
        node.activate = button->activate;
    } else if (traits.headingLevel > 0) {
        node.role = AccessibleRole::Heading;
        collectLinks(inside, node.children);
    } else if (traits.role) {
        node.role = *traits.role;
    } else {
        node.role = inside.empty() ? AccessibleRole::Text : inside.front().role;
    }
    return node;
}

std::vector<AccessibleNode> nodesOf(const Element &element)
{
    AccessibleNode own;
    own.frame = element.frame();
    element.describeAccessibly(own);
    std::vector<AccessibleNode> nodes;
    if (own.role == AccessibleRole::None) {
        nodes = childNodes(element);
    } else {
        if (own.role == AccessibleRole::Button && own.name.isEmpty())
            own.name = textOf(childNodes(element));
        nodes.push_back(std::move(own));
    }
    if (const AccessibilityTraits *traits = element.accessibilityTraits())
        return { described(*traits, element.frame(), std::move(nodes)) };
    return nodes;
}

// Nothing to read: an image without a label (decoration), an empty text or group.
bool isSilent(const AccessibleNode &node)
{
    switch (node.role) {
    case AccessibleRole::Text:
    case AccessibleRole::Image:
    case AccessibleRole::Link:
        return node.name.isEmpty();
    case AccessibleRole::Group:
        return node.name.isEmpty() && node.children.empty();
    default:
        return false;
    }
}

void dropSilent(std::vector<AccessibleNode> &nodes)
{
    for (AccessibleNode &node : nodes)
        dropSilent(node.children);
    std::erase_if(nodes, isSilent);
}

} // namespace

std::vector<AccessibleNode> accessibleNodes(const Element &root)
{
    std::vector<AccessibleNode> nodes = nodesOf(root);
    dropSilent(nodes);
    return nodes;
}

} // namespace ui

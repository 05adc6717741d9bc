#include "ui/viewtree.h"

#include <QPainter>

namespace ui {

namespace {
constexpr quint64 rootIdentity = 1;
// Enough for values measured in one pass and fed back in the next (nested lists
// settle together); more would only hide a view that feeds back without end.
constexpr int maxPasses = 4;
} // namespace

ViewTree::ViewTree(View root, EnvironmentValues environment)
    : m_rootView(std::move(root))
    , m_environment(std::move(environment))
{
    m_store.setChangeHandler([this] {
        m_rebuildRequested = true;
        if (!m_resolving && m_needsRebuild)
            m_needsRebuild();
    });
}

ViewTree::~ViewTree() = default;

void ViewTree::setRoot(View root)
{
    m_rootView = std::move(root);
}

void ViewTree::setEnvironment(EnvironmentValues environment)
{
    m_environment = std::move(environment);
}

void ViewTree::setNeedsRebuildHandler(std::function<void()> handler)
{
    m_needsRebuild = std::move(handler);
}

void ViewTree::rebuild(std::optional<double> width)
{
    if (width)
        m_width = *width;
    m_resolving = true;
    for (int pass = 0; pass < maxPasses; ++pass) {
        m_rebuildRequested = false;
        m_store.beginPass();
        // The old elements go first: anchors and pointers into them die with them.
        m_root.reset();
        m_root = m_rootView.resolve(m_environment, ResolveScope(m_store, rootIdentity));
        m_root->m_tree = this;
        // Placed inside the pass: what a geometry reader resolves while placed is
        // part of the tree the pass keeps.
        place(m_width);
        m_store.endPass();
        if (!m_rebuildRequested)
            break;
    }
    m_resolving = false;
    // Still unsettled: try again on the host's next turn rather than block it.
    if (m_rebuildRequested && m_needsRebuild)
        m_needsRebuild();
}

void ViewTree::layout(double width)
{
    place(width);
    // Tasks of content that a geometry reader resolved for the new size start now, not
    // at the next rebuild.
    if (!m_resolving)
        m_store.startPending();
}

void ViewTree::place(double width)
{
    m_width = width;
    if (!m_root)
        return;
    const ProposedSize proposal { width, std::nullopt };
    const QSizeF size = m_root->sizeThatFits(proposal);
    m_root->place(QRectF(QPointF(0, 0), size), proposal);
}

QSizeF ViewTree::contentSize() const
{
    return m_root ? m_root->frame().size() : QSizeF();
}

Element *ViewTree::findByTag(const QVariant &tag) const
{
    return m_root ? m_root->findByTag(tag) : nullptr;
}

std::vector<Element *> ViewTree::findAllByTag(const QVariant &tag) const
{
    std::vector<Element *> found;
    if (m_root)
        m_root->findAllByTag(tag, found);
    return found;
}

QRectF ViewTree::frameOfTag(const QVariant &tag) const
{
    const Element *element = findByTag(tag);
    return element ? element->frame() : QRectF();
}

void ViewTree::paint(QPainter &painter, const QRectF &exposed) const
{
    if (m_root)
        m_root->paint(painter, exposed);
}

void ViewTree::setNeedsLayout()
{
    if (m_needsLayout)
        m_needsLayout();
    else
        layout(m_width);
}

void ViewTree::setNeedsRepaint()
{
    if (m_needsRepaint)
        m_needsRepaint();
}

} // namespace ui

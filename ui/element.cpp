#include "ui/element.h"

#include "ui/viewtree.h"

#include <QPainter>

namespace ui {

namespace {
// Enough for the proposals one layout pass makes (ideal, minimum, maximum and the
// real offer, per axis) without letting a long session grow the cache.
constexpr size_t cacheCapacity = 6;
} // namespace

Element::~Element() = default;

QSizeF Element::sizeThatFits(const ProposedSize &proposal)
{
    for (const CachedSize &cached : m_cache) {
        if (cached.proposal == proposal)
            return cached.size;
    }
    QSizeF size = measure(proposal);
    if (m_cache.size() >= cacheCapacity)
        m_cache.erase(m_cache.begin());
    m_cache.push_back({ proposal, size });
    return size;
}

void Element::place(const QRectF &frame, const ProposedSize &proposal)
{
    m_frame = frame;
    placeChildren(proposal);
    m_paintBounds = m_frame;
    if (!clipsChildren()) {
        for (const ElementPtr &child : m_children) {
            if (!child->m_paintBounds.isEmpty())
                m_paintBounds = m_paintBounds.united(child->m_paintBounds);
        }
    }
}

std::optional<double> Element::baseline(QSizeF size, bool last)
{
    // Wrappers with one child pass the child's baseline on, as placed in the same size.
    if (m_children.size() == 1)
        return m_children.front()->baseline(size, last);
    return std::nullopt;
}

void Element::placeChildren(const ProposedSize &proposal)
{
    for (const ElementPtr &child : m_children)
        child->place(m_frame, proposal);
}

void Element::paint(QPainter &painter, const QRectF &exposed) const
{
    if (!m_paintBounds.intersects(exposed) && !m_paintBounds.isEmpty())
        return;
    paintContent(painter, exposed);
    paintChildren(painter, exposed);
    paintOverlay(painter, exposed);
}

void Element::paintChildren(QPainter &painter, const QRectF &exposed) const
{
    if (clipsChildren()) {
        painter.save();
        painter.setClipRect(m_frame, Qt::IntersectClip);
    }
    for (const ElementPtr &child : m_children)
        child->paint(painter, exposed);
    if (clipsChildren())
        painter.restore();
}

void Element::invalidateSize()
{
    Element *element = this;
    for (; element; element = element->m_parent) {
        element->m_cache.clear();
        if (!element->m_parent && element->m_tree)
            element->m_tree->setNeedsLayout();
    }
}

void Element::requestRepaint()
{
    Element *root = this;
    while (root->m_parent)
        root = root->m_parent;
    if (root->m_tree)
        root->m_tree->setNeedsRepaint();
}

void Element::addChild(ElementPtr child)
{
    child->m_parent = this;
    m_children.push_back(std::move(child));
}

void Element::collectPreferences()
{
    for (const ElementPtr &child : m_children)
        m_preferences.merge(child->m_preferences);
}

Element *Element::hitTest(QPointF point)
{
    if (!m_paintBounds.contains(point))
        return nullptr;
    if (clipsChildren() && !m_frame.contains(point))
        return nullptr;
    if (capturesPointerAt(point))
        return this;
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it) {
        if (Element *hit = (*it)->hitTest(point))
            return hit;
    }
    if (acceptsPointer() && m_frame.contains(point))
        return this;
    return nullptr;
}

Element *Element::findByTag(const QVariant &tag)
{
    if (m_tag.isValid() && m_tag == tag)
        return this;
    for (const ElementPtr &child : m_children) {
        if (Element *found = child->findByTag(tag))
            return found;
    }
    return nullptr;
}

void Element::findAllByTag(const QVariant &tag, std::vector<Element *> &found)
{
    if (m_tag.isValid() && m_tag == tag)
        found.push_back(this);
    for (const ElementPtr &child : m_children)
        child->findAllByTag(tag, found);
}

} // namespace ui

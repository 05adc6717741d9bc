#include "ui/element.h"

#include "ui/accessibility.h"
#include "ui/cancellation.h"
#include "ui/viewtree.h"

#include <QPainter>

#include <algorithm>
#include <atomic>
#include <bit>

namespace ui {

namespace {
// Room for the proposals a parent makes in one pass (minimum, maximum, its share and
// the placement, per axis, sometimes from two parents' questions) with the previous
// pass's answers kept beside them, so that an unchanged subtree is not measured
// again. Answers of the current pass are never dropped, whatever their number.
constexpr size_t cacheCapacity = 8;
// Trees are laid out on more than one thread (a long document on a worker, its
// blocks on a few): each thread keeps the pass it works for, numbered from one count.
std::atomic<quint64> passCount = 1;
thread_local quint64 currentPass = 1;
} // namespace

Element::~Element() = default;

AccessibilityTraits &Element::accessibilityTraits()
{
    if (!m_accessibility)
        m_accessibility = std::make_unique<AccessibilityTraits>();
    return *m_accessibility;
}

void Element::beginLayoutPass()
{
    currentPass = ++passCount;
}

quint64 Element::layoutPass()
{
    return currentPass;
}

void Element::joinLayoutPass(quint64 pass)
{
    currentPass = pass;
}

Element::ProposalKey Element::ProposalKey::of(const ProposedSize &proposal, ProposalAxes followed)
{
    // An absent dimension is a NaN no arithmetic makes, so it never meets an offer;
    // -0 and 0 are one offer; a dimension the element ignores counts as absent.
    constexpr quint64 absent = 0x7ff8dead0000beefull;
    auto word = [](std::optional<double> value, bool read) {
        return value && read ? std::bit_cast<quint64>(*value == 0 ? 0.0 : *value) : absent;
    };
    return { word(proposal.width, followed.width), word(proposal.height, followed.height) };
}

ProposalAxes Element::followedAxes()
{
    if (!m_followedAxes)
        m_followedAxes = proposalAxes();
    return *m_followedAxes;
}

Element::Measurement *Element::findMeasurement(const ProposedSize &proposal)
{
    const ProposalKey key = ProposalKey::of(proposal, followedAxes());
    for (auto it = m_cache.begin(); it != m_cache.end(); ++it) {
        if (it->key == key) {
            it->pass = currentPass;
            // Most recently used first: one pass asks the same few proposals again
            // and again, and answers of older passes sink to the end.
            if (it != m_cache.begin())
                std::rotate(m_cache.begin(), it, it + 1);
            return &m_cache.front();
        }
    }
    return nullptr;
}

Element::Measurement &Element::measurementFor(const ProposedSize &proposal)
{
    if (Measurement *known = findMeasurement(proposal))
        return *known;
    m_measuredBaselines.reset();
    m_measuredScratch.reset();
    // Work that was cut short measures nothing more: its tree is thrown away.
    const QSizeF size = CancellationToken::isCurrentCancelled() ? QSizeF(0, 0) : measure(proposal);
    // Answers older than the previous pass go; beyond the capacity, the previous
    // pass's go too, least recently used first.
    std::erase_if(m_cache, [](const Measurement &measurement) { return measurement.pass + 1 < currentPass; });
    while (m_cache.size() >= cacheCapacity && m_cache.back().pass != currentPass)
        m_cache.pop_back();
    Measurement measurement { ProposalKey::of(proposal, followedAxes()), size, {}, {}, currentPass,
        std::move(m_measuredScratch) };
    if (m_measuredBaselines) {
        measurement.baselines[0] = m_measuredBaselines->first;
        measurement.baselines[1] = m_measuredBaselines->second;
        measurement.knowsBaseline[0] = measurement.knowsBaseline[1] = true;
        m_measuredBaselines.reset();
    }
    // Most elements are asked a handful of proposals per pass: room for them at once.
    if (m_cache.capacity() == 0)
        m_cache.reserve(4);
    m_cache.insert(m_cache.begin(), std::move(measurement));
    return m_cache.front();
}

QSizeF Element::sizeThatFits(const ProposedSize &proposal)
{
    return measurementFor(proposal).size;
}

double Element::widthThatFits(const ProposedSize &proposal)
{
    if (const Measurement *known = findMeasurement(proposal))
        return known->size.width();
    if (!CancellationToken::isCurrentCancelled()) {
        if (const std::optional<double> width = knownWidth(proposal))
            return *width;
    }
    return sizeThatFits(proposal).width();
}

std::optional<double> Element::baseline(const ProposedSize &proposal, bool last)
{
    const Measurement &measurement = measurementFor(proposal);
    if (measurement.knowsBaseline[last])
        return measurement.baselines[last];
    if (CancellationToken::isCurrentCancelled())
        return std::nullopt; // what was not measured has no lines
    const QSizeF size = measurement.size;
    const std::optional<double> line = measureBaseline(proposal, size, last);
    // Found again: working the baseline out may have measured this element anew.
    Measurement &stored = measurementFor(proposal);
    stored.baselines[last] = line;
    stored.knowsBaseline[last] = true;
    return line;
}

void Element::setMeasuredBaselines(std::optional<double> first, std::optional<double> last)
{
    m_measuredBaselines.emplace(first, last);
}

void Element::setMeasuredScratch(std::shared_ptr<const void> scratch)
{
    m_measuredScratch = std::move(scratch);
}

const void *Element::measuredScratch(const ProposedSize &proposal)
{
    return measurementFor(proposal).scratch.get();
}

void Element::place(const QRectF &frame, const ProposedSize &proposal)
{
    // Exact comparisons: QSizeF and QPointF compare fuzzily.
    if (!m_needsPlacement && proposal == m_placedProposal && frame.width() == m_frame.width()
        && frame.height() == m_frame.height()) {
        if (frame.x() != m_frame.x() || frame.y() != m_frame.y())
            moveBy(QPointF(frame.x() - m_frame.x(), frame.y() - m_frame.y()));
        return;
    }
    m_frame = frame;
    m_placedProposal = proposal;
    // Cut-short work places nothing inside: its children were never measured.
    m_needsPlacement = CancellationToken::isCurrentCancelled();
    if (m_needsPlacement)
        return;
    placeChildren(proposal);
    uniteChildrenPaintBounds();
}

void Element::uniteChildrenPaintBounds()
{
    m_paintBounds = m_frame;
    if (clipsChildren())
        return;
    for (const ElementPtr &child : m_children) {
        if (!child->m_paintBounds.isEmpty())
            m_paintBounds = m_paintBounds.united(child->m_paintBounds);
    }
}

void Element::placeAgain()
{
    m_needsPlacement = true;
    place(m_frame, m_placedProposal);
}

void Element::moveBy(QPointF delta)
{
    if (dependsOnPosition()) {
        m_needsPlacement = true;
        place(m_frame.translated(delta), m_placedProposal);
        return;
    }
    m_frame.translate(delta);
    for (const ElementPtr &child : m_children)
        child->moveBy(delta);
    uniteChildrenPaintBounds();
}

std::optional<double> Element::measureBaseline(const ProposedSize &proposal, QSizeF, bool last)
{
    if (m_children.size() == 1)
        return m_children.front()->baseline(proposal, last);
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
    Element *root = dropMeasurements();
    if (root->m_tree)
        root->m_tree->setNeedsLayout();
}

Element *Element::dropMeasurements()
{
    Element *element = this;
    for (;; element = element->m_parent) {
        element->m_cache.clear();
        element->m_needsPlacement = true;
        element->m_followedAxes.reset();
        if (!element->m_parent)
            return element;
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

ElementPtr Element::replaceChild(Element &child, ElementPtr replacement)
{
    auto it = std::find_if(m_children.begin(), m_children.end(),
        [&child](const ElementPtr &element) { return element.get() == &child; });
    Q_ASSERT_X(it != m_children.end(), "Element::replaceChild", "not a child of this element");
    ElementPtr old = std::move(*it);
    old->m_parent = nullptr;
    replacement->m_parent = this;
    *it = std::move(replacement);
    childReplaced(*old, **it);
    dropMeasurements();
    return old;
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

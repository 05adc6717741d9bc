#include "ui/viewtree.h"

#include "ui/layout.h"

#include <QPainter>

#include <algorithm>
#include <iterator>

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
    m_store.setChangeHandler([this](quint64 key) {
        m_written.push_back(key);
        m_rebuildRequested = true;
        if (!m_resolving && m_needsRebuild)
            m_needsRebuild();
    });
}

ViewTree::~ViewTree() = default;

void ViewTree::setRoot(View root)
{
    m_rootView = std::move(root);
    m_resolveAll = true;
}

void ViewTree::setEnvironment(EnvironmentValues environment)
{
    m_environment = std::move(environment);
    m_resolveAll = true;
}

void ViewTree::dropThreadBoundObjects()
{
    std::vector<Element *> pending;
    if (m_root)
        pending.push_back(m_root.get());
    while (!pending.empty()) {
        Element *element = pending.back();
        pending.pop_back();
        element->dropThreadBoundObjects();
        for (const ElementPtr &child : element->children())
            pending.push_back(child.get());
    }
}

void ViewTree::setNeedsRebuildHandler(std::function<void()> handler)
{
    m_needsRebuild = std::move(handler);
}

void ViewTree::rebuild(std::optional<double> width)
{
    m_resolveAll = true;
    settle(width);
}

void ViewTree::update(std::optional<double> width)
{
    settle(width);
}

void ViewTree::settle(std::optional<double> width)
{
    if (width)
        m_width = *width;
    m_resolving = true;
    for (int pass = 0; pass < maxPasses; ++pass) {
        m_rebuildRequested = false;
        const bool all = m_resolveAll || !m_root || !resolveChanged();
        if (all)
            resolveAll();
        // Placed inside the pass: what a geometry reader resolves while placed is
        // part of the tree the pass keeps.
        place(m_width);
        if (all)
            m_store.endPass();
        else
            m_store.startPending();
        if (!m_rebuildRequested)
            break;
    }
    m_resolving = false;
    // Still unsettled: try again on the host's next turn rather than block it.
    if (m_rebuildRequested && m_needsRebuild)
        m_needsRebuild();
}

void ViewTree::resolveAll()
{
    m_resolveAll = false;
    m_written.clear();
    m_store.beginPass();
    // The old elements leave first: the host drops its pointers into them, and they
    // answer nothing of this tree any more.
    if (m_root) {
        remove(*m_root);
        m_root->m_tree = nullptr;
        if (m_retire)
            m_retire(std::move(m_root));
    }
    m_root.reset();
    m_root = m_rootView.resolve(m_environment, ResolveScope(m_store, rootIdentity));
    m_root->m_tree = this;
}

namespace {

// Marks the written keys that `reads` holds; true when there was any.
bool markRead(const std::vector<quint64> &reads, const std::vector<quint64> &written, std::vector<bool> &read)
{
    bool any = false;
    auto a = reads.begin();
    auto b = written.begin();
    while (a != reads.end() && b != written.end()) {
        if (*a == *b) {
            read[size_t(b - written.begin())] = true;
            any = true;
            ++a;
            ++b;
        } else if (*a < *b) {
            ++a;
        } else {
            ++b;
        }
    }
    return any;
}

// The outermost elements whose own view read any of `written`: each is resolved again
// with everything inside it. Readers inside them only mark what they read.
void collectReaders(Element &element, const std::vector<quint64> &written, std::vector<bool> &read,
    std::vector<Element *> *found)
{
    if (const ResolveOrigin *origin = element.origin(); origin && markRead(origin->reads, written, read)) {
        if (found)
            found->push_back(&element);
        found = nullptr;
    }
    for (const ElementPtr &child : element.children())
        collectReaders(*child, written, read, found);
}

// An ancestor's record of what its subtree visits, after one subtree inside it was
// resolved again: without what that dropped, with what it visited anew.
void mendVisits(
    std::vector<quint64> &visits, const std::vector<quint64> &dropped, const std::vector<quint64> &fresh)
{
    if (dropped.empty() && std::includes(visits.begin(), visits.end(), fresh.begin(), fresh.end()))
        return;
    std::vector<quint64> kept;
    std::set_difference(
        visits.begin(), visits.end(), dropped.begin(), dropped.end(), std::back_inserter(kept));
    visits.clear();
    std::set_union(kept.begin(), kept.end(), fresh.begin(), fresh.end(), std::back_inserter(visits));
}

} // namespace

bool ViewTree::resolveChanged()
{
    std::vector<quint64> written = std::move(m_written);
    m_written.clear();
    if (written.empty())
        return true;
    std::sort(written.begin(), written.end());
    written.erase(std::unique(written.begin(), written.end()), written.end());
    std::vector<Element *> readers;
    std::vector<bool> read(written.size(), false);
    collectReaders(*m_root, written, read, &readers);
    // State that still belongs to the tree but that no element holds was read by a view
    // whose element a container left out (empty in a stack): only resolving its
    // ancestors again can bring it back.
    for (size_t i = 0; i < written.size(); ++i) {
        if (!read[i] && m_store.contains(written[i]))
            return false;
    }
    for (Element *old : readers) {
        // Kept alive past the old element, which holds it.
        const std::shared_ptr<ResolveOrigin> origin = old->m_origin;
        m_store.beginResolveAgain(origin->visits);
        const StateStore::ResolveFrame frame = m_store.beginResolve();
        ElementPtr fresh = origin->view.resolve(origin->environment, origin->scope);
        std::vector<quint64> visits = m_store.endResolve(frame, true).visits;
        const std::vector<quint64> dropped = m_store.endResolveAgain(origin->visits);
        // The ancestors were built from what the old subtree reported up, and a stack
        // leaves empty views out: a change of either needs them built again too.
        if (fresh->isEmpty() != old->isEmpty() || !fresh->preferences().isSameAs(old->preferences()))
            return false;
        for (Element *ancestor = old->parent(); ancestor; ancestor = ancestor->parent()) {
            if (ancestor->m_origin)
                mendVisits(ancestor->m_origin->visits, dropped, visits);
        }
        remove(*old);
        if (Element *parent = old->parent()) {
            parent->replaceChild(*old, std::move(fresh));
        } else {
            m_root = std::move(fresh);
            m_root->m_tree = this;
        }
    }
    return true;
}

void ViewTree::remove(Element &element)
{
    if (m_willRemove)
        m_willRemove(element);
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
    Element::beginLayoutPass();
    const ParallelMeasuring parallel(m_parallelLayout);
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

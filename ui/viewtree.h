#pragma once

#include "ui/view.h"

#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class QPainter;

namespace ui {

// A root view resolved into elements and laid out at a width, without any window:
// what the host widget shows, and what tests lay out. rebuild() builds the elements
// from the view (keeping state by identity); update() builds again only the views that
// read state written since; layout() measures and places them for a width and can be
// repeated without resolving again.
class ViewTree
{
public:
    explicit ViewTree(View root = {}, EnvironmentValues environment = {});
    ~ViewTree();
    ViewTree(const ViewTree &) = delete;
    ViewTree &operator=(const ViewTree &) = delete;

    void setRoot(View root);
    void setEnvironment(EnvironmentValues environment);
    const EnvironmentValues &environment() const { return m_environment; }

    // Resolves the root view again and lays it out at `width` (else the current width).
    // A pass after which state was written (a measured value reported back down) is
    // repeated at once, up to a few times, so the result has settled; such a repeat
    // resolves only what read the state.
    void rebuild(std::optional<double> width = std::nullopt);
    // Resolves again only the views that read state written since the last pass, puts
    // their new elements where the old ones were, and lays out again what that moves:
    // the rest of the tree keeps its elements, sizes and frames. Everything is
    // resolved when nothing was yet, when the root view or the environment changed,
    // or when a new subtree would change what its ancestors were built from (its
    // preferences, or whether it is empty).
    void update(std::optional<double> width = std::nullopt);
    // Measures and places the elements for `width` (ideal height).
    void layout(double width);
    double width() const { return m_width; }
    QSizeF contentSize() const;
    // Lets layout passes measure long stacks on a few threads (see ParallelMeasuring):
    // for trees of many blocks whose elements keep to themselves while measured.
    void setParallelLayout(bool enabled) { m_parallelLayout = enabled; }

    Element *root() const { return m_root.get(); }
    Element *findByTag(const QVariant &tag) const;
    std::vector<Element *> findAllByTag(const QVariant &tag) const;
    // The frame of the first element with `tag`; a null rectangle when none has it.
    QRectF frameOfTag(const QVariant &tag) const;

    void paint(QPainter &painter, const QRectF &exposed) const;
    // Before the tree is destroyed on another thread than the one it was drawn on.
    void dropThreadBoundObjects();

    StateStore &store() { return m_store; }

    // Hooks for the host: a state write asks for a rebuild, a size change inside the
    // tree (an image arrived) for a new layout, a visual change for a repaint.
    void setNeedsRebuildHandler(std::function<void()> handler);
    void setNeedsLayoutHandler(std::function<void()> handler) { m_needsLayout = std::move(handler); }
    void setNeedsRepaintHandler(std::function<void()> handler) { m_needsRepaint = std::move(handler); }
    // Called with the top of a subtree about to be destroyed, while it is still in the
    // tree: the host drops the pointers it holds into it.
    void setWillRemoveHandler(std::function<void(Element &)> handler) { m_willRemove = std::move(handler); }
    // Takes the old root when everything is resolved again, already out of the tree, so
    // that the host may free it later; without a handler it is freed at once.
    void setRetireHandler(std::function<void(ElementPtr)> handler) { m_retire = std::move(handler); }
    bool needsRebuild() const { return m_rebuildRequested; }

private:
    friend class Element;
    void settle(std::optional<double> width);
    void resolveAll();
    // False when the change reaches beyond the subtrees: everything must be resolved.
    bool resolveChanged();
    void remove(Element &element);
    void place(double width);
    void setNeedsLayout();
    void setNeedsRepaint();

    View m_rootView;
    EnvironmentValues m_environment;
    StateStore m_store;
    ElementPtr m_root;
    double m_width = 0;
    bool m_rebuildRequested = false;
    bool m_resolveAll = true;
    bool m_resolving = false;
    bool m_parallelLayout = false;
    std::vector<quint64> m_written; // state written since the last pass
    std::function<void()> m_needsRebuild;
    std::function<void()> m_needsLayout;
    std::function<void()> m_needsRepaint;
    std::function<void(Element &)> m_willRemove;
    std::function<void(ElementPtr)> m_retire;
};

} // namespace ui

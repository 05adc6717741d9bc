#pragma once

#include "ui/view.h"

#include <memory>
#include <vector>

class QThreadPool;

namespace ui {

// What a layout knows of one of its subviews: its size for any proposal (asked as
// often as needed; answers are cached), its priority and preferences, and where it
// goes. Valid only during the call it is handed to.
class LayoutSubview
{
public:
    explicit LayoutSubview(Element &element)
        : m_element(&element)
    { }

    QSizeF sizeThatFits(const ProposedSize &proposal) const { return m_element->sizeThatFits(proposal); }
    double widthThatFits(const ProposedSize &proposal) const { return m_element->widthThatFits(proposal); }
    double priority() const { return m_element->layoutPriority(); }
    // The dimensions of a proposal the subview's answers follow.
    ProposalAxes followedAxes() const { return m_element->followedAxes(); }
    bool isSpacer() const { return m_element->isSpacer(); }
    // The subview's baseline as sized for `proposal` (or as offered exactly `size`).
    std::optional<double> baseline(const ProposedSize &proposal, bool last) const
    {
        return m_element->baseline(proposal, last);
    }
    std::optional<double> baseline(QSizeF size, bool last) const { return m_element->baseline(size, last); }
    std::optional<HorizontalAlignment> gridColumnAlignment() const
    {
        return m_element->gridColumnAlignment();
    }
    template<class Key> const typename Key::Value &preference() const
    {
        return m_element->preferences().get<Key>();
    }

    // Places the subview so that `anchor` of its frame lies at `position`, at the size
    // it asks for `proposal`.
    void place(QPointF position, UnitPoint anchor = UnitPoint::topLeading(),
        const ProposedSize &proposal = {}) const;

    Element &element() const { return *m_element; }

private:
    Element *m_element;
};

using LayoutSubviews = std::vector<LayoutSubview>;

// A container's layout: sizes itself for a proposal from its subviews' answers, then
// places each subview in the bounds it was given. Both calls may come several times;
// a layout keeps no state between them (the element caches sizes per proposal).
class Layout
{
public:
    virtual ~Layout();
    virtual QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const = 0;
    virtual void placeSubviews(
        const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const = 0;
    // The baseline of the container offered `proposal`, for which it is `size` (asked
    // once per proposal). By default the subviews are placed on trial in that size and
    // the highest first baseline (or the lowest last one) among them is the
    // container's, so text inside a custom layout still lines up beside it.
    virtual std::optional<double> baseline(
        const ProposedSize &proposal, QSizeF size, const LayoutSubviews &subviews, bool last) const;
    // The dimensions of a proposal the container's answers follow. By default both; a
    // layout whose answers follow only what its subviews follow says so, and one
    // measurement then serves every value of the rest.
    virtual ProposalAxes followedAxes(const LayoutSubviews &subviews) const;
};

// While it lives, layout passes on this thread measure the subviews of a long stack
// that is offered no length along its axis (a document's column of blocks) side by
// side on a few of layoutThreads(): each is then measured for the same
// proposal and alone, as one after another would. Only for trees whose elements
// keep to themselves while measured; workers never measure in parallel themselves.
class ParallelMeasuring
{
public:
    explicit ParallelMeasuring(bool enabled);
    ~ParallelMeasuring();
    ParallelMeasuring(const ParallelMeasuring &) = delete;
    ParallelMeasuring &operator=(const ParallelMeasuring &) = delete;

private:
    bool m_previous;
};

// The threads that lay long content out away from the main thread and measure its
// blocks side by side. They never expire: each keeps the fonts and glyphs it made,
// which a new thread makes again first (a long note took twice as long after a while
// without one). They may still end (waitForDone() ends them): what texts shaped on
// one of them is freed as it ends (see ThreadShaped).
QThreadPool &layoutThreads();

// Lays `children` out with `layout`. Empty views among them are left out.
View LayoutView(std::shared_ptr<const Layout> layout, std::vector<View> children);

// A title with its icon before it, the icon standing on the title's first baseline (a
// list item's marker beside the item's first line).
View Label(const View &title, const View &icon);

// The layouts behind the stacks, for custom layouts that build on them.
class StackLayout : public Layout
{
public:
    StackLayout(Axis axis, int crossAlignment, std::optional<double> spacing);
    static std::shared_ptr<const StackLayout> horizontal(
        VerticalAlignment alignment, std::optional<double> spacing);
    static std::shared_ptr<const StackLayout> vertical(
        HorizontalAlignment alignment, std::optional<double> spacing);

    QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const override;
    void placeSubviews(
        const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const override;
    std::optional<double> baseline(
        const ProposedSize &proposal, QSizeF size, const LayoutSubviews &subviews, bool last) const override;
    // A subview that ignores the offer along the axis answers the same share-out for
    // every offer: the stack follows what its subviews follow.
    ProposalAxes followedAxes(const LayoutSubviews &subviews) const override;

    // What the share-out gave one subview: the proposal it was measured with last and
    // its size for it. Its baseline is asked for that same proposal.
    struct Share
    {
        ProposedSize proposal;
        QSizeF size;
    };
    using Shares = std::vector<Share>;
    // The share-out for a proposal, and the answers made from one: a container keeps
    // the share-out with its size, so that placing it and asking its baseline never
    // share out again.
    Shares allocate(const ProposedSize &proposal, const LayoutSubviews &subviews) const;
    // The width the stack answers `proposal` where it follows from the subviews' widths
    // alone (a column offered no height), as sizeThatFits works it out.
    std::optional<double> knownWidth(const ProposedSize &proposal, const LayoutSubviews &subviews) const;
    QSizeF sizeThatFits(const Shares &shares, const LayoutSubviews &subviews) const;
    void placeSubviews(const QRectF &bounds, const LayoutSubviews &subviews, const Shares &shares) const;
    std::optional<double> baseline(
        QSizeF size, const LayoutSubviews &subviews, bool last, const Shares &shares) const;

private:
    double along(QSizeF size) const { return m_axis == Axis::Horizontal ? size.width() : size.height(); }
    double across(QSizeF size) const { return m_axis == Axis::Horizontal ? size.height() : size.width(); }
    bool alignsBaselines() const;

    Axis m_axis;
    int m_crossAlignment; // a HorizontalAlignment or VerticalAlignment value
    double m_spacing;
};

} // namespace ui

#pragma once

#include "ui/geometry.h"
#include "ui/preferences.h"

#include <QString>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

class QKeyEvent;
class QPainter;

namespace ui {

class Element;
using ElementPtr = std::unique_ptr<Element>;
struct AccessibilityTraits;
struct AccessibleNode;
struct ResolveOrigin;

struct PointerEvent
{
    QPointF position; // in content coordinates, like frames
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers = {};
};

// The dimensions of a proposal that an element's answers (size and baselines) can
// follow. One that ignores a dimension answers every value of it alike, so one
// measurement serves them all.
struct ProposalAxes
{
    bool width = true;
    bool height = true;

    static constexpr ProposalAxes none() { return { false, false }; }
    constexpr ProposalAxes operator|(ProposalAxes other) const
    {
        return { width || other.width, height || other.height };
    }
};

// A resolved view: it measures itself for a proposal (sizeThatFits may be asked many
// times and answers from a cache per proposal, which also holds the baselines for that
// proposal), is placed at an absolute frame in content coordinates (place fixes the
// frame and places the children), and paints with QPainter. Elements are rebuilt when
// the part of the tree that holds them is resolved again; otherwise their measurements
// stay valid, so a new layout pass measures and places again only what it has to.
class Element
{
public:
    Element() = default;
    virtual ~Element();
    Element(const Element &) = delete;
    Element &operator=(const Element &) = delete;

    QSizeF sizeThatFits(const ProposedSize &proposal);
    // The width of sizeThatFits(proposal), without measuring where the element knows it
    // beforehand: a stack asks its subviews how narrow they get, which a text answers
    // at once but would measure by breaking its lines at every word.
    double widthThatFits(const ProposedSize &proposal);
    // Places the element at `frame`; `proposal` is what its parent measured it with.
    // Placed again at the same size for the same proposal with nothing changed
    // inside, the element and its subtree keep their layout and only move.
    void place(const QRectF &frame, const ProposedSize &proposal);
    void place(const QRectF &frame) { place(frame, ProposedSize::of(frame.size())); }
    const QRectF &frame() const { return m_frame; }
    // What the element was last placed with.
    const ProposedSize &placedProposal() const { return m_placedProposal; }
    // The frame together with everything drawn outside it by the children.
    const QRectF &paintBounds() const { return m_paintBounds; }

    // The baseline of the first or last line of text inside, measured from the top of
    // the element as sized for `proposal`; absent when there is no text. Worked out
    // once per proposal and kept with the size.
    std::optional<double> baseline(const ProposedSize &proposal, bool last);
    // The same for an element offered exactly `size`.
    std::optional<double> baseline(QSizeF size, bool last) { return baseline(ProposedSize::of(size), last); }

    // Empty views take no space and no spacing in stacks.
    virtual bool isEmpty() const { return false; }
    // Spacers grow along their stack's axis.
    virtual bool isSpacer() const { return false; }

    void paint(QPainter &painter, const QRectF &exposed) const;

    // Which dimensions of a proposal this element's answers follow (worked out once).
    ProposalAxes followedAxes();

    // Drops cached sizes here and in every ancestor (content changed after loading), so
    // that the next layout pass measures and places them again.
    void invalidateSize();
    // Starts a layout pass: measurements made since the previous one may be dropped
    // from the caches once they are full, those of this pass never are.
    static void beginLayoutPass();
    // The pass under way on this thread, and joining one begun on another thread (to
    // measure for it there).
    static quint64 layoutPass();
    static void joinLayoutPass(quint64 pass);

    Element *parent() const { return m_parent; }
    const std::vector<ElementPtr> &children() const { return m_children; }
    void addChild(ElementPtr child);
    // Puts `replacement` where `child` was (the subtree resolved again) and hands the
    // old child back. This element and its ancestors are measured and placed again.
    ElementPtr replaceChild(Element &child, ElementPtr replacement);
    // Where the element was resolved, when its subtree read state; null otherwise.
    const ResolveOrigin *origin() const { return m_origin.get(); }

    double layoutPriority() const { return m_layoutPriority; }
    void setLayoutPriority(double priority) { m_layoutPriority = priority; }
    const QVariant &tag() const { return m_tag; }
    void setTag(const QVariant &tag) { m_tag = tag; }
    quint64 identity() const { return m_identity; }
    void setIdentity(quint64 identity) { m_identity = identity; }
    const QString &toolTip() const { return m_toolTip; }
    void setToolTip(const QString &toolTip) { m_toolTip = toolTip; }
    std::optional<HorizontalAlignment> gridColumnAlignment() const { return m_gridColumnAlignment; }
    void setGridColumnAlignment(HorizontalAlignment alignment) { m_gridColumnAlignment = alignment; }

    PreferenceValues &preferences() { return m_preferences; }
    const PreferenceValues &preferences() const { return m_preferences; }
    // Reduces the children's preferences in tree order into this element's.
    void collectPreferences();

    // The deepest element under `point` that takes pointer events, or null.
    Element *hitTest(QPointF point);
    Element *findByTag(const QVariant &tag);
    void findAllByTag(const QVariant &tag, std::vector<Element *> &found);

    // Interaction, sent by the host. Elements that take the pointer receive presses,
    // moves and releases; the element pressed last receives the keys when it takes focus.
    virtual bool acceptsPointer() const { return false; }
    // True where this element takes the pointer ahead of its children (a scroller's
    // indicator drawn over its content).
    virtual bool capturesPointerAt(QPointF) const { return false; }
    virtual bool acceptsFocus() const { return false; }
    virtual Qt::CursorShape cursorAt(QPointF) const { return Qt::ArrowCursor; }
    virtual void mousePressed(const PointerEvent &) { }
    virtual void mouseMoved(const PointerEvent &) { }
    virtual void mouseReleased(const PointerEvent &) { }
    virtual void hoverMoved(QPointF) { }
    virtual void hoverLeft() { }
    virtual bool keyPressed(QKeyEvent *) { return false; }
    virtual void focusLost() { }
    // Drops the objects it made on the thread it was drawn on (they belong to that
    // thread), so that the element can be torn down on another.
    virtual void dropThreadBoundObjects() { }
    // A wheel turn in pixels; true when consumed (a horizontal scroller).
    virtual bool wheelScrolled(QPointF) { return false; }

    // What the element is to assistive technology by its kind (a text, an image, a
    // button), written into `node`; most elements are only layout and leave it.
    // Asked only while assistive technology listens (see ui/accessibility.h).
    virtual void describeAccessibly(AccessibleNode &) const { }
    // What accessibility modifiers said about the element; null when none did.
    const AccessibilityTraits *accessibilityTraits() const { return m_accessibility.get(); }
    AccessibilityTraits &accessibilityTraits();

    // Repaint and relayout requests travel to the host through the root.
    void requestRepaint();

protected:
    virtual QSizeF measure(const ProposedSize &proposal) = 0;
    // The width measure() gives for `proposal` where it follows without measuring,
    // exactly as measure() works it out; absent where it has to be measured.
    virtual std::optional<double> knownWidth(const ProposedSize &) { return std::nullopt; }
    // The baseline for `proposal`, for which measure() gave `size`. By default an
    // element with one child passes on the child's baseline for the same proposal.
    virtual std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF size, bool last);
    // The dimensions of a proposal measure() and measureBaseline() read. The default,
    // both, is always right; an element answers less only when it is sure.
    virtual ProposalAxes proposalAxes() { return {}; }
    // Called from measure() by elements that find their baselines cheapest while
    // measuring (text): they are kept with the size being measured.
    void setMeasuredBaselines(std::optional<double> first, std::optional<double> last);
    // Called from measure() to keep work that placing and baselines for the same
    // proposal can reuse (a stack's share-out) with the size; dropped with it.
    void setMeasuredScratch(std::shared_ptr<const void> scratch);
    // What measure() kept for `proposal`, measuring first if need be; null if nothing.
    const void *measuredScratch(const ProposedSize &proposal);
    // Places the children inside m_frame; the default places each at the whole frame.
    virtual void placeChildren(const ProposedSize &proposal);
    // Whether what the element shows depends on where it stands, not only on its size:
    // such an element is placed again when it moves rather than shifted.
    virtual bool dependsOnPosition() const { return false; }
    // Places the children again in the same frame (state that moves them changed).
    void placeAgain();
    // A child was replaced: containers that keep pointers to their children mend them.
    virtual void childReplaced(Element &, Element &) { }
    // Draws this element's own content (under its children).
    virtual void paintContent(QPainter &, const QRectF &) const { }
    // Draws over the children (overlays that are not children).
    virtual void paintOverlay(QPainter &, const QRectF &) const { }
    virtual bool clipsChildren() const { return false; }
    virtual void paintChildren(QPainter &painter, const QRectF &exposed) const;
    void removeAllChildren() { m_children.clear(); }

    QRectF m_frame;

private:
    friend class ViewTree;
    friend class View;
    // A proposal as two words compared exactly: the caches are searched far more often
    // than they are filled.
    struct ProposalKey
    {
        quint64 width;
        quint64 height;
        static ProposalKey of(const ProposedSize &proposal, ProposalAxes followed);
        bool operator==(const ProposalKey &) const = default;
    };
    struct Measurement
    {
        ProposalKey key;
        QSizeF size;
        std::optional<double> baselines[2]; // first, last
        bool knowsBaseline[2] = { false, false };
        quint64 pass = 0;
        std::shared_ptr<const void> scratch;
    };

    Measurement *findMeasurement(const ProposedSize &proposal);
    Measurement &measurementFor(const ProposedSize &proposal);
    void moveBy(QPointF delta);
    // Clears the measurements here and up to the root, which it returns.
    Element *dropMeasurements();
    void uniteChildrenPaintBounds();

    // What painting walks comes first, together.
    Element *m_parent = nullptr;
    std::vector<ElementPtr> m_children;
    QRectF m_paintBounds;
    std::vector<Measurement> m_cache;
    ProposedSize m_placedProposal;
    bool m_needsPlacement = true;
    std::optional<ProposalAxes> m_followedAxes;
    // Where the element was resolved, kept when its subtree read state (see View::resolve).
    std::shared_ptr<ResolveOrigin> m_origin;
    // Handed from measure() to the measurement being made.
    std::optional<std::pair<std::optional<double>, std::optional<double>>> m_measuredBaselines;
    std::shared_ptr<const void> m_measuredScratch;
    PreferenceValues m_preferences;
    QVariant m_tag;
    QString m_toolTip;
    quint64 m_identity = 0;
    double m_layoutPriority = 0;
    std::optional<HorizontalAlignment> m_gridColumnAlignment;
    std::unique_ptr<AccessibilityTraits> m_accessibility; // few elements have any
    class ViewTree *m_tree = nullptr; // set on the root only
};

} // namespace ui

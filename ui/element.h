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

struct PointerEvent
{
    QPointF position; // in content coordinates, like frames
    Qt::MouseButton button = Qt::LeftButton;
    Qt::KeyboardModifiers modifiers = {};
};

// A resolved view: it measures itself for a proposal (sizeThatFits may be asked many
// times and answers from a cache per proposal), is placed once per layout pass at an
// absolute frame in content coordinates (place fixes the frame and places the
// children), and paints with QPainter. Elements are rebuilt when the tree is resolved
// again; a width change only measures and places them again.
class Element
{
public:
    Element() = default;
    virtual ~Element();
    Element(const Element &) = delete;
    Element &operator=(const Element &) = delete;

    QSizeF sizeThatFits(const ProposedSize &proposal);
    // Places the element at `frame`; `proposal` is what its parent measured it with.
    void place(const QRectF &frame, const ProposedSize &proposal);
    void place(const QRectF &frame) { place(frame, ProposedSize::of(frame.size())); }
    const QRectF &frame() const { return m_frame; }
    // The frame together with everything drawn outside it by the children.
    const QRectF &paintBounds() const { return m_paintBounds; }

    // The baseline of the first or last line of text inside, measured from the top of
    // an element of `size`; absent when there is no text.
    virtual std::optional<double> baseline(QSizeF size, bool last);

    // Empty views take no space and no spacing in stacks.
    virtual bool isEmpty() const { return false; }
    // Spacers grow along their stack's axis.
    virtual bool isSpacer() const { return false; }

    void paint(QPainter &painter, const QRectF &exposed) const;

    // Drops cached sizes here and in every ancestor (content changed after loading).
    void invalidateSize();

    Element *parent() const { return m_parent; }
    const std::vector<ElementPtr> &children() const { return m_children; }
    void addChild(ElementPtr child);

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
    // A wheel turn in pixels; true when consumed (a horizontal scroller).
    virtual bool wheelScrolled(QPointF) { return false; }

    // Repaint and relayout requests travel to the host through the root.
    void requestRepaint();

protected:
    virtual QSizeF measure(const ProposedSize &proposal) = 0;
    // Places the children inside m_frame; the default places each at the whole frame.
    virtual void placeChildren(const ProposedSize &proposal);
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
    struct CachedSize
    {
        ProposedSize proposal;
        QSizeF size;
    };

    Element *m_parent = nullptr;
    std::vector<ElementPtr> m_children;
    std::vector<CachedSize> m_cache;
    QRectF m_paintBounds;
    PreferenceValues m_preferences;
    QVariant m_tag;
    QString m_toolTip;
    quint64 m_identity = 0;
    double m_layoutPriority = 0;
    std::optional<HorizontalAlignment> m_gridColumnAlignment;
    class ViewTree *m_tree = nullptr; // set on the root only
};

} // namespace ui

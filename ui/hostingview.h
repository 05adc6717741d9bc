#pragma once

#include "ui/viewtree.h"

#include <QAbstractScrollArea>
#include <QPointer>

#include <functional>
#include <memory>

class QScreen;

namespace ui {

// The one widget that shows a view tree: it lays the tree out at the viewport's width
// (a width change measures and places again without resolving), scrolls vertically,
// paints only what is visible, and routes the mouse, keys and wheel to the elements.
// State writes and finished asynchronous work rebuild what read the state, or lay out
// again, on the next turn of the event loop, once however many arrive. Main thread only.
class HostingView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit HostingView(QWidget *parent = nullptr);
    ~HostingView() override;

    void setRootView(View root);
    // Values for the whole tree; the appearance follows the palette, and the user's text
    // size the application font at the dots per inch of the screen the host is shown on
    // (as they change, and as its window moves), unless set here.
    void setEnvironment(EnvironmentValues environment);

    ViewTree &tree() { return *m_tree; }

    // Showing a tree resolved and laid out elsewhere (a worker thread), so that the
    // main thread only swaps it in. A tree made for this host starts from
    // treeEnvironment() and is laid out at viewportWidth(); it holds its tasks
    // (StateStore::holdTasks()) until adopted.
    EnvironmentValues treeEnvironment() const;
    // Changes whenever the environment given to the tree does.
    quint64 environmentRevision() const { return m_environmentRevision; }
    // For an owner that makes its trees elsewhere: when the appearance or the user's
    // text size changes, the handler is asked first, and answers true when it makes a
    // tree for the new environment itself. The shown tree then keeps its look, unresolved, until one
    // made for environmentRevision() is adopted (or a new root view is set). Answering
    // false leaves it to the host, which resolves the shown tree again.
    void setAppearanceChangeHandler(std::function<bool()> handler)
    {
        m_appearanceChange = std::move(handler);
    }
    // Whether the shown tree was resolved for the current environment.
    bool showsCurrentEnvironment() const { return m_treeRevision == m_environmentRevision; }
    // The width the tree gets when its content scrolls (a scroll bar may take room)
    // or fits.
    double viewportWidth(bool scrolls) const;
    double viewportHeight() const { return maximumViewportSize().height(); }
    // Whether content of this height scrolls.
    bool scrolls(double contentHeight) const;
    // Shows `tree` in place of the current one, which comes back (its hooks into this
    // host cut, the objects it made for drawing dropped) for the caller to dispose of
    // on any thread. A tree made for an older environment is
    // resolved again; one laid out at another width is laid out again.
    std::unique_ptr<ViewTree> adoptTree(std::unique_ptr<ViewTree> tree, quint64 environmentRevision);
    QSize sizeHint() const override;

    // Runs a pending rebuild or relayout now (tests and callers that need the result).
    void flush();

    // Changes whenever the shown tree was built or laid out again: what assistive
    // technology was shown of it is out of date.
    quint64 accessibleRevision() const { return m_accessibleRevision; }
    // Where a frame in content coordinates is on the screen, as scrolled now.
    QRect screenRect(const QRectF &contentFrame) const;
    // The part of the content the viewport shows.
    QRectF visibleContentRect() const;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool viewportEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QPointF toContent(QPointF viewportPoint) const;
    void scheduleRebuild();
    void scheduleLayout();
    void relayout();
    void applyEnvironment();
    // The look or the user's text size changed: the tree is made again, by the owner
    // or here.
    void environmentChanged();
    // The screen the window is on now, whose dots per inch the text size follows.
    void followScreen();
    void setTextSizeScale(double scale);
    void connectTree();
    void updateHover(QPointF contentPoint);
    void forgetElements();
    void forgetElementsIn(Element &subtree);
    void releaseRetired();

    std::unique_ptr<ViewTree> m_tree;
    EnvironmentValues m_environment;
    quint64 m_environmentRevision = 0;
    quint64 m_treeRevision = 0; // what the shown tree was resolved for
    quint64 m_accessibleRevision = 0;
    std::function<bool()> m_appearanceChange;
    double m_textSizeScale; // the user's, as the application font gives it on m_screen
    QPointer<QScreen> m_screen; // followed once shown
    QMetaObject::Connection m_dotsPerInchConnection; // to m_screen
    bool m_rebuildScheduled = false;
    bool m_layoutScheduled = false;
    // The elements a new root replaced, freed once the new ones are on screen: freeing
    // a long note's elements takes as long as laying out a short one.
    ElementPtr m_retired;
    bool m_releaseScheduled = false;
    // Raw pointers into the tree, dropped whenever what holds them is resolved again.
    Element *m_pressed = nullptr;
    Element *m_hovered = nullptr;
    Element *m_focused = nullptr;
};

} // namespace ui

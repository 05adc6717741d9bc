#pragma once

#include "ui/accessibility.h"

#include <QAccessibleWidget>

#include <unordered_map>
#include <vector>

namespace ui {

class HostingView;

// The host as assistive technology sees it: a document whose children are the nodes
// of the tree it shows (texts, headings, links, labelled images, buttons, groups).
// Qt makes it only when assistive technology asks (QAccessible::isActive()), and the
// nodes are taken from the tree only when asked for, again after every change of the
// tree. Owns the interfaces of its nodes: they are dropped when the nodes are taken
// again, or with it. Main thread only.
class HostingViewAccessible final : public QAccessibleWidget
{
public:
    explicit HostingViewAccessible(HostingView *host);
    ~HostingViewAccessible() override;

    // What Qt's accessibility asks to make an interface for an object (installed once
    // by the host).
    static QAccessibleInterface *create(const QString &className, QObject *object);

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    // The interface of one of its nodes, made on first use.
    QAccessibleInterface *interfaceOf(const AccessibleNode &node, QAccessibleInterface *parent) const;
    // Where a frame in content coordinates is on the screen now, scrolling included.
    QRect screenRect(const QRectF &frame) const;
    bool isShown(const QRectF &frame) const;
    HostingView &host() const;

private:
    const std::vector<AccessibleNode> &nodes() const;
    void dropNodeInterfaces() const;

    mutable std::vector<AccessibleNode> m_nodes;
    mutable quint64 m_revision = 0; // of the host's tree the nodes were taken from
    mutable bool m_taken = false;
    mutable std::unordered_map<const AccessibleNode *, QAccessible::Id> m_interfaces;
};

} // namespace ui

#include "ui/hostingviewaccessible.h"

#include "ui/hostingview.h"

#include <QTimer>

namespace ui {

namespace {

QAccessible::Role qtRole(AccessibleRole role)
{
    switch (role) {
    case AccessibleRole::Text:
        return QAccessible::StaticText;
    case AccessibleRole::Heading:
        return QAccessible::Heading;
    case AccessibleRole::Link:
        return QAccessible::Link;
    case AccessibleRole::Image:
        return QAccessible::Graphic;
    case AccessibleRole::Button:
        return QAccessible::Button;
    case AccessibleRole::Group:
    case AccessibleRole::None:
        break;
    }
    return QAccessible::Grouping;
}

// One node of the tree. It reads the copy its owner took, so it never reaches into
// elements that a rebuild may have destroyed.
class NodeAccessible final : public QAccessibleInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleTextInterface,
                             public QAccessibleImageInterface
{
public:
    NodeAccessible(
        const HostingViewAccessible &owner, const AccessibleNode &node, QAccessibleInterface *parent)
        : m_owner(owner)
        , m_node(node)
        , m_parent(parent)
    { }

    bool isValid() const override { return m_owner.isValid(); }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_owner.window(); }

    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (const AccessibleNode &child : m_node.children) {
            if (m_owner.screenRect(child.frame).contains(x, y))
                return m_owner.interfaceOf(child, const_cast<NodeAccessible *>(this));
        }
        return nullptr;
    }
    QAccessibleInterface *parent() const override { return m_parent; }
    QAccessibleInterface *child(int index) const override
    {
        if (index < 0 || size_t(index) >= m_node.children.size())
            return nullptr;
        return m_owner.interfaceOf(m_node.children[size_t(index)], const_cast<NodeAccessible *>(this));
    }
    int childCount() const override { return int(m_node.children.size()); }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (int i = 0; i < childCount(); ++i) {
            if (this->child(i) == child)
                return i;
        }
        return -1;
    }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Name)
            return m_node.name;
        // Qt 6.4 hands assistive technology no heading level of its own.
        if (t == QAccessible::Description && m_node.role == AccessibleRole::Heading
            && m_node.headingLevel > 0)
            return QStringLiteral("Heading level %1").arg(m_node.headingLevel);
        return {};
    }
    void setText(QAccessible::Text, const QString &) override { }
    QRect rect() const override { return m_owner.screenRect(m_node.frame); }
    QAccessible::Role role() const override { return qtRole(m_node.role); }
    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.readOnly = true;
        state.offscreen = !m_owner.isShown(m_node.frame);
        state.invisible = state.offscreen;
        state.linked = m_node.role == AccessibleRole::Link;
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        switch (type) {
        case QAccessible::ActionInterface:
            return m_node.activate ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
        case QAccessible::TextInterface:
            return m_node.role == AccessibleRole::Text || m_node.role == AccessibleRole::Heading
                ? static_cast<QAccessibleTextInterface *>(this)
                : nullptr;
        case QAccessible::ImageInterface:
            return m_node.role == AccessibleRole::Image ? static_cast<QAccessibleImageInterface *>(this)
                                                        : nullptr;
        default:
            return nullptr;
        }
    }

    // Actions: links and buttons are pressed.
    QStringList actionNames() const override { return { pressAction() }; }
    void doAction(const QString &actionName) override
    {
        if (actionName != pressAction() || !m_node.activate)
            return;
        // Later: what it does may rebuild the tree, and this interface with it.
        QTimer::singleShot(0, &m_owner.host(), m_node.activate);
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

    // Text: read only, nothing selected, no caret.
    void selection(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = 0;
    }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override { }
    void removeSelection(int) override { }
    void setSelection(int, int, int) override { }
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override { }
    QString text(int startOffset, int endOffset) const override
    {
        return m_node.name.mid(startOffset, endOffset - startOffset);
    }
    int characterCount() const override { return int(m_node.name.size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint &) const override { return -1; }
    void scrollToSubstring(int, int) override { }
    QString attributes(int, int *startOffset, int *endOffset) const override
    {
        *startOffset = 0;
        *endOffset = characterCount();
        return {};
    }

    // Image: described by its label.
    QString imageDescription() const override { return m_node.name; }
    QSize imageSize() const override { return m_node.frame.size().toSize(); }
    QPoint imagePosition() const override { return rect().topLeft(); }

private:
    const HostingViewAccessible &m_owner;
    const AccessibleNode &m_node;
    QAccessibleInterface *m_parent;
};

} // namespace

HostingViewAccessible::HostingViewAccessible(HostingView *host)
    : QAccessibleWidget(host, QAccessible::Document)
{ }

HostingViewAccessible::~HostingViewAccessible()
{
    dropNodeInterfaces();
}

QAccessibleInterface *HostingViewAccessible::create(const QString &className, QObject *object)
{
    if (className == QLatin1String(HostingView::staticMetaObject.className()) && object
        && object->isWidgetType())
        return new HostingViewAccessible(static_cast<HostingView *>(object));
    return nullptr;
}

HostingView &HostingViewAccessible::host() const
{
    return *static_cast<HostingView *>(widget());
}

const std::vector<AccessibleNode> &HostingViewAccessible::nodes() const
{
    const quint64 revision = host().accessibleRevision();
    if (m_taken && m_revision == revision)
        return m_nodes;
    dropNodeInterfaces();
    const Element *root = host().tree().root();
    m_nodes = root ? accessibleNodes(*root) : std::vector<AccessibleNode> {};
    m_revision = revision;
    m_taken = true;
    return m_nodes;
}

void HostingViewAccessible::dropNodeInterfaces() const
{
    const auto interfaces = std::exchange(m_interfaces, {});
    for (const auto &[node, id] : interfaces) {
        // The cache may have let it go already (the application is closing).
        if (QAccessible::accessibleInterface(id))
            QAccessible::deleteAccessibleInterface(id);
    }
}

int HostingViewAccessible::childCount() const
{
    return int(nodes().size());
}

QAccessibleInterface *HostingViewAccessible::child(int index) const
{
    const std::vector<AccessibleNode> &all = nodes();
    if (index < 0 || size_t(index) >= all.size())
        return nullptr;
    return interfaceOf(all[size_t(index)], const_cast<HostingViewAccessible *>(this));
}

int HostingViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    const std::vector<AccessibleNode> &all = nodes();
    for (size_t i = 0; i < all.size(); ++i) {
        const auto known = m_interfaces.find(&all[i]);
        if (known != m_interfaces.end() && QAccessible::accessibleInterface(known->second) == child)
            return int(i);
    }
    return -1;
}

QAccessibleInterface *HostingViewAccessible::childAt(int x, int y) const
{
    for (const AccessibleNode &node : nodes()) {
        if (screenRect(node.frame).contains(x, y))
            return interfaceOf(node, const_cast<HostingViewAccessible *>(this));
    }
    return nullptr;
}

QAccessibleInterface *HostingViewAccessible::interfaceOf(
    const AccessibleNode &node, QAccessibleInterface *parent) const
{
    if (const auto known = m_interfaces.find(&node); known != m_interfaces.end())
        return QAccessible::accessibleInterface(known->second);
    auto *made = new NodeAccessible(*this, node, parent);
    const QAccessible::Id id = QAccessible::registerAccessibleInterface(made);
    m_interfaces.emplace(&node, id);
    return made;
}

QRect HostingViewAccessible::screenRect(const QRectF &frame) const
{
    return host().screenRect(frame);
}

bool HostingViewAccessible::isShown(const QRectF &frame) const
{
    return host().visibleContentRect().intersects(frame);
}

} // namespace ui

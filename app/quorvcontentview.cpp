#include "app/quorvcontentview.h"

#include "app/appclipboardpanestate.h"
#include "app/appstate.h"
#include "app/panelfooterview.h"
#include "app/searchbarview.h"
#include "clipboard/clipboardpaneview.h"

#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace {

QWidget *makeArea(const QString &name, QWidget *parent)
{
    auto *area = new QWidget(parent);
    area->setObjectName(name);
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return area;
}

} // namespace

QuorvContentView::QuorvContentView(AppState &appState, NotificationCenter &notifications, QWidget *parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_clipboardState(new AppClipboardPaneState(appState, this))
{
    setObjectName(QStringLiteral("QuorvContentView"));
    setFocusPolicy(Qt::StrongFocus);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_searchBarArea = makeArea(QStringLiteral("searchBarArea"), this);
    m_searchBarArea->setMinimumHeight(36);
    auto *searchRow = new QHBoxLayout;
    searchRow->setContentsMargins(16, 12, 16, 8);
    searchRow->addWidget(m_searchBarArea);
    column->addLayout(searchRow);

    auto *panes = new QHBoxLayout;
    panes->setContentsMargins(0, 0, 0, 0);
    panes->setSpacing(0);
    m_clipboardPaneArea = makeArea(QStringLiteral("clipboardPaneArea"), this);
    m_notesPaneArea = makeArea(QStringLiteral("notesPaneArea"), this);
    auto *divider = new QFrame(this);
    divider->setObjectName(QStringLiteral("paneDivider"));
    divider->setFrameShape(QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    auto *faint = new QGraphicsOpacityEffect(divider);
    faint->setOpacity(0.3);
    divider->setGraphicsEffect(faint);
    panes->addWidget(m_clipboardPaneArea, 1);
    panes->addWidget(divider);
    panes->addWidget(m_notesPaneArea, 1);
    column->addLayout(panes, 1);

    m_footerArea = makeArea(QStringLiteral("footerArea"), this);
    m_footerArea->setMinimumHeight(28);
    column->addWidget(m_footerArea);

    place(m_searchBarArea, new SearchBarView(appState));
    place(m_clipboardPaneArea, new ClipboardPaneView(*m_clipboardState, notifications));
    auto *footer = new PanelFooterView(appState);
    footer->onSettingsTapped = [&appState] {
        if (appState.onOpenSettings)
            appState.onOpenSettings();
    };
    place(m_footerArea, footer);
}

QuorvContentView::~QuorvContentView() = default;

void QuorvContentView::place(QWidget *area, QWidget *widget)
{
    QLayout *layout = area->layout();
    while (QLayoutItem *item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    if (widget)
        layout->addWidget(widget);
}

void QuorvContentView::keyPressEvent(QKeyEvent *event)
{
    // Exactly Ctrl: Ctrl+Shift+N and the others belong to someone else.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (event->key() == Qt::Key_N && modifiers == Qt::ControlModifier
        && m_appState.focusTarget() == PanelFocusTarget::pane(FocusedPane::Notes)) {
        m_appState.createNewNote();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

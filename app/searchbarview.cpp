#include "app/searchbarview.h"

#include "app/appstate.h"
#include "notes/debouncer.h"
#include "platform/qt/derivedpalette.h"
#include "platform/symbolicon.h"
#include "ui/panelstyle.h"

#include <QFocusEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QTimer>
#include <QToolButton>

SearchBarView::SearchBarView(AppState &appState, QWidget *parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_debouncer(std::make_unique<Debouncer>(std::chrono::milliseconds(publishDelayMs)))
    , m_glass(new QLabel(this))
    , m_field(new QLineEdit(this))
    , m_clear(new QToolButton(this))
{
    setObjectName(QStringLiteral("SearchBarView"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 8, 12, 8);
    row->setSpacing(8);

    m_field->setObjectName(QStringLiteral("searchField"));
    m_field->setPlaceholderText(QStringLiteral("Search clipboard & notes..."));
    m_field->setFrame(false);
    m_field->setFont(PanelStyle::font(13));
    m_field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; }"));
    followLook(*m_field);
    m_field->installEventFilter(this);

    m_clear->setObjectName(QStringLiteral("clearButton"));
    m_clear->setAutoRaise(true);
    m_clear->setIconSize(QSize(13, 13));
    m_clear->setFocusPolicy(Qt::NoFocus);
    m_clear->setCursor(Qt::ArrowCursor);
    m_clear->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    followLook(*m_clear);
    m_clear->hide();

    row->addWidget(m_glass);
    row->addWidget(m_field, 1);
    row->addWidget(m_clear);
    updateIcons();

    connect(m_field, &QLineEdit::textChanged, this, &SearchBarView::onTextChanged);
    connect(m_clear, &QToolButton::clicked, this, &SearchBarView::clear);
    connect(&m_appState, &AppState::focusTargetChanged, this, &SearchBarView::onFocusTargetChanged);
    QPointer<SearchBarView> self(this);
    m_appState.searchFieldFlush = [self] {
        if (self)
            self->m_debouncer->flush();
    };
}

SearchBarView::~SearchBarView()
{
    m_appState.searchFieldFlush = nullptr;
    // A publication still armed must not reach a field that is gone.
    m_debouncer->cancel();
}

void SearchBarView::onTextChanged(const QString &text)
{
    m_clear->setVisible(!text.isEmpty());
    QPointer<SearchBarView> self(this);
    m_debouncer->schedule([self, text] {
        if (self)
            self->m_appState.setSearchQuery(text);
    });
}

void SearchBarView::clear()
{
    m_field->clear(); // the typing reaction follows: one more empty query after the delay
    m_appState.setSearchQuery(QString());
}

void SearchBarView::onFieldFocusChanged(bool focused)
{
    if (focused == m_appState.focusTarget().isSearch())
        return;
    // After the focus change has run its course, as the panel's own reactions do;
    // the bar as the timer's context drops the call when the bar goes first.
    QTimer::singleShot(0, this, [this, focused] { m_appState.setSearchFocused(focused); });
}

void SearchBarView::onFocusTargetChanged()
{
    const bool search = m_appState.focusTarget().isSearch();
    if (m_field->hasFocus() == search)
        return;
    if (search) {
        m_field->setFocus(Qt::TabFocusReason);
    } else {
        m_field->clearFocus();
        // The keyboard stays in the panel: its keys still reach the key routing.
        if (QWidget *panel = window())
            panel->setFocus(Qt::OtherFocusReason);
    }
}

bool SearchBarView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_field && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        // The panel coming and going moves no focus inside it.
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            onFieldFocusChanged(event->type() == QEvent::FocusIn);
    }
    return QWidget::eventFilter(watched, event);
}

void SearchBarView::paintEvent(QPaintEvent *)
{
    // A thin material: the text background, faint, on a rounded plate.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor plate = PanelStyle::textBackground(*this);
    plate.setAlphaF(0.55f);
    painter.setBrush(plate);
    painter.drawRoundedRect(QRectF(rect()), 6, 6);
}

void SearchBarView::updateIcons()
{
    m_glass->setPixmap(
        symbolPixmap(Symbol::MagnifyingGlass, 14, PanelStyle::secondary(*this), devicePixelRatioF()));
    m_clear->setIcon(symbolIcon(Symbol::ClearCircle, PanelStyle::secondary(*this)));
}

void SearchBarView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        updateIcons();
    QWidget::changeEvent(event);
}

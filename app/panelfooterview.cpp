#include "app/panelfooterview.h"

#include "app/appstate.h"
#include "platform/qt/derivedpalette.h"
#include "platform/symbolicon.h"
#include "platform/updater.h"
#include "ui/panelstyle.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>

PanelFooterView::PanelFooterView(AppState &appState, QWidget *parent)
    : QWidget(parent)
    , m_appState(appState)
    , m_hint(new QLabel(this))
    , m_update(new QPushButton(QStringLiteral("Update"), this))
    , m_settings(new QToolButton(this))
{
    setObjectName(QStringLiteral("PanelFooterView"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(16, 8, 16, 8);
    row->setSpacing(6);

    m_hint->setObjectName(QStringLiteral("dismissHint"));
    m_hint->setTextFormat(Qt::RichText);

    m_update->setObjectName(QStringLiteral("updateButton"));
    m_update->setFlat(true);
    m_update->setFocusPolicy(Qt::NoFocus);
    m_update->setCursor(Qt::PointingHandCursor);
    m_update->setFont(PanelStyle::font(9, QFont::Medium));
    // A capsule: the radius is half the height the font and paddings give.
    const int capsule = QFontMetrics(m_update->font()).height() + 4;
    m_update->setFixedHeight(capsule);
    // The system blue is the look's own (the palette's highlight), one that white
    // text reads on; the sheet is applied again when the look switches.
    m_update->setStyleSheet(QStringLiteral("QPushButton { color: white; background: palette(highlight);"
                                           " border: none; border-radius: %1px; padding: 2px 6px; }")
                                .arg(capsule / 2));
    followLook(*m_update);
    m_update->setVisible(m_appState.updateAvailable());
    connect(m_update, &QPushButton::clicked, this, [this] {
        if (Updater *updater = m_appState.updater())
            updater->checkForUpdates();
    });

    m_settings->setObjectName(QStringLiteral("settingsButton"));
    m_settings->setAutoRaise(true);
    m_settings->setFocusPolicy(Qt::NoFocus);
    m_settings->setIconSize(QSize(12, 12));
    m_settings->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(m_settings, &QToolButton::clicked, this, [this] {
        if (onSettingsTapped)
            onSettingsTapped();
    });

    row->addWidget(m_hint);
    row->addStretch(1);
    row->addWidget(m_update);
    row->addSpacing(4);
    row->addWidget(m_settings);
    connect(&m_appState, &AppState::updateAvailableChanged, m_update, &QWidget::setVisible);
    updateLook();
}

void PanelFooterView::updateLook()
{
    // One line of three texts: the key name a point smaller, in a fixed-width face.
    const QString colour = PanelStyle::secondary(*this).name(QColor::HexArgb);
    const QString mono = PanelStyle::monospacedFont(9).family();
    m_hint->setText(QStringLiteral("<span style=\"color:%1; font-size:10px\">Press </span>"
                                   "<span style=\"color:%1; font-size:9px; font-family:'%2'\">Esc</span>"
                                   "<span style=\"color:%1; font-size:10px\"> to dismiss</span>")
                        .arg(colour, mono.toHtmlEscaped()));
    m_settings->setIcon(symbolIcon(Symbol::Gear, PanelStyle::secondary(*this)));
}

void PanelFooterView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QColor line = PanelStyle::primary(*this);
    line.setAlphaF(0.3f * 0.25f); // a divider's tone at the footer's opacity
    painter.fillRect(QRect(0, 0, width(), 1), line);
}

void PanelFooterView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        updateLook();
    QWidget::changeEvent(event);
}

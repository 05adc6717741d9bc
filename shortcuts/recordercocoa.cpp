#include "shortcuts/recordercocoa.h"

#include "platform/alertpresenter.h"
#include "platform/log.h"
#include "platform/symbolicon.h"
#include "shortcuts/applicationmenu.h"
#include "shortcuts/localeventmonitor.h"
#include "shortcuts/registry.h"
#include "shortcuts/texts.h"

#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>
#include <QTimer>

namespace GlobalShortcuts {

namespace {

const Log &log()
{
    static const Log instance("ShortcutRecorder");
    return instance;
}

// Modifier masks over ModifierFlags' bits. Caps Lock and the keypad flag never
// count; Shift and Function don't count as command modifiers either.
constexpr quint32 anyModifierMask = 0xFFDE0000u;
constexpr quint32 commandModifierMask = 0xFF5C0000u;

// A click released this close to the control still counts as inside it.
constexpr int clickSlop = 3;

// Keys that only modify others: they reach the control on their own as presses
// here, and are nothing to record.
bool isModifierKey(int key)
{
    switch (key) {
    case Qt::Key_Shift:
    case Qt::Key_Control:
    case Qt::Key_Meta:
    case Qt::Key_Alt:
    case Qt::Key_AltGr:
    case Qt::Key_CapsLock:
    case Qt::Key_NumLock:
    case Qt::Key_Super_L:
    case Qt::Key_Super_R:
    case Qt::Key_Hyper_L:
    case Qt::Key_Hyper_R:
    case Qt::Key_Mode_switch:
        return true;
    default:
        return false;
    }
}

} // namespace

RecorderCocoa::RecorderCocoa(
    Registry &registry, AlertPresenter &alerts, const Name &name, OnChange onChange, QWidget *parent)
    : QLineEdit(parent)
    , m_registry(registry)
    , m_alerts(alerts)
    , m_shortcutName(name)
    , m_onChange(std::move(onChange))
{
    beep = [] { QApplication::beep(); };
    resize(minimumWidth, initialHeight);
    setReadOnly(true); // keys are judged, never typed; a read-only field shows no caret
    setPlaceholderText(localizedString(QStringLiteral("record_shortcut")));
    setAlignment(Qt::AlignCenter);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setCanBecomeKey(false);
    m_cancelButton = addAction(QIcon(), TrailingPosition);
    updateCancelButtonIcon();
    m_cancelButton->setToolTip(QStringLiteral("Clear"));
    connect(m_cancelButton, &QAction::triggered, this, [this] { clearShortcut(); });
    m_eventMonitor = std::make_unique<LocalEventMonitor>(
        QSet<QEvent::Type> { QEvent::MouseButtonRelease, QEvent::KeyPress },
        [this](QEvent *event) { return handleRecordingEvent(event); });
    refreshText();
    observeShortcutChanges();
    if (parent)
        watchWindow();
}

RecorderCocoa::~RecorderCocoa()
{
    // A recorder that goes while recording would leave every hot key silent.
    if (m_recording)
        stopRecording();
}

void RecorderCocoa::setShortcutName(const Name &name)
{
    const bool other = name.rawValue() != m_shortcutName.rawValue();
    m_shortcutName = name;
    if (other)
        refreshText();
}

bool RecorderCocoa::isRecording() const
{
    return m_recording;
}

QSize RecorderCocoa::sizeHint() const
{
    return { minimumWidth, QLineEdit::sizeHint().height() };
}

QSize RecorderCocoa::minimumSizeHint() const
{
    return sizeHint();
}

void RecorderCocoa::refreshText()
{
    const std::optional<Shortcut> shortcut = m_registry.shortcut(m_shortcutName);
    setText(shortcut ? shortcut->description() : QString());
    applyCancelButtonRule();
}

void RecorderCocoa::applyCancelButtonRule()
{
    m_cancelButton->setVisible(!text().isEmpty());
}

void RecorderCocoa::updateCancelButtonIcon()
{
    m_cancelButton->setIcon(symbolIcon(Symbol::ClearCircle, palette().color(QPalette::PlaceholderText)));
}

void RecorderCocoa::observeShortcutChanges()
{
    m_shortcutsNameChangeObserver = m_registry.notifications().addObserver(
        shortcutByNameDidChange, [this](const Notification &notification) {
            if (isShortcutChangeOf(notification, m_shortcutName))
                refreshText();
        });
}

void RecorderCocoa::setCanBecomeKey(bool canBecomeKey)
{
    m_canBecomeKey = canBecomeKey;
    // Without Tab focus the window never picks the control by itself (on
    // activation, or as the first field); a click still focuses it.
    setFocusPolicy(canBecomeKey ? Qt::StrongFocus : Qt::ClickFocus);
}

void RecorderCocoa::preventBecomingKey()
{
    setCanBecomeKey(false);
    QTimer::singleShot(0, this, [this] { setCanBecomeKey(true); });
}

void RecorderCocoa::watchWindow()
{
    if (window() == this) {
        stopRecording();
        return;
    }
    preventBecomingKey();
}

void RecorderCocoa::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    deselect(); // focus by Tab selects the text; nothing is typed over it here
    if (window() == this)
        return; // only a control in a window records
    startRecording();
}

void RecorderCocoa::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    stopRecording();
}

bool RecorderCocoa::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ParentChange:
        watchWindow();
        break;
    case QEvent::WindowActivate:
        preventBecomingKey();
        break;
    case QEvent::WindowDeactivate:
        // The window keeps no focus, so that coming back to it doesn't record by itself.
        if (m_recording)
            stopRecording();
        if (QWidget *focus = window()->focusWidget())
            focus->clearFocus();
        break;
    case QEvent::Hide:
        if (m_recording)
            endEditing();
        break;
    case QEvent::PaletteChange:
        // The appearance switched: the button takes the new look's colour.
        updateCancelButtonIcon();
        break;
    default:
        break;
    }
    return QLineEdit::event(event);
}

void RecorderCocoa::paintEvent(QPaintEvent *event)
{
    QLineEdit::paintEvent(event);
    // A centred field hides its placeholder while it has the focus, to keep it
    // clear of a caret; this one shows no caret, and while it records the prompt
    // is all that tells the user to press the keys: it is drawn here.
    if (!hasFocus() || !text().isEmpty() || placeholderText().isEmpty())
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect area
        = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::PlaceholderText));
    painter.drawText(
        area, Qt::AlignCenter, fontMetrics().elidedText(placeholderText(), Qt::ElideRight, area.width()));
}

void RecorderCocoa::startRecording()
{
    m_recording = true;
    setPlaceholderText(localizedString(QStringLiteral("press_shortcut")));
    applyCancelButtonRule();
    m_registry.setRecordingShortcut(true);
    m_registry.notifications().post(recorderActiveStatusDidChange, { { QStringLiteral("isActive"), true } });
    m_eventMonitor->start();
    // On the server too: a combination held as a hot key (by another program, or
    // by this one) would otherwise go to its grab instead of coming here.
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        grabKeyboard();
    // Said once the grab is in place: a combination pressed from here on is recorded.
    log().debug(QStringLiteral("Recording a shortcut"));
}

void RecorderCocoa::stopRecording()
{
    const bool wasRecording = m_recording;
    m_recording = false;
    m_eventMonitor->stop();
    if (wasRecording && QWidget::keyboardGrabber() == this)
        releaseKeyboard();
    setPlaceholderText(localizedString(QStringLiteral("record_shortcut")));
    applyCancelButtonRule();
    m_registry.setRecordingShortcut(false);
    m_registry.notifications().post(recorderActiveStatusDidChange, { { QStringLiteral("isActive"), false } });
}

void RecorderCocoa::clearShortcut()
{
    setText(QString());
    m_registry.setShortcut(std::nullopt, m_shortcutName);
    if (m_onChange)
        m_onChange(std::nullopt);
    applyCancelButtonRule();
    // Recording starts at once, so the next combination pressed replaces it.
    if (window() != this)
        setFocus(Qt::OtherFocusReason);
}

void RecorderCocoa::endEditing()
{
    clearFocus();
    if (m_recording)
        stopRecording(); // the focus was elsewhere already (an inactive window)
}

void RecorderCocoa::focusAgain()
{
    if (window() == this || !isVisible())
        return;
    window()->activateWindow();
    setFocus(Qt::OtherFocusReason);
}

bool RecorderCocoa::handleRecordingEvent(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease)
        return handleMouseRelease(*static_cast<QMouseEvent *>(event));
    if (event->type() == QEvent::KeyPress)
        return handleKeyPress(*static_cast<QKeyEvent *>(event));
    return true;
}

bool RecorderCocoa::handleMouseRelease(const QMouseEvent &event)
{
    if (event.button() != Qt::LeftButton && event.button() != Qt::RightButton)
        return true;
    const QPoint local = mapFromGlobal(event.globalPosition().toPoint());
    if (!rect().adjusted(-clickSlop, -clickSlop, clickSlop, clickSlop).contains(local)) {
        endEditing();
        return true; // the click still reaches what it was meant for
    }
    // The clear button is a widget of its own inside the field: its click goes on.
    return childAt(local) != nullptr;
}

bool RecorderCocoa::handleKeyPress(const QKeyEvent &event)
{
    const int key = event.key();
    if (isModifierKey(key))
        return true;
    const quint32 flags = modifierFlags(event.modifiers()).toInt();
    const bool noModifiers = (flags & anyModifierMask) == 0;
    const bool noCommandModifiers = (flags & commandModifierMask) == 0;

    if (noModifiers && key == Qt::Key_Tab) {
        // The focus moves on to the next control, as Tab does anywhere.
        focusNextPrevChild(true);
        endEditing();
        return false;
    }
    if (noModifiers && key == Qt::Key_Escape) {
        endEditing();
        return false;
    }
    if (noModifiers && (key == Qt::Key_Backspace || key == Qt::Key_Delete)) {
        if (m_cancelButton->isVisible())
            m_cancelButton->trigger();
        return false;
    }
    if (noCommandModifiers && !isFunctionKey(key)) {
        beep();
        return false;
    }
    const std::optional<Shortcut> shortcut = Shortcut::fromKeyEvent(event);
    if (!shortcut) {
        beep();
        return false;
    }
    if (const std::optional<MenuItem> item
        = shortcut->menuItemWithMatchingShortcut(ApplicationMenu::shared().menu())) {
        runAlert(
            localizedString(QStringLiteral("keyboard_shortcut_used_by_menu_item")).arg(item->title), {}, {});
        focusAgain();
        return false;
    }
    if (m_registry.hotKeys().isHeldByAnotherProgram(*shortcut)) {
        const bool force = runAlert(localizedString(QStringLiteral("keyboard_shortcut_used_by_system")),
            localizedString(QStringLiteral("keyboard_shortcuts_can_be_changed")),
            { localizedString(QStringLiteral("ok")), localizedString(QStringLiteral("force_use_shortcut")) });
        if (!force) {
            focusAgain();
            return false;
        }
    }
    accept(*shortcut);
    return false;
}

bool RecorderCocoa::runAlert(
    const QString &message, const QString &informativeText, const QStringList &buttons)
{
    // Recording ends first: the keys that answer the alert must reach it.
    endEditing();
    const Alert alert { Alert::Style::Warning, message, informativeText, buttons };
    return m_alerts.run(alert) == 1;
}

void RecorderCocoa::accept(const Shortcut &shortcut)
{
    setText(shortcut.description());
    applyCancelButtonRule();
    m_registry.setShortcut(shortcut, m_shortcutName);
    if (m_onChange)
        m_onChange(shortcut);
    endEditing();
}

} // namespace GlobalShortcuts

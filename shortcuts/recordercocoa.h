#pragma once

#include "platform/notificationcenter.h"
#include "shortcuts/name.h"

#include <QLineEdit>

#include <functional>
#include <memory>
#include <optional>

class AlertPresenter;
class QAction;

namespace GlobalShortcuts {

class LocalEventMonitor;
class Registry;

// Posted (user info "isActive": a Boolean) whenever a recorder starts or stops recording.
inline const QString recorderActiveStatusDidChange
    = QStringLiteral("GlobalShortcuts_recorderActiveStatusDidChange");

// The control that records the global shortcut of one Name, named for the widget
// layer it lives in. It shows the Name's shortcut as text, records while it has
// the keyboard focus, and offers a clear button while it shows a shortcut.
//
// While it records it owns the keyboard: the program's own shortcuts don't fire,
// the registry runs no hot-key action, and the keyboard is grabbed on the X
// server, so that a combination another program (or this one) holds as a hot key
// still reaches it. Each key press is judged here: Tab and Escape end the
// recording, Backspace and Delete clear, a key without Ctrl, Alt or Super (but
// for F1 to F35) beeps, a combination a menu of ours or another program uses
// raises an alert, and anything else becomes the Name's shortcut, stored and
// registered at once.
//
// Recording ends when the focus leaves, when the window is deactivated (which
// also takes the focus from the window, so that activating it again doesn't
// start recording by itself), and when the control leaves its window.
// Main thread only; the registry and the presenter outlive the control.
class RecorderCocoa : public QLineEdit
{
public:
    using OnChange = std::function<void(const std::optional<Shortcut> &)>;

    static constexpr int minimumWidth = 130;
    static constexpr int initialHeight = 24;

    RecorderCocoa(Registry &registry, AlertPresenter &alerts, const Name &name, OnChange onChange = {},
        QWidget *parent = nullptr);
    ~RecorderCocoa() override;

    Name shortcutName() const { return m_shortcutName; }
    // Another raw value shows that Name's shortcut; the same one changes nothing shown.
    void setShortcutName(const Name &name);

    // False right after the window is activated, until the next turn of the event
    // loop: the window can't pick the control for its focus then.
    bool canBecomeKeyView() const { return m_canBecomeKey; }
    bool isRecording() const;
    // The clear button: shown exactly while the control shows a shortcut.
    QAction *cancelButton() const { return m_cancelButton; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The refusal sound; the desktop's bell unless a test listens instead.
    std::function<void()> beep;

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void refreshText();
    void applyCancelButtonRule();
    void updateCancelButtonIcon();
    void observeShortcutChanges();
    void preventBecomingKey();
    void setCanBecomeKey(bool canBecomeKey);
    void watchWindow();
    void startRecording();
    void stopRecording();
    void clearShortcut();

    // Answers whether the event goes on to its target.
    bool handleRecordingEvent(QEvent *event);
    bool handleMouseRelease(const QMouseEvent &event);
    bool handleKeyPress(const QKeyEvent &event);
    void accept(const Shortcut &shortcut);
    // The alert, with the recording ended while it is up; true when the user chose
    // the second button.
    bool runAlert(const QString &message, const QString &informativeText, const QStringList &buttons);
    void endEditing();
    void focusAgain();

    Registry &m_registry;
    AlertPresenter &m_alerts;
    Name m_shortcutName;
    OnChange m_onChange;
    bool m_canBecomeKey = false;
    bool m_recording = false;
    QAction *m_cancelButton;
    std::unique_ptr<LocalEventMonitor> m_eventMonitor; // started exactly while recording
    NotificationToken m_shortcutsNameChangeObserver;
};

} // namespace GlobalShortcuts

#pragma once

#include "platform/hotkeygrabber.h"

#include <memory>

// Hot keys as passive key grabs on the root window, through a connection of our
// own that is served on the main thread (a socket notifier). Every combination
// is grabbed four times, once per state of Caps Lock and Num Lock, because a
// grab matches one exact modifier set; Num Lock's bit is read from the server's
// modifier map. Grabs are checked, so a combination another client holds comes
// back as BadAccess. Auto-repeat is made detectable, so a held key is one press.
class XcbHotKeyGrabber final : public HotKeyGrabber
{
    Q_OBJECT
public:
    // nullptr when no X server answers (no DISPLAY, or Wayland without Xwayland).
    static std::unique_ptr<XcbHotKeyGrabber> connect(QObject *parent = nullptr);
    ~XcbHotKeyGrabber() override;

    int grab(qint64 keyCode, qint64 carbonModifiers) override;
    void ungrab(qint64 keyCode, qint64 carbonModifiers) override;
    // Tries the grab on a connection of its own, which is closed at once.
    int probe(qint64 keyCode, qint64 carbonModifiers) override;
    KeyboardLayout *keyboardLayout() override;

private:
    struct Private;
    explicit XcbHotKeyGrabber(std::unique_ptr<Private> d, QObject *parent);

    void processEvents();
    void scheduleQueuedEvents();
    void keymapChanged();

    std::unique_ptr<Private> d;
};

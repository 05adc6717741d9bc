#include "shortcuts/carbonglobalshortcuts.h"

#include "platform/hotkeygrabber.h"
#include "shortcuts/localeventmonitor.h"

#include <QKeyEvent>

#include <cstdio>

namespace GlobalShortcuts {

void printRegistrationError(const Shortcut &shortcut, int status)
{
    const QByteArray line = QStringLiteral("Error registering hotkey %1: %2\n")
                                .arg(shortcut.description())
                                .arg(status)
                                .toUtf8();
    std::fputs(line.constData(), stdout);
    std::fflush(stdout);
}

CarbonGlobalShortcuts::CarbonGlobalShortcuts(HotKeyGrabber &grabber)
    : m_grabber(grabber)
{
    connect(&m_grabber, &HotKeyGrabber::pressed, this, &CarbonGlobalShortcuts::onPressed);
    connect(&m_grabber, &HotKeyGrabber::released, this, &CarbonGlobalShortcuts::onReleased);
    connect(&m_grabber, &HotKeyGrabber::lost, this, &CarbonGlobalShortcuts::onLost);
}

CarbonGlobalShortcuts::~CarbonGlobalShortcuts() = default;

bool CarbonGlobalShortcuts::registerHotKey(const Shortcut &shortcut, Callback onKeyDown, Callback onKeyUp)
{
    const qint64 id = ++m_hotKeyId;
    const int status = m_grabber.grab(shortcut.carbonKeyCode(), shortcut.carbonModifiers());
    if (status != 0) {
        printRegistrationError(shortcut, status);
        return false;
    }
    m_hotKeys.emplace(id, HotKey { shortcut, id, true, std::move(onKeyDown), std::move(onKeyUp) });
    // Grabbed even outside hot-key mode, so a refusal is known now, then suspended.
    if (m_mode != Mode::HotKeys) {
        m_grabber.ungrab(shortcut.carbonKeyCode(), shortcut.carbonModifiers());
        m_hotKeys.at(id).grabbed = false;
    }
    return true;
}

void CarbonGlobalShortcuts::unregisterHotKey(const Shortcut &shortcut)
{
    bool grabbed = false;
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        if (it->second.shortcut == shortcut) {
            grabbed = grabbed || it->second.grabbed;
            it = m_hotKeys.erase(it);
        } else {
            ++it;
        }
    }
    if (grabbed)
        m_grabber.ungrab(shortcut.carbonKeyCode(), shortcut.carbonModifiers());
}

bool CarbonGlobalShortcuts::isHeldByAnotherProgram(const Shortcut &shortcut) const
{
    return m_grabber.probe(shortcut.carbonKeyCode(), shortcut.carbonModifiers())
        == HotKeyGrabber::heldByAnotherClient;
}

void CarbonGlobalShortcuts::updateEventHandler(bool isEnabled, bool isMenuOpen)
{
    if (!isEnabled) {
        m_mode = Mode::Disabled;
        suspendAll();
        m_keyMonitor.reset();
        return;
    }
    if (isMenuOpen) {
        m_mode = Mode::MenuOpen;
        suspendAll();
        if (!m_keyMonitor) {
            m_keyMonitor = std::make_unique<LocalEventMonitor>(
                QSet<QEvent::Type> { QEvent::KeyPress, QEvent::KeyRelease },
                [this](QEvent *event) { return !matchKeyEvent(event); });
        }
        m_keyMonitor->start();
        return;
    }
    m_mode = Mode::HotKeys;
    m_keyMonitor.reset();
    QList<Shortcut> dropped;
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        HotKey &hotKey = it->second;
        if (!hotKey.grabbed) {
            const int status
                = m_grabber.grab(hotKey.shortcut.carbonKeyCode(), hotKey.shortcut.carbonModifiers());
            if (status != 0) {
                printRegistrationError(hotKey.shortcut, status);
                dropped.append(hotKey.shortcut);
                it = m_hotKeys.erase(it);
                continue;
            }
            hotKey.grabbed = true;
        }
        ++it;
    }
    notifyDropped(dropped);
}

void CarbonGlobalShortcuts::notifyDropped(const QList<Shortcut> &dropped)
{
    if (!m_onDropped)
        return;
    for (const Shortcut &shortcut : dropped)
        m_onDropped(shortcut);
}

void CarbonGlobalShortcuts::suspendAll()
{
    for (auto &[id, hotKey] : m_hotKeys) {
        if (!hotKey.grabbed)
            continue;
        m_grabber.ungrab(hotKey.shortcut.carbonKeyCode(), hotKey.shortcut.carbonModifiers());
        hotKey.grabbed = false;
    }
}

void CarbonGlobalShortcuts::onPressed(qint64 keyCode, qint64 carbonModifiers)
{
    fire(Shortcut(keyCode, carbonModifiers), &HotKey::onKeyDown);
}

void CarbonGlobalShortcuts::onReleased(qint64 keyCode, qint64 carbonModifiers)
{
    fire(Shortcut(keyCode, carbonModifiers), &HotKey::onKeyUp);
}

void CarbonGlobalShortcuts::onLost(qint64 keyCode, qint64 carbonModifiers, int status)
{
    // Like a hot key that can't be taken back after a menu: reported, and dropped
    // for good, so that the next registration point tries again.
    QList<Shortcut> dropped;
    for (auto it = m_hotKeys.begin(); it != m_hotKeys.end();) {
        const Shortcut &shortcut = it->second.shortcut;
        if (it->second.grabbed && shortcut.carbonKeyCode() == keyCode
            && shortcut.carbonModifiers() == carbonModifiers) {
            if (!dropped.contains(shortcut)) {
                printRegistrationError(shortcut, status);
                dropped.append(shortcut);
            }
            it = m_hotKeys.erase(it);
            continue;
        }
        ++it;
    }
    notifyDropped(dropped);
}

void CarbonGlobalShortcuts::fire(const Shortcut &fired, Callback HotKey::*callback)
{
    if (m_mode != Mode::HotKeys)
        return;
    for (const auto &[id, hotKey] : m_hotKeys) {
        if (hotKey.grabbed && hotKey.shortcut == fired) {
            // Copies: the callback may unregister this very hot key.
            const Callback call = hotKey.*callback;
            const Shortcut shortcut = hotKey.shortcut;
            call(shortcut);
            return;
        }
    }
}

bool CarbonGlobalShortcuts::matchKeyEvent(QEvent *event)
{
    const auto *keyEvent = static_cast<const QKeyEvent *>(event);
    // Qt reports auto-repeat as release and press pairs; only the presses repeat here.
    if (event->type() == QEvent::KeyRelease && keyEvent->isAutoRepeat())
        return false;
    const std::optional<Shortcut> pressed = Shortcut::fromKeyEvent(*keyEvent);
    if (!pressed)
        return false;
    for (const auto &[id, hotKey] : m_hotKeys) {
        if (hotKey.shortcut == *pressed) {
            const Callback callback = event->type() == QEvent::KeyPress ? hotKey.onKeyDown : hotKey.onKeyUp;
            const Shortcut shortcut = hotKey.shortcut;
            callback(shortcut);
            return true;
        }
    }
    return false;
}

} // namespace GlobalShortcuts

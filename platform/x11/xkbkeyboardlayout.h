#pragma once

#include "platform/keyboardlayout.h"

#include <QList>

#include <map>
#include <memory>

struct xcb_connection_t;
struct xkb_context;
struct xkb_keymap;

// A keyboard layout read from an XKB keymap through xkbcommon: either the X
// server's current keymap or a built-in US one (for tests, and for a program that
// runs without a display). A keymap that can't be built leaves a layout that
// knows no key: every question answers "none". Main thread only.
class XkbKeyboardLayout final : public KeyboardLayout
{
public:
    ~XkbKeyboardLayout() override;
    XkbKeyboardLayout(const XkbKeyboardLayout &) = delete;
    XkbKeyboardLayout &operator=(const XkbKeyboardLayout &) = delete;

    // US layout on a 105-key PC board, whatever the environment's XKB settings.
    static std::unique_ptr<XkbKeyboardLayout> usLayout();

    // The server's keymap for its core keyboard; nullptr when the server has no
    // usable XKB extension. The connection must outlive nothing: it is only read here.
    static std::unique_ptr<XkbKeyboardLayout> fromServer(xcb_connection_t *connection);

    // Re-reads the server's keymap (after the user switched layouts or keyboards);
    // keeps the old one when the new can't be read.
    bool reloadFromServer(xcb_connection_t *connection);

    bool isValid() const { return m_keymap != nullptr; }

    std::optional<quint32> xKeycode(qint64 keyCode) const override;
    std::optional<qint64> keyCode(quint32 xKeycode) const override;
    QString text(qint64 keyCode) const override;

    // The X keycodes that produce the keysym in any group or level (the keys bound
    // to Num_Lock, Alt_L, …), for reading the server's modifier map.
    QList<quint32> xKeycodesForKeysym(quint32 keysym) const;

private:
    struct ContextFree
    {
        void operator()(xkb_context *context) const;
    };
    struct KeymapFree
    {
        void operator()(xkb_keymap *keymap) const;
    };

    XkbKeyboardLayout();
    void adopt(xkb_keymap *keymap);

    std::unique_ptr<xkb_context, ContextFree> m_context;
    std::unique_ptr<xkb_keymap, KeymapFree> m_keymap;
    std::map<qint64, quint32> m_xKeycodes;
    std::map<quint32, qint64> m_keyCodes;
};

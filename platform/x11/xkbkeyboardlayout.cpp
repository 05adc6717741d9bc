#include "platform/x11/xkbkeyboardlayout.h"

#include "platform/x11/xkbkeynames.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

void XkbKeyboardLayout::ContextFree::operator()(xkb_context *context) const
{
    xkb_context_unref(context);
}

void XkbKeyboardLayout::KeymapFree::operator()(xkb_keymap *keymap) const
{
    xkb_keymap_unref(keymap);
}

XkbKeyboardLayout::XkbKeyboardLayout()
    // The environment's XKB_DEFAULT_* must not turn the built-in US layout into another.
    : m_context(xkb_context_new(XKB_CONTEXT_NO_ENVIRONMENT_NAMES))
{ }

XkbKeyboardLayout::~XkbKeyboardLayout() = default;

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::usLayout()
{
    std::unique_ptr<XkbKeyboardLayout> layout(new XkbKeyboardLayout);
    if (layout->m_context) {
        const xkb_rule_names names = { "evdev", "pc105", "us", "", "" };
        layout->adopt(
            xkb_keymap_new_from_names(layout->m_context.get(), &names, XKB_KEYMAP_COMPILE_NO_FLAGS));
    }
    return layout;
}

std::unique_ptr<XkbKeyboardLayout> XkbKeyboardLayout::fromServer(xcb_connection_t *connection)
{
    std::unique_ptr<XkbKeyboardLayout> layout(new XkbKeyboardLayout);
    if (!layout->m_context || !layout->reloadFromServer(connection))
        return nullptr;
    return layout;
}

bool XkbKeyboardLayout::reloadFromServer(xcb_connection_t *connection)
{
    if (!connection || !m_context)
        return false;
    if (!xkb_x11_setup_xkb_extension(connection, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
            XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, nullptr, nullptr))
        return false;
    const int32_t device = xkb_x11_get_core_keyboard_device_id(connection);
    if (device < 0)
        return false;
    xkb_keymap *keymap
        = xkb_x11_keymap_new_from_device(m_context.get(), connection, device, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (!keymap)
        return false;
    adopt(keymap);
    return true;
}

void XkbKeyboardLayout::adopt(xkb_keymap *keymap)
{
    if (!keymap)
        return;
    m_keymap.reset(keymap);
    m_xKeycodes.clear();
    m_keyCodes.clear();
    for (const qint64 code : XkbKeyNames::keyCodes()) {
        const QByteArray name = XkbKeyNames::nameForKeyCode(code);
        // Resolves the keymap's aliases, so "LWIN" finds a key the keymap calls "LMTA".
        const xkb_keycode_t keycode = xkb_keymap_key_by_name(keymap, name.constData());
        if (keycode == XKB_KEYCODE_INVALID)
            continue;
        m_xKeycodes.emplace(code, keycode);
        m_keyCodes.emplace(keycode, code);
    }
}

std::optional<quint32> XkbKeyboardLayout::xKeycode(qint64 keyCode) const
{
    const auto it = m_xKeycodes.find(keyCode);
    if (it == m_xKeycodes.end())
        return std::nullopt;
    return it->second;
}

std::optional<qint64> XkbKeyboardLayout::keyCode(quint32 xKeycode) const
{
    const auto it = m_keyCodes.find(xKeycode);
    if (it == m_keyCodes.end())
        return std::nullopt;
    return it->second;
}

QString XkbKeyboardLayout::text(qint64 keyCode) const
{
    const std::optional<quint32> keycode = xKeycode(keyCode);
    if (!keycode)
        return {};
    const xkb_keysym_t *syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(m_keymap.get(), *keycode, 0, 0, &syms);
    QString result;
    for (int i = 0; i < count; ++i) {
        const uint32_t codePoint = xkb_keysym_to_utf32(syms[i]);
        // Control characters (Tab's, Escape's) are not something a key "types" here.
        if (codePoint == 0 || codePoint < 0x20 || codePoint == 0x7f)
            return {};
        const char32_t ucs4 = codePoint;
        result += QString::fromUcs4(&ucs4, 1);
    }
    return result;
}

QList<quint32> XkbKeyboardLayout::xKeycodesForKeysym(quint32 keysym) const
{
    QList<quint32> result;
    if (!m_keymap)
        return result;
    const xkb_keycode_t first = xkb_keymap_min_keycode(m_keymap.get());
    const xkb_keycode_t last = xkb_keymap_max_keycode(m_keymap.get());
    for (xkb_keycode_t keycode = first; keycode <= last && keycode != XKB_KEYCODE_INVALID; ++keycode) {
        const xkb_layout_index_t groups = xkb_keymap_num_layouts_for_key(m_keymap.get(), keycode);
        bool found = false;
        for (xkb_layout_index_t group = 0; group < groups && !found; ++group) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(m_keymap.get(), keycode, group);
            for (xkb_level_index_t level = 0; level < levels && !found; ++level) {
                const xkb_keysym_t *syms = nullptr;
                const int count
                    = xkb_keymap_key_get_syms_by_level(m_keymap.get(), keycode, group, level, &syms);
                for (int i = 0; i < count; ++i)
                    found = found || syms[i] == keysym;
            }
        }
        if (found)
            result.append(keycode);
        if (keycode == last)
            break;
    }
    return result;
}

#pragma once

#include "ui/color.h"
#include "ui/font.h"
#include "ui/geometry.h"
#include "ui/keyed.h"

#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

namespace ui {

// The values that flow down the view tree while it is resolved. A key is a type with
// `using Value = ...;` and `static Value defaultValue();` (built once per process, on
// first read). Copies are cheap: a write adds one link in front of a shared chain, so
// a subtree's writes never reach its ancestors or siblings.
class EnvironmentValues
{
public:
    template<class Key> const typename Key::Value &get() const
    {
        const void *id = detail::keyId<Key>();
        for (const Link *link = m_head.get(); link; link = link->next.get()) {
            if (link->key == id)
                return *static_cast<const typename Key::Value *>(link->value.get());
        }
        return defaultOf<Key>();
    }

    template<class Key> bool contains() const { return &get<Key>() != &defaultOf<Key>(); }

    template<class Key> void set(typename Key::Value value)
    {
        auto stored = std::make_shared<const typename Key::Value>(std::move(value));
        m_head = std::make_shared<const Link>(Link { detail::keyId<Key>(), std::move(stored), m_head });
    }

    template<class Key, class Fn> void transform(Fn &&fn)
    {
        typename Key::Value value = get<Key>();
        fn(value);
        set<Key>(std::move(value));
    }

    template<class Key> static const typename Key::Value &defaultOf()
    {
        static const typename Key::Value value = Key::defaultValue();
        return value;
    }

private:
    struct Link
    {
        const void *key;
        std::shared_ptr<const void> value;
        std::shared_ptr<const Link> next;
    };
    std::shared_ptr<const Link> m_head;
};

// What a link in text (or a link button) does when clicked; the host's default opens
// the URL with the desktop's handler.
using OpenUrlAction = std::function<void(const QUrl &)>;

struct ColorSchemeKey
{
    using Value = ColorScheme;
    static Value defaultValue() { return ColorScheme::Light; }
};

struct OpenUrlKey
{
    using Value = OpenUrlAction;
    static Value defaultValue();
};

// The font of text that sets none itself; absent means the 13-point body font.
struct FontKey
{
    using Value = std::optional<Font>;
    static Value defaultValue() { return std::nullopt; }
};

// The colour of text and of shapes drawn without a colour; absent means primary.
struct ForegroundColorKey
{
    using Value = std::optional<Color>;
    static Value defaultValue() { return std::nullopt; }
};

// Extra space between the lines of a text, in points.
struct LineSpacingKey
{
    using Value = double;
    static Value defaultValue() { return 0; }
};

struct MultilineTextAlignmentKey
{
    using Value = TextAlignment;
    static Value defaultValue() { return TextAlignment::Leading; }
};

// Whether text below can be selected with the mouse and copied.
struct TextSelectionKey
{
    using Value = bool;
    static Value defaultValue() { return false; }
};

// The user's text size as a factor of the body size: what a size that follows the
// user's text size setting is multiplied by. On Linux that setting is the desktop's
// font size at its screen's dots per inch: the host sets this from the application font
// and the screen it is shown on (systemTextSizeScale()), unless its owner set it.
struct TextSizeScaleKey
{
    using Value = double;
    static Value defaultValue() { return 1.0; }
};

// A size in points that grows and shrinks with the user's text size.
inline double scaledMetric(double size, const EnvironmentValues &environment)
{
    return size * environment.get<TextSizeScaleKey>();
}

// The axis of the innermost stack, so that a spacer or divider knows which way to grow.
struct StackAxisKey
{
    using Value = std::optional<Axis>;
    static Value defaultValue() { return std::nullopt; }
};

} // namespace ui

#pragma once

#include "ui/color.h"
#include "ui/font.h"
#include "ui/keyed.h"

#include <QUrl>

#include <memory>
#include <optional>
#include <vector>

namespace ui {

// The attributes of a run of text: a small map from attribute keys to values. A key is
// a type with `using Value = ...;` (a value with ==). Text styles and renderers add
// keys of their own next to the standard ones below. Setting an absent value removes
// the attribute. Copies are cheap: values are shared until written.
class AttributeContainer
{
public:
    template<class Key> const typename Key::Value *get() const
    {
        const Entry *entry = find(detail::keyId<Key>());
        return entry ? static_cast<const typename Key::Value *>(entry->value.get()) : nullptr;
    }

    template<class Key> std::optional<typename Key::Value> value() const
    {
        if (const auto *v = get<Key>())
            return *v;
        return std::nullopt;
    }

    template<class Key> bool contains() const { return find(detail::keyId<Key>()) != nullptr; }

    template<class Key> void set(std::optional<typename Key::Value> value)
    {
        if (!value) {
            remove(detail::keyId<Key>());
            return;
        }
        put(detail::keyId<Key>(), &equalsOf<Key>(),
            std::make_shared<const typename Key::Value>(std::move(*value)));
    }

    // Edits the attribute in place when the container holds it; does nothing otherwise.
    template<class Key, class Fn> void modifyIfPresent(Fn &&fn)
    {
        if (const auto *current = get<Key>()) {
            typename Key::Value copy = *current;
            fn(copy);
            set<Key>(std::move(copy));
        }
    }

    template<class Key> void remove() { remove(detail::keyId<Key>()); }

    bool isEmpty() const { return m_entries.empty(); }
    // Later values win.
    void merge(const AttributeContainer &other);
    bool operator==(const AttributeContainer &other) const;

private:
    using Equals = bool (*)(const void *, const void *);
    struct Entry
    {
        const void *key;
        Equals equals;
        std::shared_ptr<const void> value;
    };

    template<class Key> static const Equals &equalsOf()
    {
        static const Equals equals = [](const void *a, const void *b) {
            return *static_cast<const typename Key::Value *>(a)
                == *static_cast<const typename Key::Value *>(b);
        };
        return equals;
    }

    const Entry *find(const void *key) const;
    void put(const void *key, const Equals *equals, std::shared_ptr<const void> value);
    void remove(const void *key);

    std::vector<Entry> m_entries;
};

// How an underline or strikethrough line is drawn.
struct LineStyle
{
    enum class Pattern { Solid, Dot, Dash, DashDot, DashDotDot };
    Pattern pattern = Pattern::Solid;
    std::optional<Color> color; // absent: the text's colour

    static LineStyle single() { return {}; }
    bool operator==(const LineStyle &) const = default;
};

struct FontAttribute
{
    using Value = Font;
};
struct ForegroundColorAttribute
{
    using Value = Color;
};
struct BackgroundColorAttribute
{
    using Value = Color;
};
struct StrikethroughStyleAttribute
{
    using Value = LineStyle;
};
struct UnderlineStyleAttribute
{
    using Value = LineStyle;
};
// Extra space after each character, in points.
struct KernAttribute
{
    using Value = double;
};
struct TrackingAttribute
{
    using Value = double;
};
struct LinkAttribute
{
    using Value = QUrl;
};

} // namespace ui

#pragma once

#include "ui/keyed.h"

#include <concepts>
#include <memory>
#include <vector>

namespace ui {

// Values that flow up the view tree: each element holds the values of its subtree,
// reduced in tree order with the key's rule. A key is a type with `using Value`,
// `static Value defaultValue()` and `static void reduce(Value &value, const Value &next)`.
// They are settled when the tree is resolved, before anything is measured, so an
// ancestor that reads them can never feed back into them.
class PreferenceValues
{
public:
    bool isEmpty() const { return m_entries.empty(); }

    template<class Key> bool contains() const { return find(detail::keyId<Key>()) != nullptr; }

    template<class Key> const typename Key::Value &get() const
    {
        if (const Entry *entry = find(detail::keyId<Key>()))
            return *static_cast<const typename Key::Value *>(entry->value.get());
        static const typename Key::Value fallback = Key::defaultValue();
        return fallback;
    }

    template<class Key> void set(typename Key::Value value)
    {
        Entry &entry = slot(detail::keyId<Key>(), &opsOf<Key>());
        entry.value = std::make_shared<typename Key::Value>(std::move(value));
    }

    // Edits the value in place, starting from the key's default when absent.
    template<class Key, class Fn> void transform(Fn &&fn)
    {
        Entry &entry = slot(detail::keyId<Key>(), &opsOf<Key>());
        if (!entry.value)
            entry.value = std::make_shared<typename Key::Value>(Key::defaultValue());
        else if (entry.value.use_count() > 1)
            entry.value = entry.ops->clone(entry.value.get());
        fn(*static_cast<typename Key::Value *>(entry.value.get()));
    }

    // this := reduce(this, next) for every key of `next`.
    void merge(const PreferenceValues &next);

    // Whether both hold the same keys with equal values. A value whose type has no
    // == counts as changed (unless both share it).
    bool isSameAs(const PreferenceValues &other) const;

private:
    struct Ops
    {
        std::shared_ptr<void> (*clone)(const void *value);
        void (*reduce)(void *value, const void *next);
        bool (*equal)(const void *a, const void *b);
    };
    struct Entry
    {
        const void *key;
        const Ops *ops;
        std::shared_ptr<void> value;
    };

    template<class Key> static const Ops &opsOf()
    {
        static const Ops ops {
            [](const void *value) -> std::shared_ptr<void> {
                return std::make_shared<typename Key::Value>(
                    *static_cast<const typename Key::Value *>(value));
            },
            [](void *value, const void *next) {
                Key::reduce(*static_cast<typename Key::Value *>(value),
                    *static_cast<const typename Key::Value *>(next));
            },
            [](const void *a, const void *b) {
                using Value = typename Key::Value;
                if constexpr (std::equality_comparable<Value>)
                    return *static_cast<const Value *>(a) == *static_cast<const Value *>(b);
                else
                    return false;
            },
        };
        return ops;
    }

    const Entry *find(const void *key) const;
    Entry &slot(const void *key, const Ops *ops);

    std::vector<Entry> m_entries;
};

} // namespace ui

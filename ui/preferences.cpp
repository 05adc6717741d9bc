#include "ui/preferences.h"

namespace ui {

const PreferenceValues::Entry *PreferenceValues::find(const void *key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

PreferenceValues::Entry &PreferenceValues::slot(const void *key, const Ops *ops)
{
    for (Entry &entry : m_entries) {
        if (entry.key == key)
            return entry;
    }
    m_entries.push_back({ key, ops, nullptr });
    return m_entries.back();
}

void PreferenceValues::merge(const PreferenceValues &next)
{
    for (const Entry &incoming : next.m_entries) {
        Entry &entry = slot(incoming.key, incoming.ops);
        if (!entry.value) {
            // Shared until someone writes: most values pass up the tree unchanged.
            entry.value = incoming.value;
            continue;
        }
        if (entry.value.use_count() > 1)
            entry.value = entry.ops->clone(entry.value.get());
        entry.ops->reduce(entry.value.get(), incoming.value.get());
    }
}

bool PreferenceValues::isSameAs(const PreferenceValues &other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (const Entry &entry : m_entries) {
        const Entry *theirs = other.find(entry.key);
        if (!theirs)
            return false;
        if (entry.value == theirs->value)
            continue;
        if (!entry.value || !theirs->value || !entry.ops->equal(entry.value.get(), theirs->value.get()))
            return false;
    }
    return true;
}

} // namespace ui

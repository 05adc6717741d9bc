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

} // namespace ui

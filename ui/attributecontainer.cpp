#include "ui/attributecontainer.h"

#include <algorithm>

namespace ui {

const AttributeContainer::Entry *AttributeContainer::find(const void *key) const
{
    for (const Entry &entry : m_entries) {
        if (entry.key == key)
            return &entry;
    }
    return nullptr;
}

void AttributeContainer::put(const void *key, const Equals *equals, std::shared_ptr<const void> value)
{
    for (Entry &entry : m_entries) {
        if (entry.key == key) {
            entry.value = std::move(value);
            return;
        }
    }
    m_entries.push_back({ key, *equals, std::move(value) });
}

void AttributeContainer::remove(const void *key)
{
    m_entries.erase(std::remove_if(m_entries.begin(), m_entries.end(),
                        [key](const Entry &entry) { return entry.key == key; }),
        m_entries.end());
}

void AttributeContainer::merge(const AttributeContainer &other)
{
    for (const Entry &entry : other.m_entries)
        put(entry.key, &entry.equals, entry.value);
}

bool AttributeContainer::operator==(const AttributeContainer &other) const
{
    if (m_entries.size() != other.m_entries.size())
        return false;
    for (const Entry &entry : m_entries) {
        const Entry *match = other.find(entry.key);
        if (!match || !(match->value == entry.value || entry.equals(entry.value.get(), match->value.get())))
            return false;
    }
    return true;
}

} // namespace ui

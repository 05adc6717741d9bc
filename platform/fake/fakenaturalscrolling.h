#pragma once

#include "platform/naturalscrolling.h"

// A pointer setting that answers what the test set, and counts the questions.
class FakeNaturalScrolling final : public NaturalScrolling
{
public:
    explicit FakeNaturalScrolling(std::optional<bool> enabled = std::nullopt)
        : m_enabled(enabled)
    { }

    std::optional<bool> isEnabled() const override
    {
        ++m_reads;
        return m_enabled;
    }
    void set(std::optional<bool> enabled) { m_enabled = enabled; }
    int reads() const { return m_reads; }

private:
    std::optional<bool> m_enabled;
    mutable int m_reads = 0;
};

#pragma once

#include <optional>

// The pointer device's own scrolling-direction setting ("natural" scrolling moves
// the content with the fingers), where the window system keeps one. Main thread.
class NaturalScrolling
{
public:
    virtual ~NaturalScrolling() = default;

    // The setting of the first pointer device that has one; nullopt when no
    // device has it or the window system can't be asked.
    virtual std::optional<bool> isEnabled() const = 0;
};

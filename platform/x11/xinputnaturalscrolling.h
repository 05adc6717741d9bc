#pragma once

#include "platform/naturalscrolling.h"

// Reads the libinput driver's "libinput Natural Scrolling Enabled" property of
// the X server's pointer devices over a short-lived connection of its own (the
// question is rare: at start and when the gesture is switched on again).
class XInputNaturalScrolling final : public NaturalScrolling
{
public:
    std::optional<bool> isEnabled() const override;
};

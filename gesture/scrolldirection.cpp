#include "gesture/scrolldirection.h"

#include "platform/defaults.h"
#include "platform/naturalscrolling.h"

bool ScrollDirection::isNatural() const
{
    if (const auto stored = m_defaults.boolean(DefaultsKey::swipeScrollDirection))
        return *stored;
    return m_device.isEnabled().value_or(true);
}

#pragma once

class Defaults;
class NaturalScrolling;

// The user's scrolling direction, as the pull-down needs it. A Boolean stored
// under "com.apple.swipescrolldirection" wins (people who want the gesture the
// other way round set it there); else the pointer device's own setting; else
// natural. Reads afresh at every call: the device query may ask the X server,
// so never call it with a lock held that the tap thread takes. Main thread.
class ScrollDirection
{
public:
    // Both must outlive this object.
    ScrollDirection(const Defaults &defaults, const NaturalScrolling &device)
        : m_defaults(defaults)
        , m_device(device)
    { }

    bool isNatural() const;

private:
    const Defaults &m_defaults;
    const NaturalScrolling &m_device;
};

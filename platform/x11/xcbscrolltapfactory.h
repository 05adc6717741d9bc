#pragma once

#include "platform/scrolltap.h"

// Taps on the X server named by $DISPLAY, each over a connection of its own.
//
// A tap swallows with a synchronous passive grab of buttons 4 and 5 (the
// vertical wheel) on the root window, under any modifiers: the server freezes
// the pointer at each notch until the tap answers, replaying the notch to the
// window under the pointer or letting it go. When another client already holds
// such a grab, the tap falls back to XInput 2 raw button events, which only
// observe. The server drops the grab when the connection closes, so a crashed
// program can't leave the session's scrolling frozen.
class XcbScrollTapFactory final : public ScrollTapFactory
{
public:
    std::shared_ptr<ScrollTap> create() override;
};

#pragma once

#include <QtGlobal>

#include <optional>

struct xcb_connection_t;

// Whether the X server behind `connection` offers XInput 2.0 or later, which global
// press and wheel observation needs. Its major opcode (what tells its events apart)
// when it does; none when it doesn't or the connection has failed. One round trip;
// any thread that owns the connection may ask.
std::optional<quint8> xinput2Opcode(xcb_connection_t *connection);

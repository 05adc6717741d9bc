#include "platform/accessibility.h"

#include "platform/x11/xinput2.h"

#include <QGuiApplication>

#include <xcb/xcb.h>

namespace Accessibility {

bool isProcessTrusted()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool trusted = xinput2Opcode(connection).has_value();
    xcb_disconnect(connection);
    return trusted;
}

} // namespace Accessibility

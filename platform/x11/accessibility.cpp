#include "platform/accessibility.h"

#include <QGuiApplication>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>

namespace Accessibility {

bool isProcessTrusted()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    bool trusted = false;
    if (!xcb_connection_has_error(connection)) {
        const char *name = "XInputExtension";
        xcb_query_extension_reply_t *ext = xcb_query_extension_reply(
            connection, xcb_query_extension(connection, qstrlen(name), name), nullptr);
        if (ext && ext->present) {
            xcb_input_xi_query_version_reply_t *version = xcb_input_xi_query_version_reply(
                connection, xcb_input_xi_query_version(connection, 2, 0), nullptr);
            trusted = version && version->major_version >= 2;
            std::free(version);
        }
        std::free(ext);
    }
    xcb_disconnect(connection);
    return trusted;
}

} // namespace Accessibility

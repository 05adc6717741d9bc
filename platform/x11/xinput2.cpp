#include "platform/x11/xinput2.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstdlib>
#include <cstring>

std::optional<quint8> xinput2Opcode(xcb_connection_t *connection)
{
    if (!connection || xcb_connection_has_error(connection))
        return std::nullopt;
    const char *name = "XInputExtension";
    xcb_query_extension_reply_t *extension = xcb_query_extension_reply(
        connection, xcb_query_extension(connection, std::strlen(name), name), nullptr);
    std::optional<quint8> opcode;
    if (extension && extension->present) {
        // Asking for 2.0 also tells the server which version of events this client reads.
        xcb_input_xi_query_version_reply_t *version = xcb_input_xi_query_version_reply(
            connection, xcb_input_xi_query_version(connection, 2, 0), nullptr);
        if (version && version->major_version >= 2)
            opcode = extension->major_opcode;
        std::free(version);
    }
    std::free(extension);
    return opcode;
}

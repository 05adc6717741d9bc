#include "platform/x11/xinputnaturalscrolling.h"

#include "platform/x11/xcbpointer.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cstring>
#include <memory>

namespace {

struct Disconnect
{
    void operator()(xcb_connection_t *c) const { xcb_disconnect(c); }
};

constexpr char propertyName[] = "libinput Natural Scrolling Enabled";

} // namespace

std::optional<bool> XInputNaturalScrolling::isEnabled() const
{
    std::unique_ptr<xcb_connection_t, Disconnect> connection(xcb_connect(nullptr, nullptr));
    xcb_connection_t *c = connection.get();
    if (xcb_connection_has_error(c))
        return std::nullopt;
    const xcb_query_extension_reply_t *xinput = xcb_get_extension_data(c, &xcb_input_id);
    if (!xinput || !xinput->present)
        return std::nullopt;
    XcbPtr<xcb_input_xi_query_version_reply_t> version(
        xcb_input_xi_query_version_reply(c, xcb_input_xi_query_version(c, 2, 2), nullptr));
    if (!version || version->major_version < 2)
        return std::nullopt;
    // Only an existing atom can name a property some device carries.
    XcbPtr<xcb_intern_atom_reply_t> atom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, true, std::strlen(propertyName), propertyName), nullptr));
    if (!atom || atom->atom == XCB_ATOM_NONE)
        return std::nullopt;
    XcbPtr<xcb_input_xi_query_device_reply_t> devices(
        xcb_input_xi_query_device_reply(c, xcb_input_xi_query_device(c, XCB_INPUT_DEVICE_ALL), nullptr));
    if (!devices)
        return std::nullopt;
    for (auto it = xcb_input_xi_query_device_infos_iterator(devices.get()); it.rem;
         xcb_input_xi_device_info_next(&it)) {
        const xcb_input_xi_device_info_t *device = it.data;
        if (device->type != XCB_INPUT_DEVICE_TYPE_SLAVE_POINTER || !device->enabled)
            continue;
        XcbPtr<xcb_input_xi_get_property_reply_t> property(xcb_input_xi_get_property_reply(c,
            xcb_input_xi_get_property(
                c, device->deviceid, false, atom->atom, XCB_GET_PROPERTY_TYPE_ANY, 0, 1),
            nullptr));
        if (!property || property->format != 8 || property->num_items < 1)
            continue;
        const auto *value = static_cast<const uint8_t *>(xcb_input_xi_get_property_items(property.get()));
        return value[0] != 0;
    }
    return std::nullopt;
}

#include "platform/x11/xcbscrolltapfactory.h"

#include "platform/log.h"
#include "platform/x11/xcbpointer.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <atomic>
#include <memory>

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const Log &log()
{
    static const Log instance("GestureMonitor");
    return instance;
}

// One wheel notch, in points: six notches make a pull-down.
constexpr double notchDelta = 10.0;
constexpr xcb_button_t wheelUp = 4;
constexpr xcb_button_t wheelDown = 5;

void logGrabRefused()
{
    log().error(QStringLiteral("Scroll wheel grab refused; observing scroll events without swallowing them"));
}

// X server times are 32-bit milliseconds that wrap after 49.7 days; the
// recogniser wants seconds that never go back.
class ServerClock
{
public:
    double seconds(xcb_timestamp_t time)
    {
        if (m_started && time < m_last && m_last - time > 0x80000000u)
            m_wraps += 1;
        m_started = true;
        m_last = time;
        return (double(m_wraps) * 4294967296.0 + time) / 1000.0;
    }

private:
    bool m_started = false;
    xcb_timestamp_t m_last = 0;
    quint64 m_wraps = 0;
};

class XcbScrollTap final : public ScrollTap
{
public:
    XcbScrollTap(xcb_connection_t *connection, xcb_window_t root, uint8_t xinputOpcode, int wakeFd)
        : m_connection(connection)
        , m_root(root)
        , m_xinputOpcode(xinputOpcode)
        , m_wakeFd(wakeFd)
    { }

    ~XcbScrollTap() override
    {
        // Closing the connection releases every grab and selection it held.
        xcb_disconnect(m_connection);
        ::close(m_wakeFd);
    }

    bool install() override
    {
        if (grabWheel()) {
            m_mode = Mode::Grab;
            m_canSwallow = true;
            m_holding = true;
        } else {
            logGrabRefused();
            if (!selectRawButtons(true))
                return false;
            m_mode = Mode::Observe;
            m_holding = true;
        }
        followEnabled();
        xcb_flush(m_connection);
        return true;
    }

    void run(const Handler &handler) override
    {
        const int xfd = xcb_get_file_descriptor(m_connection);
        while (!m_interrupted && !xcb_connection_has_error(m_connection)) {
            followEnabled();
            // Flushing may read events into libxcb's queue, where poll() can't
            // see them: a notch read there while the grab holds the pointer
            // frozen would wait for the next wake-up. So flush first, then drain
            // everything, and send nothing more before poll().
            xcb_flush(m_connection);
            while (xcb_generic_event_t *raw = xcb_poll_for_event(m_connection)) {
                XcbPtr<xcb_generic_event_t> event(raw);
                dispatch(event.get(), handler);
            }
            if (m_interrupted || xcb_connection_has_error(m_connection))
                break;
            pollfd fds[2] = { { xfd, POLLIN, 0 }, { m_wakeFd, POLLIN, 0 } };
            if (::poll(fds, 2, -1) > 0 && (fds[1].revents & POLLIN)) {
                eventfd_t ignored;
                eventfd_read(m_wakeFd, &ignored);
            }
        }
        release();
    }

    void interrupt() override
    {
        m_interrupted = true;
        wake();
    }

    void setEnabled(bool enabled) override
    {
        m_enabled = enabled;
        wake();
    }

    bool isEnabled() const override { return m_enabled; }
    bool canSwallow() const override { return m_canSwallow; }

    void abandon() override
    {
        // The server sees the connection end and drops the grab at once; the tap
        // thread then finds the connection broken and leaves its loop. Nothing is
        // freed here, so a tap thread still inside xcb stays safe.
        ::shutdown(xcb_get_file_descriptor(m_connection), SHUT_RDWR);
        m_canSwallow = false;
        interrupt();
    }

private:
    enum class Mode { None, Grab, Observe };

    void wake() { eventfd_write(m_wakeFd, 1); }

    bool grabWheel()
    {
        const auto grab = [this](xcb_button_t button) {
            return xcb_grab_button_checked(m_connection, false, m_root,
                XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE, XCB_GRAB_MODE_SYNC,
                XCB_GRAB_MODE_ASYNC, XCB_NONE, XCB_NONE, button, XCB_MOD_MASK_ANY);
        };
        const xcb_void_cookie_t up = grab(wheelUp);
        const xcb_void_cookie_t down = grab(wheelDown);
        XcbPtr<xcb_generic_error_t> upError(xcb_request_check(m_connection, up));
        XcbPtr<xcb_generic_error_t> downError(xcb_request_check(m_connection, down));
        if (!upError && !downError)
            return true;
        ungrabWheel();
        return false;
    }

    void ungrabWheel()
    {
        xcb_ungrab_button(m_connection, wheelUp, m_root, XCB_MOD_MASK_ANY);
        xcb_ungrab_button(m_connection, wheelDown, m_root, XCB_MOD_MASK_ANY);
    }

    bool selectRawButtons(bool on)
    {
        struct
        {
            xcb_input_event_mask_t head;
            uint32_t mask;
        } mask = { { XCB_INPUT_DEVICE_ALL_MASTER, 1 },
            on ? uint32_t(XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS) : 0u };
        const xcb_void_cookie_t cookie
            = xcb_input_xi_select_events_checked(m_connection, m_root, 1, &mask.head);
        XcbPtr<xcb_generic_error_t> error(xcb_request_check(m_connection, cookie));
        return !error;
    }

    // Brings the grab or the selection in line with the wanted state. A grab
    // that another client took in the meantime turns the tap into an observer.
    void followEnabled()
    {
        const bool wanted = m_enabled;
        if (wanted == m_holding || m_mode == Mode::None)
            return;
        if (m_mode == Mode::Grab) {
            if (!wanted) {
                ungrabWheel();
            } else if (!grabWheel()) {
                logGrabRefused();
                m_mode = Mode::Observe;
                m_canSwallow = false;
                selectRawButtons(true);
            }
        } else {
            selectRawButtons(wanted);
        }
        m_holding = wanted;
    }

    void dispatch(xcb_generic_event_t *event, const Handler &handler)
    {
        const uint8_t type = event->response_type & 0x7f;
        if (type == XCB_BUTTON_PRESS) {
            const auto *press = reinterpret_cast<xcb_button_press_event_t *>(event);
            bool swallow = false;
            if (m_enabled && (press->detail == wheelUp || press->detail == wheelDown)) {
                swallow = handler({ press->detail == wheelUp ? notchDelta : -notchDelta,
                    QPointF(press->root_x, press->root_y), m_clock.seconds(press->time) });
            }
            // The pointer stays frozen until this answer: replay hands the notch
            // to the window under the pointer as if it had never been grabbed.
            xcb_allow_events(
                m_connection, swallow ? XCB_ALLOW_ASYNC_POINTER : XCB_ALLOW_REPLAY_POINTER, press->time);
            xcb_flush(m_connection);
            return;
        }
        if (type == XCB_GE_GENERIC) {
            const auto *generic = reinterpret_cast<xcb_ge_generic_event_t *>(event);
            if (generic->extension != m_xinputOpcode || generic->event_type != XCB_INPUT_RAW_BUTTON_PRESS)
                return;
            const auto *press = reinterpret_cast<xcb_input_raw_button_press_event_t *>(event);
            if (!m_enabled || (press->detail != wheelUp && press->detail != wheelDown))
                return;
            // Raw events carry no position; nobody waits on an observer, so ask.
            XcbPtr<xcb_query_pointer_reply_t> pointer(
                xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
            if (!pointer)
                return;
            handler({ press->detail == wheelUp ? notchDelta : -notchDelta,
                QPointF(pointer->root_x, pointer->root_y), m_clock.seconds(press->time) });
        }
    }

    // Leaves nothing behind: no grab, no frozen pointer, no selection.
    void release()
    {
        if (xcb_connection_has_error(m_connection))
            return;
        if (m_mode == Mode::Grab) {
            ungrabWheel();
            xcb_allow_events(m_connection, XCB_ALLOW_REPLAY_POINTER, XCB_CURRENT_TIME);
        } else if (m_mode == Mode::Observe) {
            selectRawButtons(false);
        }
        m_holding = false;
        // A round trip: once run() returns the server has dropped the grab, so a
        // notch that follows can't find the pointer frozen on a tap nobody serves.
        XcbPtr<xcb_get_input_focus_reply_t> done(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    xcb_connection_t *const m_connection;
    const xcb_window_t m_root;
    const uint8_t m_xinputOpcode;
    const int m_wakeFd;
    std::atomic<bool> m_enabled { true };
    std::atomic<bool> m_interrupted { false };
    std::atomic<bool> m_canSwallow { false };
    // Tap thread only.
    Mode m_mode = Mode::None;
    bool m_holding = false;
    ServerClock m_clock;
};

} // namespace

std::shared_ptr<ScrollTap> XcbScrollTapFactory::create()
{
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        return nullptr;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i)
        xcb_screen_next(&screens);
    const xcb_query_extension_reply_t *xinput = xcb_get_extension_data(connection, &xcb_input_id);
    XcbPtr<xcb_input_xi_query_version_reply_t> version;
    if (screens.rem && xinput && xinput->present) {
        // 2.2: raw events reach every client even while another holds a grab.
        version.reset(xcb_input_xi_query_version_reply(
            connection, xcb_input_xi_query_version(connection, 2, 2), nullptr));
    }
    const int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (!version || version->major_version < 2 || wakeFd < 0) {
        if (wakeFd >= 0)
            ::close(wakeFd);
        xcb_disconnect(connection);
        return nullptr;
    }
    return std::make_shared<XcbScrollTap>(connection, screens.data->root, xinput->major_opcode, wakeFd);
}

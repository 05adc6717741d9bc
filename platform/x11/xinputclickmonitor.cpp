#include "platform/x11/xinputclickmonitor.h"

#include "platform/log.h"
#include "platform/x11/xinput2.h"

#include <QGuiApplication>
#include <QMetaObject>

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <cmath>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

const Log &log()
{
    static const Log instance("WindowManager");
    return instance;
}

constexpr quint32 leftButton = 1;
constexpr quint32 rightButton = 3;

} // namespace

struct XInputClickMonitor::Private
{
    xcb_connection_t *connection = nullptr;
    xcb_window_t root = 0;
    quint8 xinputOpcode = 0;
    int wakePipe[2] = { -1, -1 };
    std::thread thread;
    bool running = false; // main thread's view: presses arriving while false are dropped
    // Counts starts: a press queued by an earlier run, delivered after a stop and a new
    // start, belongs to a panel that has gone since and is dropped.
    quint64 run = 0;

    void closeAll()
    {
        if (connection)
            xcb_disconnect(connection);
        connection = nullptr;
        for (int &fd : wakePipe) {
            if (fd >= 0)
                ::close(fd);
            fd = -1;
        }
    }
};

XInputClickMonitor::XInputClickMonitor(QObject *parent)
    : GlobalClickMonitor(parent)
    , d(std::make_unique<Private>())
{ }

XInputClickMonitor::~XInputClickMonitor()
{
    stop();
}

bool XInputClickMonitor::isRunning() const
{
    return d->running;
}

bool XInputClickMonitor::start()
{
    if (d->running)
        return true;
    int screenNumber = 0;
    d->connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(d->connection)) {
        log().error(QStringLiteral("Click monitor could not connect to the X server"));
        d->closeAll();
        return false;
    }
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(d->connection));
    for (int i = 0; i < screenNumber && it.rem; ++i)
        xcb_screen_next(&it);
    d->root = it.data->root;

    const std::optional<quint8> xinput = xinput2Opcode(d->connection);
    if (!xinput) {
        log().error(QStringLiteral("Click monitor needs XInput 2, which the X server does not offer"));
        d->closeAll();
        return false;
    }
    d->xinputOpcode = *xinput;

    // Raw events can only be selected on the root window; they come for every press.
    struct
    {
        xcb_input_event_mask_t head;
        quint32 bits;
    } mask { { XCB_INPUT_DEVICE_ALL_MASTER, 1 }, XCB_INPUT_XI_EVENT_MASK_RAW_BUTTON_PRESS };
    xcb_input_xi_select_events(d->connection, d->root, 1, &mask.head);
    xcb_flush(d->connection);

    if (::pipe2(d->wakePipe, O_CLOEXEC) != 0) {
        d->closeAll();
        return false;
    }
    d->running = true;
    const quint64 run = ++d->run;
    xcb_connection_t *connection = d->connection;
    const xcb_window_t root = d->root;
    const quint8 opcode = d->xinputOpcode;
    const int wakeFd = d->wakePipe[0];
    d->thread = std::thread([this, connection, root, opcode, wakeFd, run] {
        pollfd fds[2] = { { xcb_get_file_descriptor(connection), POLLIN, 0 }, { wakeFd, POLLIN, 0 } };
        while (!xcb_connection_has_error(connection)) {
            // Drain what libxcb already read before sleeping, or a press could wait unseen.
            while (xcb_generic_event_t *event = xcb_poll_for_event(connection)) {
                const bool isRawPress = (event->response_type & 0x7f) == XCB_GE_GENERIC
                    && reinterpret_cast<xcb_ge_generic_event_t *>(event)->extension == opcode
                    && reinterpret_cast<xcb_ge_generic_event_t *>(event)->event_type
                        == XCB_INPUT_RAW_BUTTON_PRESS;
                if (isRawPress) {
                    const quint32 button
                        = reinterpret_cast<xcb_input_raw_button_press_event_t *>(event)->detail;
                    // Raw events carry no position: ask where the pointer is now.
                    xcb_query_pointer_reply_t *pointer
                        = xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
                    if (pointer && (button == leftButton || button == rightButton)) {
                        const QPoint position(pointer->root_x, pointer->root_y);
                        QMetaObject::invokeMethod(
                            this, [this, position, run] { deliver(position, run); }, Qt::QueuedConnection);
                    }
                    std::free(pointer);
                }
                std::free(event);
            }
            if (::poll(fds, 2, -1) < 0 && errno != EINTR)
                break;
            if (fds[1].revents)
                break;
        }
    });
    return true;
}

void XInputClickMonitor::stop()
{
    if (!d->running)
        return;
    d->running = false;
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(d->wakePipe[1], &byte, 1);
    if (d->thread.joinable())
        d->thread.join();
    d->closeAll();
}

void XInputClickMonitor::deliver(QPoint nativePosition, quint64 run)
{
    if (!d->running || run != d->run)
        return;
    const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
    Q_EMIT pressed(
        QPoint(int(std::lround(nativePosition.x() / ratio)), int(std::lround(nativePosition.y() / ratio))));
}

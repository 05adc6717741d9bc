// The real tap against a private X server, driven through xdotool's XTEST clicks.
// Every wait is for a condition; the deadlines only bound a failing run, so they
// are generous enough for a machine that runs many test programs at once.
#include "platform/x11/xcbscrolltapfactory.h"
#include "platform/x11/xinputnaturalscrolling.h"

#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include <poll.h>

namespace {

constexpr int waitLimitMs = 10000;

void xdotool(const QStringList &args)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), args), 0) << args.join(u' ').toStdString();
}

void clickAt(int x, int y, int button)
{
    xdotool({ QStringLiteral("mousemove"), QString::number(x), QString::number(y), QStringLiteral("click"),
        QString::number(button) });
}

// Another client's window at the top-left corner that records the wheel
// buttons it receives.
class Receiver
{
public:
    Receiver()
        : m_connection(xcb_connect(nullptr, nullptr))
    {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        m_window = xcb_generate_id(m_connection);
        const uint32_t values[] = { 1, XCB_EVENT_MASK_BUTTON_PRESS };
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, screen->root, 0, 0, 400, 300, 0,
            XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK,
            values);
        xcb_map_window(m_connection, m_window);
        free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    ~Receiver() { xcb_disconnect(m_connection); }

    // Waits until `count` wheel presses have arrived (or the deadline passed).
    std::vector<int> buttons(size_t count)
    {
        QDeadlineTimer deadline(waitLimitMs);
        while (m_buttons.size() < count && !deadline.hasExpired()) {
            pollfd fd { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            ::poll(&fd, 1, 20);
            while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
                if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS)
                    m_buttons.push_back(reinterpret_cast<xcb_button_press_event_t *>(event)->detail);
                free(event);
            }
        }
        return m_buttons;
    }

private:
    xcb_connection_t *m_connection;
    xcb_window_t m_window = 0;
    std::vector<int> m_buttons;
};

// Runs a tap on a thread of its own, recording what it is handed and swallowing
// the notches that scroll the content down (button 4).
class RunningTap
{
public:
    explicit RunningTap(std::shared_ptr<ScrollTap> tap)
        : m_tap(std::move(tap))
    {
        m_thread = std::thread([this] {
            const bool installed = m_tap->install();
            {
                std::lock_guard lock(m_mutex);
                m_installed = installed;
                m_started = true;
            }
            m_changed.notify_all();
            if (installed)
                m_tap->run([this](const ScrollEvent &event) { return handle(event); });
        });
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_started; });
    }

    ~RunningTap()
    {
        m_tap->interrupt();
        releaseHandler();
        m_thread.join();
    }

    ScrollTap &tap() { return *m_tap; }
    bool installed() const { return m_installed; }

    std::vector<ScrollEvent> eventsNow()
    {
        std::lock_guard lock(m_mutex);
        return m_events;
    }

    std::vector<ScrollEvent> events(size_t count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(
            lock, std::chrono::milliseconds(waitLimitMs), [&] { return m_events.size() >= count; });
        return m_events;
    }

    void blockHandler()
    {
        std::lock_guard lock(m_mutex);
        m_block = true;
    }
    void releaseHandler()
    {
        std::lock_guard lock(m_mutex);
        m_block = false;
        m_changed.notify_all();
    }
    void join()
    {
        m_thread.join();
        m_thread = std::thread([] {});
    }

private:
    bool handle(const ScrollEvent &event)
    {
        std::unique_lock lock(m_mutex);
        m_events.push_back(event);
        m_changed.notify_all();
        m_changed.wait(lock, [this] { return !m_block; });
        return event.deltaY > 0;
    }

    std::shared_ptr<ScrollTap> m_tap;
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<ScrollEvent> m_events;
    bool m_started = false;
    bool m_installed = false;
    bool m_block = false;
};

TEST(XcbScrollTap, swallowsWhatTheHandlerAsksAndReplaysTheRest)
{
    Receiver receiver;
    XcbScrollTapFactory factory;
    RunningTap running(factory.create());
    ASSERT_TRUE(running.installed());
    EXPECT_TRUE(running.tap().canSwallow());

    clickAt(50, 5, 4);
    clickAt(60, 7, 5);
    clickAt(60, 7, 5);
    EXPECT_EQ(receiver.buttons(2), (std::vector { 5, 5 }));

    const std::vector<ScrollEvent> events = running.events(3);
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].deltaY, 10);
    EXPECT_EQ(events[0].position, QPointF(50, 5));
    EXPECT_EQ(events[1].deltaY, -10);
    EXPECT_EQ(events[1].position, QPointF(60, 7));
    EXPECT_LE(events[0].timestamp, events[1].timestamp);
    EXPECT_LE(events[1].timestamp, events[2].timestamp);
}

TEST(XcbScrollTap, disabledTapHandsNothingOnAndEveryNotchPasses)
{
    Receiver receiver;
    XcbScrollTapFactory factory;
    RunningTap running(factory.create());
    ASSERT_TRUE(running.installed());
    running.tap().setEnabled(false);
    clickAt(50, 5, 4);
    clickAt(50, 5, 4);
    EXPECT_EQ(receiver.buttons(2), (std::vector { 4, 4 }));

    // Enabling takes effect on the tap thread a moment later: probe with notches
    // that pass either way until the handler sees one.
    running.tap().setEnabled(true);
    size_t probes = 0;
    QDeadlineTimer deadline(waitLimitMs);
    while (running.eventsNow().empty() && !deadline.hasExpired()) {
        clickAt(50, 5, 5);
        ++probes;
        receiver.buttons(2 + probes);
    }
    ASSERT_FALSE(running.eventsNow().empty());
    clickAt(50, 5, 4);
    clickAt(50, 5, 5);
    std::vector<int> expected { 4, 4 };
    expected.insert(expected.end(), probes + 1, 5);
    EXPECT_EQ(receiver.buttons(expected.size()), expected);
}

TEST(XcbScrollTap, grabHeldByAnotherClientLeavesTheTapObserving)
{
    Receiver receiver;
    XcbScrollTapFactory factory;
    RunningTap first(factory.create());
    ASSERT_TRUE(first.installed());
    RunningTap second(factory.create());
    ASSERT_TRUE(second.installed());
    EXPECT_FALSE(second.tap().canSwallow());

    clickAt(30, 2, 4);
    clickAt(30, 2, 5);
    EXPECT_EQ(receiver.buttons(1), (std::vector { 5 }));
    const std::vector<ScrollEvent> observed = second.events(2);
    ASSERT_EQ(observed.size(), 2u);
    EXPECT_EQ(observed[0].deltaY, 10);
    EXPECT_EQ(observed[0].position, QPointF(30, 2));
}

TEST(XcbScrollTap, endedTapLeavesNoGrabBehind)
{
    Receiver receiver;
    XcbScrollTapFactory factory;
    {
        RunningTap running(factory.create());
        ASSERT_TRUE(running.installed());
        running.tap().interrupt();
        running.join();
        clickAt(50, 5, 4);
        EXPECT_EQ(receiver.buttons(1), (std::vector { 4 })) << "the tap still exists but has left its loop";
    }
    RunningTap next(factory.create());
    ASSERT_TRUE(next.installed());
    EXPECT_TRUE(next.tap().canSwallow());
}

TEST(XcbScrollTap, abandonedTapFreesTheSessionEvenWhileItsThreadIsStuck)
{
    Receiver receiver;
    XcbScrollTapFactory factory;
    RunningTap running(factory.create());
    ASSERT_TRUE(running.installed());
    running.blockHandler();
    clickAt(50, 5, 4);
    ASSERT_EQ(running.events(1).size(), 1u);

    // The pointer is frozen on the stuck handler's answer.
    running.tap().abandon();
    clickAt(50, 5, 5);
    const std::vector<int> received = receiver.buttons(1);
    ASSERT_FALSE(received.empty());
    EXPECT_EQ(received.back(), 5);
}

TEST(XInputNaturalScrolling, serverWithoutThePropertyHasNoAnswer)
{
    EXPECT_EQ(XInputNaturalScrolling().isEnabled(), std::nullopt);
}

} // namespace

#include "gesture/gesturemonitor.h"

#include "gesture/gesturemonitordelegate.h"
#include "platform/mainqueue.h"
#include "platform/scrolltap.h"

#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace {

enum class StartupState : std::uint8_t { Idle, Starting, Ready, Failed };

// The hand-shake between start() or stop() and one tap thread. Each start()
// makes a new one, so a thread cut off by an earlier stop() can't answer for a
// later start.
struct Startup
{
    void set(StartupState next)
    {
        std::lock_guard guard(mutex);
        state = next;
        changed.notify_all();
    }

    // The state once it has left Starting, or Starting after the timeout.
    StartupState waitWhileStarting(int milliseconds)
    {
        std::unique_lock guard(mutex);
        changed.wait_for(guard, std::chrono::milliseconds(milliseconds),
            [this] { return state != StartupState::Starting; });
        return state;
    }

    std::mutex mutex;
    std::condition_variable changed;
    StartupState state = StartupState::Starting;
};

} // namespace

// What the tap thread shares with the monitor. `lock` guards the recogniser and
// the screens and is only ever held for a few arithmetic steps.
struct GestureMonitor::Core : std::enable_shared_from_this<Core>
{
    // Tap thread: one wheel event. True swallows it.
    bool handleScroll(const ScrollEvent &event)
    {
        GestureStep step;
        {
            std::lock_guard guard(lock);
            const QPointF p = screens.toDesktop(event.position);
            step = stateMachine.process(screens.screens(), event.deltaY, p.x(), p.y(), event.timestamp);
        }
        if (step.action) {
            MainQueue::async([weak = weak_from_this(), action = *step.action] {
                const auto core = weak.lock();
                if (core && core->owner)
                    core->owner->perform(action);
            });
        }
        return step.consumed;
    }

    std::mutex lock;
    GestureStateMachine stateMachine;
    ScreenSnapshot screens;
    GestureMonitor *owner = nullptr; // main thread only; cleared when the monitor goes
    std::shared_ptr<Startup> startup;
};

GestureMonitor::GestureMonitor(ScrollTapFactory &taps, const ScrollDirection &direction, QObject *parent)
    : QObject(parent)
    , m_taps(taps)
    , m_direction(direction)
    , m_core(std::make_shared<Core>())
{
    m_core->owner = this;
    m_core->stateMachine = GestureStateMachine(m_direction.isNatural());
    m_core->screens = ScreenSnapshot::ofDesktop();

    m_graceTimer.setSingleShot(true);
    m_graceTimer.setInterval(graceResetMs);
    connect(&m_graceTimer, &QTimer::timeout, this, &GestureMonitor::resetRecognizer);

    const auto republish = [this] { publishScreens(ScreenSnapshot::ofDesktop()); };
    connect(qGuiApp, &QGuiApplication::screenAdded, this, [this, republish](QScreen *screen) {
        watchScreen(screen);
        republish();
    });
    connect(qGuiApp, &QGuiApplication::screenRemoved, this, republish);
    connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, republish);
    for (QScreen *screen : QGuiApplication::screens())
        watchScreen(screen);
}

GestureMonitor::~GestureMonitor()
{
    stop();
    m_core->owner = nullptr;
}

void GestureMonitor::watchScreen(QScreen *screen)
{
    connect(screen, &QScreen::geometryChanged, this, [this] { publishScreens(ScreenSnapshot::ofDesktop()); });
}

void GestureMonitor::publishScreens(ScreenSnapshot snapshot)
{
    {
        std::lock_guard guard(m_core->lock);
        std::swap(m_core->screens, snapshot);
    }
    // The old snapshot is freed here, outside the lock.
}

GestureStateMachine GestureMonitor::stateMachine() const
{
    std::lock_guard guard(m_core->lock);
    return m_core->stateMachine;
}

void GestureMonitor::start()
{
    if (m_tap)
        return;
    std::shared_ptr<ScrollTap> tap = m_taps.create();
    if (!tap) {
        m_log.error(
            QStringLiteral("Failed to create the scroll tap — no X server with XInput 2 is available"));
        return;
    }
    // Before the thread exists, so that a tap switched off stays off from its first event.
    tap->setEnabled(!m_disabled);
    m_tap = tap;
    auto startup = std::make_shared<Startup>();
    m_core->startup = startup;

    m_thread.reset(QThread::create([core = m_core, tap, startup] {
        if (!tap->install()) {
            startup->set(StartupState::Failed);
            return;
        }
        startup->set(StartupState::Ready);
        tap->run([core = core.get()](const ScrollEvent &event) { return core->handleScroll(event); });
    }));
    m_thread->setObjectName(QStringLiteral("com.quorvane.gesture-monitor"));
    m_thread->start(QThread::TimeCriticalPriority);

    switch (startup->waitWhileStarting(startupTimeoutMs)) {
    case StartupState::Failed:
        m_log.error(QStringLiteral("GestureMonitor tap thread failed to create run loop source"));
        stop();
        return;
    case StartupState::Starting:
        // The thread may still finish later; the tap stays.
        m_log.error(QStringLiteral("GestureMonitor tap thread did not finish startup before timeout"));
        break;
    case StartupState::Ready:
    case StartupState::Idle:
        break;
    }
    m_log.info(QStringLiteral("GestureMonitor started"));
}

void GestureMonitor::stop()
{
    if (!m_tap)
        return;
    const std::shared_ptr<Startup> startup = m_core->startup;
    if (startup && startup->waitWhileStarting(startupTimeoutMs) == StartupState::Starting)
        m_log.error(QStringLiteral("GestureMonitor stop continued before tap thread finished startup"));

    m_tap->setEnabled(false);
    m_tap->interrupt();
    if (m_thread && QThread::currentThread() != m_thread.get()
        && !m_thread->wait(QDeadlineTimer(stopTimeoutMs))) {
        m_log.error(QStringLiteral("GestureMonitor tap thread did not finish before stop timeout"));
        // Whatever holds the thread up, the session's scrolling must not wait on it.
        m_tap->abandon();
        QThread *thread = m_thread.release();
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        if (thread->isFinished())
            thread->deleteLater();
    }
    m_graceTimer.stop();
    m_thread.reset();
    m_tap.reset();
    if (startup)
        startup->set(StartupState::Idle);
    m_core->startup.reset();
    m_log.info(QStringLiteral("GestureMonitor stopped"));
}

void GestureMonitor::disable()
{
    m_disabled = true;
    if (!m_tap)
        return;
    m_tap->setEnabled(false);
    // Asking for the direction may take a trip to the X server: not under the lock.
    const bool natural = m_direction.isNatural();
    {
        std::lock_guard guard(m_core->lock);
        m_core->stateMachine = GestureStateMachine(natural);
    }
    m_log.debug(QStringLiteral("GestureMonitor disabled"));
}

void GestureMonitor::enable()
{
    const bool wasDisabled = m_disabled;
    m_disabled = false;
    const bool natural = m_direction.isNatural();
    {
        std::lock_guard guard(m_core->lock);
        m_core->stateMachine.setNaturalScrolling(natural);
        // disable() forgot the panel; without this a shown panel would be taken
        // for hidden and the recogniser would stick after a dropped show request.
        if (wasDisabled)
            m_core->stateMachine.setPanelVisible(m_panelVisible);
    }
    if (!m_tap)
        return;
    m_tap->setEnabled(true);
    m_log.debug(QStringLiteral("GestureMonitor enabled"));
}

void GestureMonitor::setPanelVisible(bool visible)
{
    m_panelVisible = visible;
    {
        std::lock_guard guard(m_core->lock);
        m_core->stateMachine.setPanelVisible(visible);
    }
    m_graceTimer.start();
}

void GestureMonitor::resetRecognizer()
{
    {
        std::lock_guard guard(m_core->lock);
        m_core->stateMachine.reset();
    }
    m_log.debug(QStringLiteral("GestureMonitor reset the recognizer"));
}

void GestureMonitor::perform(const GestureAction &action)
{
    if (!m_delegate)
        return;
    if (action.kind == GestureAction::Kind::Hide) {
        m_delegate->requestHide();
        return;
    }
    QScreen *screen = nullptr;
    for (QScreen *candidate : QGuiApplication::screens()) {
        if (candidate->name() == action.screen) {
            screen = candidate;
            break;
        }
    }
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        m_delegate->requestShow(screen);
}

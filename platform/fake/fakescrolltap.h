#pragma once

#include "platform/scrolltap.h"

#include <condition_variable>
#include <mutex>
#include <optional>

// A tap that the test scrolls by hand. install() and run() behave like a real
// tap's on the tap thread; scroll() hands an event to the running handler on
// the caller's thread. Start-up and shutdown can be held up to test timeouts.
class FakeScrollTap final : public ScrollTap
{
public:
    bool install() override;
    void run(const Handler &handler) override;
    void interrupt() override;
    void setEnabled(bool enabled) override;
    bool isEnabled() const override;
    bool canSwallow() const override;
    void abandon() override;

    // The handler's answer; nullopt when the tap is not running or disabled.
    std::optional<bool> scroll(const ScrollEvent &event);

    void failInstall();
    void observeOnly(); // installs as if the grab had been refused
    void holdInstall(); // install() waits until releaseInstall()
    void releaseInstall();
    void ignoreInterrupts(); // run() goes on until releaseRun()
    void releaseRun();

    bool waitUntilRunning(int milliseconds);
    bool isRunning() const;
    bool hasReturned() const; // run() has ended
    bool wasAbandoned() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    Handler m_handler;
    bool m_enabled = true;
    bool m_installed = false;
    bool m_failInstall = false;
    bool m_observeOnly = false;
    bool m_holdInstall = false;
    bool m_ignoreInterrupts = false;
    bool m_interrupted = false;
    bool m_running = false;
    bool m_returned = false;
    bool m_abandoned = false;
};

// Hands out `next` (prepared by the test before start()) and keeps it as `last`.
class FakeScrollTapFactory final : public ScrollTapFactory
{
public:
    std::shared_ptr<ScrollTap> create() override;

    void failCreate(bool fail) { m_failCreate = fail; }
    int created() const { return m_created; }

    std::shared_ptr<FakeScrollTap> next = std::make_shared<FakeScrollTap>();
    std::shared_ptr<FakeScrollTap> last;

private:
    bool m_failCreate = false;
    int m_created = 0;
};

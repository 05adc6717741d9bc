#pragma once

#include "platform/globalclickmonitor.h"

#include <memory>

// Watches XInput 2 raw button presses on the root window, which the server sends
// for every press on the display whoever's window it lands in. Runs on a thread of
// its own with its own X connection, so a busy main thread never delays it and Qt's
// connection is never touched from another thread.
class XInputClickMonitor final : public GlobalClickMonitor
{
    Q_OBJECT
public:
    explicit XInputClickMonitor(QObject *parent = nullptr);
    ~XInputClickMonitor() override;

    bool start() override;
    void stop() override;
    bool isRunning() const override;

private:
    struct Private;
    void deliver(QPoint nativePosition, quint64 run);

    std::unique_ptr<Private> d;
};

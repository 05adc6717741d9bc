#pragma once

#include "platform/pasteboard.h"

#include <QHash>

#include <atomic>
#include <chrono>
#include <memory>

// Reads the CLIPBOARD selection over an X connection of its own, so that the
// thread it runs on, never the GUI thread, waits for the owner. The connection
// opens at the first read, on the reading thread. Each request to the owner
// (its list of targets, each conversion, each piece of an incremental transfer)
// has `requestTimeout` to make progress; an owner that lets one pass is asked
// nothing more, so a silent owner costs one time-out per change, and a large
// transfer that keeps coming is never cut short. cancel() may be called from any
// thread and ends a wait within a few tens of milliseconds.
class XcbSelectionReader final : public PasteboardReader
{
public:
    explicit XcbSelectionReader(std::chrono::milliseconds requestTimeout = std::chrono::seconds(2));
    ~XcbSelectionReader() override;

    void cancel() override { m_cancelled.store(true); }

protected:
    std::optional<QStringList> readFormats() override;
    std::optional<QByteArray> readFormat(const QString &format) override;
    std::optional<QString> readText() override;

private:
    class Session;
    // The bytes of a target by name, converted by the owner; nullopt when refused or silent.
    std::optional<QByteArray> convert(const QByteArray &target);

    const std::chrono::milliseconds m_requestTimeout;
    std::atomic<bool> m_cancelled { false };
    std::unique_ptr<Session> m_session;
    bool m_sessionFailed = false;
    bool m_ownerSilent = false;
    std::optional<std::optional<QStringList>> m_formats; // outer: asked yet
    QHash<QString, QByteArray> m_targets; // format -> the target it is read from
    QHash<QByteArray, std::optional<QByteArray>> m_converted; // by target
};

#pragma once

#include <QObject>

#include <chrono>
#include <functional>

// The main thread's queue: work posted here runs on a later turn of the event
// loop, in the order posted. Safe to call from any thread.
namespace MainQueue {

void async(std::function<void()> work);

// Runs after the delay; when `context` is given and destroyed first, never runs.
void asyncAfter(std::chrono::milliseconds delay, std::function<void()> work, QObject *context = nullptr);

bool isMainThread();

} // namespace MainQueue

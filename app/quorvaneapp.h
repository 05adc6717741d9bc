#pragma once

#include <QStringList>

// The program: creates the real system services and the application delegate, runs
// the event loop, and runs the delegate's shutdown before returning, however the
// loop was asked to end (the tray's Quit, SIGTERM, SIGINT). Returns the exit status.
class QuorvaneApp
{
public:
    static int run(const QStringList &arguments);

    // The argument a relaunched copy gets: it waits for the old one to let go.
    static QString relaunchArgument() { return QStringLiteral("--relaunch"); }
};

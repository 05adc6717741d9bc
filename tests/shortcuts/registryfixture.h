#pragma once

#include "platform/defaults.h"
#include "platform/fake/fakehotkeygrabber.h"
#include "platform/notificationcenter.h"
#include "shortcuts/registry.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A registry over a fake grabber and settings in a temporary folder, with two Names.
class RegistryFixture : public ::testing::Test
{
protected:
    RegistryFixture()
        : defaults(dir.filePath(QStringLiteral("defaults.json")))
        , registry(defaults, notifications, grabber)
    { }

    // One turn of the main queue: what the registry scheduled runs.
    static void turn() { QCoreApplication::processEvents(); }
    bool grabbed(const GlobalShortcuts::Shortcut &s) const
    {
        return grabber.isGrabbed(s.carbonKeyCode(), s.carbonModifiers());
    }
    void tap(const GlobalShortcuts::Shortcut &s)
    {
        grabber.press(s.carbonKeyCode(), s.carbonModifiers());
        grabber.release(s.carbonKeyCode(), s.carbonModifiers());
    }

    QTemporaryDir dir;
    Defaults defaults;
    NotificationCenter notifications;
    FakeHotKeyGrabber grabber;
    GlobalShortcuts::Registry registry;
    const GlobalShortcuts::Name toggle { QStringLiteral("toggleHUD") };
    const GlobalShortcuts::Name other { QStringLiteral("other") };
};

#pragma once

// The system as a launched AppDelegate sees it, made of stand-ins: nothing a test
// does reaches the user's settings, clipboard, screen or network.
#include "app/appdelegate.h"
#include "app/panelcontroller.h"
#include "platform/defaults.h"
#include "platform/fake/fakealertpresenter.h"
#include "platform/fake/fakeclickmonitor.h"
#include "platform/fake/fakecolorschemepreference.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakefolderchooser.h"
#include "platform/fake/fakeloginitem.h"
#include "platform/fake/fakenaturalscrolling.h"
#include "platform/fake/fakepasteboard.h"
#include "platform/fake/fakescrolltap.h"
#include "platform/fake/fakeworkspace.h"
#include "platform/notificationcenter.h"

#include <QAbstractAnimation>
#include <QCoreApplication>
#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <memory>

struct FakeSystem
{
    FakeSystem()
    {
        // No update check may leave this machine.
        qputenv("QUORVANE_UPDATE_HOST", "http://127.0.0.1:9");
    }

    QString storeFolder() const { return dir.filePath(QStringLiteral("com.quorvane.app")); }

    // A delegate over these stand-ins, not launched yet.
    std::unique_ptr<AppDelegate> makeDelegate()
    {
        AppServices services { defaults, alerts, clicks, center, network, scrollTaps, naturalScrolling,
            storeFolder(), [this] { return trusted; }, [this] { return relaunchStarts; }, false,
            [this] { ++terminations; }, hotKeys, &vaultEvents, &pasteboard, &workspace, &folderChooser,
            &loginItem, &colorScheme };
        return std::make_unique<AppDelegate>(std::move(services));
    }

    // Two turns of the main queue: a scheduled action and what it schedules in turn.
    static void processEvents()
    {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    // Jumps the panel's running transition to its end, as if its time had passed.
    static void finishAnimation(PanelController &controller)
    {
        if (QAbstractAnimation *animation = controller.runningAnimation())
            animation->setCurrentTime(animation->totalDuration());
    }

    QTemporaryDir dir;
    Defaults defaults { dir.filePath(QStringLiteral("config/defaults.json")) };
    FakeAlertPresenter alerts;
    FakeClickMonitor clicks;
    NotificationCenter center;
    QNetworkAccessManager network;
    FakeScrollTapFactory scrollTaps;
    FakeFileEventStream vaultEvents;
    FakePasteboard pasteboard;
    FakeWorkspace workspace;
    FakeFolderChooser folderChooser;
    FakeLoginItem loginItem;
    FakeNaturalScrolling naturalScrolling;
    FakeColorSchemePreference colorScheme; // the desktop's light or dark preference
    bool trusted = true; // may the gesture watch input globally
    bool relaunchStarts = true; // does a restart manage to start the new program
    int terminations = 0; // how often the delegate asked the program to end
    HotKeyGrabber *hotKeys = nullptr; // none: no global shortcut
};

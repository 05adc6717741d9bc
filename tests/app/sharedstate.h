#pragma once

// A shared state over stand-ins, for the views of the panel: a store in a
// temporary folder, settings there too, and fakes for the rest.
#include "app/appstate.h"
#include "clipboard/clipboardstore.h"
#include "platform/defaults.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakepasteboard.h"
#include "platform/notificationcenter.h"
#include "tests/clipboard/temporarystore.h"

#include <QTemporaryDir>

#include <memory>

struct SharedState
{
    // Stores a text entry, newer than the ones before; returns its id.
    QUuid addText(const QString &text)
    {
        clock.advance(1000);
        const ClipboardItem item = ClipboardItem::create(clock, ContentType::Text, text.toUtf8(), text);
        store->insert(item);
        store->save();
        return item.id;
    }

    QTemporaryDir dir;
    std::unique_ptr<ClipboardStore> store = openStoreIn(dir);
    Defaults defaults { dir.filePath(QStringLiteral("defaults.json")) };
    FakePasteboard pasteboard;
    FakeFileEventStream events;
    FakeClock clock;
    NotificationCenter notifications;
    AppState state { defaults, *store, pasteboard, events, clock };
};

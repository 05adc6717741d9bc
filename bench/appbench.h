#pragma once

#include "app/appnotesenvironment.h"
#include "app/appstate.h"
#include "clipboard/clipboardstore.h"
#include "notes/notesmanager.h"
#include "platform/defaults.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "platform/fake/fakefolderchooser.h"
#include "platform/fake/fakepasteboard.h"
#include "platform/fake/fakeworkspace.h"
#include "platform/notificationcenter.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>

// Writes `notes` small notes into `vault`, a tenth at its root and the rest spread
// over `folders` folders, one a minute apart from `oldest` on, so that the list's
// order by date is known.
inline void writeBenchVault(const QString &vault, int notes, int folders, const QDateTime &oldest)
{
    for (int i = 0; i < notes; ++i) {
        const QString folder = i < notes / 10 ? QString() : QStringLiteral("Folder %1/").arg(i % folders);
        const QString path = QStringLiteral("%1/%2Note %3.md").arg(vault, folder).arg(i);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the bench vault");
        file.write("text");
        file.setFileTime(oldest.addSecs(i * 60), QFileDevice::FileModificationTime);
    }
}

// The shared state of the panel over stand-ins, for benchmarks of its panes: a
// store and the settings in a temporary folder, fakes for the rest. The store and
// the settings open at once, so a benchmark can fill them; `startApp` then makes
// the state over them, as a launch does.
struct AppBench
{
    AppBench()
    {
        StoreError error;
        store = ClipboardStore::open(dir.filePath(QStringLiteral("Clipboard.store")), &error);
        if (!store)
            qFatal("cannot open the bench store: %s", qPrintable(error.description));
        defaults = std::make_unique<Defaults>(dir.filePath(QStringLiteral("defaults.json")));
    }

    void startApp() { appState = std::make_unique<AppState>(*defaults, *store, pasteboard, events, clock); }

    QTemporaryDir dir;
    std::unique_ptr<ClipboardStore> store;
    std::unique_ptr<Defaults> defaults;
    FakePasteboard pasteboard;
    FakeFileEventStream events;
    FakeClock clock;
    NotificationCenter notifications;
    std::unique_ptr<AppState> appState;
};

// The same with the notes pane's environment, for benchmarks of the notes pane: a
// benchmark writes its notes into `vault`, then `startNotes` makes the state and
// the environment and opens the vault.
struct NotesAppBench : AppBench
{
    void startNotes()
    {
        startApp();
        environment = std::make_unique<AppNotesEnvironment>(*appState, workspace, chooser, notifications);
        appState->notesManager().setVault(QUrl::fromLocalFile(vault));
    }

    FakeWorkspace workspace;
    FakeFolderChooser chooser;
    std::unique_ptr<AppNotesEnvironment> environment;
    QString vault;
};

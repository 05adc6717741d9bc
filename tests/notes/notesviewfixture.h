#pragma once

#include "tests/notes/fakenotesenvironment.h"
#include "tests/notes/temporaryvault.h"
#include "tests/support/printers.h"

#include "platform/fake/fakeclock.h"

#include <memory>
#include <optional>

// A temporary vault under a fake shared state, for the notes views.
class NotesViewFixture : public TemporaryVaultWithDataHome
{
protected:
    void SetUp() override
    {
        TemporaryVaultWithDataHome::SetUp();
        environment = std::make_unique<FakeNotesEnvironment>(settingsFile(), clock);
        manager().setRecoveryFolder(recovery());
    }
    void TearDown() override
    {
        environment.reset();
        TemporaryVaultWithDataHome::TearDown();
    }

    QString recovery() const { return root.filePath(QStringLiteral("data/Recovered Notes")); }
    QString settingsFile() const { return root.filePath(QStringLiteral("config/defaults.json")); }
    void openVault() { environment->notesManager().setVault(QUrl::fromLocalFile(vault())); }
    NotesManager &manager() { return environment->notesManager(); }

    // A note dated `minutesAgo` before the fake clock's time.
    void write(const QString &relative, const QByteArray &bytes = "text", int minutesAgo = 0)
    {
        TemporaryVault::write(relative, bytes, clock.now().addSecs(-60 * minutesAgo));
    }
    bool exists(const QString &relative) const { return QFileInfo::exists(at(relative)); }

    FakeClock clock { QDateTime::currentDateTimeUtc() };
    std::unique_ptr<FakeNotesEnvironment> environment;
};

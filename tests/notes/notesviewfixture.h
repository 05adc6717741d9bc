#pragma once

#include "tests/notes/fakenotesenvironment.h"
#include "tests/support/printers.h"

#include "platform/fake/fakeclock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

// A temporary vault under a fake shared state, for the notes views.
class NotesViewFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
        QDir().mkpath(vault());
        environment = std::make_unique<FakeNotesEnvironment>(settingsFile(), clock);
    }
    void TearDown() override
    {
        environment.reset();
        qputenv("XDG_DATA_HOME", m_previousData);
    }

    QString settingsFile() const { return root.filePath(QStringLiteral("config/defaults.json")); }
    QString vault() const { return QDir(root.path()).canonicalPath() + QStringLiteral("/Vault"); }
    QString at(const QString &relative) const { return vault() + u'/' + relative; }
    QUrl url(const QString &relative) const { return QUrl::fromLocalFile(at(relative)); }
    void openVault() { environment->notesManager().setVault(QUrl::fromLocalFile(vault())); }
    NotesManager &manager() { return environment->notesManager(); }

    // A note dated `minutesAgo` before the fake clock's time.
    void write(const QString &relative, const QByteArray &bytes = "text", int minutesAgo = 0)
    {
        QDir().mkpath(QFileInfo(at(relative)).path());
        QFile file(at(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << relative.toStdString();
        file.write(bytes);
        file.flush();
        ASSERT_TRUE(
            file.setFileTime(clock.now().addSecs(-60 * minutesAgo), QFileDevice::FileModificationTime));
    }
    QByteArray read(const QString &relative) const
    {
        QFile file(at(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    bool exists(const QString &relative) const { return QFileInfo::exists(at(relative)); }

    QTemporaryDir root;
    FakeClock clock { QDateTime::currentDateTimeUtc() };
    std::unique_ptr<FakeNotesEnvironment> environment;

private:
    QByteArray m_previousData;
};

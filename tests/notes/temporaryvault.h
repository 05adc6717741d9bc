#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <optional>

// A vault in a temporary folder, its files named by their path inside it.
class TemporaryVault : public ::testing::Test
{
protected:
    QString vault() const { return QDir(root.path()).canonicalPath() + QStringLiteral("/Vault"); }
    QString at(const QString &relative) const { return vault() + u'/' + relative; }
    QUrl url(const QString &relative) const { return QUrl::fromLocalFile(at(relative)); }

    // Writes `bytes` at `relative`, making the folders on the way; dated `modified`
    // where given.
    void write(const QString &relative, const QByteArray &bytes = "text",
        std::optional<QDateTime> modified = std::nullopt)
    {
        const QString path = at(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
        file.flush(); // a later flush would set the date again
        if (modified) {
            ASSERT_TRUE(file.setFileTime(*modified, QFileDevice::FileModificationTime));
        }
    }
    QByteArray read(const QString &relative) const
    {
        QFile file(at(relative));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir root;
};

// The same with the vault folder made, and the data home (where the trash is) in the
// temporary folder too for the time of each test.
class TemporaryVaultWithDataHome : public TemporaryVault
{
protected:
    void SetUp() override
    {
        m_previousData = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
        QDir().mkpath(vault());
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previousData); }

private:
    QByteArray m_previousData;
};

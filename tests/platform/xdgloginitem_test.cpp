#include "platform/linux/xdgloginitem.h"

#include "tests/support/permissionsbind.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void write(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
}

struct ExecCase
{
    const char *name;
    const char *executable;
    const char *exec;
};

void PrintTo(const ExecCase &c, std::ostream *out)
{
    *out << c.name;
}

// What the Exec= line holds, as the file's bytes show it.
const ExecCase execCases[] = {
    { "aPlainPathStandsAsItIs", "/usr/bin/quorvane", "/usr/bin/quorvane" },
    { "spacesAreQuoted", "/opt/My Apps/quorvane", R"("/opt/My Apps/quorvane")" },
    { "quotesDollarsAndBackticksAreEscapedInsideTheQuotes", R"(/opt/a"b$c`d/q)",
        R"("/opt/a\\"b\\$c\\`d/q")" },
    { "aBackslashIsEscapedTwice", R"(/opt/a\b/q)", R"("/opt/a\\\\b/q")" },
    { "percentIsNoFieldCode", "/opt/100%/q", "/opt/100%%/q" },
};

class ExecValue : public ::testing::TestWithParam<ExecCase>
{
};

TEST_P(ExecValue, quotesAndEscapesAsDesktopEntriesWant)
{
    EXPECT_EQ(XdgLoginItem::execValue(QString::fromUtf8(GetParam().executable)),
        QString::fromUtf8(GetParam().exec));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecValue, ::testing::ValuesIn(execCases), [](const auto &info) { return info.param.name; });

TEST(XdgLoginItem, registerWritesTheEntryAndUnregisterRemovesIt)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("config/autostart")); // made on the way
    XdgLoginItem item(folder, QStringLiteral("/opt/Quorvane Apps/quorvane"));
    EXPECT_FALSE(item.isEnabled());
    EXPECT_TRUE(item.unregisterEntry()); // nothing there: nothing to do

    QString error;
    ASSERT_TRUE(item.registerEntry(&error)) << error.toStdString();
    EXPECT_EQ(item.filePath(), folder + QStringLiteral("/quorvane.desktop"));
    const QByteArray entry = read(item.filePath());
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n")) << entry.constData();
    EXPECT_TRUE(entry.contains("\nType=Application\n"));
    EXPECT_TRUE(entry.contains("\nExec=\"/opt/Quorvane Apps/quorvane\"\n"));
    EXPECT_TRUE(item.isEnabled());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList { QStringLiteral("quorvane.desktop") });

    ASSERT_TRUE(item.unregisterEntry(&error));
    EXPECT_FALSE(QFile::exists(item.filePath()));
    EXPECT_FALSE(item.isEnabled());
}

TEST(XdgLoginItem, anEntryTheSessionWouldSkipIsNotEnabled)
{
    QTemporaryDir dir;
    XdgLoginItem item(dir.path(), QStringLiteral("/usr/bin/quorvane"));
    const std::pair<QByteArray, bool> entries[] = {
        { "[Desktop Entry]\nExec=quorvane\n", true },
        { "[Desktop Entry]\nExec=quorvane\nHidden=true\n", false },
        { "[Desktop Entry]\nExec=quorvane\nX-GNOME-Autostart-enabled=false\n", false },
        { "[Desktop Entry]\nExec=quorvane\nX-GNOME-Autostart-enabled=true\n", true },
        { "[Desktop Entry]\nExec=quorvane\n[Desktop Action x]\nHidden=true\n", true }, // another group's
    };
    for (const auto &[contents, enabled] : entries) {
        write(item.filePath(), contents);
        EXPECT_EQ(item.isEnabled(), enabled) << contents.constData();
    }
}

TEST(XdgLoginItem, anUnwritableFolderFailsAndLeavesTheOldEntry)
{
    QTemporaryDir dir;
    // A file where the folder should be stops anyone, root included.
    write(dir.filePath(QStringLiteral("blocked")), "not a folder");
    XdgLoginItem blocked(dir.filePath(QStringLiteral("blocked")), QStringLiteral("/usr/bin/quorvane"));
    QString error;
    EXPECT_FALSE(blocked.registerEntry(&error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(blocked.isEnabled());

    const QString folder = dir.filePath(QStringLiteral("autostart"));
    XdgLoginItem item(folder, QStringLiteral("/usr/bin/quorvane"));
    ASSERT_TRUE(QDir().mkpath(folder));
    write(item.filePath(), "[Desktop Entry]\nExec=old\nHidden=true\n");
    ASSERT_TRUE(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    error.clear();
    bool registered = true;
    bool unregistered = true;
    {
        PermissionsBind bound;
        EXPECT_TRUE(bound.isValid());
        registered = item.registerEntry(&error);
        unregistered = item.unregisterEntry();
    }
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(registered);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(unregistered);
    EXPECT_EQ(read(item.filePath()), "[Desktop Entry]\nExec=old\nHidden=true\n");
}

} // namespace

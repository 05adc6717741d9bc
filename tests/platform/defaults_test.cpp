#include "platform/defaults.h"

#include "tests/support/logcapture.h"
#include "tests/support/permissionsbind.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class DefaultsTest : public ::testing::Test
{
protected:
    QString path() const { return dir.filePath(QStringLiteral("sub/defaults.json")); }

    void writeFile(const QByteArray &bytes)
    {
        QDir().mkpath(dir.filePath(QStringLiteral("sub")));
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QJsonObject readFile() const
    {
        QFile file(path());
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QJsonDocument::fromJson(file.readAll()).object();
    }

    QTemporaryDir dir;
};

TEST_F(DefaultsTest, missingKeyAndStoredFalseAreDifferentAnswers)
{
    Defaults defaults(path());
    EXPECT_FALSE(defaults.boolean(QStringLiteral("flag")).has_value());
    EXPECT_TRUE(defaults.boolean(QStringLiteral("flag"), true));
    defaults.setBoolean(QStringLiteral("flag"), false);
    ASSERT_TRUE(defaults.boolean(QStringLiteral("flag")).has_value());
    EXPECT_FALSE(defaults.boolean(QStringLiteral("flag"), true));
}

TEST_F(DefaultsTest, valuesSurviveAReloadWithTheirTypes)
{
    {
        Defaults defaults(path());
        defaults.setBoolean(QStringLiteral("b"), true);
        defaults.setInteger(QStringLiteral("i"), 250);
        defaults.setReal(QStringLiteral("d"), 1.5);
        defaults.setString(QStringLiteral("s"), QStringLiteral("notes"));
        defaults.setStringList(QStringLiteral("l"), { QStringLiteral("a"), QStringLiteral("b") });
        defaults.setData(QStringLiteral("data"), QByteArray("\x00\xff\x10", 3));
    }
    Defaults defaults(path());
    EXPECT_EQ(defaults.boolean(QStringLiteral("b")), true);
    EXPECT_EQ(defaults.integer(QStringLiteral("i")), 250);
    EXPECT_EQ(defaults.real(QStringLiteral("d")), 1.5);
    EXPECT_EQ(defaults.real(QStringLiteral("i")), 250.0);
    EXPECT_EQ(defaults.string(QStringLiteral("s")), QStringLiteral("notes"));
    EXPECT_EQ(
        defaults.stringList(QStringLiteral("l")), (QStringList { QStringLiteral("a"), QStringLiteral("b") }));
    EXPECT_EQ(defaults.data(QStringLiteral("data")), QByteArray("\x00\xff\x10", 3));

    // People can read the file: plain JSON types under the program's own keys.
    const QJsonObject object = readFile();
    EXPECT_TRUE(object.value(QStringLiteral("b")).isBool());
    EXPECT_EQ(object.value(QStringLiteral("i")).toInt(), 250);
    EXPECT_EQ(object.value(QStringLiteral("s")).toString(), QStringLiteral("notes"));
    EXPECT_TRUE(object.value(QStringLiteral("data")).toObject().contains(QStringLiteral("base64")));
}

TEST_F(DefaultsTest, valuesOfAnotherTypeReadAsMissing)
{
    writeFile(R"({"historyLimit": "300", "flag": 1, "ratio": 2.5, "list": ["a", 3], "blob": "abc"})");
    Defaults defaults(path());
    EXPECT_FALSE(defaults.integer(QStringLiteral("historyLimit")).has_value());
    EXPECT_EQ(defaults.integer(QStringLiteral("historyLimit"), 200), 200);
    EXPECT_FALSE(defaults.boolean(QStringLiteral("flag")).has_value());
    EXPECT_FALSE(defaults.integer(QStringLiteral("ratio")).has_value());
    EXPECT_FALSE(defaults.stringList(QStringLiteral("list")).has_value());
    EXPECT_FALSE(defaults.data(QStringLiteral("blob")).has_value());
    EXPECT_FALSE(defaults.string(QStringLiteral("flag")).has_value());
}

TEST_F(DefaultsTest, unparsableFileIsKeptAsideAndDefaultsApply)
{
    writeFile("{ not json");
    LogCapture logs;
    Defaults defaults(path());
    EXPECT_FALSE(defaults.contains(QStringLiteral("anything")));
    EXPECT_TRUE(QFile::exists(path() + QStringLiteral(".corrupt")));
    EXPECT_EQ(logs.lines().size(), 1);
    EXPECT_EQ(logs.lines().value(0).type, QtWarningMsg);

    defaults.setInteger(QStringLiteral("historyLimit"), 100);
    QFile aside(path() + QStringLiteral(".corrupt"));
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), QByteArray("{ not json"));
}

TEST_F(DefaultsTest, everyUnparsableFileIsKeptAsideUnderItsOwnName)
{
    const QList<QByteArray> edits { "{ first", "{ second", "{ third" };
    for (const QByteArray &edit : edits) {
        writeFile(edit);
        Defaults defaults(path());
        EXPECT_FALSE(QFile::exists(path()));
    }
    const QStringList asides { QStringLiteral(".corrupt"), QStringLiteral(".2.corrupt"),
        QStringLiteral(".3.corrupt") };
    for (qsizetype i = 0; i < asides.size(); ++i) {
        QFile aside(path() + asides[i]);
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << asides[i].toStdString();
        EXPECT_EQ(aside.readAll(), edits[i]);
    }
}

TEST_F(DefaultsTest, aFileThatCantBeReadIsNeverReplaced)
{
    writeFile(R"({"historyLimit": 500})");
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::WriteOwner));
    LogCapture logs;
    {
        PermissionsBind bound;
        ASSERT_TRUE(bound.isValid());
        Defaults defaults(path());
        EXPECT_TRUE(logs.containsPrefix(QStringLiteral("Could not read settings file ")));
        EXPECT_EQ(logs.lines().value(0).type, QtWarningMsg);
        defaults.setBoolean(QStringLiteral("flag"), true);
        EXPECT_FALSE(defaults.lastWriteSucceeded());
        EXPECT_EQ(defaults.boolean(QStringLiteral("flag")), true); // still answers for this run
    }
    ASSERT_TRUE(QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(readFile(), QJsonObject({ { QStringLiteral("historyLimit"), 500 } }));
    EXPECT_FALSE(QFile::exists(path() + QStringLiteral(".corrupt")));
}

TEST_F(DefaultsTest, removeAndChangeSignal)
{
    Defaults defaults(path());
    QStringList changedKeys;
    QObject::connect(&defaults, &Defaults::changed, [&](const QString &key) { changedKeys.append(key); });
    defaults.setString(QStringLiteral("SUFeedURL"), QStringLiteral("https://example.invalid"));
    defaults.remove(QStringLiteral("SUFeedURL"));
    defaults.remove(QStringLiteral("SUFeedURL"));
    EXPECT_FALSE(defaults.contains(QStringLiteral("SUFeedURL")));
    EXPECT_EQ(changedKeys, (QStringList { QStringLiteral("SUFeedURL"), QStringLiteral("SUFeedURL") }));
    EXPECT_FALSE(Defaults(path()).contains(QStringLiteral("SUFeedURL")));
}

TEST_F(DefaultsTest, unwritableFolderReportsTheFailedWrite)
{
    QFile blocker(dir.filePath(QStringLiteral("sub")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    Defaults defaults(path());
    defaults.setBoolean(QStringLiteral("flag"), true);
    EXPECT_FALSE(defaults.lastWriteSucceeded());
    EXPECT_EQ(defaults.boolean(QStringLiteral("flag")), true); // still answers for this run
}

} // namespace

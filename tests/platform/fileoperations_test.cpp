#include "platform/fileoperations.h"
#include "platform/trash.h"
#include "tests/support/filesizelimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace {

class FileOperationsTest : public ::testing::Test
{
protected:
    QString at(const QString &name) const { return dir.filePath(name); }
    void write(const QString &name, const QByteArray &bytes)
    {
        QFile file(at(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray read(const QString &name) const
    {
        QFile file(at(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTemporaryDir dir;
};

using MoveFunction = Result<void, FileError> (*)(const QString &, const QString &);

class NoReplaceMove : public FileOperationsTest, public ::testing::WithParamInterface<MoveFunction>
{
};

TEST_P(NoReplaceMove, movesToAFreeNameAndRefusesATakenOneKeepingBothFiles)
{
    const MoveFunction move = GetParam();
    write("a.md", "first");
    write("b.md", "second");

    const auto refused = move(at("a.md"), at("b.md"));
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().errorNumber, EEXIST);
    EXPECT_EQ(read("a.md"), "first");
    EXPECT_EQ(read("b.md"), "second");

    ASSERT_TRUE(QFile::link(at("nowhere"), at("dangling.md")));
    EXPECT_FALSE(move(at("a.md"), at("dangling.md")));
    EXPECT_EQ(read("a.md"), "first");

    ASSERT_TRUE(QDir().mkpath(at("Sub")));
    ASSERT_TRUE(move(at("a.md"), at("Sub/c.md")));
    EXPECT_EQ(read("a.md"), "<missing>");
    EXPECT_EQ(read("Sub/c.md"), "first");

    const auto missing = move(at("gone.md"), at("d.md"));
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().errorNumber, ENOENT);
}

INSTANTIATE_TEST_SUITE_P(Ways, NoReplaceMove,
    ::testing::Values(&FileOperations::moveWithoutReplacing, &FileOperations::moveByLinking),
    [](const auto &info) { return info.index == 0 ? "renameat2" : "linkAndUnlink"; });

TEST_F(FileOperationsTest, createWithoutReplacingNeverTouchesAnExistingFile)
{
    write("taken.md", "mine");
    const auto refused = FileOperations::createWithoutReplacing(at("taken.md"), "theirs");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().errorNumber, EEXIST);
    EXPECT_EQ(read("taken.md"), "mine");

    ASSERT_TRUE(FileOperations::createWithoutReplacing(at("new.md"), "text"));
    EXPECT_EQ(read("new.md"), "text");
    // No temporary file is left behind either way.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    EXPECT_TRUE(QFileInfo(at("new.md")).permissions() & QFileDevice::ReadOther);
}

class FailedWrite : public FileOperationsTest, public ::testing::WithParamInterface<int>
{
};

// Small writes fail only when buffered bytes are flushed, large ones at once.
TEST_P(FailedWrite, keepsTheOldBytes)
{
    write("note.md", "old content");
    const auto written = [&] {
        const FileSizeLimit full(1024);
        EXPECT_TRUE(full.isValid());
        return FileOperations::writeAtomically(at("note.md"), QByteArray(GetParam(), 'x'));
    }();

    EXPECT_FALSE(written);
    EXPECT_EQ(read("note.md"), "old content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);

    ASSERT_TRUE(FileOperations::writeAtomically(at("note.md"), "new content"));
    EXPECT_EQ(read("note.md"), "new content");
}

INSTANTIATE_TEST_SUITE_P(Sizes, FailedWrite, ::testing::Values(8 * 1024, 64 * 1024));

TEST_F(FileOperationsTest, atomicWriteKeepsTheModeAndWritesThroughALink)
{
    write("note.md", "old");
    ASSERT_TRUE(QFile::setPermissions(at("note.md"), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::link(at("note.md"), at("link.md")));
    ASSERT_TRUE(FileOperations::writeAtomically(at("link.md"), "new"));
    EXPECT_TRUE(QFileInfo(at("link.md")).isSymLink());
    EXPECT_EQ(read("note.md"), "new");
    const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
        | QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
    EXPECT_FALSE(QFileInfo(at("note.md")).permissions() & others);
}

struct LinkCase
{
    const char *name;
    QList<std::pair<QString, QString>> links; // link name, what it points at
    QString written; // the file the write lands in; empty when it must fail
};

void PrintTo(const LinkCase &row, std::ostream *out)
{
    *out << row.name;
}

class WriteThroughLink : public FileOperationsTest, public ::testing::WithParamInterface<LinkCase>
{
};

// A note that is a link stays a link, whatever its target: the write goes
// through it, or fails, and never puts a regular file in the link's place.
TEST_P(WriteThroughLink, keepsTheLinkAndWritesItsTargetOrFails)
{
    ASSERT_TRUE(QDir().mkpath(at("sub")));
    write("sub/real.md", "old");
    for (const auto &[link, target] : GetParam().links)
        ASSERT_EQ(
            ::symlink(QFile::encodeName(target.startsWith(u'/') ? at(target.mid(1)) : target).constData(),
                QFile::encodeName(at(link)).constData()),
            0);
    const auto written = FileOperations::writeAtomically(at(GetParam().links.first().first), "new");
    for (const auto &[link, target] : GetParam().links)
        EXPECT_TRUE(QFileInfo(at(link)).isSymLink()) << link.toStdString();
    if (GetParam().written.isEmpty()) {
        ASSERT_FALSE(written);
        EXPECT_EQ(written.error().errorNumber, ELOOP);
    } else {
        ASSERT_TRUE(written) << written.error().description.toStdString();
        EXPECT_EQ(read(GetParam().written), "new");
    }
    for (const QString &folder : { dir.path(), at("sub") })
        EXPECT_TRUE(QDir(folder)
                        .entryList({ ".*" }, QDir::Hidden | QDir::AllEntries | QDir::NoDotAndDotDot)
                        .isEmpty())
            << "no temporary file is left behind";
}

INSTANTIATE_TEST_SUITE_P(Links, WriteThroughLink,
    ::testing::Values(LinkCase { "toAFile", { { "note.md", "sub/real.md" } }, "sub/real.md" },
        LinkCase { "chainOfLinks", { { "note.md", "hop.md" }, { "hop.md", "/sub/real.md" } }, "sub/real.md" },
        LinkCase { "danglingRelative", { { "note.md", "sub/new.md" } }, "sub/new.md" },
        LinkCase { "danglingAbsolute", { { "note.md", "/sub/other.md" } }, "sub/other.md" },
        LinkCase {
            "danglingChain", { { "note.md", "hop.md" }, { "hop.md", "sub/later.md" } }, "sub/later.md" },
        LinkCase { "loopOfTwo", { { "note.md", "hop.md" }, { "hop.md", "note.md" } }, "" }),
    [](const auto &info) { return std::string(info.param.name); });

class TrashTest : public FileOperationsTest
{
protected:
    void SetUp() override
    {
        m_previous = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", QFile::encodeName(at("data")));
    }
    void TearDown() override { qputenv("XDG_DATA_HOME", m_previous); }

    QByteArray m_previous;
};

TEST_F(TrashTest, trashedFileLandsInTheHomeTrashWithWhereItCameFrom)
{
    EXPECT_EQ(Trash::homeTrashPath(), at("data/Trash"));
    ASSERT_TRUE(QDir().mkpath(at("Vault/Sub Folder")));
    write("Vault/Sub Folder/Plan 50%.md", "plan");

    ASSERT_TRUE(Trash::moveToTrash(at("Vault/Sub Folder/Plan 50%.md")));
    EXPECT_EQ(read("Vault/Sub Folder/Plan 50%.md"), "<missing>");
    EXPECT_EQ(read("data/Trash/files/Plan 50%.md"), "plan");
    const QByteArray info = read("data/Trash/info/Plan 50%.md.trashinfo");
    EXPECT_TRUE(info.startsWith("[Trash Info]\nPath=")) << info.constData();
    const QByteArray encodedPath = QUrl::toPercentEncoding(at("Vault/Sub Folder/Plan 50%.md"), "/");
    EXPECT_TRUE(info.contains("\nPath=" + encodedPath + "\n")) << info.constData();
    EXPECT_TRUE(info.contains("\nDeletionDate=20")) << info.constData();

    // A second file of the same name keeps the first one in the Trash.
    write("Vault/Sub Folder/Plan 50%.md", "again");
    ASSERT_TRUE(Trash::moveToTrash(at("Vault/Sub Folder/Plan 50%.md")));
    EXPECT_EQ(read("data/Trash/files/Plan 50%.md"), "plan");
    EXPECT_EQ(QDir(at("data/Trash/files")).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(QDir(at("data/Trash/info")).entryList(QDir::Files).size(), 2);
}

struct LongName
{
    const char *name;
    QString fileName;
};

void PrintTo(const LongName &row, std::ostream *out)
{
    *out << row.name;
}

class LongTrashedName : public TrashTest, public ::testing::WithParamInterface<LongName>
{
};

// The info file's name is the trashed name plus ".trashinfo": a name of up to
// 255 bytes must still find a name in the Trash, twice over.
TEST_P(LongTrashedName, isShortenedInsideTheTrash)
{
    const QString fileName = GetParam().fileName;
    ASSERT_LE(QFile::encodeName(fileName).size(), 255);
    ASSERT_TRUE(QDir().mkpath(at("Vault")));
    for (const QByteArray &text : { QByteArray("first"), QByteArray("second") }) {
        write("Vault/" + fileName, text);
        const auto trashed = Trash::moveToTrash(at("Vault/" + fileName));
        ASSERT_TRUE(trashed) << trashed.error().description.toStdString();
        EXPECT_FALSE(QFile::exists(at("Vault/" + fileName)));
    }
    const QStringList files = QDir(at("data/Trash/files")).entryList(QDir::Files | QDir::Hidden);
    ASSERT_EQ(files.size(), 2);
    for (const QString &file : files) {
        EXPECT_LE(QFile::encodeName(file).size(), 245) << file.toStdString();
        const QByteArray info = read("data/Trash/info/" + file + ".trashinfo");
        EXPECT_TRUE(info.contains("\nPath=" + QUrl::toPercentEncoding(at("Vault/" + fileName), "/") + "\n"))
            << info.constData();
    }
    QStringList contents { read("data/Trash/files/" + files[0]), read("data/Trash/files/" + files[1]) };
    contents.sort();
    EXPECT_EQ(contents, (QStringList { "first", "second" }));
}

INSTANTIATE_TEST_SUITE_P(TrashTest, LongTrashedName,
    ::testing::Values(LongName { "ascii246", QString(243, u'n') + ".md" },
        LongName { "ascii255", QString(252, u'n') + ".md" },
        LongName { "twoByteCharacters", QString(126, QChar(0xe9)) + ".md" },
        LongName { "surrogatePairs",
            QString(60, u'x') + QString::fromUcs4(std::u32string(48, U'\U0001F4DD').c_str()) + ".md" },
        LongName { "noExtension", QString(255, u'n') },
        LongName { "longExtension", "a." + QString(253, u'e') }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TrashTest, missingFileOrUnusableTrashFailsAndMovesNothing)
{
    EXPECT_FALSE(Trash::moveToTrash(at("missing.md")));

    write("note.md", "keep");
    write("data", "a file where the data folder should be");
    EXPECT_FALSE(Trash::moveToTrash(at("note.md")));
    EXPECT_EQ(read("note.md"), "keep");
}

} // namespace

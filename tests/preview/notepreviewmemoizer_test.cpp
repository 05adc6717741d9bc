#include "preview/notepreviewmemoizer.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Result = LargeTablePreviewSimplifier::Result;

NoteFile note(const QString &path, std::optional<QString> folder = std::nullopt)
{
    const QUrl url = QUrl::fromLocalFile(path);
    const QString name = path.section(u'/', -1).chopped(3);
    return NoteFile { url, name, url, std::move(folder), QDateTime(QDate(2024, 5, 1), QTime(9, 0)) };
}

ObsidianContext vault()
{
    ObsidianContext context;
    context.allFiles
        = { note(QStringLiteral("/v/A.md")), note(QStringLiteral("/v/Work/B.md"), QStringLiteral("Work")) };
    context.allMedia = { QUrl::fromLocalFile(QStringLiteral("/v/a.png")),
        QUrl::fromLocalFile(QStringLiteral("/v/b.png")) };
    context.currentNoteURL = context.allFiles.front().url;
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v"));
    return context;
}

Result resultFor(const QString &text)
{
    return Result { { LargeTablePreviewSimplifier::Section::markdown(text) } };
}

// Counts the computations behind the answers a memo gives.
class NotePreviewMemoizerTest : public ::testing::Test
{
protected:
    Result ask(const QString &text, const ObsidianContext *context)
    {
        return memo.value(NotePreviewKey(text, context), [&] {
            ++computations;
            return resultFor(text + QString::number(computations));
        });
    }

    NotePreviewMemoizer memo;
    int computations = 0;
};

TEST_F(NotePreviewMemoizerTest, anUnchangedNoteIsComputedOnce)
{
    const ObsidianContext context = vault();
    const Result first = ask(QStringLiteral("text"), &context);
    EXPECT_EQ(ask(QStringLiteral("text"), &context), first);
    EXPECT_EQ(computations, 1);

    ask(QStringLiteral("text"), nullptr);
    ask(QStringLiteral("text"), nullptr);
    EXPECT_EQ(computations, 2);
}

TEST_F(NotePreviewMemoizerTest, onlyTheLastNoteIsKept)
{
    ask(QStringLiteral("A"), nullptr);
    ask(QStringLiteral("B"), nullptr);
    const Result again = ask(QStringLiteral("A"), nullptr);
    EXPECT_EQ(computations, 3);
    EXPECT_EQ(again, resultFor(QStringLiteral("A3")));
}

TEST_F(NotePreviewMemoizerTest, everyChangeTheRewriteCouldSeeRecomputes)
{
    const std::function<void(ObsidianContext &)> changes[] = {
        [](ObsidianContext &c) { c.allFiles[0].name = QStringLiteral("A2"); },
        [](ObsidianContext &c) { c.allFiles[0].folder = QStringLiteral("Work"); },
        [](ObsidianContext &c) { c.allFiles[1].folder.reset(); },
        [](ObsidianContext &c) {
            c.allFiles[1].url = QUrl::fromLocalFile(QStringLiteral("/v/Work/sub/B.md"));
        },
        [](ObsidianContext &c) { c.allFiles.append(note(QStringLiteral("/v/C.md"))); },
        [](ObsidianContext &c) { c.allFiles.removeLast(); },
        [](ObsidianContext &c) { c.allFiles.swapItemsAt(0, 1); },
        [](ObsidianContext &c) { c.allMedia.append(QUrl::fromLocalFile(QStringLiteral("/v/c.png"))); },
        [](ObsidianContext &c) { c.allMedia.removeFirst(); },
        [](ObsidianContext &c) { c.allMedia.swapItemsAt(0, 1); },
        [](ObsidianContext &c) { c.currentNoteURL = c.allFiles[1].url; },
        [](ObsidianContext &c) { c.vaultURL.reset(); },
        [](ObsidianContext &c) { c.vaultURL = QUrl::fromLocalFile(QStringLiteral("/w")); },
    };
    int expected = 0;
    for (const auto &change : changes) {
        const ObsidianContext before = vault();
        ObsidianContext after = vault();
        change(after);
        ask(QStringLiteral("text"), &before);
        ask(QStringLiteral("text"), &after);
        expected += 2;
        EXPECT_EQ(computations, expected) << "change " << expected / 2;
    }

    const ObsidianContext context = vault();
    ask(QStringLiteral("some text"), &context);
    ask(QStringLiteral("some texT"), &context);
    ask(QStringLiteral("some text\n"), &context);
    EXPECT_EQ(computations, expected + 3);
}

TEST_F(NotePreviewMemoizerTest, whatTheRewriteNeverReadsLeavesTheKeyAlone)
{
    ObsidianContext context = vault();
    ask(QStringLiteral("text"), &context);
    context.allFiles[0].modifiedDate = context.allFiles[0].modifiedDate.addDays(3);
    context.allFiles[1].id = QUrl(QStringLiteral("file:///elsewhere"));
    ask(QStringLiteral("text"), &context);
    EXPECT_EQ(computations, 1);
}

TEST_F(NotePreviewMemoizerTest, aKeptKeyIsNotChangedByLaterChangesToTheVaultLists)
{
    ObsidianContext context = vault();
    const NotePreviewKey key(QStringLiteral("text"), &context);
    context.allFiles[0].name = QStringLiteral("Renamed");
    context.allMedia.clear();
    EXPECT_FALSE(key == NotePreviewKey(QStringLiteral("text"), &context));
    const ObsidianContext original = vault();
    EXPECT_EQ(key, NotePreviewKey(QStringLiteral("text"), &original));
}

TEST(NotePreviewKeyTest, textsCompareAsUnicodeDoes)
{
    const auto equal = [](const QString &a, const QString &b) {
        return NotePreviewKey(a, nullptr) == NotePreviewKey(b, nullptr);
    };
    const QString head = QStringLiteral("Intro line\n").repeated(200);
    const QString tail = QStringLiteral("\nclosing line").repeated(200);

    EXPECT_TRUE(equal(QStringLiteral("caf\u00E9"), QStringLiteral("cafe\u0301")));
    EXPECT_TRUE(equal(head + QStringLiteral("caf\u00E9 au lait") + tail,
        head + QStringLiteral("cafe\u0301 au lait") + tail));
    // Combining marks of different classes may come in either order.
    EXPECT_TRUE(equal(
        head + QStringLiteral("q\u0301\u0323z") + tail, head + QStringLiteral("q\u0323\u0301z") + tail));
    EXPECT_TRUE(equal(QStringLiteral("\u1E69"), QStringLiteral("s\u0323\u0307")));
    EXPECT_TRUE(equal(QStringLiteral("x\u1E69"), QStringLiteral("xs\u0307\u0323")));
    EXPECT_TRUE(equal(QStringLiteral("\uAC00"), QStringLiteral("\u1100\u1161")));
    EXPECT_TRUE(
        equal(head + QStringLiteral("na\u00EFve") + tail, head + QStringLiteral("nai\u0308ve") + tail));

    EXPECT_FALSE(equal(QStringLiteral("cafe\u0301"), QStringLiteral("cafe\u0300")));
    EXPECT_FALSE(
        equal(head + QStringLiteral("a\u0301\u0301") + tail, head + QStringLiteral("a\u0301") + tail));
    EXPECT_FALSE(equal(QStringLiteral("e\u0301"), QStringLiteral("e")));
    EXPECT_FALSE(equal(QString(), QStringLiteral("\u0301")));
    EXPECT_FALSE(equal(QStringLiteral("ab"), QStringLiteral("aab")));
    EXPECT_FALSE(equal(head + QStringLiteral("caf\u00E9") + tail, head + QStringLiteral("caf\u00E8") + tail));
    EXPECT_FALSE(equal(QStringLiteral("\uFB01"), QStringLiteral("fi")))
        << "a compatibility form is another text";

    ObsidianContext precomposed = vault();
    ObsidianContext decomposed = vault();
    precomposed.allFiles[0].name = QStringLiteral("R\u00E9sum\u00E9");
    decomposed.allFiles[0].name = QStringLiteral("Re\u0301sume\u0301");
    EXPECT_EQ(
        NotePreviewKey(QStringLiteral("t"), &precomposed), NotePreviewKey(QStringLiteral("t"), &decomposed));
}

TEST(NotePreviewKeyTest, aKeyWithAVaultNeverEqualsOneWithout)
{
    const ObsidianContext empty;
    EXPECT_FALSE(NotePreviewKey(QStringLiteral("t"), &empty) == NotePreviewKey(QStringLiteral("t"), nullptr));
    EXPECT_EQ(NotePreviewKey(QStringLiteral("t"), &empty), NotePreviewKey(QStringLiteral("t"), &empty));
}

} // namespace

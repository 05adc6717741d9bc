#include "preview/notepreviewview.h"

#include "markdown/model/markdownurl.h"
#include "notes/notespaneview.h"
#include "preview/obsidianprocessor.h"
#include "preview/simplifiedtableplaceholderview.h"
#include "tests/notes/notesviewfixture.h"
#include "tests/support/pngbytes.h"
#include "tests/support/waitfor.h"
#include "tests/ui/layoutdump.h"

#include "ui/hostingview.h"
#include "ui/layout.h"

#include <QFile>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace {

using namespace Qt::StringLiterals;
using LinkResult = NotePreviewView::LinkResult;

class NotePreviewViewTest : public NotesViewFixture
{
protected:
    void SetUp() override
    {
        NotesViewFixture::SetUp();
        write(u"A.md"_s, "# A");
        write(u"B.md"_s, "# B");
        write(u"Sub/My Note +&=.md"_s, "sub");
        write(u"plain.txt"_s, "not a note");
        openVault();
        preview = std::make_unique<NotePreviewView>(manager(), environment->fakeWorkspace());
        preview->onNavigateToNote = [this](const QUrl &note) { navigated.append(note); };
    }
    void TearDown() override
    {
        preview.reset();
        // A rendering still under way must not outlive the vault it reads.
        QThreadPool::globalInstance()->waitForDone();
        NotesViewFixture::TearDown();
    }

    // The link as a note's author writes it, made into a URL the way the
    // renderer hands it to the click.
    static QUrl link(const QString &written) { return markdownURL(written).value_or(QUrl()); }
    QString noteLink(const QString &relative) const { return ObsidianProcessor::noteLinkURL(at(relative)); }
    // A text long enough to be made on a worker thread.
    static QString longText()
    {
        return QString(u"word "_s).repeated(NotePreviewView::backgroundThreshold / 5 + 1);
    }

    std::unique_ptr<NotePreviewView> preview;
    QList<QUrl> navigated;
};

// ---- Links ----------------------------------------------------------------

struct LinkCase
{
    const char *name;
    // The link as written; "@" stands for the vault's folder.
    QString written;
    LinkResult result;
    std::optional<QString> opensNote; // relative to the vault
};

void PrintTo(const LinkCase &row, std::ostream *out)
{
    *out << row.name;
}

class LinkHandling : public NotePreviewViewTest, public ::testing::WithParamInterface<LinkCase>
{
};

TEST_P(LinkHandling, opensOnlyListedNotesAndHandsOnlySafeLinksToTheDesktop)
{
    const LinkCase &row = GetParam();
    QString written = row.written;
    written.replace(u'@', QString::fromLatin1(QUrl::toPercentEncoding(vault(), "/")));
    EXPECT_EQ(preview->handleOpenURL(link(written)), row.result) << written.toStdString();
    const QList<QUrl> expected = row.opensNote ? QList<QUrl> { url(*row.opensNote) } : QList<QUrl> {};
    EXPECT_EQ(navigated, expected);
}

INSTANTIATE_TEST_SUITE_P(NotePreviewView, LinkHandling,
    ::testing::Values(
        LinkCase { "noteLink", u"quorvane://note?path=@%2FA.md"_s, LinkResult::Handled, u"A.md"_s },
        LinkCase { "encodedNameInAFolder", u"quorvane://note?path=@%2FSub%2FMy%20Note%20%2B%26%3D.md"_s,
            LinkResult::Handled, u"Sub/My Note +&=.md"_s },
        LinkCase { "firstPathWins", u"quorvane://note?path=@%2FB.md&path=@%2FA.md"_s, LinkResult::Handled,
            u"B.md"_s },
        LinkCase { "dotSegmentsInsideTheVault", u"quorvane://note?path=@%2FSub%2F..%2FA.md"_s,
            LinkResult::Handled, u"A.md"_s },
        LinkCase { "doubledSlashes", u"quorvane://note?path=@%2F%2FA.md"_s, LinkResult::Handled, u"A.md"_s },
        // QUrl keeps schemes and hosts in lower case: every spelling is the note scheme.
        LinkCase { "schemeInCapitals", u"QUORVANE://NOTE?path=@%2FA.md"_s, LinkResult::Handled, u"A.md"_s },
        LinkCase { "pathOutsideTheVault", u"quorvane://note?path=%2Fetc%2Fpasswd"_s, LinkResult::Handled,
            std::nullopt },
        LinkCase { "dotDotOutOfTheVault", u"quorvane://note?path=@%2F..%2FA.md"_s, LinkResult::Handled,
            std::nullopt },
        LinkCase { "fileInTheVaultThatIsNoNote", u"quorvane://note?path=@%2Fplain.txt"_s, LinkResult::Handled,
            std::nullopt },
        LinkCase { "relativePath", u"quorvane://note?path=A.md"_s, LinkResult::Handled, std::nullopt },
        LinkCase { "pathWithoutValue", u"quorvane://note?path="_s, LinkResult::Handled, std::nullopt },
        LinkCase { "noPathItem", u"quorvane://note?file=@%2FA.md"_s, LinkResult::Handled, std::nullopt },
        LinkCase { "otherHost", u"quorvane://other?path=@%2FA.md"_s, LinkResult::Handled, std::nullopt },
        LinkCase { "webLink", u"https://example.org/page"_s, LinkResult::SystemAction, std::nullopt },
        LinkCase { "fileOfText", u"file://@/plain.txt"_s, LinkResult::SystemAction, std::nullopt },
        LinkCase { "folder", u"file://@/Sub"_s, LinkResult::SystemAction, std::nullopt },
        // Resolved against the program's working folder, not the note's.
        LinkCase { "relativeLink", u"B.md"_s, LinkResult::Handled, std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

struct ProgramCase
{
    const char *name;
    QString file; // written into the vault
    QByteArray bytes;
    bool executable;
    // Linked to through a symbolic link of this name, when given.
    std::optional<QString> linkName;
};

void PrintTo(const ProgramCase &row, std::ostream *out)
{
    *out << row.name;
}

class ProgramLinks : public NotePreviewViewTest, public ::testing::WithParamInterface<ProgramCase>
{
};

TEST_P(ProgramLinks, neverReachTheDesktop)
{
    const ProgramCase &row = GetParam();
    write(row.file, row.bytes);
    if (row.executable) {
        ASSERT_TRUE(QFile::setPermissions(at(row.file), QFile::permissions(at(row.file)) | QFile::ExeOwner));
    }
    QString target = at(row.file);
    if (row.linkName) {
        ASSERT_TRUE(QFile::link(target, at(*row.linkName)));
        target = at(*row.linkName);
    }
    const QUrl url = QUrl::fromLocalFile(target);
    EXPECT_EQ(preview->handleOpenURL(url), LinkResult::Handled);
    preview->openLink(url);
    EXPECT_TRUE(environment->fakeWorkspace().opened.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(NotePreviewView, ProgramLinks,
    ::testing::Values(
        ProgramCase { "executableScript", u"run.sh"_s, "#!/bin/sh\necho hi\n", true, std::nullopt },
        ProgramCase { "executableWithAnInnocentName", u"notes.txt"_s, "#!/bin/sh\n", true, std::nullopt },
        ProgramCase { "desktopEntry", u"launch.desktop"_s, "[Desktop Entry]\nType=Application\nExec=xterm\n",
            false, std::nullopt },
        ProgramCase {
            "desktopEntryInCapitals", u"LAUNCH.DESKTOP"_s, "[Desktop Entry]\n", false, std::nullopt },
        ProgramCase {
            "desktopEntryBehindALink", u"launch.desktop"_s, "[Desktop Entry]\n", false, u"readme.txt"_s },
        ProgramCase { "programWithoutExecuteBit", u"tool.bin"_s,
            QByteArray("\x7f"
                       "ELF\x02\x01\x01\x00",
                8)
                + QByteArray(56, '\0'),
            false, std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(NotePreviewViewTest, aClickHandsOnlyWhatTheDesktopMayOpen)
{
    preview->openLink(link(u"https://example.org"_s));
    preview->openLink(link(noteLink(u"A.md"_s)));
    preview->openLink(link(u"quorvane://note?path=%2Fetc%2Fpasswd"_s));
    EXPECT_EQ(environment->fakeWorkspace().opened, QList<QUrl> { QUrl(u"https://example.org"_s) });
    EXPECT_EQ(navigated, QList<QUrl> { url(u"A.md"_s) });
}

TEST_F(NotePreviewViewTest, aNoteLinkWithoutACallbackIsSwallowed)
{
    preview->onNavigateToNote = nullptr;
    preview->openLink(link(noteLink(u"A.md"_s)));
    EXPECT_TRUE(environment->fakeWorkspace().opened.isEmpty());
}

TEST_F(NotePreviewViewTest, aWikiLinkRewrittenInTheNoteOpensItsNote)
{
    // From the text of a note through the rewrite and the renderer's URL to the click.
    const ObsidianContext context = ObsidianContext::fromVault(manager(), url(u"A.md"_s));
    const QString rewritten = ObsidianProcessor::processWikiLinks(u"[[My Note +&=]]"_s, context);
    const qsizetype open = rewritten.indexOf(u"]("_s) + 2;
    preview->openLink(link(rewritten.mid(open, rewritten.size() - open - 1)));
    EXPECT_EQ(navigated, QList<QUrl> { url(u"Sub/My Note +&=.md"_s) });
}

// ---- The pipeline ----------------------------------------------------------

QString table(int rows)
{
    QString text = u"| a | b |\n|---|---|\n"_s;
    for (int i = 0; i < rows; ++i)
        text += u"| %1 | x |\n"_s.arg(i);
    return text;
}

TEST_F(NotePreviewViewTest, anUnchangedNoteIsNotRewrittenAgain)
{
    preview->setNote(u"# Title\n\nSee [[B]].\n"_s, url(u"A.md"_s));
    EXPECT_EQ(preview->computations(), 1);
    // A rescan that finds the same notes (one with new text) lists them anew.
    write(u"B.md"_s, "# B, rewritten");
    manager().scanVault();
    manager().scanVault();
    EXPECT_EQ(preview->computations(), 1);
    preview->setNote(u"# Title\n\nSee [[B]]!\n"_s, url(u"A.md"_s));
    EXPECT_EQ(preview->computations(), 2);
    // A note the links could now resolve to.
    write(u"C.md"_s, "# C");
    manager().scanVault();
    EXPECT_EQ(preview->computations(), 3);
    // A rescan that finds a note and an image at once renders once, with both.
    write(u"D.md"_s, "# D");
    write(u"pic.png"_s, "not decoded here");
    manager().scanVault();
    EXPECT_EQ(preview->computations(), 4);
}

TEST_F(NotePreviewViewTest, aLargeTableBecomesACardBetweenItsText)
{
    preview->onOpenExternally = [] {};
    preview->setNote(u"---\ntitle: x\n---\nBefore\n\n"_s + table(500) + u"\nAfter\n"_s, url(u"A.md"_s));
    const auto &sections = preview->shownSections().sections;
    ASSERT_EQ(sections.size(), 3);
    EXPECT_EQ(sections[0].markdownText(), u"Before\n\n"_s);
    EXPECT_EQ(sections[1].table().omittedBodyRows, 497);
    EXPECT_EQ(sections[2].markdownText(), u"\n\nAfter\n"_s);
    preview->resize(600, 400);
    preview->host().flush();
    EXPECT_NE(preview->host().tree().findByTag(SimplifiedTablePlaceholderView::openButtonTag()), nullptr);
}

TEST_F(NotePreviewViewTest, aLongNoteIsLaidOutOnSeveralThreadsAsOnOne)
{
    const QString section = u"# Heading\n\nProse with *emphasis*, **strength**, `code`, ==marks== and [[B]], "
                            u"long enough to wrap at the narrower width of the two.\nA second line.\n\n"
                            u"> [!note] Callout\n> Inside it.\n\n"
                            u"- one\n- two, with more words\n  - nested\n\n1. first\n2. second\n\n"
                            u"- [x] done\n- [ ] open\n\n```cpp\nint x = 1;\n```\n\n"
                            u"| a | b |\n|---|---|\n| 1 | 2 |\n\n---\n\n![[photo.png|300]]\n\n"_s;
    const QString note = section.repeated(12) + table(600) + u"\n"_s + section.repeated(12);
    const ObsidianContext context = ObsidianContext::fromVault(manager(), url(u"A.md"_s));
    const NotePreviewView::Rendering rendering = NotePreviewView::render(note, context);
    ASSERT_EQ(rendering.result.sections.size(), 3);
    ui::ViewTree alone(preview->body(rendering));
    ui::ViewTree together(preview->body(rendering));
    together.setParallelLayout(true);
    alone.rebuild(600);
    together.rebuild(600);
    ASSERT_EQ(layoutDump(*together.root()), layoutDump(*alone.root()));
    alone.layout(350);
    together.layout(350);
    EXPECT_EQ(layoutDump(*together.root()), layoutDump(*alone.root()));
}

// A long note made on workers, laid out again at other widths on other threads than
// those that made it, and after they ended, draws as on one thread.
TEST_F(NotePreviewViewTest, aLongNoteLaidOutAgainDrawsAsOnOneThread)
{
    const QString section
        = u"# Heading\n\nProse with *emphasis*, **strength** and `code`, long enough to "
          u"wrap at the narrower widths.\n\n- one\n- two, with more words\n  - nested\n\n"
          u"1. first\n2. second\n\n| a | b |\n|---|---|\n| 1 | 2 |\n\n```\nx = 1\n```\n\n"_s;
    const QString note = section.repeated(NotePreviewView::backgroundThreshold / section.size() + 1);
    preview->resize(600, 400);
    preview->setNote(note, url(u"A.md"_s));
    ASSERT_TRUE(waitFor([&] { return !preview->isRendering(); }));
    preview->host().flush();
    ui::ViewTree &made = preview->host().tree();
    ui::ViewTree alone(
        preview->body(NotePreviewView::render(note, ObsidianContext::fromVault(manager(), url(u"A.md"_s)))),
        preview->host().treeEnvironment());
    alone.rebuild(made.width());
    for (const auto &[width, threadsEnd] :
        { std::pair(350.0, false), std::pair(520.0, true), std::pair(270.0, true) }) {
        if (threadsEnd)
            ui::layoutThreads().waitForDone();
        made.layout(width);
        alone.layout(width);
        ASSERT_EQ(layoutDump(*made.root()), layoutDump(*alone.root())) << "at " << width;
        ASSERT_EQ(drawing(made, int(width), 1500), drawing(alone, int(width), 1500)) << "at " << width;
    }
}

TEST_F(NotePreviewViewTest, anEmbeddedVaultImageShowsAtTheWidthItAsksFor)
{
    write(u"media/photo.png"_s, pngBytes(200, 100));
    openVault(); // scans the vault again, with its media
    preview->setNote(u"![[photo.png|300]]"_s, url(u"A.md"_s));
    preview->host().flush();
    ui::ViewTree &tree = preview->host().tree();
    tree.layout(600);
    EXPECT_EQ(tree.contentSize().height(), 32) << "nothing until the file is read";
    ASSERT_TRUE(waitFor([&] {
        preview->host().flush();
        return tree.contentSize().height() > 32;
    }));
    tree.layout(600);
    EXPECT_EQ(tree.contentSize().height(), 32 + 150);
}

TEST_F(NotePreviewViewTest, aLongCodeLineScrollsSidewaysInsteadOfWrapping)
{
    auto heightOf = [this](const QString &line) {
        preview->setNote(u"```\n"_s + line + u"\n```\n"_s, url(u"A.md"_s));
        preview->host().flush();
        preview->host().tree().layout(400);
        return preview->host().tree().contentSize().height();
    };
    const double shortLine = heightOf(u"x = 1"_s);
    EXPECT_GT(shortLine, 32);
    EXPECT_EQ(heightOf(u"x = 1 + "_s.repeated(100)), shortLine);
}

TEST_F(NotePreviewViewTest, withoutAVaultTheNoteIsShownAsWrittenWithNoVaultFolder)
{
    FakeNotesEnvironment bare(root.filePath(u"config/bare.json"_s), clock);
    const ObsidianContext context = ObsidianContext::fromVault(bare.notesManager(), url(u"A.md"_s));
    const NotePreviewView::Rendering rendering = NotePreviewView::render(u"See [[A]]"_s, context);
    EXPECT_FALSE(rendering.vaultURL.has_value());
    ASSERT_EQ(rendering.result.sections.size(), 1);
    EXPECT_EQ(rendering.result.sections[0].markdownText(), u"See *A*"_s);
}

TEST_F(NotePreviewViewTest, anotherNoteStartsAtItsTopWhileTheSameNoteKeepsItsPlace)
{
    const QString lines = u"line\n\n"_s.repeated(200);
    preview->resize(400, 200);
    preview->show();
    auto scrollToEnd = [this] {
        preview->host().flush();
        QScrollBar *bar = preview->host().verticalScrollBar();
        bar->setValue(bar->maximum());
        return bar->value();
    };
    preview->setNote(lines, url(u"A.md"_s));
    ASSERT_GT(scrollToEnd(), 0);
    preview->setNote(lines + u"more"_s, url(u"A.md"_s));
    preview->host().flush();
    EXPECT_GT(preview->host().verticalScrollBar()->value(), 0);
    preview->setNote(lines, url(u"B.md"_s));
    preview->host().flush();
    EXPECT_EQ(preview->host().verticalScrollBar()->value(), 0);
}

TEST_F(NotePreviewViewTest, anEmptyNoteShowsOnlyThePadding)
{
    preview->setNote(QString(), url(u"A.md"_s));
    preview->resize(600, 400);
    preview->host().flush();
    EXPECT_TRUE(preview->shownSections().sections.isEmpty());
    EXPECT_EQ(preview->host().tree().contentSize().height(), 32);
}

TEST_F(NotePreviewViewTest, aLongNoteKeepsThePreviousRenderingUntilItsOwnIsReady)
{
    preview->setNote(u"short"_s, url(u"A.md"_s));
    const QString longNote = longText();
    preview->setNote(longNote, url(u"B.md"_s));
    EXPECT_TRUE(preview->isRendering());
    ASSERT_EQ(preview->shownSections().sections.size(), 1);
    EXPECT_EQ(preview->shownSections().sections[0].markdownText(), u"short"_s);
    ASSERT_TRUE(waitFor([&] { return !preview->isRendering(); }));
    ASSERT_EQ(preview->shownSections().sections.size(), 1);
    EXPECT_EQ(preview->shownSections().sections[0].markdownText(), longNote);
    EXPECT_EQ(preview->computations(), 2);
}

// Typed over while it renders, or taken back to the text on screen: the stale
// rendering never replaces what the text is now.
TEST_F(NotePreviewViewTest, aRenderingForATextChangedSinceIsDropped)
{
    for (const auto &[typed, computations] :
        { std::pair { u"typed over"_s, 3 }, std::pair { u"shown"_s, 2 } }) {
        NotePreviewView view(manager(), environment->fakeWorkspace());
        view.setNote(u"shown"_s, url(u"A.md"_s));
        view.setNote(longText(), url(u"A.md"_s));
        view.setNote(typed, url(u"A.md"_s));
        EXPECT_FALSE(view.isRendering());
        QThreadPool::globalInstance()->waitForDone();
        runEventsFor(std::chrono::milliseconds(50));
        ASSERT_EQ(view.shownSections().sections.size(), 1);
        EXPECT_EQ(view.shownSections().sections[0].markdownText(), typed);
        EXPECT_EQ(view.computations(), computations);
    }
}

// An appearance change resolves a long note again on a worker, as opening it does:
// the main thread keeps showing the old look until the new one is ready.
struct AppearanceCase
{
    const char *name;
    bool longShown;
    bool anotherOnItsWay; // a long note is being made when the appearance changes
    bool backToTheShown; // and the text goes back to the shown one before it is ready
};

void PrintTo(const AppearanceCase &row, std::ostream *out)
{
    *out << row.name;
}

class AppearanceChange : public NotePreviewViewTest, public ::testing::WithParamInterface<AppearanceCase>
{
};

TEST_P(AppearanceChange, endsInTheNewLookWithoutResolvingALongNoteOnTheMainThread)
{
    const AppearanceCase &row = GetParam();
    const QString shown = row.longShown ? longText() : u"short"_s;
    preview->resize(600, 400);
    preview->show();
    preview->setNote(shown, url(u"A.md"_s));
    ASSERT_TRUE(waitFor([&] { return !preview->isRendering(); }));
    preview->host().flush();
    const QString other = u"other "_s + longText();
    if (row.anotherOnItsWay)
        preview->setNote(other, url(u"B.md"_s));

    QPalette dark = preview->palette();
    dark.setColor(QPalette::Window, Qt::black);
    preview->setPalette(dark);
    preview->host().flush();
    auto scheme = [this] { return preview->host().tree().environment().get<ui::ColorSchemeKey>(); };
    EXPECT_EQ(scheme(), row.longShown || row.anotherOnItsWay ? ui::ColorScheme::Light : ui::ColorScheme::Dark)
        << "a long note is not resolved again on the main thread";
    if (row.backToTheShown)
        preview->setNote(shown, url(u"A.md"_s));

    ASSERT_TRUE(waitFor([&] {
        preview->host().flush();
        return scheme() == ui::ColorScheme::Dark && !preview->isRendering();
    }));
    const QString expected = row.anotherOnItsWay && !row.backToTheShown ? other : shown;
    ASSERT_EQ(preview->shownSections().sections.size(), 1);
    EXPECT_EQ(preview->shownSections().sections[0].markdownText(), expected);
    EXPECT_TRUE(preview->host().showsCurrentEnvironment());
}

INSTANTIATE_TEST_SUITE_P(NotePreviewView, AppearanceChange,
    ::testing::Values(AppearanceCase { "shortShown", false, false, false },
        AppearanceCase { "longShown", true, false, false },
        AppearanceCase { "anotherOnItsWay", false, true, false },
        AppearanceCase { "backToTheShortOne", false, true, true },
        AppearanceCase { "backToTheLongOne", true, true, true }),
    [](const auto &info) { return std::string(info.param.name); });

// A long note is resolved and laid out on a worker and swapped in finished; it must
// then behave as a short one does: its images load, its card's button works, and
// it is laid out at the width it is shown at.
struct ShownCase
{
    const char *name;
    bool longNote;
    bool overALongNote;
};

void PrintTo(const ShownCase &row, std::ostream *out)
{
    *out << row.name;
}

class ShownAlike : public NotePreviewViewTest, public ::testing::WithParamInterface<ShownCase>
{
};

TEST_P(ShownAlike, loadsItsImagesAndTakesClicksWhereverItWasLaidOut)
{
    const ShownCase &row = GetParam();
    write(u"media/photo.png"_s, pngBytes(200, 100));
    openVault();
    int opened = 0;
    preview->onOpenExternally = [&opened] { ++opened; };
    preview->resize(600, 400);
    preview->show();
    const QString filler = QString(u"Some words in a paragraph.\n\n"_s)
                               .repeated(NotePreviewView::backgroundThreshold / 28 + 1);
    if (row.overALongNote) {
        preview->setNote(u"Another one.\n\n"_s + filler, url(u"B.md"_s));
        ASSERT_TRUE(waitFor([&] { return !preview->isRendering(); }));
        preview->host().flush();
    }
    std::optional<double> buttonBefore;
    QObject::connect(preview.get(), &NotePreviewView::rendered, [&] {
        preview->host().flush();
        buttonBefore
            = preview->host().tree().frameOfTag(SimplifiedTablePlaceholderView::openButtonTag()).top();
    });
    const QString text
        = u"![[photo.png|300]]\n\n"_s + table(500) + u"\n"_s + (row.longNote ? filler : QString());
    preview->setNote(text, url(u"A.md"_s));
    EXPECT_EQ(preview->isRendering(), row.longNote);
    ASSERT_TRUE(waitFor([&] { return buttonBefore.has_value(); }));

    ui::ViewTree &tree = preview->host().tree();
    ASSERT_TRUE(waitFor([&] {
        preview->host().flush();
        return tree.frameOfTag(SimplifiedTablePlaceholderView::openButtonTag()).top() == *buttonBefore + 150;
    })) << "the image arrives and pushes the card down";
    ASSERT_TRUE(waitFor([&] {
        preview->host().flush();
        return tree.width() == preview->host().viewport()->width();
    }));
    const QRectF button = tree.frameOfTag(SimplifiedTablePlaceholderView::openButtonTag());
    preview->host().verticalScrollBar()->setValue(0);
    QTest::mouseClick(preview->host().viewport(), Qt::LeftButton, {}, button.center().toPoint());
    EXPECT_EQ(opened, 1);
}

INSTANTIATE_TEST_SUITE_P(NotePreviewView, ShownAlike,
    ::testing::Values(ShownCase { "short", false, false }, ShownCase { "long", true, false },
        ShownCase { "longOverLong", true, true }),
    [](const auto &info) { return std::string(info.param.name); });

// ---- In the notes pane -----------------------------------------------------

TEST_F(NotePreviewViewTest, theNotesPaneShowsItAndFollowsItsNoteLinks)
{
    preview.reset();
    write(u"A.md"_s, "---\ntags: [x]\n---\n> [!tip] Try it\n> body\n\nSee [[B]].\n");
    manager().scanVault();
    NotesPaneView pane(*environment, NotePreviewView::factory(environment->fakeWorkspace()));
    pane.resize(800, 400);
    pane.show();
    environment->setSelectedNoteURL(url(u"A.md"_s));
    auto *shown = qobject_cast<NotePreviewView *>(pane.preview());
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->shownSections().sections.size(), 1);
    const QString markdown = shown->shownSections().sections[0].markdownText();
    EXPECT_FALSE(markdown.contains(u"tags"_s));
    EXPECT_TRUE(markdown.startsWith(u"> **"_s)) << markdown.toStdString();

    shown->setNote(shown->content() + u"\n"_s + table(500), shown->currentNoteURL());
    shown->host().flush();
    const QRectF button = shown->host().tree().frameOfTag(SimplifiedTablePlaceholderView::openButtonTag());
    ASSERT_FALSE(button.isNull());
    QTest::mouseClick(shown->host().viewport(), Qt::LeftButton, {}, button.center().toPoint());
    EXPECT_EQ(environment->fakeWorkspace().opened, QList<QUrl> { url(u"A.md"_s) });

    shown->openLink(link(noteLink(u"B.md"_s)));
    EXPECT_EQ(environment->selectedNoteURL(), url(u"B.md"_s));
    EXPECT_EQ(pane.currentFile()->url, url(u"B.md"_s));
}

} // namespace

#include "preview/vaultlookup.h"

#include "notes/notesmanager.h"
#include "platform/fake/fakeclock.h"
#include "platform/fake/fakefileeventstream.h"
#include "preview/obsidiancontext.h"
#include "preview/obsidianprocessor.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace {

NoteFile note(const QString &path, const QString &name, std::optional<QString> folder = std::nullopt)
{
    const QUrl url = QUrl::fromLocalFile(path);
    return NoteFile { url, name, url, std::move(folder), QDateTime() };
}

QString folded(const QString &text)
{
    return text.toLower().normalized(QString::NormalizationForm_C);
}

// The matching rules as a scan of the lists in order, the first match winning.
std::optional<qsizetype> linearNote(const QString &target, const ObsidianContext &context)
{
    if (target.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < context.allFiles.size(); ++i) {
        const NoteFile &file = context.allFiles[i];
        if (target.contains(u'/') ? file.folder && folded(*file.folder + u'/' + file.name) == folded(target)
                                  : folded(file.name) == folded(target))
            return i;
    }
    return std::nullopt;
}

// File-path rules: trailing slashes don't make an empty last component.
QString fileName(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path.section(u'/', -1);
}

std::optional<qsizetype> linearMedia(const QString &target, const ObsidianContext &context)
{
    const QString base = QDir::cleanPath(context.vaultURL.value_or(QUrl()).toLocalFile())
                             .normalized(QString::NormalizationForm_C)
        + u'/';
    for (qsizetype i = 0; i < context.allMedia.size(); ++i) {
        const QString path = context.allMedia[i].toLocalFile().normalized(QString::NormalizationForm_C);
        if (target.contains(u'/') && context.vaultURL) {
            if (folded(path.startsWith(base) ? path.mid(base.size()) : path) == folded(target))
                return i;
        } else if (folded(fileName(path)) == folded(fileName(target))) {
            return i;
        }
    }
    return std::nullopt;
}

ObsidianContext trickyVault()
{
    ObsidianContext context;
    context.allFiles = {
        note(QStringLiteral("/v/Work/Plan.md"), QStringLiteral("Plan"), QStringLiteral("Work")),
        note(QStringLiteral("/v/Home/Plan.md"), QStringLiteral("Plan"), QStringLiteral("Home")),
        note(QStringLiteral("/v/Re\u0301sume\u0301.md"), QStringLiteral("Re\u0301sume\u0301")),
        note(QStringLiteral("/v/Work.md"), QStringLiteral("Work")),
        note(QStringLiteral("/v/Work/Deep/Task.md"), QStringLiteral("Task"), QStringLiteral("Work")),
        note(QStringLiteral("/v/PLAN.md"), QStringLiteral("PLAN")),
        note(QStringLiteral("/v/Caf\u00E9/Menu.md"), QStringLiteral("Menu"), QStringLiteral("Caf\u00E9")),
        note(QStringLiteral("/v/R\u00E9sum\u00E9.md"), QStringLiteral("R\u00E9sum\u00E9")),
    };
    context.allMedia = {
        QUrl::fromLocalFile(QStringLiteral("/v/Work/img/photo.png")),
        QUrl::fromLocalFile(QStringLiteral("/v/Home/Photo.PNG")),
        QUrl::fromLocalFile(QStringLiteral("/v/Pho\u0302to.png")),
        QUrl::fromLocalFile(QStringLiteral("/v/x/v/p.png")),
        QUrl::fromLocalFile(QStringLiteral("/elsewhere/img/photo.png")),
    };
    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v"));
    return context;
}

const QString noteTargets[] = {
    QStringLiteral("Plan"),
    QStringLiteral("plan"),
    QStringLiteral("Home/Plan"),
    QStringLiteral("work/PLAN"),
    QStringLiteral("Work"),
    QStringLiteral("Work/"),
    QStringLiteral("Work/Work"),
    QStringLiteral("R\u00E9sum\u00E9"),
    QStringLiteral("RE\u0301SUME\u0301"),
    QStringLiteral("Task"),
    QStringLiteral("Work/Task"),
    QStringLiteral("Work/Deep/Task"),
    QStringLiteral("caf\u00E9/menu"),
    QStringLiteral("cafe\u0301/MENU"),
    QStringLiteral("Menu"),
    QStringLiteral("Plan.md"),
    QStringLiteral("/Plan"),
    QStringLiteral("Missing"),
    QString(),
};

const QString mediaTargets[] = {
    QStringLiteral("photo.png"),
    QStringLiteral("PHOTO.PNG"),
    QStringLiteral("Work/img/photo.png"),
    QStringLiteral("home/photo.png"),
    QStringLiteral("img/photo.png"),
    QStringLiteral("elsewhere/img/photo.png"),
    QStringLiteral("x/v/p.png"),
    QStringLiteral("v/p.png"),
    QStringLiteral("p.png"),
    QStringLiteral("ph\u00F4to.PNG"),
    QStringLiteral("missing.png"),
    QStringLiteral("photo.png/"),
};

// The indexed lookup must find exactly what a scan in list order finds, with and
// without a vault folder (which decides how a target with a "/" is read).
TEST(VaultLookupTest, findsWhatAScanInListOrderFinds)
{
    const std::function<void(ObsidianContext &)> vaults[] = {
        [](ObsidianContext &) {},
        [](ObsidianContext &c) { c.vaultURL.reset(); },
        [](ObsidianContext &c) { c.vaultURL = QUrl(QStringLiteral("file:///v/./")); },
        [](ObsidianContext &c) { c.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v/x")); },
        [](ObsidianContext &c) { std::reverse(c.allFiles.begin(), c.allFiles.end()); },
        [](ObsidianContext &c) { std::reverse(c.allMedia.begin(), c.allMedia.end()); },
    };
    for (std::size_t v = 0; v < std::size(vaults); ++v) {
        ObsidianContext context = trickyVault();
        vaults[v](context);
        const VaultLookup lookup(context.allFiles, context.allMedia, context.vaultURL);
        for (const QString &target : noteTargets)
            EXPECT_EQ(lookup.findNote(target), linearNote(target, context))
                << "vault " << v << ", note " << target.toStdString();
        for (const QString &target : mediaTargets)
            EXPECT_EQ(lookup.findMedia(target), linearMedia(target, context))
                << "vault " << v << ", media " << target.toStdString();
    }
}

TEST(VaultLookupTest, contextsOfOneScanShareOneLookup)
{
    const ObsidianContext scan = trickyVault();
    ObsidianContext first = scan;
    first.currentNoteURL = scan.allFiles[0].url;
    ObsidianContext second = scan;
    second.currentNoteURL = scan.allFiles[1].url;
    const std::shared_ptr<const VaultLookup> lookup = VaultLookup::of(first);
    EXPECT_TRUE(lookup->isBuiltFrom(first));
    EXPECT_EQ(VaultLookup::of(second), lookup);

    // A rescan that found the same vault publishes new lists: they get a lookup of
    // their own that finds the same entries.
    const ObsidianContext rescan = trickyVault();
    const std::shared_ptr<const VaultLookup> again = VaultLookup::of(rescan);
    EXPECT_TRUE(again->isBuiltFrom(rescan));
    EXPECT_FALSE(again->isBuiltFrom(first));
    for (const QString &target : noteTargets)
        EXPECT_EQ(again->findNote(target), lookup->findNote(target)) << target.toStdString();
}

// A context whose lists changed after its lookup was set must not be resolved
// with the old lookup: positions would point at other notes.
TEST(VaultLookupTest, aLookupIsNotUsedForListsItWasNotBuiltFrom)
{
    ObsidianContext context = trickyVault();
    context.lookup = VaultLookup::of(context);
    const ObsidianContext before = context;

    context.allFiles.removeFirst();
    EXPECT_FALSE(context.lookup->isBuiltFrom(context));
    EXPECT_EQ(ObsidianProcessor::resolveNoteURL(QStringLiteral("Plan"), context),
        QUrl::fromLocalFile(QStringLiteral("/v/Home/Plan.md")));
    EXPECT_EQ(ObsidianProcessor::resolveNoteURL(QStringLiteral("Plan"), before),
        QUrl::fromLocalFile(QStringLiteral("/v/Work/Plan.md")));

    context.allMedia[0] = QUrl::fromLocalFile(QStringLiteral("/v/Work/img/other.png"));
    EXPECT_EQ(ObsidianProcessor::resolveMediaURL(QStringLiteral("photo.png"), context),
        QUrl::fromLocalFile(QStringLiteral("/v/Home/Photo.PNG")));

    context.vaultURL = QUrl::fromLocalFile(QStringLiteral("/v/x"));
    EXPECT_EQ(ObsidianProcessor::resolveMediaURL(QStringLiteral("v/p.png"), context),
        QUrl::fromLocalFile(QStringLiteral("/v/x/v/p.png")));
}

TEST(VaultLookupTest, aContextOfTheNotesManagerCarriesTheLookupOfItsScan)
{
    QTemporaryDir root;
    const QString vault = QDir(root.path()).canonicalPath();
    const auto write = [&](const QString &relative) {
        QDir().mkpath(QFileInfo(vault + u'/' + relative).path());
        QFile file(vault + u'/' + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    };
    write(QStringLiteral("Work/Plan.md"));
    write(QStringLiteral("img/photo.png"));
    FakeFileEventStream events;
    FakeClock clock;
    NotesManager notes(events, clock);
    notes.setVault(QUrl::fromLocalFile(vault));

    const QUrl current = QUrl::fromLocalFile(vault + QStringLiteral("/Work/Plan.md"));
    const ObsidianContext first = ObsidianContext::fromVault(notes, current);
    const ObsidianContext second = ObsidianContext::fromVault(notes, current);
    ASSERT_TRUE(first.lookup);
    EXPECT_EQ(second.lookup, first.lookup);
    EXPECT_EQ(ObsidianProcessor::resolveMediaURL(QStringLiteral("img/photo.png"), first),
        QUrl::fromLocalFile(vault + QStringLiteral("/img/photo.png")));

    write(QStringLiteral("Later.md"));
    notes.scanVault();
    const ObsidianContext rescanned = ObsidianContext::fromVault(notes, current);
    EXPECT_NE(rescanned.lookup, first.lookup);
    EXPECT_EQ(ObsidianProcessor::resolveNoteURL(QStringLiteral("later"), rescanned),
        QUrl::fromLocalFile(vault + QStringLiteral("/Later.md")));
    EXPECT_EQ(ObsidianProcessor::resolveNoteURL(QStringLiteral("later"), first), std::nullopt);
}

} // namespace

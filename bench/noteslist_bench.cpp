// The notes pane over a vault of ten thousand notes (a tenth at the root, the
// rest in 45 folders, three of them open): opening the pane, a keystroke in the
// search field and a new selection must each fit well within a frame (16 ms),
// and a rescan that changed one note must cost the list little beside the scan
// itself (compare BM_RescanWithoutTheList with BM_RescanWithTheList). At fifty
// thousand notes a keystroke must still take under 5 ms.
#include "appbench.h"
#include "guibenchmain.h"

#include "notes/notesfilelistview.h"
#include "notes/notesmanager.h"
#include "notes/notespaneview.h"

#include <QDir>
#include <QFile>

#include <map>
#include <memory>

namespace {

constexpr int noteCount = 10'000;
constexpr int rootNotes = noteCount / 10;
constexpr int folderCount = 45;

using Fixture = NotesAppBench;

Fixture &fixture(int notes = noteCount)
{
    static std::map<int, std::unique_ptr<Fixture>> fixtures;
    std::unique_ptr<Fixture> &f = fixtures[notes];
    if (f)
        return *f;
    f = std::make_unique<Fixture>();
    f->vault = f->dir.filePath(QStringLiteral("Vault"));
    writeBenchVault(f->vault, notes, folderCount, QDateTime::currentDateTimeUtc().addDays(-30));
    f->defaults->setStringList(DefaultsKey::expandedFolders, { "Folder 1", "Folder 20", "Folder 44" });
    f->startNotes();
    return *f;
}

// One note written to, so the next scan finds it newer than all the others.
void touchOneNote(Fixture &f, int iteration)
{
    QFile file(QStringLiteral("%1/Folder 20/Note %2.md")
                   .arg(f.vault)
                   .arg(rootNotes + 20 + folderCount * (iteration % 50)));
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(
            QDateTime::currentDateTimeUtc().addSecs(iteration), QFileDevice::FileModificationTime);
}

void BM_OpenThePane(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        NotesPaneView pane(*f.environment);
        pane.resize(700, 300);
        pane.show();
        benchmark::DoNotOptimize(pane.fileList()->rowCount());
    }
}
BENCHMARK(BM_OpenThePane)->Unit(benchmark::kMillisecond);

void BM_QueryInTheOpenPane(benchmark::State &state)
{
    Fixture &f = fixture(int(state.range(0)));
    NotesPaneView pane(*f.environment);
    pane.resize(700, 300);
    pane.show();
    const QStringList queries
        = { QStringLiteral("n"), QStringLiteral("no"), QStringLiteral("note 12"), QString() };
    qsizetype i = 0;
    for (auto _ : state)
        f.appState->setSearchQuery(queries.at(i++ % queries.size()));
}
BENCHMARK(BM_QueryInTheOpenPane)->Arg(noteCount)->Arg(50'000)->Unit(benchmark::kMillisecond);

void BM_SelectANote(benchmark::State &state)
{
    Fixture &f = fixture();
    NotesFileListView list(*f.environment);
    list.resize(160, 300);
    list.show();
    const QList<NoteFile> notes = f.appState->notesManager().allFiles();
    qsizetype i = 0;
    for (auto _ : state)
        f.appState->setSelectedNoteURL(notes.at((i++ * 7919) % notes.size()).url);
    f.appState->setSelectedNoteURL(std::nullopt);
}
BENCHMARK(BM_SelectANote)->Unit(benchmark::kMillisecond);

void BM_RescanWithoutTheList(benchmark::State &state)
{
    Fixture &f = fixture();
    int i = 0;
    for (auto _ : state) {
        touchOneNote(f, i++);
        f.appState->notesManager().scanVault();
    }
}
BENCHMARK(BM_RescanWithoutTheList)->Unit(benchmark::kMillisecond);

void BM_RescanWithTheList(benchmark::State &state)
{
    Fixture &f = fixture();
    NotesFileListView list(*f.environment);
    list.resize(160, 300);
    list.show();
    int i = 0;
    for (auto _ : state) {
        touchOneNote(f, i++);
        f.appState->notesManager().scanVault();
    }
}
BENCHMARK(BM_RescanWithTheList)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}

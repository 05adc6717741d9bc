// The memory the preview gives back: the resident size with the preview shown, after 50
// notes of a vault were opened in it one after another (ordinary notes, and every tenth
// a long one of 128 KB to 1 MB, whose trees are made and torn down on worker threads),
// and 60 seconds after the panel was hidden. Target: back within 30 MB of where it
// started. The summary prints each figure beside the target.
#include "appbench.h"
#include "guibenchmain.h"
#include "ordinarynotes.h"

#include "markdown/model/markdownparser.h"
#include "platform/heap.h"
#include "preview/notepreviewview.h"

#include "ui/hostingview.h"
#include "ui/viewtree.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

constexpr int noteCount = 50;

double residentMegabytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * double(sysconf(_SC_PAGESIZE)) / (1024 * 1024) : 0;
}

// Turns of the event loop for `seconds`: what was posted (trees torn down on workers)
// comes back meanwhile, as it does while the panel is hidden.
void idle(double seconds)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
}

QString noteText(int index)
{
    if (index % 10 == 3) {
        constexpr qsizetype longSizes[] = { 128 * 1024, 256 * 1024, 512 * 1024, 1024 * 1024, 192 * 1024 };
        return ordinarynotes::longNote(longSizes[index / 10], 500 + index * 37);
    }
    return ordinarynotes::ordinaryNote(index, 1000 + (index * 7919) % 9000);
}

std::string &summary()
{
    static std::string line;
    return line;
}

void BM_FiftyNotesThenHidden(benchmark::State &state)
{
    NotesAppBench f;
    f.vault = QDir(f.dir.path()).canonicalPath() + QStringLiteral("/Vault");
    QDir().mkpath(f.vault);
    std::vector<QString> notes;
    for (int i = 0; i < noteCount; ++i) {
        notes.push_back(noteText(i));
        QFile file(QStringLiteral("%1/Note %2.md").arg(f.vault).arg(i));
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the bench vault");
        file.write(notes.back().toUtf8());
    }
    f.startNotes();
    NotesManager &vault = f.appState->notesManager();
    const auto url
        = [&f](int i) { return QUrl::fromLocalFile(f.vault + QStringLiteral("/Note %1.md").arg(i)); };
    QImage canvas(800, 600, QImage::Format_ARGB32_Premultiplied);
    double before = 0, opened = 0, hidden = 0;
    for (auto _ : state) {
        NotePreviewView preview(vault, f.workspace);
        preview.resize(800, 600);
        preview.show();
        const auto open = [&](int i) {
            preview.setNote(notes[size_t(i)], url(i));
            while (preview.isRendering())
                QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
            preview.host().flush();
            canvas.fill(Qt::transparent);
            QPainter painter(&canvas);
            preview.host().tree().paint(painter, QRectF(0, 0, 800, 600));
        };
        // The panel shown on a short note, settled.
        open(1);
        idle(2);
        before = residentMegabytes();
        for (int i = 0; i < noteCount; ++i)
            open(i);
        // Ends on a short note, as the figure is about what the others left behind.
        open(1);
        opened = residentMegabytes();
        preview.hide();
        // What the program does when the panel hides.
        Heap::giveBackFreeMemory();
        idle(60);
        hidden = residentMegabytes();
    }
    state.counters["beforeMB"] = before;
    state.counters["openedMB"] = opened;
    state.counters["hiddenMB"] = hidden;
    char line[256];
    std::snprintf(line, sizeof line,
        "RSS %.1f MB shown, %.1f MB after %d notes, %.1f MB 60 s after hiding: %.1f MB above the start "
        "(target <= 30)",
        before, opened, noteCount, hidden, hidden - before);
    summary() = line;
}
BENCHMARK(BM_FiftyNotesThenHidden)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    MarkdownParser::registerExtensions();
    return runGuiBenchmarks<QApplication>(argc, argv, [] { std::printf("%s\n", summary().c_str()); });
}

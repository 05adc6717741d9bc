// Selecting a very large note in the notes pane (200 MB of Markdown by default;
// QV_LARGE_NOTE_MB sets another size): the main thread must be free again within
// 50 ms, and the selection may raise the process's peak memory by a few MB at most.
// Each iteration first selects a small note (not timed), then the large one; the
// time is that of the selection and one turn of the event loop after it, and
// "peakMB" is how far the resident peak rose meanwhile.
#include "appbench.h"
#include "guibenchmain.h"

#include "notes/notespaneview.h"
#include "preview/notepreviewview.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace {

// The resident peak of the process, in kB, as the kernel keeps it.
long long residentPeakKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::atoll(line.c_str() + 6);
    }
    return 0;
}

// Starts the peak afresh from what is resident now.
void resetResidentPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

struct Fixture : NotesAppBench
{
    Fixture()
    {
        vault = dir.filePath(QStringLiteral("Vault"));
        QDir().mkpath(vault);
        QFile small(vault + QStringLiteral("/Small.md"));
        if (!small.open(QIODevice::WriteOnly))
            qFatal("cannot write the bench vault");
        small.write("# Small\n\nA few words.\n");
        small.close();

        const qint64 megabytes = qEnvironmentVariableIntValue("QV_LARGE_NOTE_MB") > 0
            ? qEnvironmentVariableIntValue("QV_LARGE_NOTE_MB")
            : 200;
        QByteArray block;
        for (int i = 0; block.size() < 1024 * 1024; ++i)
            block += "## Section " + QByteArray::number(i)
                + "\n\nSome *words* in a paragraph, with a [[Link]] and `code`.\n\n- one\n- two\n\n";
        block.truncate(1024 * 1024);
        QFile large(vault + QStringLiteral("/Large.md"));
        if (!large.open(QIODevice::WriteOnly))
            qFatal("cannot write the bench vault");
        for (qint64 i = 0; i < megabytes; ++i)
            large.write(block);
        large.close();
        startNotes();
        pane = std::make_unique<NotesPaneView>(*environment, NotePreviewView::factory(workspace));
        pane->resize(700, 300);
        pane->show();
    }

    QUrl note(const QString &name) const { return QUrl::fromLocalFile(vault + u'/' + name); }

    std::unique_ptr<NotesPaneView> pane;
};

void BM_SelectTheLargeNote(benchmark::State &state)
{
    Fixture f;
    double peakMb = 0;
    for (auto _ : state) {
        state.PauseTiming();
        f.appState->setSelectedNoteURL(f.note(QStringLiteral("Small.md")));
        QCoreApplication::processEvents();
        resetResidentPeak();
        const long long before = residentPeakKb();
        state.ResumeTiming();
        f.appState->setSelectedNoteURL(f.note(QStringLiteral("Large.md")));
        QCoreApplication::processEvents();
        state.PauseTiming();
        peakMb = std::max(peakMb, double(residentPeakKb() - before) / 1024);
        state.ResumeTiming();
    }
    state.counters["peakMB"] = peakMb;
}
BENCHMARK(BM_SelectTheLargeNote)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    return runGuiBenchmarks<QApplication>(argc, argv);
}

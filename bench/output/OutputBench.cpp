// A script printing 100,000 lines into the Output window's control, against
// appending the same lines straight into the same control from C++, one
// update of the control per line, in one run. The script prints in chunks,
// the event loop turning after each as it does between a script's waits; the
// time of those turns counts. Also follows the number of lines in the
// control and the process's resident memory while the script prints.
//
//   bench_output [lines]      (QT_QPA_PLATFORM=offscreen is fine)
#include "engine/PythonEngine.h"
#include "extension/Pyio.h"
#include "extension/PythonGUIInputOutput.h"
#include "extension/PythonModule.h"
#include "extension/output.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include <cstdio>
#include <memory>

using namespace orvexa;

namespace {

long ResidentKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

// What a print of line i delivers.
QString Line(int i) { return QStringLiteral("line %1 of the benchmark output").arg(i); }

double DirectAppend(QPlainTextEdit* control, int lines) {
    TPythonGUIInputOutput io;  // the same control settings as the real path
    io.SetOutput(control);
    io.SendData(QString());
    control->clear();
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < lines; ++i) {
        control->appendPlainText(Line(i));
        QScrollBar* bar = control->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
    // What the appends left for the event loop (repaints) is their cost too.
    QCoreApplication::processEvents();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int lines = argc > 1 ? atoi(argv[1]) : 100000;

    QObject owner;
    auto* engine = new TPythonEngine(&owner);
    engine->Runtime().FatalAbort = false;
    engine->Runtime().DllName = QStringLiteral("libpython3.11.so.1.0");
    engine->Runtime().APIVersion = 1007;
    engine->SetUseLastKnownVersion(true);
    auto* io = new TPythonGUIInputOutput(&owner);
    TFormOutput form;
    io->SetOutput(form.RichEditOutput);
    engine->SetIO(io);
    // Made by the engine's start; it goes first at the end, stopping the
    // interpreter before the IO component and the engine go.
    std::unique_ptr<TPythonModule> pyio;
    engine->OnRedirectOutput = [&pyio](TPythonEngine& started) { pyio = InstallPyio(started); };
    engine->LayoutLoaded();
    if (!engine->IsInitialized()) {
        std::fprintf(stderr, "no interpreter\n");
        return 1;
    }
    form.show();

    const double direct = DirectAppend(form.RichEditOutput, lines);
    form.RichEditOutput->clear();

    // The script prints in chunks so that the control's size and the memory
    // can be read between them.
    const int chunk = lines / 10;
    engine->ExecuteLines({QStringLiteral("n = 0")});
    int maxBlocks = 0;
    long rssFirst = 0, rssMax = 0;
    QElapsedTimer clock;
    qint64 scriptNs = 0;
    for (int done = 0; done < lines; done += chunk) {
        clock.start();
        engine->ExecuteLines({QStringLiteral("for i in range(%1, %2):").arg(done).arg(done + chunk),
                              QStringLiteral("    print('line', i, 'of the benchmark output')")});
        QCoreApplication::processEvents();  // the turn that updates the control
        scriptNs += clock.nsecsElapsed();
        maxBlocks = qMax(maxBlocks, form.RichEditOutput->document()->blockCount());
        const long rss = ResidentKiB();
        if (done == 0)
            rssFirst = rss;
        rssMax = qMax(rssMax, rss);
    }
    const double script = static_cast<double>(scriptNs) / 1e6;
    const bool same = form.RichEditOutput->document()->lastBlock().text() == Line(lines - 1);

    std::printf("lines:                    %d\n", lines);
    std::printf("direct append (baseline): %.1f ms (%.2f us/line)\n", direct, direct * 1000 / lines);
    std::printf("script print path:        %.1f ms (%.2f us/line)\n", script, script * 1000 / lines);
    std::printf("speed-up over the baseline: %.1fx (goal: at least 10)\n", direct / script);
    std::printf("max lines in the control: %d (MaxLines %d)\n", maxBlocks, io->MaxLines);
    std::printf("resident memory:          %ld KiB after the first tenth, %ld KiB at most\n", rssFirst, rssMax);
    std::printf("last line as expected:    %s\n", same ? "yes" : "no");
    pyio.reset();
    return same ? 0 : 1;
}

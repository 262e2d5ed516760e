// One bind's code executed through ExecuteLines (line list to text, the
// interpreter lock taken and given back, output flushed, and for a failing
// bind: the report printed, the traceback read and the error converted),
// against the bare PyRun_String of the same text with the lock held
// throughout, in the same run.
//
//   bench_engine [executions] [library]    (default 20000, libpython3.11.so.1.0)
#include "engine/PythonEngine.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace orvexa;

namespace {

double PerCallMicroseconds(qint64 nanoseconds, int calls) { return static_cast<double>(nanoseconds) / 1000.0 / calls; }

qint64 Engine(TPythonEngine& engine, const QStringList& lines, int calls) {
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i) {
        try {
            engine.ExecuteLines(lines);
        } catch (const EPythonError&) {
            // a failing bind is caught and dropped by its caller
        }
    }
    return clock.nsecsElapsed();
}

qint64 Bare(TPythonEngine& engine, const QStringList& lines, int calls) {
    const QByteArray code = (lines.join(u'\n') + u'\n').toUtf8();
    PythonLock lock(engine.Runtime());
    PyObject* globals = engine.Runtime().PyModule_GetDict(engine.Runtime().PyImport_AddModule("__main__"));
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < calls; ++i) {
        if (!engine.Runtime().Steal(engine.Runtime().PyRun_String(code.constData(), Py_file_input, globals, globals)))
            engine.Runtime().PyErr_Clear();
    }
    return clock.nsecsElapsed();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int calls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20000;
    TPythonEngine engine;
    engine.Runtime().FatalAbort = false;
    engine.Runtime().DllName = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("libpython3.11.so.1.0");
    engine.LayoutLoaded();
    if (!engine.IsInitialized()) {
        std::fprintf(stderr, "no interpreter\n");
        return 1;
    }
    // The interpreter's error printing goes to a sink, as into the Output
    // window, so that the terminal does not set the pace.
    engine.ExecuteLines({"import sys", "class Sink:", "    def write(self, text): return len(text)",
                         "sys.stderr = Sink()", "counter = 0"});
    struct Case {
        const char* name;
        QStringList lines;
    } cases[] = {
        {"bind that succeeds", {"counter = counter + 1", "if counter < 0:", "    counter = 0"}},
        {"bind that fails", {"counter = counter + 1", "1/0"}},
    };
    std::printf("%-20s %12s %12s %8s  (%d executions each)\n", "", "engine us", "bare us", "ratio", calls);
    for (const Case& c : cases) {
        Engine(engine, c.lines, calls / 10 + 1);  // warm up
        const qint64 through = Engine(engine, c.lines, calls);
        const qint64 bare = Bare(engine, c.lines, calls);
        std::printf("%-20s %12.2f %12.2f %8.2f\n", c.name, PerCallMicroseconds(through, calls),
                    PerCallMicroseconds(bare, calls), static_cast<double>(through) / static_cast<double>(bare));
    }
    return 0;
}

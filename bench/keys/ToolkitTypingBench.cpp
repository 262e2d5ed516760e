// The typing table: how many texts arrive exactly in real programs of every
// toolkit, typed by TypeText from a script of the real program (--run, the
// script ending right after it) and by `xdotool type --delay 12`, the same
// texts on the same layouts in the same run, under a window manager. Per
// program: exact cases of each, the seconds each took, and the changes of
// the keyboard map each made.
//
// Run under an X server with XTEST, with setxkbmap, xmodmap, xdotool,
// openbox, xterm and the toolkits' Python bindings:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/keys/bench_toolkit_typing [program...]
// ORVEXA_BINARY names another orvexa to measure.
#include "tests/support/Layouts.h"
#include "tests/support/TempDir.h"
#include "tests/support/toolkits/ToolkitReceiver.h"
#include "tests/support/x11/WindowManager.h"
#include "tests/support/x11/X11Probe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <cstdio>

using namespace orvexa;

namespace {

struct Tally {
    int exact = 0;
    int cases = 0;
    int changes = 0;
    qint64 ms = 0;
};

void Orvexa(const QString& dir) {
    QProcess orvexa;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    orvexa.setProcessEnvironment(env);
    orvexa.setWorkingDirectory(dir);
    orvexa.start(qEnvironmentVariable("ORVEXA_BINARY", QStringLiteral(ORVEXA_BINARY)),
                 {QStringLiteral("--run"), QStringLiteral("type.orx")});
    orvexa.waitForFinished(120000);
}

void Xdotool(const QString& text) {
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("12"), text});
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList names = app.arguments().mid(1);
    if (names.isEmpty())
        names = test::ReceiverNames();
    platform::x11::X11Probe probe;
    probe.TakeMappingChanges();
    test::WorkingDir dir;
    dir.Write(QStringLiteral("type.orx"),
              "//SHORTDESC: Types text.txt\n"
              "//BIND MAIN\n"
              "import orvex\n"
              "orvex.TypeText(open('text.txt', encoding='utf-8').read())\n");
    std::printf("%-7s %16s %8s %8s %16s %8s %8s\n", "program", "TypeText exact", "s", "changes", "xdotool exact", "s",
                "changes");
    for (const QString& name : names) {
        // A window manager of its own for each program: xdotool's thousand
        // changes of the map leave one busy re-grabbing its keys for long.
        test::WindowManager manager;
        if (!manager.Start()) {
            std::fprintf(stderr, "needs openbox: %s\n", qPrintable(manager.Failure()));
            return 1;
        }
        const auto receiver = test::StartReceiver(name);
        if (!receiver->Failure().isEmpty()) {
            std::printf("%-7s %s\n", qPrintable(name), qPrintable(receiver->Failure()));
            continue;
        }
        Tally ours;
        Tally theirs;
        // All texts by TypeText, then all by xdotool.
        for (Tally* tally : {&ours, &theirs}) {
            for (const test::TestLayout& layout : test::TestLayouts()) {
                test::UseLayout(layout);
                receiver->Focus();
                probe.TakeMappingChanges();
                for (const test::TestText& text : test::TestTexts()) {
                    dir.Write(QStringLiteral("text.txt"), text.text.toUtf8());
                    receiver->Clear();
                    QElapsedTimer clock;
                    clock.start();
                    if (tally == &ours)
                        Orvexa(dir.Path());
                    else
                        Xdotool(text.text);
                    const QString received = receiver->WaitFor(text.text);
                    tally->ms += clock.elapsed();
                    tally->exact += received == text.text ? 1 : 0;
                    ++tally->cases;
                    tally->changes += probe.TakeMappingChanges();
                    if (received != text.text && qEnvironmentVariableIsSet("ORVEXA_BENCH_SHOW"))
                        std::fprintf(stderr, "%s / %s / %s: %s\n", qPrintable(name), layout.name, text.name,
                                     qPrintable(received.left(80)));
                }
            }
        }
        std::printf("%-7s %10d/%-5d %8.1f %8d %10d/%-5d %8.1f %8d\n", qPrintable(name), ours.exact, ours.cases,
                    static_cast<double>(ours.ms) / 1000.0, ours.changes, theirs.exact, theirs.cases,
                    static_cast<double>(theirs.ms) / 1000.0, theirs.changes);
        std::fflush(stdout);
    }
    test::UseLayout(test::TestLayouts().front());
    return 0;
}

// Typing speed and correctness: the program's TypeText against
// `xdotool type --delay 12` (its default pace), the same texts on the same X
// server in the same run, into a plain X client (another program) that
// decodes what arrives. Per layout (us, fr, ru) and text (ASCII; a mix of
// layout characters and a few that no key types, repeated; 500 characters
// mixing ASCII with letters of other alphabets, many of which no key types):
// characters per second until the last arrived, how many arrived right
// (longest common subsequence with the text), how many times the keyboard
// map was changed (every program, window managers included, reads the map
// again at each), and whether the map is as it was afterwards.
//
// Run under an X server with XTEST, with setxkbmap, xmodmap and xdotool:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/keys/bench_typing [characters]
#include "platform/InputSynth.h"
#include "platform/x11/X11Backend.h"
#include "tests/support/toolkits/ToolkitReceiver.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/TextReceiver.h"
#include "tests/support/x11/X11Probe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStringList>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

using namespace orvexa;

namespace {

struct Result {
    double charactersPerSecond = 0;
    qsizetype right = 0;
    qsizetype arrived = 0;
    int changes = 0;
    bool mapKept = false;
};

QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(120000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString KeyboardMap() { return Run(QStringLiteral("xmodmap"), {QStringLiteral("-pke")}); }

// The longest common subsequence: the characters that arrived right, in
// order, whatever was lost or added around them.
qsizetype CommonSubsequence(const QString& a, const QString& b) {
    std::vector<qsizetype> row(static_cast<size_t>(b.size()) + 1, 0);
    for (qsizetype i = 0; i < a.size(); ++i) {
        qsizetype diagonal = 0;
        for (qsizetype j = 0; j < b.size(); ++j) {
            const qsizetype above = row[static_cast<size_t>(j) + 1];
            row[static_cast<size_t>(j) + 1] =
                a[i] == b[j] ? diagonal + 1 : std::max(above, row[static_cast<size_t>(j)]);
            diagonal = above;
        }
    }
    return row.back();
}

// Types with `type` into a fresh receiver; measures until the last
// character arrived (the text is complete, or nothing came for 2 s).
Result Measure(const QString& text, const std::function<void(const QString&)>& type, platform::x11::X11Probe& probe) {
    const QString mapBefore = KeyboardMap();
    probe.TakeMappingChanges();
    platform::TextReceiver receiver;
    Result result;
    if (!receiver.Ok())
        return result;
    QElapsedTimer clock;
    clock.start();
    type(text);
    qsizetype seen = -1;
    qint64 lastArrival = 0;
    qint64 quietSince = clock.elapsed();
    for (;;) {
        const qsizetype now = receiver.Text().size();
        if (now != seen) {
            seen = now;
            lastArrival = clock.nsecsElapsed();
            quietSince = clock.elapsed();
        }
        if (seen >= text.size() || clock.elapsed() - quietSince > 2000)
            break;
        QThread::usleep(500);
    }
    const QString arrived = receiver.Text();
    result.arrived = arrived.size();
    result.right = CommonSubsequence(text, arrived);
    result.charactersPerSecond =
        lastArrival > 0 ? 1e9 * static_cast<double>(arrived.size()) / static_cast<double>(lastArrival) : 0;
    // Lent keys go back a moment after the typing.
    QElapsedTimer settle;
    settle.start();
    while (!(result.mapKept = KeyboardMap() == mapBefore) && settle.elapsed() < 3000)
        QThread::msleep(50);
    result.changes = probe.TakeMappingChanges();
    return result;
}

QString Repeated(const QString& pattern, int characters) {
    QString text;
    while (text.size() < characters)
        text += pattern;
    return text;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int characters = argc > 1 ? std::max(50, std::atoi(argv[1])) : 500;
    platform::KeyInjector keepsTheServersMap;  // the server resets its keyboard when its last client leaves
    platform::x11::X11InputServices x11 = platform::x11::CreateX11InputServices();
    if (!x11.input || !keepsTheServersMap.Ok()) {
        std::fprintf(stderr, "needs an X server with XTEST (DISPLAY)\n");
        return 1;
    }
    platform::InputSynth& input = *x11.input;
    platform::x11::X11Probe probe;
    probe.TakeMappingChanges();
    if (Run(QStringLiteral("xdotool"), {QStringLiteral("version")}).isEmpty()) {
        std::fprintf(stderr, "needs xdotool for the baseline\n");
        return 1;
    }

    const struct {
        const char* name;
        QString text;
    } texts[] = {
        {"ASCII", Repeated(QStringLiteral("The quick brown fox, 42 jumps! "), characters)},
        {"mixed", Repeated(QStringLiteral("ab é1€Ж😀,Z—ñ "), characters)},
        {"500mix", test::TestTexts()[4].text},
    };
    const auto orvexa = [&input](const QString& text) {
        const std::u32string u32 = text.toStdU32String();
        input.TypeText(u32, {});
    };
    const auto xdotool = [](const QString& text) {
        Run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("12"), text});
    };

    std::printf("%-6s %-6s %11s %11s %7s %13s %13s %8s %8s %5s %5s\n", "layout", "text", "orvexa c/s", "xdotool c/s",
                "ratio", "orvexa right", "xdotool right", "orvexa", "xdotool", "map", "(x)");
    std::printf("%-6s %-6s %11s %11s %7s %13s %13s %8s %8s %5s %5s\n", "", "", "", "(--delay 12)", "", "", "",
                "changes", "changes", "kept", "");
    for (const char* layout : {"us", "fr", "ru"}) {
        Run(QStringLiteral("setxkbmap"), {QLatin1String(layout)});
        keepsTheServersMap.Sync();
        // Untimed: the first keys after a new layout wait for the server
        // and every client to take it in.
        Measure(QStringLiteral("warm up"), orvexa, probe);
        Measure(QStringLiteral("warm up"), xdotool, probe);
        for (const auto& [name, text] : texts) {
            const Result ours = Measure(text, orvexa, probe);
            const Result theirs = Measure(text, xdotool, probe);
            std::printf("%-6s %-6s %11.0f %11.0f %7.1f %7lld/%-5lld %7lld/%-5lld %8d %8d %5s %5s\n", layout, name,
                        ours.charactersPerSecond, theirs.charactersPerSecond,
                        theirs.charactersPerSecond > 0 ? ours.charactersPerSecond / theirs.charactersPerSecond : 0.0,
                        static_cast<long long>(ours.right), static_cast<long long>(text.size()),
                        static_cast<long long>(theirs.right), static_cast<long long>(text.size()), ours.changes,
                        theirs.changes, ours.mapKept ? "yes" : "NO", theirs.mapKept ? "yes" : "NO");
            std::fflush(stdout);
        }
    }
    Run(QStringLiteral("setxkbmap"), {QStringLiteral("us")});
    return 0;
}

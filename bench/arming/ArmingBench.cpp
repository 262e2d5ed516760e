// Run of a script with many KEY and HOTKEY binds: the CPU time ArmBinds takes
// with a key capture installed (the key names and combinations made unique
// and handed over, the names checked, MAIN run), and the key names alone,
// against making them unique by searching the list kept so far for each name
// (quadratic), on the same table in one run.
//
//   bench_arming [binds]      (100,000 by default; the baseline takes about
//                              half a minute of one core at that count)
#include "app/BindArming.h"
#include "automation/ProgramContext.h"
#include "binds/Bindary.h"
#include "binds/keyhook.h"
#include "platform/fake/FakeKeyCapture.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

using namespace orvexa;

namespace {

class NoExecutor final : public LineExecutor {
public:
    void ExecuteLines(const QStringList& lines) override { (void)lines; }
};

// The names made unique by a search of the kept list for each.
QStringList ListSearchNames(const TBindary& binds) {
    QStringList names;
    for (int i = 0; i < binds.BindCount(); ++i) {
        const TBindObj* bind = binds.GetBind(i);
        if (bind->Event == QLatin1String("KEY") && !bind->Argument.isEmpty() && !names.contains(bind->Argument))
            names.append(bind->Argument);
    }
    return names;
}

// The CPU time of this thread: the machine may be shared, and the work is
// this thread's alone.
double CpuMs() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (count <= 0) {
        std::fprintf(stderr, "usage: bench_arming [binds]\n");
        return 2;
    }
    NoExecutor executor;
    auto binds = std::make_unique<TBindary>(&executor);
    binds->AddBind(QStringLiteral("//BIND MAIN"), QStringLiteral("pass\n"));
    // Every name distinct, as a generated script writes them: the worst case
    // for the search.
    for (int i = 0; i < count; ++i)
        binds->AddBind(QStringLiteral("//BIND KEY K%1").arg(i), QStringLiteral("pass\n"));
    // As many HOTKEY binds, over every combination of the letters and the
    // four modifiers.
    const char* const modifiers[] = {"", "CTRL+", "ALT+", "SHIFT+", "WIN+"};
    for (int i = 0; i < count; ++i)
        binds->AddBind(QStringLiteral("//BIND HOTKEY %1%2%3")
                           .arg(QLatin1String(modifiers[i % 5]), QLatin1String(modifiers[(i / 5) % 5]))
                           .arg(QChar(u'A' + (i / 25) % 26)),
                       QStringLiteral("pass\n"));

    auto capture = std::make_shared<platform::FakeKeyCapture>();
    QObject window;
    InstallHook(&window, capture);
    ProgramContext context(platform::Services{}, &app);

    double start = CpuMs();
    ArmBinds(binds, context, nullptr, {QStringLiteral("CONTROL-ALT-SHIFT-S")});
    const double armMs = CpuMs() - start;
    const qsizetype handedOver = capture->wantedKeys.size();
    const size_t taken = capture->takenKeys.size();
    DisarmBinds(*binds);

    start = CpuMs();
    const QStringList names = KeyBindNames(*binds);
    const double namesMs = CpuMs() - start;

    start = CpuMs();
    const QStringList searched = ListSearchNames(*binds);
    const double searchMs = CpuMs() - start;
    RemoveHook();

    const bool same = names == searched;
    std::printf("KEY binds: %d, HOTKEY binds: %d; names handed to the key capture: %lld, combinations taken: %zu\n",
                count, count, static_cast<long long>(handedOver), taken);
    std::printf("ArmBinds:                          %10.1f ms CPU\n", armMs);
    std::printf("key names, set of names kept:      %10.1f ms CPU\n", namesMs);
    std::printf("key names, list search (baseline): %10.1f ms CPU\n", searchMs);
    std::printf("baseline / now:                    %10.0f\n", namesMs > 0 ? searchMs / namesMs : 0.0);
    std::printf("same names in the same order:      %s\n", same ? "yes" : "NO");
    return same ? 0 : 1;
}

// Key latency: from a key press injected through XTEST by another process to
// the moment the first line of the matching KEY bind runs in the interpreter,
// against a plain Xlib client (a third process) that receives
// the same key as a KeyPress event. Both are measured on the same presses.
//
// Run under an X server with RECORD and XTEST, e.g.
//   xvfb-run -a -s "-screen 0 1280x1024x24" bench/keys/bench_key_latency [presses]
#include "app/FormMain.h"
#include "app/OrvexaApplication.h"
#include "app/Startup.h"
#include "automation/ProgramContext.h"
#include "binds/keyhook.h"
#include "core/LineExecutor.h"
#include "engine/PythonEngine.h"
#include "platform/Services.h"
#include "platform/fake/ScriptedDialogs.h"
#include "platform/x11/X11KeyCapture.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/KeyPressReceiver.h"

#include <QDir>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

using namespace orvexa;
using platform::KeyPressReceiver;

namespace {

constexpr int kVirtualKeyA = 'A';
constexpr int kPressTimeoutMs = 2000;

bool WriteAll(int fd, const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(fd, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool ReadAll(int fd, void* data, size_t size) {
    auto* bytes = static_cast<char*>(data);
    while (size > 0) {
        const ssize_t n = read(fd, bytes, size);
        if (n <= 0)
            return false;
        bytes += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// The idle client: reports the arrival time of every KeyPress on out.
// Reports -2 first if it could not grab the keyboard.
[[noreturn]] void RunIdleClient(int out) {
    KeyPressReceiver receiver;
    std::int64_t ready = receiver.Ok() ? 0 : -2;
    WriteAll(out, &ready, sizeof ready);
    while (receiver.Ok()) {
        const std::int64_t at = receiver.NextKeyPress(60000);
        if (at < 0 || !WriteAll(out, &at, sizeof at))
            break;
    }
    _exit(0);
}

// The injector: for every byte read from in, one press and release of A
// through XTEST; the moment just before the press goes to out.
[[noreturn]] void RunInjector(int in, int out) {
    platform::KeyInjector keys;
    std::int64_t ready = keys.Ok() ? 0 : -2;
    WriteAll(out, &ready, sizeof ready);
    char command = 0;
    while (keys.Ok() && ReadAll(in, &command, 1) && command == 'k') {
        const std::int64_t at = KeyPressReceiver::Now();
        keys.Key(kVirtualKeyA, true);
        keys.Key(kVirtualKeyA, false);
        keys.Sync();
        WriteAll(out, &at, sizeof at);
    }
    _exit(0);
}

pid_t Spawn(void (*body)(int, int), int in, int out) {
    const pid_t pid = fork();
    if (pid == 0)
        body(in, out);
    return pid;
}

// Stamps the moment the first line of the KEY bind runs in the interpreter:
// that line calls benchstamp.stamp(). Every line list goes to the engine.
class StampingExecutor final : public LineExecutor {
public:
    explicit StampingExecutor(TPythonEngine& engine) : engine_(engine) {}
    void ExecuteLines(const QStringList& lines) override { engine_.ExecuteLines(lines); }
    void Stamp() {
        stamps.push_back(KeyPressReceiver::Now());
        if (onStamp)
            onStamp();
    }
    std::vector<std::int64_t> stamps;
    std::function<void()> onStamp;

private:
    TPythonEngine& engine_;
};

StampingExecutor* g_stamper = nullptr;

PyObject* StampMethod(PyObject*, PyObject*) {
    if (g_stamper)
        g_stamper->Stamp();
    return GetRunningEngine().Runtime().NewNoneRef();
}

PyMethodDef g_stampMethods[] = {{"stamp", &StampMethod, METH_VARARGS, "stamp"}, {nullptr, nullptr, 0, nullptr}};

struct Stats {
    double median = 0;
    double p99 = 0;
};

Stats Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        const size_t i = std::min(values.size() - 1, static_cast<size_t>(q * static_cast<double>(values.size())));
        return values[i];
    };
    return {at(0.5), at(0.99)};
}

// One press at a time: the next goes out once both receivers have seen the
// previous one (or it timed out), so no press waits behind another.
class Session : public QObject {
public:
    Session(int presses, int toInjector, int fromInjector, int fromIdle, StampingExecutor& executor)
        : presses_(presses),
          toInjector_(toInjector),
          fromInjector_(fromInjector),
          fromIdle_(fromIdle),
          executor_(executor),
          injectorNotifier_(fromInjector, QSocketNotifier::Read),
          idleNotifier_(fromIdle, QSocketNotifier::Read) {
        connect(&injectorNotifier_, &QSocketNotifier::activated, this, [this] {
            ReadAll(fromInjector_, &sent_, sizeof sent_);
            Check();
        });
        connect(&idleNotifier_, &QSocketNotifier::activated, this, [this] {
            ReadAll(fromIdle_, &idleAt_, sizeof idleAt_);
            Check();
        });
        timeout_.setSingleShot(true);
        connect(&timeout_, &QTimer::timeout, this, [this] {
            ++lost_;
            Next();
        });
        executor_.onStamp = [this] { Check(); };
    }
    ~Session() override { executor_.onStamp = nullptr; }

    void Begin() {
        QTimer::singleShot(200, this, [this] { Next(); });
    }

    std::vector<double> ours, idle;
    int lost_ = 0;

private:
    void Next() {
        if (done_ >= presses_) {
            QCoreApplication::quit();
            return;
        }
        ++done_;
        sent_ = idleAt_ = -1;
        stampsBefore_ = executor_.stamps.size();
        const char command = 'k';
        WriteAll(toInjector_, &command, 1);
        timeout_.start(kPressTimeoutMs);
    }
    void Check() {
        const bool named = executor_.stamps.size() > stampsBefore_;
        if (sent_ < 0 || idleAt_ < 0 || !named)
            return;
        timeout_.stop();
        ours.push_back(static_cast<double>(executor_.stamps[stampsBefore_] - sent_) / 1000.0);
        idle.push_back(static_cast<double>(idleAt_ - sent_) / 1000.0);
        // A short pause between presses, as between keys typed by a person.
        QTimer::singleShot(2, this, [this] { Next(); });
    }

    int presses_;
    int toInjector_, fromInjector_, fromIdle_;
    StampingExecutor& executor_;
    QSocketNotifier injectorNotifier_, idleNotifier_;
    QTimer timeout_;
    int done_ = 0;
    size_t stampsBefore_ = 0;
    std::int64_t sent_ = -1, idleAt_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1000;
    if (!std::getenv("DISPLAY")) {
        std::fprintf(stderr, "bench_key_latency: needs an X server (DISPLAY)\n");
        return 2;
    }

    // The other processes start before this one opens any connection.
    int idlePipe[2], commandPipe[2], sentPipe[2];
    if (pipe(idlePipe) != 0 || pipe(commandPipe) != 0 || pipe(sentPipe) != 0)
        return 2;
    const pid_t idlePid = Spawn([](int, int out) { RunIdleClient(out); }, -1, idlePipe[1]);
    const pid_t injectorPid = Spawn(RunInjector, commandPipe[0], sentPipe[1]);
    std::int64_t ready = 0;
    if (!ReadAll(idlePipe[0], &ready, sizeof ready) || ready != 0 || !ReadAll(sentPipe[0], &ready, sizeof ready) ||
        ready != 0) {
        std::fprintf(stderr, "bench_key_latency: the idle client or the injector could not start\n");
        kill(idlePid, SIGTERM);
        kill(injectorPid, SIGTERM);
        return 2;
    }

    platform::Services services;
    services.dialogs = std::make_shared<platform::ScriptedDialogs>();
    services.keyCapture = platform::CreateX11KeyCapture();

    int code = 0;
    {
        OrvexaApplication app(argc, argv);
        ProgramContext context(std::move(services), &app);
        QTemporaryDir dir;
        QFile script(QDir(dir.path()).filePath(QStringLiteral("keys.orx")));
        if (!script.open(QIODevice::WriteOnly) ||
            script.write("//BIND MAIN\nimport benchstamp\n//BIND KEY A\nbenchstamp.stamp()\n") < 0)
            return 2;
        script.close();
        QDir::setCurrent(dir.path());

        Windows windows = CreateWindows(context);
        TPythonEngine& engine = *windows.FormMain->PythonEngine1;
        {
            PythonLock lock(engine.Runtime());
            engine.Runtime().InitModule("benchstamp", g_stampMethods);
        }
        StampingExecutor executor(engine);
        g_stamper = &executor;
        windows.FormMain->SetExecutor(&executor);
        windows.FormMain->show();
        if (!HookHandle) {
            std::fprintf(stderr, "bench_key_latency: the key capture could not start (no RECORD?)\n");
            code = 2;
        } else {
            windows.FormMain->SetRunning(true);
            Session session(presses, commandPipe[1], sentPipe[0], idlePipe[0], executor);
            session.Begin();
            app.exec();
            windows.FormMain->SetRunning(false);

            const Stats ours = Summarise(session.ours);
            const Stats idle = Summarise(session.idle);
            std::printf("key latency over %zu presses (%d lost), microseconds\n", session.ours.size(), session.lost_);
            std::printf("  idle Xlib client (KeyPress)   median %9.1f   p99 %9.1f\n", idle.median, idle.p99);
            std::printf("  KEY bind's first line runs    median %9.1f   p99 %9.1f\n", ours.median, ours.p99);
            std::printf("  ratio ours / idle client      median %9.2f   p99 %9.2f\n", ours.median / idle.median,
                        ours.p99 / idle.p99);
            std::fflush(stdout);
            if (session.ours.empty())
                code = 1;
        }
        g_stamper = nullptr;
        windows = Windows();
    }

    const char quit = 'q';
    WriteAll(commandPipe[1], &quit, 1);
    kill(idlePid, SIGTERM);
    waitpid(injectorPid, nullptr, 0);
    waitpid(idlePid, nullptr, 0);
    return code;
}

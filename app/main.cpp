#include "app/AppIdentity.h"
#include "app/CommandLine.h"
#include "app/ConsoleApplication.h"
#include "app/FormMain.h"
#include "app/OrvexaApplication.h"
#include "app/QuitSignals.h"
#include "app/QuitWatchdog.h"
#include "app/RunTray.h"
#include "app/ScriptList.h"
#include "app/ScriptRun.h"
#include "app/ScriptsFolder.h"
#include "app/StandardStreams.h"
#include "app/Startup.h"
#include "app/TrayIcon.h"
#include "app/WindowInstance.h"
#include "automation/ProgramContext.h"
#include "core/Quit.h"
#include "core/Strings.h"
#include "engine/FatalReport.h"
#include "platform/Services.h"
#include "platform/desktop/DesktopServices.h"
#include "ui/FontsAhead.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>

#include <cstdio>
#include <memory>

namespace {
// Script code that will not end gets this long after the user quit; a
// clean shutdown, the script's threads' grace included, takes about one.
constexpr double kQuitWatchdogSeconds = 3.0;

using namespace orvexa;

// The program's own directory, before there is an application object to
// ask.
QString ProgramDirectory() {
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
}

void EnterScriptsFolder() {
    orvexa::EnterScriptsFolder(DefaultScriptsFolder(), FindInstalledExamples(ProgramDirectory()));
}

bool MayHoldQtOptions(const QStringList& arguments) {
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.size() > 2 && argument.startsWith(u'-') && argument.at(1).isLetter())
            return true;
    }
    return false;
}

void Print(const QString& text) {
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
    std::fflush(stdout);
}

// The main window: the program as it always was.
int WindowProgram(int argc, char** argv) {
    // Found while the display is connected and the windows are made.
    ui::FontConfigurationAhead fontConfiguration;
    // 1. The program's context: the desktop's services, the bind globals
    //    and the player, until the program ends.
    //    Without a display the input and screen stay unset; the program
    //    starts, and connects them when a script first needs them.
    platform::Services services = platform::CreateDesktopServices();
    ProgramContext context(std::move(services));
    ArmQuitWatchdog(kQuitWatchdogSeconds);

    // 2. The application object, titled "Orvexa". It takes Qt's own options
    //    out of the arguments; the rest must be the program's.
    OrvexaApplication app(argc, argv);
    const ui::FontDatabaseAhead fontDatabase(fontConfiguration);
    app.SetDialogs(context.Services().dialogs);
    // The program ends when the main window closes (or from the tray), not
    // when the last window shown goes: the main window may be in the tray.
    QApplication::setQuitOnLastWindowClosed(false);
    context.SetApplication(&app);
    const CommandLine line = ParseCommandLine(app.arguments());
    if (!line.error.isEmpty()) {
        ReportBadCommandLine(line.error);
        return kBadCommandLine;
    }

    // One main window for a user on a display: a second start shows the
    // first one's window and ends.
    QPointer<TFormMain> formMain;
    WindowInstance instance;
    const auto claim = instance.Claim(!line.hidden, [&formMain] {
        if (formMain)
            formMain->ShowInFront();
    });
    if (claim != WindowInstance::Outcome::First)
        return 0;

    // 3. The working directory, whose scripts the main window lists: the
    //    directory the program was started in or, with --scripts-folder (as
    //    the desktop entry starts it), the user's scripts folder.
    if (line.scriptsFolder)
        EnterScriptsFolder();

    // 4. The windows: main window, script editor, Output window. Their
    //    first use of fonts waits for the configuration being read ahead.
    fontConfiguration.WaitUntilRead();
    Windows windows = CreateWindows(context);
    formMain = windows.FormMain.get();

    // A request to end from the desktop closes the program as File > Exit
    // does. Script code that keeps the GUI thread busy is interrupted from
    // the signal's own thread first, so that the request can be handled.
    QuitSignals quitSignals([&app, formMain](int) {
        quit::Request();
        QMetaObject::invokeMethod(
            &app,
            [formMain] {
                if (formMain)
                    formMain->ProgramClosing();
            },
            Qt::QueuedConnection);
    });
    auto destroyWatch = platform::WatchWindowDestroy(formMain, [formMain] {
        if (formMain)
            formMain->ProgramClosing();
    });

    // 5. The message loop shows the main window. A start at login (--hidden)
    //    keeps it in the tray, where the desktop has one, with its first-show
    //    work done all the same; --start runs a script once that is done.
    if (line.hidden && TrayIcon::Available())
        QMetaObject::invokeMethod(
            formMain.data(), [formMain] { formMain->FormShow(); }, Qt::QueuedConnection);
    else
        windows.FormMain->show();
    if (!line.start.isEmpty()) {
        QMetaObject::invokeMethod(
            formMain.data(), [formMain, start = line.start] { formMain->StartScript(start); }, Qt::QueuedConnection);
    }
    const int code = app.exec();
    destroyWatch.reset();
    windows = Windows();
    return code;
}

// --run: one script without any window, in the folder it lies in (where
// the main window would run it), until it ends or the program is asked to.
int RunProgram(int argc, char** argv, const CommandLine& line) {
    if (line.scriptsFolder)
        EnterScriptsFolder();
    const QString problem = ScriptRunProblem(line.script);
    if (!problem.isEmpty()) {
        ReportBadCommandLine(problem);
        return kBadCommandLine;
    }
    const QFileInfo script(line.script);
    if (!QDir::setCurrent(script.absolutePath())) {
        ReportBadCommandLine(QStringLiteral("cannot enter the folder of %1.").arg(line.script));
        return kBadCommandLine;
    }

    // No box of the program shows: what they would say goes to standard
    // error, and input() reads standard input.
    platform::Services services = platform::CreateDesktopServices();
    services.dialogs.reset();
    // Qt's own platform (xcb) needs the X display that X11's services
    // connected to: without one (no server, or one that refuses the
    // connection) the run goes on without Qt's display, its screen and
    // input from the desktop's portals where it has them.
    const bool display = services.windows != nullptr;
    ProgramContext context(std::move(services));
    ArmQuitWatchdog(kQuitWatchdogSeconds);

    std::unique_ptr<QCoreApplication> app;
    if (display && line.tray)
        app = std::make_unique<ConsoleApplication<QApplication>>(argc, argv);
    else if (display)
        app = std::make_unique<ConsoleApplication<QGuiApplication>>(argc, argv);
    else
        app = std::make_unique<ConsoleApplication<QCoreApplication>>(argc, argv);
    context.SetApplication(app.get());

    int code = ScriptRun::kSucceeded;
    {
        ScriptRun run(context);
        QPointer<ScriptRun> target = &run;
        std::unique_ptr<RunTray> tray;
        if (line.tray && display) {
            // The tray's picture is the program's icon, with its name.
            SetApplicationIdentity(*static_cast<QGuiApplication*>(app.get()));
            tray = std::make_unique<RunTray>(run, script.fileName(), context.Services().notifier);
        } else if (line.tray) {
            WriteToStandardError(strings::NoTrayNotice());
        }
        QuitSignals quitSignals([&app, target](int) {
            quit::Request();
            QMetaObject::invokeMethod(
                app.get(),
                [target] {
                    if (target)
                        target->Stop();
                },
                Qt::QueuedConnection);
        });
        try {
            code = run.Run(script.fileName());
        } catch (...) {
            OrvexaApplication::ShowCurrentException(nullptr);
            code = ScriptRun::kMainFailed;
        }
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    EnsureStandardStreamsOpen();
    const CommandLine line = ParseCommandLine(ArgumentsOf(argc, argv));
    switch (line.mode) {
    case CommandLine::Mode::Help:
        Print(CommandLineHelp());
        return 0;
    case CommandLine::Mode::Version:
        Print(VersionText() + u'\n');
        return 0;
    case CommandLine::Mode::Window:
        // Qt's own options (single-dash words: -platform, -style...) may
        // stand among the arguments: the application object takes them out
        // before the rest is checked. Without any, a bad command line is
        // said at once, display or none.
        if (!line.error.isEmpty() && !MayHoldQtOptions(ArgumentsOf(argc, argv))) {
            ReportBadCommandLine(line.error);
            return kBadCommandLine;
        }
        return WindowProgram(argc, argv);
    case CommandLine::Mode::List:
    case CommandLine::Mode::Run:
        break;
    }
    if (!line.error.isEmpty()) {
        ReportBadCommandLine(line.error);
        return kBadCommandLine;
    }
    if (line.mode == CommandLine::Mode::List) {
        if (line.scriptsFolder)
            EnterScriptsFolder();
        return ListScripts();
    }
    return RunProgram(argc, argv, line);
}

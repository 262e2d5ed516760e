#include "app/CommandLine.h"
#include "app/FormMain.h"
#include "app/OrvexaApplication.h"
#include "app/QuitSignals.h"
#include "app/QuitWatchdog.h"
#include "app/ScriptsFolder.h"
#include "app/StandardStreams.h"
#include "app/Startup.h"
#include "automation/ProgramContext.h"
#include "core/Quit.h"
#include "platform/Services.h"
#include "platform/desktop/DesktopServices.h"

#include <QPointer>

namespace {
// Script code that will not end gets this long after the user quit; a
// clean shutdown, the script's threads' grace included, takes about one.
constexpr double kQuitWatchdogSeconds = 3.0;
}  // namespace

int main(int argc, char** argv) {
    using namespace orvexa;
    EnsureStandardStreamsOpen();

    // 1. The program's context: the desktop's services, the bind globals
    //    and the player, until the program ends.
    //    Without a display the input and screen stay unset; the program
    //    starts, and connects them when a script first needs them.
    platform::Services services = platform::CreateDesktopServices();
    ProgramContext context(std::move(services));
    ArmQuitWatchdog(kQuitWatchdogSeconds);

    // 2. The application object, titled "Orvexa".
    OrvexaApplication app(argc, argv);
    app.SetDialogs(context.Services().dialogs);
    context.SetApplication(&app);

    // 3. The working directory, whose scripts the main window lists: the
    //    directory the program was started in or, with --scripts-folder (as
    //    the desktop entry starts it), the user's scripts folder.
    if (ParseCommandLine(app.arguments()).scriptsFolder)
        EnterScriptsFolder(DefaultScriptsFolder(), FindInstalledExamples(QCoreApplication::applicationDirPath()));

    // 4. The windows: main window, script editor, Output window.
    Windows windows = CreateWindows(context);
    const QPointer<TFormMain> formMain = windows.FormMain.get();

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

    // 5. The message loop shows the main window.
    windows.FormMain->show();
    const int code = app.exec();
    destroyWatch.reset();
    windows = Windows();
    return code;
}

#include "app/RunTray.h"

#include "app/ErrorNotices.h"
#include "app/ScriptRun.h"
#include "app/TrayIcon.h"
#include "core/Quit.h"
#include "core/Strings.h"
#include "engine/FatalReport.h"

#include <QPointer>

namespace orvexa {

RunTray::RunTray(ScriptRun& run, const QString& script, std::shared_ptr<platform::Notifier> notifier, QObject* parent)
    : QObject(parent) {
    tray_ = new TrayIcon(TrayIcon::Kind::Run, this);
    notices_ = new ErrorNotices(std::move(notifier), script, this);
    tray_->SetState(script, false);
    QPointer<ScriptRun> target = &run;
    connect(tray_, &TrayIcon::RunStopChosen, this, [target] {
        if (target)
            target->SetArmed(!target->Armed());
    });
    // As Ctrl+C does: script code that still runs ends, then the run.
    connect(tray_, &TrayIcon::ExitChosen, this, [target] {
        quit::Request();
        if (target)
            target->Stop();
    });
    run.OnArmedChanged = [tray = QPointer<TrayIcon>(tray_), script](bool armed) {
        if (tray)
            tray->SetState(script, armed);
    };
    run.OnScriptError = [notices = QPointer<ErrorNotices>(notices_)](const QString& error) {
        if (notices)
            notices->Report(error);
    };
    run.SetKeepRunning(true);
    if (TrayIcon::Available())
        tray_->Show();
    else
        WriteToStandardError(strings::NoTrayNotice());
}

RunTray::~RunTray() = default;

}  // namespace orvexa

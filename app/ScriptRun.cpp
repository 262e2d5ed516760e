#include "app/ScriptRun.h"

#include "app/ArmedNames.h"
#include "app/BindArming.h"
#include "app/KeystrokeQueue.h"
#include "app/OrvexaApplication.h"
#include "app/ScriptInterpreter.h"
#include "app/SessionNotice.h"
#include "app/StopKey.h"
#include "app/TextBinds.h"
#include "automation/ProgramContext.h"
#include "automation/py.h"
#include "binds/BindParser.h"
#include "binds/Bindary.h"
#include "binds/keyhook.h"
#include "core/Exception.h"
#include "core/LineExecutor.h"
#include "core/Quit.h"
#include "core/ScriptText.h"
#include "core/Strings.h"
#include "engine/FatalReport.h"
#include "engine/PythonEngine.h"
#include "engine/PythonErrors.h"
#include "extension/Pyio.h"
#include "extension/PythonConsoleInputOutput.h"
#include "extension/PythonModule.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <utility>

namespace orvexa {
namespace {

// Executes through the engine, except once the program is closing: a tick
// or a keystroke still waiting in the event queue then starts no code.
// Errors of the script's code are told on their way to the bind table,
// which drops them (those of the program's closing are not the script's).
class UnlessClosing final : public LineExecutor {
public:
    using ErrorTold = std::function<void(const QString&)>;
    UnlessClosing(LineExecutor& engine, ErrorTold told) : engine_(engine), told_(std::move(told)) {}
    void ExecuteLines(const QStringList& lines) override {
        if (!quit::Requested())
            Telling([&] { engine_.ExecuteLines(lines); });
    }
    void ExecuteLinesAt(const QStringList& lines, const SourcePlace& place) override {
        if (!quit::Requested())
            Telling([&] { engine_.ExecuteLinesAt(lines, place); });
    }
    void ForgetCompiledCode() override { engine_.ForgetCompiledCode(); }
    bool MayStart() const override { return engine_.MayStart(); }
    void StopCode() override { engine_.StopCode(); }

private:
    template <typename Execute>
    void Telling(const Execute& execute) {
        try {
            execute();
        } catch (const EPythonError& error) {
            // The SystemExit the program gives code it stops or leaves when
            // it closes is no error of the script.
            const bool programsOwn = error.ExceptionValue == QLatin1String(quit::kStoppedMessage) ||
                                     error.ExceptionValue == QLatin1String(quit::kClosingMessage);
            if (!quit::Requested() && !programsOwn)
                told_(error.ExceptionName.isEmpty()
                          ? error.Message()
                          : error.ExceptionName + QStringLiteral(": ") + error.ExceptionValue);
            throw;
        }
    }

    LineExecutor& engine_;
    ErrorTold told_;
};

}  // namespace

QString ScriptRunProblem(const QString& fileName) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return QStringLiteral("%1: no such file.").arg(fileName);
    if (info.isDir())
        return QStringLiteral("%1 is a directory, not a script.").arg(fileName);
    if (!FileExists(fileName))
        return QStringLiteral("%1 is not a regular file.").arg(fileName);
    if (!fileName.endsWith(strings::ScriptPattern(), Qt::CaseInsensitive))
        return QStringLiteral("%1 is not a script: script files end in .orx.").arg(fileName);
    try {
        ReadScriptBytes(fileName);
    } catch (const Exception& e) {
        return e.Message() + u'.';
    }
    return QString();
}

ScriptRun::ScriptRun(ProgramContext& context)
    : context_(context), stopKey_(StopKeyName(context.Services().keyStore.get())) {
    keystrokes_ = new KeystrokeQueue(
        [this](const KeystrokeMessage& message) {
            if (armed_ && binds_ && !quit::Requested())
                DispatchKeystroke(*binds_, message);
        },
        [this] { return !executor_ || executor_->MayStart(); }, this);
    textBinds_ = new TextBinds(
        context_, [this] { return !executor_ || executor_->MayStart(); }, this);
    armedNames_ = new ArmedNames(
        [](const QString& text) { WriteToStandardError(QStringLiteral("orvexa: ") + text.trimmed()); }, this);
    module_ = new TPythonModule(this);
    module_->OnInitialization = [this](QObject* sender) {
        if (auto* module = qobject_cast<TPythonModule*>(sender))
            AddAutomationMethods(*module, context_);
    };
    engine_ = new TPythonEngine(this);
    SetUpEngine(*engine_, context_.Services());
    io_ = new TPythonConsoleInputOutput(this);
    engine_->SetIO(io_);
    // Output goes to the process's own streams; only input passes through
    // "pyio", where a closing program can interrupt it.
    engine_->OnRedirectOutput = [this](TPythonEngine& engine) { pyio_ = InstallPyio(engine, PyioStreams::InputOnly); };
    SetUpAutomationModule(*module_, *engine_);

    module_->Loaded();
    try {
        engine_->LayoutLoaded();
    } catch (...) {
        // The interpreter is up, but a step of its start failed (the error
        // has been printed): said, and the script runs as far as it can.
        OrvexaApplication::ShowCurrentException(nullptr);
    }
    if (const QString notice = SessionNotice(context_.Services().session); !notice.isEmpty())
        WriteToStandardError(notice.trimmed());
}

ScriptRun::~ScriptRun() {
    Stop();
    binds_.reset();
    pyio_.reset();
    delete std::exchange(io_, nullptr);
    delete std::exchange(engine_, nullptr);
    delete std::exchange(module_, nullptr);
}

int ScriptRun::Run(const QString& fileName) {
    fileName_ = fileName;
    executor_ = std::make_unique<UnlessClosing>(*engine_, [this](const QString& error) {
        if (OnScriptError)
            OnScriptError(error);
    });
    binds_ = std::make_unique<TBindary>(executor_.get());
    ParseBinds(*binds_, fileName);
    const bool wantsKeys = WantsKeys(*binds_);
    // The stop hot key ends the run from any window.
    if (wantsKeys || !stopKey_.isEmpty())
        InstallHook(this, context_.Services().keyCapture);
    if (wantsKeys) {
        if (!HookHandle)
            WriteToStandardError(
                QStringLiteral("orvexa: the KEY binds of %1 cannot fire: no key capture on this desktop.")
                    .arg(fileName));
    }

    armed_ = true;
    armedNames_->Set(strings::RunProcess(fileName), ArmedKeyNames(*binds_));
    if (OnArmedChanged)
        OnArmedChanged(true);
    textBinds_->Arm(*binds_, [](const QString& notice) { WriteToStandardError(notice.trimmed()); });
    const bool mainSucceeded =
        ArmBinds(binds_, context_, [](const QString& notice) { WriteToStandardError(notice.trimmed()); }, {stopKey_});
    // MAIN ended by the program's closing did not fail by itself.
    const bool interrupted = quit::Requested();
    if (!interrupted && (keepRunning_ || TimersTick(*binds_) || (wantsKeys && HookHandle)))
        QCoreApplication::exec();
    Stop();
    return mainSucceeded || interrupted ? kSucceeded : kMainFailed;
}

void ScriptRun::Stop() {
    armed_ = false;
    keystrokes_->Clear();
    textBinds_->Disarm();
    if (armedNames_)
        armedNames_->Set(QString(), {});
    if (binds_)
        DisarmBinds(*binds_);
    RemoveHook();
    QCoreApplication::exit(0);
}

void ScriptRun::SetArmed(bool armed) {
    // Nothing starts while stopped code is still ending, as in the window.
    if (armed == armed_ || !binds_ || (armed && (quit::Requested() || (executor_ && !executor_->MayStart()))))
        return;
    armed_ = armed;
    if (OnArmedChanged)
        OnArmedChanged(armed);
    if (armed) {
        armedNames_->Set(strings::RunProcess(fileName_), ArmedKeyNames(*binds_));
        textBinds_->Arm(*binds_, [](const QString& notice) { WriteToStandardError(notice.trimmed()); });
        ArmBinds(binds_, context_, [](const QString& notice) { WriteToStandardError(notice.trimmed()); }, {stopKey_});
    } else {
        // As the main window's Stop: the code that runs now ends, and what
        // was typed for the KEY binds is dropped.
        keystrokes_->Clear();
        textBinds_->Disarm();
        if (executor_)
            executor_->StopCode();
        DisarmBinds(*binds_);
        armedNames_->Set(QString(), {});
    }
}

bool ScriptRun::event(QEvent* event) {
    if (event->type() != KeystrokeEvent::EventType())
        return QObject::event(event);
    const KeystrokeMessage& message = static_cast<KeystrokeEvent*>(event)->Message();
    if (IsStopKey(message, stopKey_)) {
        // As Ctrl+C: the script gets SystemExit where it is, and the run ends.
        quit::Request();
        Stop();
    } else if (armed_ && binds_ && !quit::Requested()) {
        keystrokes_->Add(message);
    }
    return true;
}

}  // namespace orvexa

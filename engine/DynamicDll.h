#pragma once

#include "core/Exception.h"
#include "engine/FatalReport.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace orvexa {

// A symbol the loaded library does not export.
class EDLLImportError : public Exception {
public:
    EDLLImportError(QString message, QString symbolName, int errorCode);

    QString SymbolName;
    int ErrorCode = 0;
};

// Loads one shared library at run time, trying an ordered list of candidate
// names first. A library that cannot be loaded is fatal: the failure is
// told (standard error, and the fatal box) and the process ends with exit
// code 1, as FatalMsgDlg and FatalAbort say.
class TDynamicDll : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* sender)>;

    explicit TDynamicDll(QObject* owner = nullptr);
    ~TDynamicDll() override;

    // Settings.
    bool AutoLoad = true;
    bool AutoUnload = false;
    QString DllName;  // after a successful load: the name that loaded
    int APIVersion = 0;
    QString RegVersion;
    bool FatalAbort = true;
    bool FatalMsgDlg = true;
    TNotifyEvent OnBeforeLoad;
    TNotifyEvent OnAfterLoad;
    TNotifyEvent OnBeforeUnload;
    // Where the fatal box appears, and when (FatalReport.h). Without dialogs
    // a failure is told on standard error only.
    std::shared_ptr<platform::Dialogs> Dialogs;
    FatalBoxPolicy FatalBox = FatalBoxPolicy::WhenDisplayUsable;

    // Tried from the last entry to the first, before DllName.
    QStringList CandidateNames;

    // The owner calls this once its construction has configured the
    // component; loads the library when AutoLoad is set.
    virtual void LayoutLoaded();

    void Load();
    // Loads the library (candidates first, then name). Raises nothing of its
    // own: failures follow the fatal policy. Exceptions of the after-load
    // steps (the engine's initialisation) pass through.
    void LoadFrom(const QString& requested);
    bool IsLoaded() const { return handle_ != nullptr; }
    void* LibraryHandle() const { return handle_; }

    // The exported address of name; EDLLImportError when there is none.
    void* BindSymbol(const char* name);
    // The exported address of name, or null.
    virtual void* LookupSymbol(const char* name);

    void Unload();

    // Tells QuitMessage() and ends the process with exit code 1 at once,
    // without the program's normal shutdown.
    [[noreturn]] void QuitProgram();

    // The error number of the last failed open or lookup (errno; 0 when the
    // system gave none).
    int LastErrorCode() const { return lastError_; }

protected:
    // A library to try before the candidates and the name: the user's own
    // choice. Empty for none; one that cannot be loaded is told on standard
    // error, and the usual order follows.
    virtual QString FirstChoice() const { return QString(); }
    virtual void BeforeLoad();
    virtual void AfterLoad();
    virtual void BeforeUnload();
    virtual QString QuitMessage() const;

    // The fatal policy for a failure text: tell it, then quit when FatalAbort
    // is set.
    void Fail(const QString& text);

private:
    void* Open(const QString& name);

    void* handle_ = nullptr;
    int lastError_ = 0;
    QString lastSystemText_;
};

}  // namespace orvexa

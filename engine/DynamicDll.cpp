#include "engine/DynamicDll.h"

#include "core/Strings.h"
#include "engine/FatalReport.h"

#include <cerrno>
#include <cstdio>

#include <dlfcn.h>
#include <unistd.h>

namespace orvexa {

EDLLImportError::EDLLImportError(QString message, QString symbolName, int errorCode)
    : Exception(std::move(message)), SymbolName(std::move(symbolName)), ErrorCode(errorCode) {}

TDynamicDll::TDynamicDll(QObject* owner) : QObject(owner) {}

TDynamicDll::~TDynamicDll() {
    CandidateNames.clear();
    if (AutoUnload)
        Unload();
}

void TDynamicDll::LayoutLoaded() {
    if (AutoLoad)
        Load();
}

void TDynamicDll::Load() { LoadFrom(DllName); }

void* TDynamicDll::Open(const QString& name) {
    // An empty name would open the program itself.
    if (name.isEmpty()) {
        lastError_ = 0;
        lastSystemText_ = QStringLiteral("empty library name");
        return nullptr;
    }
    // RTLD_GLOBAL: the interpreter's own extension modules need its symbols.
    // RTLD_NODELETE: threads a script left behind may still run in the
    // library after it was closed; its code must stay mapped.
    errno = 0;
    dlerror();
    void* handle = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_GLOBAL | RTLD_NODELETE);
    if (!handle) {
        lastError_ = errno;
        const char* text = dlerror();
        lastSystemText_ = text ? QString::fromLocal8Bit(text) : QString();
    }
    return handle;
}

void TDynamicDll::LoadFrom(const QString& requested) {
    // A copy: the candidate walk below changes DllName, which the caller may
    // have passed.
    const QString name = requested;
    BeforeLoad();
    handle_ = nullptr;
    if (const QString first = FirstChoice(); !first.isEmpty()) {
        DllName = first;
        handle_ = Open(first);
        if (!handle_)
            WriteToStandardError(QStringLiteral("\"%1\" could not be loaded (%2); the usual libraries are tried.")
                                     .arg(first, lastSystemText_));
    }
    for (qsizetype i = CandidateNames.size() - 1; i >= 0 && !handle_; --i) {
        DllName = CandidateNames.at(i);
        handle_ = Open(DllName);
    }
    if (!handle_) {
        DllName = name;
        handle_ = Open(name);
    }
    if (handle_) {
        AfterLoad();
        return;
    }
    if (!lastSystemText_.isEmpty())
        WriteToStandardError(lastSystemText_);
    Fail(QStringLiteral("Error %1: Could not open Dll \"%2\"").arg(lastError_).arg(DllName));
}

void* TDynamicDll::LookupSymbol(const char* name) {
    if (!handle_)
        return nullptr;
    errno = 0;
    dlerror();
    void* address = dlsym(handle_, name);
    if (!address) {
        lastError_ = errno;
        const char* text = dlerror();
        lastSystemText_ = text ? QString::fromLocal8Bit(text) : QString();
    }
    return address;
}

void* TDynamicDll::BindSymbol(const char* name) {
    void* address = LookupSymbol(name);
    if (!address) {
        const QString symbol = QString::fromLatin1(name);
        throw EDLLImportError(QStringLiteral("Error %1: could not map symbol \"%2\"").arg(lastError_).arg(symbol),
                              symbol, lastError_);
    }
    return address;
}

void TDynamicDll::Unload() {
    if (!IsLoaded())
        return;
    BeforeUnload();
    dlclose(handle_);
    // Forget the handle, so that a second Unload cannot close it again.
    handle_ = nullptr;
}

void TDynamicDll::Fail(const QString& text) {
    ReportFatal(text, FatalMsgDlg, Dialogs.get(), FatalBox);
    if (FatalAbort)
        QuitProgram();
}

void TDynamicDll::QuitProgram() {
    ReportFatal(QuitMessage(), true, Dialogs.get(), FatalBox);
    std::fflush(nullptr);
    _exit(1);
}

void TDynamicDll::BeforeLoad() {
    if (OnBeforeLoad)
        OnBeforeLoad(this);
}

void TDynamicDll::AfterLoad() {
    if (OnAfterLoad)
        OnAfterLoad(this);
}

void TDynamicDll::BeforeUnload() {
    if (OnBeforeUnload)
        OnBeforeUnload(this);
}

QString TDynamicDll::QuitMessage() const { return strings::DllQuitMessage(DllName); }

}  // namespace orvexa

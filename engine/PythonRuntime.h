#pragma once

#include "engine/PyRef.h"
#include "engine/PythonInterface.h"

#include <QString>

#include <cstdint>

#include <functional>
#include <thread>

namespace orvexa {

// The embedded interpreter as the program's code reaches it: the loaded
// library with its bound C API (TPythonInterface), owned references, and the
// few operations every extension method needs. The engine (TPythonEngine)
// holds one and adds the lifecycle and execution; extension modules and the
// automation methods are handed this, never the engine.
//
// Locking: every call into the interpreter is made with its lock held
// (engine/PythonLock.h); methods called by the interpreter already hold it.
class PythonRuntime : public TPythonInterface {
    Q_OBJECT
public:
    explicit PythonRuntime(QObject* owner = nullptr);
    ~PythonRuntime() override;

    // The holder's steps around loading: `BeforeLoading` ahead of the
    // OnBeforeLoad notification, `AfterBinding` once the binding has run.
    std::function<void()> BeforeLoading;
    std::function<void()> AfterBinding;

    // Owned references (see PyRef).
    PyRef Steal(PyObject* newReference) const { return PyRef::Steal(*this, newReference); }
    PyRef Borrow(PyObject* borrowed) const { return PyRef::Borrow(*this, borrowed); }

    // None with one more reference: an extension method's "nothing".
    PyObject* NewNoneRef() const;
    // A loaded module of that name (borrowed), or null.
    PyObject* LookupModule(const char* name);
    // str(obj) as text; empty for null. Lone surrogates stay as escapes.
    QString PyObjectAsText(PyObject* obj);

    // The thread that started the interpreter; script code running there
    // is the one told that the program closes.
    void SetMainThread(std::thread::id thread) {
        mainThread_ = thread;
        closingRaised_ = false;
        stopRaised_ = 0;
    }
    // Whether the calling thread is the one that started the interpreter.
    bool OnMainThread() const { return std::this_thread::get_id() == mainThread_; }
    // Ends the calling script code because the program closes: sets
    // SystemExit and returns null, for an extension method to return.
    PyObject* RaiseClosing();
    // Ends the calling script code because it was stopped: the same, with
    // the text of a stop.
    PyObject* RaiseStopped();
    // What a method returns when its wait was cut short, or when it must
    // not act because the program closes. On the main thread the calling
    // code ends: RaiseClosing once the program closes, RaiseStopped
    // otherwise. Another thread gets None: the engine has told every script
    // thread to end, and its SystemExit comes at the thread's next
    // instruction (raising here as well could hit it a second time, in its
    // cleanup).
    PyObject* CutShort();
    // Whether the main thread's code has been told that the program closes.
    bool ClosingRaised() const { return closingRaised_; }
    // Whether the main thread's code has been told of the latest stop.
    bool StopRaised() const;

    // Shuts the interpreter down (Py_Finalize), Finalizing() true meanwhile;
    // the module definitions it used go with it.
    void StopInterpreter();

protected:
    // ORVEXA_LIBPYTHON, a library file name or path: an interpreter of the
    // user's choice, older than the system's one too.
    QString FirstChoice() const override;
    void BeforeLoad() override;
    void AfterLoad() override;

private:
    std::thread::id mainThread_;
    bool closingRaised_ = false;
    // The stop (quit::Stops()) the main thread's code was last told of.
    std::uint64_t stopRaised_ = 0;
};

}  // namespace orvexa

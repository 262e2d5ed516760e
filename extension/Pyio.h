#pragma once

#include <QByteArray>

#include <memory>

namespace orvexa {

class TPythonEngine;
class TPythonModule;

// Which of the interpreter's standard streams go to the IO component.
enum class PyioStreams {
    // sys.stdout, sys.stderr and sys.stdin: the Output window.
    All,
    // sys.stdin only: the process's own standard output and error stay
    // (each line written as soon as it ends), and input is read through the
    // IO component, which a closing program can interrupt.
    InputOnly,
};

// The output redirection step, for the engine's OnRedirectOutput: creates
// the module "pyio", attaches it to the engine and initialises it at once,
// and makes the streams asked for one DebugOutput object whose write and
// readline go to the engine's IO component. The caller owns the module;
// destroying it detaches it, which stops the interpreter, so it goes before
// the IO component and the engine.
std::unique_ptr<TPythonModule> InstallPyio(TPythonEngine& engine, PyioStreams streams = PyioStreams::All);

// The script that installs DebugOutput for the streams, each line ended by LF.
QByteArray PyioRedirectScript(PyioStreams streams = PyioStreams::All);

}  // namespace orvexa

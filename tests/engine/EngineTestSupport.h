#pragma once

#include "engine/PythonEngine.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace orvexa::test {

// The interpreter library the engine tests run against: ORVEXA_LIBPYTHON
// when set (a path, for the sweep over other builds), else the platform's
// library found through the candidate list as the main window finds it.
QString TestLibrary();

// An engine set up as the main window sets it up, for the test library,
// with FatalAbort off so that a missing library fails the test instead of
// ending the process. Not loaded yet.
std::unique_ptr<TPythonEngine> MakeEngine();

// MakeEngine, loaded (and so initialised).
std::unique_ptr<TPythonEngine> StartEngine();

// str() of an expression evaluated in "__main__".
QString Eval(TPythonEngine& engine, const QString& expression);

// Redirects the interpreter's sys.stderr into a buffer of "__main__"
// (_captured), and reads it back.
void CaptureStderr(TPythonEngine& engine);
QString CapturedStderr(TPythonEngine& engine);

// The module "enginetest", for code that must call back into the host:
//   enginetest.nested(code)     executes code through ExecuteLines; returns
//                               None, or the message of the raised error;
//   enginetest.wait_unlocked(path) runs the event loop with the interpreter
//                               lock given up until a file exists at path
//                               (at most 10 s);
//   enginetest.write(text)      appends text to WrittenText();
//   enginetest.finalize()       calls Finalize on the running engine;
//   enginetest.state()          appends "available=0|1 finalizing=0|1" to
//                               WrittenText().
void AddTestModule(TPythonEngine& engine);
QString& WrittenText();

}  // namespace orvexa::test

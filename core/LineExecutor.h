#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace orvexa {

// Where a line list was read from: the script file (its absolute name and
// its lines as read, comments and all) and the line of the file each line
// of the list stands on, counted from 1. Errors in the code are reported at
// these places; the lines themselves are what they are.
struct SourcePlace {
    QString fileName;
    std::shared_ptr<const QStringList> fileLines;
    QList<int> lineNumbers;

    // One file line for each of `count` lines, rising.
    bool Fits(qsizetype count) const { return !fileName.isEmpty() && lineNumbers.size() == count; }
};

// Executes a line list to its end on the calling thread. Raises (after the
// failure has been reported to the user's output) when the code fails. The
// interpreter engine is the real one; the bind table only needs this much.
class LineExecutor {
public:
    LineExecutor() = default;
    LineExecutor(const LineExecutor&) = delete;
    LineExecutor& operator=(const LineExecutor&) = delete;
    virtual ~LineExecutor() = default;

    virtual void ExecuteLines(const QStringList& lines) = 0;
    // The same, reporting errors at the lines' places in their file.
    virtual void ExecuteLinesAt(const QStringList& lines, const SourcePlace& place) {
        (void)place;
        ExecuteLines(lines);
    }
    // An executor may keep what it made of the line lists it executed at
    // their places (their compiled form) for the next execution of the same
    // lines; a new run of a script begins here, and the next execution of
    // each makes it anew.
    virtual void ForgetCompiledCode() {}

    // Whether code may start now. False while code runs that must not have
    // other code nested inside it: the executor keeps the program's windows
    // answering from inside that code, or that code was told to stop and
    // has not ended yet. What would start code then waits (a timer tick, a
    // keystroke) or is refused (Run).
    virtual bool MayStart() const { return true; }
    // Stop: the code started through this executor that runs now ends (it
    // gets SystemExit, wherever it is), and so do the threads it started.
    virtual void StopCode() {}
};

}  // namespace orvexa

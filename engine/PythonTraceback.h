#pragma once

#include <QString>

#include <vector>

namespace orvexa {

class PythonRuntime;

// One entry of the last error's traceback.
struct TTracebackItem {
    QString FileName;
    int LineNo = 0;
    QString Context;  // the function's name, or "<module>"
};

// Reads the traceback of the last printed error (sys.last_traceback): at
// most Limit entries, or sys.tracebacklimit when that is an int, the
// innermost ones, from the outer call to the inner.
class TPythonTraceback {
public:
    explicit TPythonTraceback(PythonRuntime& py) : py_(py) {}

    int Limit = 1000;

    void Refresh();
    void Clear() { items_.clear(); }
    int ItemCount() const { return static_cast<int>(items_.size()); }
    // Raises "TPythonTraceback: Index %d out of range" for a bad index.
    const TTracebackItem& Item(int index) const;

private:
    PythonRuntime& py_;
    std::vector<TTracebackItem> items_;
};

}  // namespace orvexa

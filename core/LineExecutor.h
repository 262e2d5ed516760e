#pragma once

#include <QStringList>

namespace orvexa {

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
};

}  // namespace orvexa

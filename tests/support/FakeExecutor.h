#pragma once

#include "core/Exception.h"
#include "core/LineExecutor.h"
#include "core/Quit.h"

#include <QStringList>

#include <functional>
#include <vector>

namespace orvexa::test {

// Records every executed line list. A list whose first line is "fail" raises
// as failing code would; onExecute runs inside the execution, so a test can
// nest events there the way a sleeping script does. MayStart answers
// mayStart; StopCode is counted.
class FakeExecutor final : public LineExecutor {
public:
    void ExecuteLines(const QStringList& lines) override {
        executed.push_back(lines);
        ++depth;
        if (depth > maxDepth)
            maxDepth = depth;
        struct Leave {
            int& d;
            ~Leave() { --d; }
        } leave{depth};
        if (onExecute)
            onExecute(lines);
        if (!lines.isEmpty() && lines.first() == QStringLiteral("fail"))
            throw Exception(QStringLiteral("script failed"));
    }

    bool MayStart() const override { return mayStart; }
    // As the engine does: waits under way end.
    void StopCode() override {
        ++stops;
        quit::RequestStop();
    }

    std::vector<QStringList> executed;
    bool mayStart = true;
    int stops = 0;
    std::function<void(const QStringList&)> onExecute;
    int depth = 0;
    int maxDepth = 0;
};

}  // namespace orvexa::test

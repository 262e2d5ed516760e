#pragma once

#include "core/Exception.h"

#include <QString>

#include <functional>

namespace orvexa::test {

// The message of the orvexa::Exception an action raises, or
// "(nothing raised)".
inline QString MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Exception& e) {
        return e.Message();
    }
    return QStringLiteral("(nothing raised)");
}

}  // namespace orvexa::test

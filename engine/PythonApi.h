#pragma once

#include "engine/PythonApiTable.h"

#include <cstddef>
#include <span>
#include <type_traits>

namespace orvexa {

// One typed entry point per row of the table, named as the row's slot. All
// slots are null until the binding fills them.
struct PythonApi {
#define ORVEXA_PYTHON_SLOT(group, slot, symbol, use, ...) std::type_identity_t<__VA_ARGS__> slot = nullptr;
    ORVEXA_PYTHON_API(ORVEXA_PYTHON_SLOT)
#undef ORVEXA_PYTHON_SLOT
};

enum class ApiGroup { Data, Exception, Type, Function, Gated, Internal };
enum class ApiUse { Required, Optional };

// A row of the table as data, for the binding loop and for tests.
struct ApiRow {
    const char* slot;
    const char* symbol;  // nullptr: no 3.x equivalent
    ApiGroup group;
    ApiUse use;
    std::size_t offset;  // of the slot within PythonApi
};

// Every row, in binding order.
std::span<const ApiRow> ApiRows();

}  // namespace orvexa

#include "engine/PythonApi.h"

#include <cstddef>
#include <string_view>

namespace orvexa {
namespace {

static_assert(std::is_standard_layout_v<PythonApi>, "slots are addressed by offset");

// The library symbol's name as the table spells it; null for NoSymbol.
constexpr const char* SymbolName(const char* text) { return std::string_view(text) == "NoSymbol" ? nullptr : text; }

constexpr ApiRow kRows[] = {
#define ORVEXA_PYTHON_ROW(group, slot, symbol, use, ...) \
    {#slot, SymbolName(#symbol), ApiGroup::group, ApiUse::use, offsetof(PythonApi, slot)},
    ORVEXA_PYTHON_API(ORVEXA_PYTHON_ROW)
#undef ORVEXA_PYTHON_ROW
};

}  // namespace

std::span<const ApiRow> ApiRows() { return kRows; }

}  // namespace orvexa

#include "engine/PythonApi.h"

#include <cstddef>

namespace orvexa {
namespace {

static_assert(std::is_standard_layout_v<PythonApi>, "slots are addressed by offset");

constexpr ApiRow kRows[] = {
#define ORVEXA_PYTHON_ROW(group, slot, symbol, use, ...) \
    {#slot, symbol, ApiGroup::group, ApiUse::use, offsetof(PythonApi, slot)},
    ORVEXA_PYTHON_API(ORVEXA_PYTHON_ROW)
#undef ORVEXA_PYTHON_ROW
};

}  // namespace

std::span<const ApiRow> ApiRows() { return kRows; }

}  // namespace orvexa

#pragma once

#include <cstddef>

namespace orvexa {

// The calling convention shared by a callback's caller and the method
// behind it. On x86-64 and the other 64-bit ABIs there is one C convention;
// the value is kept for the callers that name it.
enum class TCallbackConvention { ccStdCall = 0, ccCDecl = 1 };

// A method bound to its object: Code is called with Data as its first
// argument, followed by the caller's arguments.
struct TMethod {
    void* Code = nullptr;
    void* Data = nullptr;
};

// The largest argument count a callback accepts.
inline constexpr int kMaxCallbackArguments = 30;

// Makes a plain function pointer that, when called with argCount
// pointer-sized arguments, calls code(object, those arguments) and returns
// its pointer-sized result. The callback lives until ReleaseAllCallbacks.
// Throws std::bad_alloc when no closure can be allocated, and
// std::invalid_argument for an argument count outside 0..30.
void* MakeObjectCallback(void* object, void* code, int argCount, TCallbackConvention convention);
void* MakeMethodCallback(const TMethod& method, int argCount, TCallbackConvention convention);

// Frees every callback made so far; runs once at program end.
void ReleaseAllCallbacks();

// How many callbacks exist now.
std::size_t CallbackCount();

}  // namespace orvexa

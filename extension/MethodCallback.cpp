// Per-binding closures from libffi: each hands the interpreter a plain
// function pointer and delivers its own object as the method's first
// argument. libffi allocates the executable memory, so this works wherever
// the platform enforces execution protection.
#include "extension/MethodCallback.h"

#include <ffi.h>

#include <memory>
#include <mutex>
#include <new>
#include <stdexcept>
#include <vector>

namespace orvexa {
namespace {

struct Callback {
    ffi_closure* closure = nullptr;
    void* entry = nullptr;
    void* object = nullptr;
    void* code = nullptr;
    int argCount = 0;
    ffi_cif callerCif{};  // what the caller passes: argCount pointers
    ffi_cif methodCif{};  // what the method takes: the object, then those
    std::vector<ffi_type*> callerTypes;
    std::vector<ffi_type*> methodTypes;

    Callback() = default;
    Callback(const Callback&) = delete;
    Callback& operator=(const Callback&) = delete;
    ~Callback() {
        if (closure)
            ffi_closure_free(closure);
    }
};

// The registry: every callback from its creation to program end.
struct Registry {
    std::mutex lock;
    std::vector<std::unique_ptr<Callback>> callbacks;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

void Trampoline(ffi_cif*, void* result, void** args, void* userData) {
    auto* callback = static_cast<Callback*>(userData);
    void* methodArgs[kMaxCallbackArguments + 1];
    methodArgs[0] = &callback->object;
    for (int i = 0; i < callback->argCount; ++i)
        methodArgs[i + 1] = args[i];
    ffi_call(&callback->methodCif, FFI_FN(callback->code), result, methodArgs);
}

}  // namespace

void* MakeObjectCallback(void* object, void* code, int argCount, TCallbackConvention) {
    if (argCount < 0 || argCount > kMaxCallbackArguments)
        throw std::invalid_argument("callback argument count out of range");
    auto callback = std::make_unique<Callback>();
    callback->object = object;
    callback->code = code;
    callback->argCount = argCount;
    callback->callerTypes.assign(static_cast<size_t>(argCount), &ffi_type_pointer);
    callback->methodTypes.assign(static_cast<size_t>(argCount) + 1, &ffi_type_pointer);
    if (ffi_prep_cif(&callback->callerCif, FFI_DEFAULT_ABI, static_cast<unsigned>(argCount), &ffi_type_pointer,
                     callback->callerTypes.data()) != FFI_OK ||
        ffi_prep_cif(&callback->methodCif, FFI_DEFAULT_ABI, static_cast<unsigned>(argCount) + 1, &ffi_type_pointer,
                     callback->methodTypes.data()) != FFI_OK)
        throw std::bad_alloc();
    callback->closure = static_cast<ffi_closure*>(ffi_closure_alloc(sizeof(ffi_closure), &callback->entry));
    if (!callback->closure)
        throw std::bad_alloc();
    if (ffi_prep_closure_loc(callback->closure, &callback->callerCif, &Trampoline, callback.get(), callback->entry) !=
        FFI_OK)
        throw std::bad_alloc();
    void* entry = callback->entry;
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    registry.callbacks.push_back(std::move(callback));
    return entry;
}

void* MakeMethodCallback(const TMethod& method, int argCount, TCallbackConvention convention) {
    return MakeObjectCallback(method.Data, method.Code, argCount, convention);
}

void ReleaseAllCallbacks() {
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    registry.callbacks.clear();
}

std::size_t CallbackCount() {
    Registry& registry = TheRegistry();
    const std::lock_guard guard(registry.lock);
    return registry.callbacks.size();
}

}  // namespace orvexa

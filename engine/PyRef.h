#pragma once

#include "engine/PythonTypes.h"

#include <utility>

namespace orvexa {

class TPythonInterface;

// One owned reference to an interpreter object: given back when the holder
// goes, moved but never copied. Every place that keeps an object holds one
// of these; counts are changed nowhere else.
//
// The interpreter's lock must be held wherever a non-empty holder is made,
// reset or destroyed (see engine/PythonLock.h).
class PyRef {
public:
    PyRef() = default;
    // Takes over a new reference (what most C API calls return); null stays
    // empty.
    static PyRef Steal(const TPythonInterface& api, PyObject* obj) { return PyRef(api, obj); }
    // Takes a reference of its own to a borrowed object.
    static PyRef Borrow(const TPythonInterface& api, PyObject* obj);

    PyRef(PyRef&& other) noexcept : api_(other.api_), obj_(std::exchange(other.obj_, nullptr)) {}
    PyRef& operator=(PyRef&& other) noexcept {
        if (this != &other) {
            reset();
            api_ = other.api_;
            obj_ = std::exchange(other.obj_, nullptr);
        }
        return *this;
    }
    PyRef(const PyRef&) = delete;
    PyRef& operator=(const PyRef&) = delete;
    ~PyRef() { reset(); }

    PyObject* get() const { return obj_; }
    explicit operator bool() const { return obj_ != nullptr; }
    // Hands the reference over to the caller (to return it to the
    // interpreter, or to a call that steals it); the holder is empty after.
    [[nodiscard]] PyObject* release() { return std::exchange(obj_, nullptr); }
    // A new reference to the same object, for a call that steals one while
    // this holder keeps its own.
    [[nodiscard]] PyObject* NewReference() const;
    // Gives the reference back now.
    void reset();

private:
    PyRef(const TPythonInterface& api, PyObject* obj) : api_(&api), obj_(obj) {}

    const TPythonInterface* api_ = nullptr;
    PyObject* obj_ = nullptr;
};

}  // namespace orvexa

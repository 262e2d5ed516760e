#pragma once

// The few interpreter structures the program touches, declared here because
// no interpreter header is used at build time. Only the parts that are the
// same in every supported release (3.8 to 3.13, default builds) are spelled
// out; everything else is reached through the bound functions.

#include <cstddef>
#include <cstdint>

using Py_ssize_t = std::ptrdiff_t;
using Py_hash_t = Py_ssize_t;

struct PyTypeObject;
struct PyThreadState;
struct PyInterpreterState;

// The common object header. From 3.12 on the count is a union whose low half
// marks immortal objects; counts are therefore only ever changed through the
// library's own Py_IncRef and Py_DecRef.
struct PyObject {
    Py_ssize_t ob_refcnt;
    PyTypeObject* ob_type;
};

struct PyVarObject {
    PyObject ob_base;
    Py_ssize_t ob_size;
};

// The head of a type object; the rest of it differs between releases and is
// never read.
struct PyTypeObject {
    PyVarObject ob_base;
    const char* tp_name;
};

struct Py_complex {
    double real;
    double imag;
};

using PyCFunction = PyObject* (*)(PyObject* self, PyObject* args);
using PyCapsule_Destructor = void (*)(PyObject* capsule);

// Method flag: the arguments arrive as one tuple.
inline constexpr int METH_VARARGS = 0x0001;

// One entry of a method table; a table ends with an all-zero entry.
struct PyMethodDef {
    const char* ml_name;
    PyCFunction ml_meth;
    int ml_flags;
    const char* ml_doc;
};

struct PyModuleDef_Base {
    PyObject ob_base;
    PyObject* (*m_init)();
    Py_ssize_t m_index;
    PyObject* m_copy;
};

struct PyModuleDef {
    PyModuleDef_Base m_base;
    const char* m_name;
    const char* m_doc;
    Py_ssize_t m_size;
    PyMethodDef* m_methods;
    void* m_slots;
    void* m_traverse;
    void* m_clear;
    void* m_free;
};

// A static definition's header count. Its low 32 bits all set mark the
// object immortal from 3.12 on; older releases reset it to 1 themselves.
inline constexpr Py_ssize_t kStaticObjectRefCount = 0xFFFFFFFF;

// Start symbols of the interpreter's parser.
inline constexpr int Py_single_input = 256;
inline constexpr int Py_file_input = 257;
inline constexpr int Py_eval_input = 258;

// The interpreter's lock states as PyGILState_Ensure returns them.
enum PyGILState_STATE { PyGILState_LOCKED, PyGILState_UNLOCKED };

// The slot type of a 1.5 name that has no counterpart in the 3.x library:
// such a slot stays null, and nothing can call it.
struct PyNoEquivalent;
using NoEquivalentSlot = const PyNoEquivalent*;

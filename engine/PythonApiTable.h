#pragma once

// The bound interpreter symbols, as one table in binding order:
//   X(group, slot, symbol, use, slot type)
// slot   - the name callers use (the 1.5 name where the list has one);
// symbol - the library symbol looked up for it in a 3.x library, or NoSymbol
//          where the 3.x library has nothing equivalent (the slot stays null);
// use    - Required (a missing symbol fails the binding) or Optional (the
//          slot stays null; every supported release from 3.8 to 3.13 that
//          lacks the symbol makes it Optional, and nothing needs it then);
// type   - the slot's type: the 3.x function's signature, the address of a
//          data symbol (objects and types: the object itself; exceptions:
//          the variable that holds the exception object).
// The groups Data, Exception, Type, Function and Gated hold the 271 names of
// the interpreter interface, in their order; Internal holds the further 3.x
// functions the engine itself needs.

#include "engine/PythonTypes.h"

#include <cstddef>
#include <cwchar>

#define ORVEXA_PYTHON_API(X)                                                               \
    /* Data symbols. */                                                                    \
    X(Data, Py_DebugFlag, Py_DebugFlag, Required, int*)                                    \
    X(Data, Py_VerboseFlag, Py_VerboseFlag, Required, int*)                                \
    X(Data, _Py_NoneStruct, _Py_NoneStruct, Required, PyObject*)                           \
    X(Data, _Py_EllipsisObject, _Py_EllipsisObject, Required, PyObject*)                   \
    X(Data, _Py_ZeroStruct, _Py_FalseStruct, Required, PyObject*)                          \
    X(Data, _Py_TrueStruct, _Py_TrueStruct, Required, PyObject*)                           \
    X(Data, PyImport_FrozenModules, PyImport_FrozenModules, Required, void**)              \
    /* Exception objects: the variable that holds each. */                                 \
    X(Exception, PyExc_AttributeError, PyExc_AttributeError, Required, PyObject**)         \
    X(Exception, PyExc_EOFError, PyExc_EOFError, Required, PyObject**)                     \
    X(Exception, PyExc_IOError, PyExc_IOError, Required, PyObject**)                       \
    X(Exception, PyExc_ImportError, PyExc_ImportError, Required, PyObject**)               \
    X(Exception, PyExc_IndexError, PyExc_IndexError, Required, PyObject**)                 \
    X(Exception, PyExc_KeyError, PyExc_KeyError, Required, PyObject**)                     \
    X(Exception, PyExc_KeyboardInterrupt, PyExc_KeyboardInterrupt, Required, PyObject**)   \
    X(Exception, PyExc_MemoryError, PyExc_MemoryError, Required, PyObject**)               \
    X(Exception, PyExc_NameError, PyExc_NameError, Required, PyObject**)                   \
    X(Exception, PyExc_OverflowError, PyExc_OverflowError, Required, PyObject**)           \
    X(Exception, PyExc_RuntimeError, PyExc_RuntimeError, Required, PyObject**)             \
    X(Exception, PyExc_SyntaxError, PyExc_SyntaxError, Required, PyObject**)               \
    X(Exception, PyExc_SystemError, PyExc_SystemError, Required, PyObject**)               \
    X(Exception, PyExc_SystemExit, PyExc_SystemExit, Required, PyObject**)                 \
    X(Exception, PyExc_TypeError, PyExc_TypeError, Required, PyObject**)                   \
    X(Exception, PyExc_ValueError, PyExc_ValueError, Required, PyObject**)                 \
    X(Exception, PyExc_ZeroDivisionError, PyExc_ZeroDivisionError, Required, PyObject**)   \
    X(Exception, PyExc_ArithmeticError, PyExc_ArithmeticError, Required, PyObject**)       \
    X(Exception, PyExc_Exception, PyExc_Exception, Required, PyObject**)                   \
    X(Exception, PyExc_FloatingPointError, PyExc_FloatingPointError, Required, PyObject**) \
    X(Exception, PyExc_LookupError, PyExc_LookupError, Required, PyObject**)               \
    X(Exception, PyExc_StandardError, NoSymbol, Optional, PyObject**)                      \
    /* Type objects. Classes are types in 3.x; str and int stand for the */                \
    /* 1.5 string and integer types. */                                                    \
    X(Type, PyType_Type, PyType_Type, Required, PyTypeObject*)                             \
    X(Type, PyCFunction_Type, PyCFunction_Type, Required, PyTypeObject*)                   \
    X(Type, PyCObject_Type, PyCapsule_Type, Required, PyTypeObject*)                       \
    X(Type, PyClass_Type, PyType_Type, Required, PyTypeObject*)                            \
    X(Type, PyCode_Type, PyCode_Type, Required, PyTypeObject*)                             \
    X(Type, PyComplex_Type, PyComplex_Type, Required, PyTypeObject*)                       \
    X(Type, PyDict_Type, PyDict_Type, Required, PyTypeObject*)                             \
    X(Type, PyFile_Type, NoSymbol, Optional, PyTypeObject*)                                \
    X(Type, PyFloat_Type, PyFloat_Type, Required, PyTypeObject*)                           \
    X(Type, PyFrame_Type, PyFrame_Type, Required, PyTypeObject*)                           \
    X(Type, PyFunction_Type, PyFunction_Type, Required, PyTypeObject*)                     \
    X(Type, PyInstance_Type, NoSymbol, Optional, PyTypeObject*)                            \
    X(Type, PyInt_Type, PyLong_Type, Required, PyTypeObject*)                              \
    X(Type, PyList_Type, PyList_Type, Required, PyTypeObject*)                             \
    X(Type, PyLong_Type, PyLong_Type, Required, PyTypeObject*)                             \
    X(Type, PyMethod_Type, PyMethod_Type, Required, PyTypeObject*)                         \
    X(Type, PyModule_Type, PyModule_Type, Required, PyTypeObject*)                         \
    X(Type, PyObject_Type, PyBaseObject_Type, Required, PyTypeObject*)                     \
    X(Type, PyRange_Type, PyRange_Type, Required, PyTypeObject*)                           \
    X(Type, PySlice_Type, PySlice_Type, Required, PyTypeObject*)                           \
    X(Type, PyString_Type, PyUnicode_Type, Required, PyTypeObject*)                        \
    X(Type, PyTuple_Type, PyTuple_Type, Required, PyTypeObject*)                           \
    ORVEXA_PYTHON_API_FUNCTIONS(X)                                                         \
    ORVEXA_PYTHON_API_GATED(X)                                                             \
    ORVEXA_PYTHON_API_INTERNAL(X)

#define ORVEXA_PYTHON_API_FUNCTIONS(X)                                                                                \
    X(Function, PyComplex_FromCComplex, PyComplex_FromCComplex, Required, PyObject* (*)(Py_complex))                  \
    X(Function, PyComplex_FromDoubles, PyComplex_FromDoubles, Required, PyObject* (*)(double, double))                \
    X(Function, PyComplex_RealAsDouble, PyComplex_RealAsDouble, Required, double (*)(PyObject*))                      \
    X(Function, PyComplex_ImagAsDouble, PyComplex_ImagAsDouble, Required, double (*)(PyObject*))                      \
    X(Function, PyComplex_AsCComplex, PyComplex_AsCComplex, Required, Py_complex (*)(PyObject*))                      \
    X(Function, PyCFunction_GetFunction, PyCFunction_GetFunction, Required, PyCFunction (*)(PyObject*))               \
    X(Function, PyCFunction_GetSelf, PyCFunction_GetSelf, Required, PyObject* (*)(PyObject*))                         \
    X(Function, PyCallable_Check, PyCallable_Check, Required, int (*)(PyObject*))                                     \
    X(Function, PyCObject_FromVoidPtr, PyCapsule_New, Required,                                                       \
      PyObject* (*)(void*, const char*, PyCapsule_Destructor))                                                        \
    X(Function, PyCObject_AsVoidPtr, PyCapsule_GetPointer, Required, void* (*)(PyObject*, const char*))               \
    X(Function, PyClass_New, NoSymbol, Optional, NoEquivalentSlot)                                                    \
    X(Function, PyClass_IsSubclass, PyObject_IsSubclass, Required, int (*)(PyObject*, PyObject*))                     \
    X(Function, PyDict_GetItem, PyDict_GetItem, Required, PyObject* (*)(PyObject*, PyObject*))                        \
    X(Function, PyDict_SetItem, PyDict_SetItem, Required, int (*)(PyObject*, PyObject*, PyObject*))                   \
    X(Function, PyDict_DelItem, PyDict_DelItem, Required, int (*)(PyObject*, PyObject*))                              \
    X(Function, PyDict_Clear, PyDict_Clear, Required, void (*)(PyObject*))                                            \
    X(Function, PyDict_Next, PyDict_Next, Required, int (*)(PyObject*, Py_ssize_t*, PyObject**, PyObject**))          \
    X(Function, PyDict_Keys, PyDict_Keys, Required, PyObject* (*)(PyObject*))                                         \
    X(Function, PyDict_Values, PyDict_Values, Required, PyObject* (*)(PyObject*))                                     \
    X(Function, PyDict_Items, PyDict_Items, Required, PyObject* (*)(PyObject*))                                       \
    X(Function, PyDict_Size, PyDict_Size, Required, Py_ssize_t (*)(PyObject*))                                        \
    X(Function, PyDict_DelItemString, PyDict_DelItemString, Required, int (*)(PyObject*, const char*))                \
    X(Function, Py_InitModule4, PyModule_Create2, Required, PyObject* (*)(PyModuleDef*, int))                         \
    X(Function, PyErr_Print, PyErr_Print, Required, void (*)())                                                       \
    X(Function, PyErr_SetNone, PyErr_SetNone, Required, void (*)(PyObject*))                                          \
    X(Function, PyErr_SetObject, PyErr_SetObject, Required, void (*)(PyObject*, PyObject*))                           \
    X(Function, PyErr_Restore, PyErr_Restore, Required, void (*)(PyObject*, PyObject*, PyObject*))                    \
    X(Function, PyErr_BadArgument, PyErr_BadArgument, Required, int (*)())                                            \
    X(Function, PyErr_NoMemory, PyErr_NoMemory, Required, PyObject* (*)())                                            \
    X(Function, PyErr_SetFromErrno, PyErr_SetFromErrno, Required, PyObject* (*)(PyObject*))                           \
    X(Function, PyErr_BadInternalCall, PyErr_BadInternalCall, Required, void (*)())                                   \
    X(Function, PyErr_CheckSignals, PyErr_CheckSignals, Required, int (*)())                                          \
    X(Function, PyErr_Occurred, PyErr_Occurred, Required, PyObject* (*)())                                            \
    X(Function, PyErr_Clear, PyErr_Clear, Required, void (*)())                                                       \
    X(Function, PyErr_Fetch, PyErr_Fetch, Required, void (*)(PyObject**, PyObject**, PyObject**))                     \
    X(Function, PyErr_SetString, PyErr_SetString, Required, void (*)(PyObject*, const char*))                         \
    X(Function, PyEval_GetBuiltins, PyEval_GetBuiltins, Required, PyObject* (*)())                                    \
    X(Function, PyImport_GetModuleDict, PyImport_GetModuleDict, Required, PyObject* (*)())                            \
    X(Function, PyInt_FromLong, PyLong_FromLong, Required, PyObject* (*)(long))                                       \
    X(Function, PyArg_ParseTuple, PyArg_ParseTuple, Required, int (*)(PyObject*, const char*, ...))                   \
    X(Function, PyArg_Parse, PyArg_Parse, Required, int (*)(PyObject*, const char*, ...))                             \
    X(Function, Py_BuildValue, Py_BuildValue, Required, PyObject* (*)(const char*, ...))                              \
    X(Function, Py_Initialize, Py_Initialize, Required, void (*)())                                                   \
    X(Function, PyDict_New, PyDict_New, Required, PyObject* (*)())                                                    \
    X(Function, PyDict_SetItemString, PyDict_SetItemString, Required, int (*)(PyObject*, const char*, PyObject*))     \
    X(Function, PyModule_GetDict, PyModule_GetDict, Required, PyObject* (*)(PyObject*))                               \
    X(Function, PyObject_Str, PyObject_Str, Required, PyObject* (*)(PyObject*))                                       \
    X(Function, PyRun_String, PyRun_String, Required, PyObject* (*)(const char*, int, PyObject*, PyObject*))          \
    X(Function, PyRun_SimpleString, PyRun_SimpleString, Required, int (*)(const char*))                               \
    X(Function, PyDict_GetItemString, PyDict_GetItemString, Required, PyObject* (*)(PyObject*, const char*))          \
    X(Function, PyString_AsString, PyUnicode_AsUTF8, Required, const char* (*)(PyObject*))                            \
    X(Function, PyString_FromString, PyUnicode_FromString, Required, PyObject* (*)(const char*))                      \
    X(Function, PySys_SetArgv, PySys_SetArgv, Required, void (*)(int, wchar_t**))                                     \
    X(Function, Py_Exit, Py_Exit, Required, void (*)(int))                                                            \
    X(Function, PyCFunction_New, PyCFunction_NewEx, Required, PyObject* (*)(PyMethodDef*, PyObject*, PyObject*))      \
    X(Function, PyEval_CallObject, PyObject_CallObject, Required, PyObject* (*)(PyObject*, PyObject*))                \
    X(Function, PyEval_CallObjectWithKeywords, PyObject_Call, Required,                                               \
      PyObject* (*)(PyObject*, PyObject*, PyObject*))                                                                 \
    X(Function, PyEval_GetFrame, PyEval_GetFrame, Required, PyObject* (*)())                                          \
    X(Function, PyEval_GetGlobals, PyEval_GetGlobals, Required, PyObject* (*)())                                      \
    X(Function, PyEval_GetLocals, PyEval_GetLocals, Required, PyObject* (*)())                                        \
    X(Function, PyEval_GetRestricted, NoSymbol, Optional, NoEquivalentSlot)                                           \
    X(Function, PyEval_InitThreads, PyEval_InitThreads, Required, void (*)())                                         \
    X(Function, PyEval_RestoreThread, PyEval_RestoreThread, Required, void (*)(PyThreadState*))                       \
    X(Function, PyEval_SaveThread, PyEval_SaveThread, Required, PyThreadState* (*)())                                 \
    X(Function, PyFile_FromString, NoSymbol, Optional, NoEquivalentSlot)                                              \
    X(Function, PyFile_GetLine, PyFile_GetLine, Required, PyObject* (*)(PyObject*, int))                              \
    X(Function, PyFile_Name, NoSymbol, Optional, NoEquivalentSlot)                                                    \
    X(Function, PyFile_SetBufSize, NoSymbol, Optional, NoEquivalentSlot)                                              \
    X(Function, PyFile_SoftSpace, NoSymbol, Optional, NoEquivalentSlot)                                               \
    X(Function, PyFile_WriteObject, PyFile_WriteObject, Required, int (*)(PyObject*, PyObject*, int))                 \
    X(Function, PyFile_WriteString, PyFile_WriteString, Required, int (*)(const char*, PyObject*))                    \
    X(Function, PyFloat_AsDouble, PyFloat_AsDouble, Required, double (*)(PyObject*))                                  \
    X(Function, PyFloat_FromDouble, PyFloat_FromDouble, Required, PyObject* (*)(double))                              \
    X(Function, PyFunction_GetCode, PyFunction_GetCode, Required, PyObject* (*)(PyObject*))                           \
    X(Function, PyFunction_GetGlobals, PyFunction_GetGlobals, Required, PyObject* (*)(PyObject*))                     \
    X(Function, PyFunction_New, PyFunction_New, Required, PyObject* (*)(PyObject*, PyObject*))                        \
    X(Function, PyImport_AddModule, PyImport_AddModule, Required, PyObject* (*)(const char*))                         \
    X(Function, PyImport_Cleanup, PyImport_Cleanup, Optional, void (*)())                                             \
    X(Function, PyImport_GetMagicNumber, PyImport_GetMagicNumber, Required, long (*)())                               \
    X(Function, PyImport_ImportFrozenModule, PyImport_ImportFrozenModule, Required, int (*)(const char*))             \
    X(Function, PyImport_ImportModule, PyImport_ImportModule, Required, PyObject* (*)(const char*))                   \
    X(Function, PyImport_ReloadModule, PyImport_ReloadModule, Required, PyObject* (*)(PyObject*))                     \
    X(Function, PyInstance_New, NoSymbol, Optional, NoEquivalentSlot)                                                 \
    X(Function, PyInt_AsLong, PyLong_AsLong, Required, long (*)(PyObject*))                                           \
    X(Function, PyList_Append, PyList_Append, Required, int (*)(PyObject*, PyObject*))                                \
    X(Function, PyList_AsTuple, PyList_AsTuple, Required, PyObject* (*)(PyObject*))                                   \
    X(Function, PyList_GetItem, PyList_GetItem, Required, PyObject* (*)(PyObject*, Py_ssize_t))                       \
    X(Function, PyList_GetSlice, PyList_GetSlice, Required, PyObject* (*)(PyObject*, Py_ssize_t, Py_ssize_t))         \
    X(Function, PyList_Insert, PyList_Insert, Required, int (*)(PyObject*, Py_ssize_t, PyObject*))                    \
    X(Function, PyList_New, PyList_New, Required, PyObject* (*)(Py_ssize_t))                                          \
    X(Function, PyList_Reverse, PyList_Reverse, Required, int (*)(PyObject*))                                         \
    X(Function, PyList_SetItem, PyList_SetItem, Required, int (*)(PyObject*, Py_ssize_t, PyObject*))                  \
    X(Function, PyList_SetSlice, PyList_SetSlice, Required, int (*)(PyObject*, Py_ssize_t, Py_ssize_t, PyObject*))    \
    X(Function, PyList_Size, PyList_Size, Required, Py_ssize_t (*)(PyObject*))                                        \
    X(Function, PyList_Sort, PyList_Sort, Required, int (*)(PyObject*))                                               \
    X(Function, PyLong_AsDouble, PyLong_AsDouble, Required, double (*)(PyObject*))                                    \
    X(Function, PyLong_AsLong, PyLong_AsLong, Required, long (*)(PyObject*))                                          \
    X(Function, PyLong_FromDouble, PyLong_FromDouble, Required, PyObject* (*)(double))                                \
    X(Function, PyLong_FromLong, PyLong_FromLong, Required, PyObject* (*)(long))                                      \
    X(Function, PyLong_FromString, PyLong_FromString, Required, PyObject* (*)(const char*, char**, int))              \
    X(Function, PyMapping_Check, PyMapping_Check, Required, int (*)(PyObject*))                                       \
    X(Function, PyMapping_GetItemString, PyMapping_GetItemString, Required, PyObject* (*)(PyObject*, const char*))    \
    X(Function, PyMapping_HasKey, PyMapping_HasKey, Required, int (*)(PyObject*, PyObject*))                          \
    X(Function, PyMapping_HasKeyString, PyMapping_HasKeyString, Required, int (*)(PyObject*, const char*))            \
    X(Function, PyMapping_Length, PyMapping_Length, Required, Py_ssize_t (*)(PyObject*))                              \
    X(Function, PyMapping_SetItemString, PyMapping_SetItemString, Required,                                           \
      int (*)(PyObject*, const char*, PyObject*))                                                                     \
    X(Function, PyMethod_Class, NoSymbol, Optional, NoEquivalentSlot)                                                 \
    X(Function, PyMethod_Function, PyMethod_Function, Required, PyObject* (*)(PyObject*))                             \
    X(Function, PyMethod_New, PyMethod_New, Required, PyObject* (*)(PyObject*, PyObject*))                            \
    X(Function, PyMethod_Self, PyMethod_Self, Required, PyObject* (*)(PyObject*))                                     \
    X(Function, PyModule_GetName, PyModule_GetName, Required, const char* (*)(PyObject*))                             \
    X(Function, PyModule_New, PyModule_New, Required, PyObject* (*)(const char*))                                     \
    X(Function, PyNumber_Absolute, PyNumber_Absolute, Required, PyObject* (*)(PyObject*))                             \
    X(Function, PyNumber_Add, PyNumber_Add, Required, PyObject* (*)(PyObject*, PyObject*))                            \
    X(Function, PyNumber_And, PyNumber_And, Required, PyObject* (*)(PyObject*, PyObject*))                            \
    X(Function, PyNumber_Check, PyNumber_Check, Required, int (*)(PyObject*))                                         \
    X(Function, PyNumber_Coerce, NoSymbol, Optional, NoEquivalentSlot)                                                \
    X(Function, PyNumber_Divide, PyNumber_TrueDivide, Required, PyObject* (*)(PyObject*, PyObject*))                  \
    X(Function, PyNumber_Divmod, PyNumber_Divmod, Required, PyObject* (*)(PyObject*, PyObject*))                      \
    X(Function, PyNumber_Float, PyNumber_Float, Required, PyObject* (*)(PyObject*))                                   \
    X(Function, PyNumber_Int, PyNumber_Long, Required, PyObject* (*)(PyObject*))                                      \
    X(Function, PyNumber_Invert, PyNumber_Invert, Required, PyObject* (*)(PyObject*))                                 \
    X(Function, PyNumber_Long, PyNumber_Long, Required, PyObject* (*)(PyObject*))                                     \
    X(Function, PyNumber_Lshift, PyNumber_Lshift, Required, PyObject* (*)(PyObject*, PyObject*))                      \
    X(Function, PyNumber_Multiply, PyNumber_Multiply, Required, PyObject* (*)(PyObject*, PyObject*))                  \
    X(Function, PyNumber_Negative, PyNumber_Negative, Required, PyObject* (*)(PyObject*))                             \
    X(Function, PyNumber_Or, PyNumber_Or, Required, PyObject* (*)(PyObject*, PyObject*))                              \
    X(Function, PyNumber_Positive, PyNumber_Positive, Required, PyObject* (*)(PyObject*))                             \
    X(Function, PyNumber_Power, PyNumber_Power, Required, PyObject* (*)(PyObject*, PyObject*, PyObject*))             \
    X(Function, PyNumber_Remainder, PyNumber_Remainder, Required, PyObject* (*)(PyObject*, PyObject*))                \
    X(Function, PyNumber_Rshift, PyNumber_Rshift, Required, PyObject* (*)(PyObject*, PyObject*))                      \
    X(Function, PyNumber_Subtract, PyNumber_Subtract, Required, PyObject* (*)(PyObject*, PyObject*))                  \
    X(Function, PyNumber_Xor, PyNumber_Xor, Required, PyObject* (*)(PyObject*, PyObject*))                            \
    X(Function, PyOS_InitInterrupts, PyOS_InitInterrupts, Optional, void (*)())                                       \
    X(Function, PyOS_InterruptOccurred, PyOS_InterruptOccurred, Required, int (*)())                                  \
    X(Function, PyObject_CallObject, PyObject_CallObject, Required, PyObject* (*)(PyObject*, PyObject*))              \
    X(Function, PyObject_Compare, NoSymbol, Optional, NoEquivalentSlot)                                               \
    X(Function, PyObject_GetAttr, PyObject_GetAttr, Required, PyObject* (*)(PyObject*, PyObject*))                    \
    X(Function, PyObject_GetAttrString, PyObject_GetAttrString, Required, PyObject* (*)(PyObject*, const char*))      \
    X(Function, PyObject_GetItem, PyObject_GetItem, Required, PyObject* (*)(PyObject*, PyObject*))                    \
    X(Function, PyObject_HasAttrString, PyObject_HasAttrString, Required, int (*)(PyObject*, const char*))            \
    X(Function, PyObject_Hash, PyObject_Hash, Required, Py_hash_t (*)(PyObject*))                                     \
    X(Function, PyObject_IsTrue, PyObject_IsTrue, Required, int (*)(PyObject*))                                       \
    X(Function, PyObject_Length, PyObject_Length, Required, Py_ssize_t (*)(PyObject*))                                \
    X(Function, PyObject_Repr, PyObject_Repr, Required, PyObject* (*)(PyObject*))                                     \
    X(Function, PyObject_SetAttr, PyObject_SetAttr, Required, int (*)(PyObject*, PyObject*, PyObject*))               \
    X(Function, PyObject_SetAttrString, PyObject_SetAttrString, Required, int (*)(PyObject*, const char*, PyObject*)) \
    X(Function, PyObject_SetItem, PyObject_SetItem, Required, int (*)(PyObject*, PyObject*, PyObject*))               \
    X(Function, PyRange_New, NoSymbol, Optional, NoEquivalentSlot)                                                    \
    X(Function, PySequence_Check, PySequence_Check, Required, int (*)(PyObject*))                                     \
    X(Function, PySequence_Concat, PySequence_Concat, Required, PyObject* (*)(PyObject*, PyObject*))                  \
    X(Function, PySequence_Count, PySequence_Count, Required, Py_ssize_t (*)(PyObject*, PyObject*))                   \
    X(Function, PySequence_GetItem, PySequence_GetItem, Required, PyObject* (*)(PyObject*, Py_ssize_t))               \
    X(Function, PySequence_GetSlice, PySequence_GetSlice, Required, PyObject* (*)(PyObject*, Py_ssize_t, Py_ssize_t)) \
    X(Function, PySequence_In, PySequence_In, Required, int (*)(PyObject*, PyObject*))                                \
    X(Function, PySequence_Index, PySequence_Index, Required, Py_ssize_t (*)(PyObject*, PyObject*))                   \
    X(Function, PySequence_Length, PySequence_Length, Required, Py_ssize_t (*)(PyObject*))                            \
    X(Function, PySequence_Repeat, PySequence_Repeat, Required, PyObject* (*)(PyObject*, Py_ssize_t))                 \
    X(Function, PySequence_SetItem, PySequence_SetItem, Required, int (*)(PyObject*, Py_ssize_t, PyObject*))          \
    X(Function, PySequence_SetSlice, PySequence_SetSlice, Required,                                                   \
      int (*)(PyObject*, Py_ssize_t, Py_ssize_t, PyObject*))                                                          \
    X(Function, PySequence_Tuple, PySequence_Tuple, Required, PyObject* (*)(PyObject*))                               \
    X(Function, PySlice_GetIndices, PySlice_GetIndices, Required,                                                     \
      int (*)(PyObject*, Py_ssize_t, Py_ssize_t*, Py_ssize_t*, Py_ssize_t*))                                          \
    X(Function, PySlice_New, PySlice_New, Required, PyObject* (*)(PyObject*, PyObject*, PyObject*))                   \
    X(Function, PyString_Concat, PyUnicode_Append, Required, void (*)(PyObject**, PyObject*))                         \
    X(Function, PyString_ConcatAndDel, PyUnicode_AppendAndDel, Required, void (*)(PyObject**, PyObject*))             \
    X(Function, PyString_Format, PyUnicode_Format, Required, PyObject* (*)(PyObject*, PyObject*))                     \
    X(Function, PyString_FromStringAndSize, PyUnicode_FromStringAndSize, Required,                                    \
      PyObject* (*)(const char*, Py_ssize_t))                                                                         \
    X(Function, PyString_Size, PyUnicode_GetLength, Required, Py_ssize_t (*)(PyObject*))                              \
    X(Function, PySys_GetObject, PySys_GetObject, Required, PyObject* (*)(const char*))                               \
    X(Function, PySys_SetObject, PySys_SetObject, Required, int (*)(const char*, PyObject*))                          \
    X(Function, PySys_SetPath, PySys_SetPath, Required, void (*)(const wchar_t*))                                     \
    X(Function, PyTraceBack_Here, PyTraceBack_Here, Required, int (*)(PyObject*))                                     \
    X(Function, PyTraceBack_Print, PyTraceBack_Print, Required, int (*)(PyObject*, PyObject*))                        \
    X(Function, PyTuple_GetItem, PyTuple_GetItem, Required, PyObject* (*)(PyObject*, Py_ssize_t))                     \
    X(Function, PyTuple_GetSlice, PyTuple_GetSlice, Required, PyObject* (*)(PyObject*, Py_ssize_t, Py_ssize_t))       \
    X(Function, PyTuple_New, PyTuple_New, Required, PyObject* (*)(Py_ssize_t))                                        \
    X(Function, PyTuple_SetItem, PyTuple_SetItem, Required, int (*)(PyObject*, Py_ssize_t, PyObject*))                \
    X(Function, PyTuple_Size, PyTuple_Size, Required, Py_ssize_t (*)(PyObject*))                                      \
    X(Function, Py_AtExit, Py_AtExit, Required, int (*)(void (*)()))                                                  \
    X(Function, Py_CompileString, Py_CompileString, Required, PyObject* (*)(const char*, const char*, int))           \
    X(Function, Py_FatalError, Py_FatalError, Required, void (*)(const char*))                                        \
    X(Function, Py_FindMethod, NoSymbol, Optional, NoEquivalentSlot)                                                  \
    X(Function, Py_FindMethodInChain, NoSymbol, Optional, NoEquivalentSlot)                                           \
    X(Function, Py_FlushLine, NoSymbol, Optional, NoEquivalentSlot)                                                   \
    X(Function, _PyObject_New, _PyObject_New, Required, PyObject* (*)(PyTypeObject*))                                 \
    X(Function, _PyString_Resize, PyUnicode_Resize, Required, int (*)(PyObject**, Py_ssize_t))                        \
    X(Function, Py_Finalize, Py_Finalize, Required, void (*)())                                                       \
    X(Function, PyCode_Addr2Line, PyCode_Addr2Line, Optional, int (*)(PyObject*, int))                                \
    X(Function, PyErr_ExceptionMatches, PyErr_ExceptionMatches, Required, int (*)(PyObject*))                         \
    X(Function, PyErr_GivenExceptionMatches, PyErr_GivenExceptionMatches, Required, int (*)(PyObject*, PyObject*))    \
    X(Function, PyEval_EvalCode, PyEval_EvalCode, Required, PyObject* (*)(PyObject*, PyObject*, PyObject*))           \
    X(Function, Py_GetVersion, Py_GetVersion, Required, const char* (*)())                                            \
    X(Function, Py_GetCopyright, Py_GetCopyright, Required, const char* (*)())                                        \
    X(Function, Py_GetExecPrefix, Py_GetExecPrefix, Required, wchar_t* (*)())                                         \
    X(Function, Py_GetPath, Py_GetPath, Required, wchar_t* (*)())                                                     \
    X(Function, Py_GetPrefix, Py_GetPrefix, Required, wchar_t* (*)())                                                 \
    X(Function, Py_GetProgramName, Py_GetProgramName, Required, wchar_t* (*)())                                       \
    X(Function, PyParser_SimpleParseString, PyParser_SimpleParseString, Optional, void* (*)(const char*, int))        \
    X(Function, PyNode_Free, PyNode_Free, Optional, void (*)(void*))                                                  \
    X(Function, PyErr_NewException, PyErr_NewException, Required, PyObject* (*)(const char*, PyObject*, PyObject*))   \
    X(Function, PyMem_Malloc, PyMem_Malloc, Optional, void* (*)(std::size_t))                                         \
    X(Function, PyObject_CallMethod, PyObject_CallMethod, Required,                                                   \
      PyObject* (*)(PyObject*, const char*, const char*, ...))

// Bound only when the API version is 1007 or more and the library name is
// not exactly "python14.dll".
#define ORVEXA_PYTHON_API_GATED(X)                                                                          \
    X(Gated, Py_SetProgramName, Py_SetProgramName, Required, void (*)(const wchar_t*))                      \
    X(Gated, Py_IsInitialized, Py_IsInitialized, Required, int (*)())                                       \
    X(Gated, Py_GetProgramFullPath, Py_GetProgramFullPath, Required, wchar_t* (*)())                        \
    X(Gated, Py_GetBuildInfo, Py_GetBuildInfo, Optional, const char* (*)())                                 \
    X(Gated, Py_NewInterpreter, Py_NewInterpreter, Required, PyThreadState* (*)())                          \
    X(Gated, Py_EndInterpreter, Py_EndInterpreter, Required, void (*)(PyThreadState*))                      \
    X(Gated, PyEval_AcquireLock, PyEval_AcquireLock, Required, void (*)())                                  \
    X(Gated, PyEval_ReleaseLock, PyEval_ReleaseLock, Required, void (*)())                                  \
    X(Gated, PyEval_AcquireThread, PyEval_AcquireThread, Required, void (*)(PyThreadState*))                \
    X(Gated, PyEval_ReleaseThread, PyEval_ReleaseThread, Required, void (*)(PyThreadState*))                \
    X(Gated, PyInterpreterState_New, PyInterpreterState_New, Required, PyInterpreterState* (*)())           \
    X(Gated, PyInterpreterState_Clear, PyInterpreterState_Clear, Required, void (*)(PyInterpreterState*))   \
    X(Gated, PyInterpreterState_Delete, PyInterpreterState_Delete, Required, void (*)(PyInterpreterState*)) \
    X(Gated, PyThreadState_New, PyThreadState_New, Required, PyThreadState* (*)(PyInterpreterState*))       \
    X(Gated, PyThreadState_Clear, PyThreadState_Clear, Required, void (*)(PyThreadState*))                  \
    X(Gated, PyThreadState_Delete, PyThreadState_Delete, Required, void (*)(PyThreadState*))                \
    X(Gated, PyThreadState_Get, PyThreadState_Get, Required, PyThreadState* (*)())                          \
    X(Gated, PyThreadState_Swap, PyThreadState_Swap, Required, PyThreadState* (*)(PyThreadState*))

// What the engine itself needs of a 3.x library beyond the names above.
#define ORVEXA_PYTHON_API_INTERNAL(X)                                                                                \
    X(Internal, Py_InitializeEx, Py_InitializeEx, Required, void (*)(int))                                           \
    X(Internal, PyGILState_Ensure, PyGILState_Ensure, Required, PyGILState_STATE (*)())                              \
    X(Internal, PyGILState_Release, PyGILState_Release, Required, void (*)(PyGILState_STATE))                        \
    X(Internal, PyGILState_Check, PyGILState_Check, Required, int (*)())                                             \
    X(Internal, Py_IncRef, Py_IncRef, Required, void (*)(PyObject*))                                                 \
    X(Internal, Py_DecRef, Py_DecRef, Required, void (*)(PyObject*))                                                 \
    X(Internal, PyErr_Display, PyErr_Display, Required, void (*)(PyObject*, PyObject*, PyObject*))                   \
    X(Internal, PyErr_NormalizeException, PyErr_NormalizeException, Required,                                        \
      void (*)(PyObject**, PyObject**, PyObject**))                                                                  \
    X(Internal, PyException_SetTraceback, PyException_SetTraceback, Required, int (*)(PyObject*, PyObject*))         \
    X(Internal, PyObject_IsInstance, PyObject_IsInstance, Required, int (*)(PyObject*, PyObject*))                   \
    X(Internal, PyType_IsSubtype, PyType_IsSubtype, Required, int (*)(PyTypeObject*, PyTypeObject*))                 \
    X(Internal, PyUnicode_AsUTF8AndSize, PyUnicode_AsUTF8AndSize, Required, const char* (*)(PyObject*, Py_ssize_t*)) \
    X(Internal, PyUnicode_AsEncodedString, PyUnicode_AsEncodedString, Required,                                      \
      PyObject* (*)(PyObject*, const char*, const char*))                                                            \
    X(Internal, PyBytes_AsStringAndSize, PyBytes_AsStringAndSize, Required, int (*)(PyObject*, char**, Py_ssize_t*)) \
    X(Internal, Py_DecodeLocale, Py_DecodeLocale, Required, wchar_t* (*)(const char*, std::size_t*))                 \
    X(Internal, PyMem_RawFree, PyMem_RawFree, Required, void (*)(void*))                                             \
    X(Internal, PySys_SetArgvEx, PySys_SetArgvEx, Required, void (*)(int, wchar_t**, int))                           \
    X(Internal, PySys_WriteStderr, PySys_WriteStderr, Required, void (*)(const char*, ...))                          \
    X(Internal, Py_AddPendingCall, Py_AddPendingCall, Required, int (*)(int (*)(void*), void*))                      \
    X(Internal, PyThread_get_thread_ident, PyThread_get_thread_ident, Required, unsigned long (*)())                 \
    X(Internal, PyThreadState_SetAsyncExc, PyThreadState_SetAsyncExc, Required, int (*)(unsigned long, PyObject*))   \
    X(Internal, PyLong_AsUnsignedLong, PyLong_AsUnsignedLong, Required, unsigned long (*)(PyObject*))                \
    X(Internal, Py_MakePendingCalls, Py_MakePendingCalls, Required, int (*)())

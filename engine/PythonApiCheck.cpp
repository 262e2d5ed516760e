// The bound interpreter interface checked against the interpreter's own
// declarations (Python.h of the headers the build finds), type for type:
// every slot type of PythonApiTable.h against the symbol the table binds it
// to, and the structures and numbers PythonTypes.h spells out against the
// interpreter's. Compiled with the program, never linked into it: the
// program still loads the library at run time and includes no interpreter
// header anywhere else.
//
// Two lists say where the table and the headers part on purpose, each with
// its reason. Both are checked as well: a listed row that agrees, or a
// listed absent name that the headers declare, fails the build too.

#include <cstddef>
#include <cstdint>
#include <cwchar>
#include <string_view>
#include <type_traits>

// The program's own declarations, apart from the interpreter's.
namespace own {
#include "engine/PythonTypes.h"
}  // namespace own

#include "engine/PythonApiTable.h"

namespace own {
// Each slot's type as the table writes it, in the program's own terms.
#define ORVEXA_PYTHON_SLOT_TYPE(group, slot, symbol, use, ...) using slot##_t = __VA_ARGS__;
ORVEXA_PYTHON_API(ORVEXA_PYTHON_SLOT_TYPE)
#undef ORVEXA_PYTHON_SLOT_TYPE

// The numbers, before the interpreter's header makes macros of their names.
inline constexpr int kMethVarargs = METH_VARARGS;
inline constexpr int kSingleInput = Py_single_input;
inline constexpr int kFileInput = Py_file_input;
inline constexpr int kEvalInput = Py_eval_input;
}  // namespace own

// The functions and objects as the interpreter declares them. Its size_t
// variants of the argument functions stay out (no PY_SSIZE_T_CLEAN): the
// table binds the plain symbols.
#include <Python.h>
// Frames' type object, which Python.h leaves out before 3.11.
#include <frameobject.h>

// The table names the interpreter's deprecated functions too, and some
// carry attributes (printf formats) that no function pointer type keeps.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#pragma GCC diagnostic ignored "-Wignored-attributes"

namespace {

// Rows whose symbol these headers do not declare, release by release, and
// why. Declared here as tags: headers that declare one of them make these
// declarations clash, so the lists never outlive the releases they are for.
//
// Gone from the interpreter (headers and library): the program does without
// them, so each such row must be Optional.
struct GoneFromTheseHeaders {};
#if PY_VERSION_HEX >= 0x03090000
// The module cleanup of the interpreter's end, removed in 3.9.
[[maybe_unused]] inline constexpr GoneFromTheseHeaders PyImport_Cleanup{};
#endif
#if PY_VERSION_HEX >= 0x030A0000
// The old parser's node interface and the start's interrupt set-up, removed
// in 3.10.
[[maybe_unused]] inline constexpr GoneFromTheseHeaders PyParser_SimpleParseString{};
[[maybe_unused]] inline constexpr GoneFromTheseHeaders PyNode_Free{};
[[maybe_unused]] inline constexpr GoneFromTheseHeaders PyOS_InitInterrupts{};
#endif
// Not declared, but exported by the library (part of its stable binary
// interface): their types cannot be checked against these headers.
struct UndeclaredInTheseHeaders {};
#if PY_VERSION_HEX < 0x030A0000
// Macros over their ...Flags functions before 3.10 (the node interface's
// own header, which declares PyNode_Free, is not Python.h's).
[[maybe_unused]] inline constexpr UndeclaredInTheseHeaders Py_CompileString{};
[[maybe_unused]] inline constexpr UndeclaredInTheseHeaders PyParser_SimpleParseString{};
[[maybe_unused]] inline constexpr UndeclaredInTheseHeaders PyNode_Free{};
#endif
#if PY_VERSION_HEX >= 0x030D0000
// Left out of the headers in 3.13.
[[maybe_unused]] inline constexpr UndeclaredInTheseHeaders PyEval_AcquireLock{};
[[maybe_unused]] inline constexpr UndeclaredInTheseHeaders PyEval_ReleaseLock{};
[[maybe_unused]] inline constexpr UndeclaredInTheseHeaders PySys_SetPath{};
#endif

// Rows with no 3.x symbol at all (NoSymbol in the table).
struct NoSymbolTag {};
[[maybe_unused]] inline constexpr NoSymbolTag NoSymbol{};

// Rows whose type differs from the interpreter's on purpose, with why.
struct Difference {
    std::string_view slot;
    std::string_view reason;
};
constexpr Difference kDifferences[] = {
    {"_Py_ZeroStruct", "False is used through its object header, not as the integer structure it is"},
    {"_Py_TrueStruct", "True is used through its object header, not as the integer structure it is"},
    {"PyImport_FrozenModules", "the table of frozen modules is an address the program never reads through"},
    {"PyEval_GetFrame", "a frame is handed on as any object; its structure is never read"},
    {"PyTraceBack_Here", "a frame is handed on as any object; its structure is never read"},
    {"PyCode_Addr2Line", "a code object is handed on as any object; its structure is never read"},
};

constexpr bool Listed(std::string_view slot) {
    for (const Difference& difference : kDifferences) {
        if (difference.slot == slot)
            return true;
    }
    return false;
}

// The program's types in the interpreter's terms: its own structures become
// the interpreter's, through pointers, qualifiers and function types.
template <typename T>
struct Theirs {
    using type = T;
};
template <typename T>
using TheirsT = typename Theirs<T>::type;
template <>
struct Theirs<own::PyObject> {
    using type = ::PyObject;
};
template <>
struct Theirs<own::PyVarObject> {
    using type = ::PyVarObject;
};
template <>
struct Theirs<own::PyTypeObject> {
    using type = ::PyTypeObject;
};
template <>
struct Theirs<own::PyThreadState> {
    using type = ::PyThreadState;
};
template <>
struct Theirs<own::PyInterpreterState> {
    using type = ::PyInterpreterState;
};
template <>
struct Theirs<own::Py_complex> {
    using type = ::Py_complex;
};
template <>
struct Theirs<own::PyMethodDef> {
    using type = ::PyMethodDef;
};
template <>
struct Theirs<own::PyModuleDef> {
    using type = ::PyModuleDef;
};
template <>
struct Theirs<own::PyGILState_STATE> {
    using type = ::PyGILState_STATE;
};
template <typename T>
struct Theirs<T*> {
    using type = TheirsT<T>*;
};
template <typename T>
struct Theirs<const T> {
    using type = const TheirsT<T>;
};
template <typename R, typename... A>
struct Theirs<R(A...)> {
    using type = TheirsT<R>(TheirsT<A>...);
};
template <typename R, typename... A>
struct Theirs<R(A..., ...)> {
    using type = TheirsT<R>(TheirsT<A>..., ...);
};

// A slot's name where a diagnostic shows it.
template <std::size_t N>
struct Name {
    char text[N];
    constexpr Name(const char (&name)[N]) {  // NOLINT(google-explicit-constructor): written as a literal
        for (std::size_t i = 0; i < N; ++i)
            text[i] = name[i];
    }
    constexpr std::string_view View() const { return {text, N - 1}; }
};

template <typename T>
constexpr bool kIsFunctionPointer = std::is_pointer_v<T>&& std::is_function_v<std::remove_pointer_t<T>>;

// One row: the slot's type (the program's), the interpreter's declaration
// of the symbol the table binds, and whether the row is Optional.
template <Name Slot, typename SlotType, typename Declared, bool Optional>
struct Row {
    static constexpr bool kNoSymbol = std::is_same_v<Declared, const NoSymbolTag*>;
    static constexpr bool kGone = std::is_same_v<Declared, const GoneFromTheseHeaders*>;
    static constexpr bool kAbsent = kGone || std::is_same_v<Declared, const UndeclaredInTheseHeaders*>;
    // A function the interpreter declares as never returning has that in
    // its type for some compilers: such a function's pointer converts to the
    // slot's, and function pointers convert to no other signature.
    static constexpr bool kAgrees = std::is_same_v<TheirsT<SlotType>, Declared> ||
                                    (kIsFunctionPointer<Declared> && kIsFunctionPointer<TheirsT<SlotType>> &&
                                     std::is_convertible_v<Declared, TheirsT<SlotType>>);
    static_assert(!kGone || Optional, "a row whose symbol the interpreter no longer has must be Optional");
    static_assert(kNoSymbol || kAbsent || kAgrees || Listed(Slot.View()),
                  "the table's slot type is not the interpreter's declaration of the symbol it binds");
    static_assert(!(kAgrees && Listed(Slot.View())), "a row listed as differing agrees: take it off the list");
    static constexpr bool kChecked = true;
};

#define ORVEXA_PYTHON_CHECK_ROW(group, slot, symbol, use, ...) \
    static_assert(Row<#slot, own::slot##_t, decltype(&symbol), ApiUse_##use>::kChecked);
constexpr bool ApiUse_Required = false;
constexpr bool ApiUse_Optional = true;
ORVEXA_PYTHON_API(ORVEXA_PYTHON_CHECK_ROW)
#undef ORVEXA_PYTHON_CHECK_ROW

// Every listed difference names a row of the table.
constexpr bool InTheTable(std::string_view slot) {
    constexpr std::string_view kSlots[] = {
#define ORVEXA_PYTHON_SLOT_NAME(group, slot, symbol, use, ...) #slot,
        ORVEXA_PYTHON_API(ORVEXA_PYTHON_SLOT_NAME)
#undef ORVEXA_PYTHON_SLOT_NAME
    };
    for (std::string_view name : kSlots) {
        if (name == slot)
            return true;
    }
    return false;
}
constexpr bool EveryDifferenceIsARow() {
    for (const Difference& difference : kDifferences) {
        if (!InTheTable(difference.slot) || difference.reason.empty())
            return false;
    }
    return true;
}
static_assert(EveryDifferenceIsARow(), "a listed difference names no row of the table, or gives no reason");

// The structures PythonTypes.h spells out: the parts the program reads and
// writes lie where the interpreter has them.
template <typename Own, typename Interpreter>
constexpr bool SameSize = sizeof(Own) == sizeof(Interpreter) && alignof(Own) == alignof(Interpreter);

static_assert(std::is_same_v<own::Py_ssize_t, ::Py_ssize_t>);
static_assert(std::is_same_v<own::Py_hash_t, ::Py_hash_t>);
static_assert(SameSize<own::PyObject, ::PyObject>);
static_assert(offsetof(own::PyObject, ob_refcnt) == offsetof(::PyObject, ob_refcnt));
static_assert(offsetof(own::PyObject, ob_type) == offsetof(::PyObject, ob_type));
static_assert(SameSize<own::PyVarObject, ::PyVarObject>);
static_assert(offsetof(own::PyVarObject, ob_size) == offsetof(::PyVarObject, ob_size));
static_assert(offsetof(own::PyTypeObject, tp_name) == offsetof(::PyTypeObject, tp_name));
static_assert(SameSize<own::Py_complex, ::Py_complex>);
static_assert(offsetof(own::Py_complex, imag) == offsetof(::Py_complex, imag));
static_assert(std::is_same_v<TheirsT<own::PyCFunction>, ::PyCFunction>);
static_assert(std::is_same_v<TheirsT<own::PyCapsule_Destructor>, ::PyCapsule_Destructor>);
static_assert(SameSize<own::PyMethodDef, ::PyMethodDef>);
static_assert(offsetof(own::PyMethodDef, ml_meth) == offsetof(::PyMethodDef, ml_meth));
static_assert(offsetof(own::PyMethodDef, ml_flags) == offsetof(::PyMethodDef, ml_flags));
static_assert(offsetof(own::PyMethodDef, ml_doc) == offsetof(::PyMethodDef, ml_doc));
static_assert(SameSize<own::PyModuleDef_Base, ::PyModuleDef_Base>);
static_assert(SameSize<own::PyModuleDef, ::PyModuleDef>);
static_assert(offsetof(own::PyModuleDef, m_name) == offsetof(::PyModuleDef, m_name));
static_assert(offsetof(own::PyModuleDef, m_size) == offsetof(::PyModuleDef, m_size));
static_assert(offsetof(own::PyModuleDef, m_methods) == offsetof(::PyModuleDef, m_methods));
static_assert(offsetof(own::PyModuleDef, m_free) == offsetof(::PyModuleDef, m_free));
static_assert(own::PyGILState_LOCKED == static_cast<int>(::PyGILState_LOCKED));
static_assert(own::PyGILState_UNLOCKED == static_cast<int>(::PyGILState_UNLOCKED));
static_assert(own::kMethVarargs == METH_VARARGS);
static_assert(own::kSingleInput == Py_single_input);
static_assert(own::kFileInput == Py_file_input);
static_assert(own::kEvalInput == Py_eval_input);

}  // namespace

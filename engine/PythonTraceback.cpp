#include "engine/PythonTraceback.h"

#include "core/Exception.h"
#include "engine/PythonLock.h"
#include "engine/PythonRuntime.h"

#include <optional>

namespace orvexa {
namespace {

// An attribute, or empty with the error cleared.
PyRef Attribute(PythonRuntime& py, PyObject* obj, const char* name) {
    if (!obj)
        return {};
    PyRef value = py.Steal(py.PyObject_GetAttrString(obj, name));
    if (!value)
        py.PyErr_Clear();
    return value;
}

std::optional<TTracebackItem> ReadItem(PythonRuntime& py, PyObject* entry) {
    const PyRef frame = Attribute(py, entry, "tb_frame");
    const PyRef code = Attribute(py, frame.get(), "f_code");
    const PyRef fileName = Attribute(py, code.get(), "co_filename");
    const PyRef name = Attribute(py, code.get(), "co_name");
    const PyRef lineNo = Attribute(py, entry, "tb_lineno");
    std::optional<TTracebackItem> item;
    if (fileName && name && lineNo) {
        item.emplace();
        item->FileName = py.PyObjectAsText(fileName.get());
        item->Context = py.PyObjectAsText(name.get());
        // 3.12 and later may give None for a position without a line.
        item->LineNo = py.PyInt_Check(lineNo.get()) ? static_cast<int>(py.PyInt_AsLong(lineNo.get())) : 0;
    }
    py.PyErr_Clear();
    return item;
}

}  // namespace

void TPythonTraceback::Refresh() {
    Clear();
    PythonRuntime& py = py_;
    if (!py.IsBound() || !py.IsInitialized())
        return;
    PythonLock lock(py);
    int limit = Limit;
    PyObject* configured = py.PySys_GetObject("tracebacklimit");
    if (py.PyInt_Check(configured)) {
        const long value = py.PyInt_AsLong(configured);
        if (value == -1 && py.PyErr_Occurred())
            py.PyErr_Clear();
        else
            limit = static_cast<int>(value);
    }
    PyObject* first = py.PySys_GetObject("last_traceback");
    if (!first || first == py._Py_NoneStruct)
        return;
    // The chain from the outermost call to the place of the error.
    std::vector<PyRef> chain;
    for (PyRef entry = py.Borrow(first); entry && entry.get() != py._Py_NoneStruct;) {
        PyRef next = Attribute(py, entry.get(), "tb_next");
        chain.push_back(std::move(entry));
        entry = std::move(next);
    }
    int depth = static_cast<int>(chain.size());
    for (const PyRef& entry : chain) {
        if (depth <= limit) {
            if (std::optional<TTracebackItem> item = ReadItem(py, entry.get()))
                items_.push_back(std::move(*item));
        }
        --depth;
    }
}

const TTracebackItem& TPythonTraceback::Item(int index) const {
    if (index < 0 || index >= ItemCount())
        throw Exception(QStringLiteral("TPythonTraceback: Index %1 out of range").arg(index));
    return items_[static_cast<std::size_t>(index)];
}

}  // namespace orvexa

#include "engine/PythonTraceback.h"

#include "engine/PythonEngine.h"

#include <optional>

namespace orvexa {
namespace {

// A new reference to an attribute, or null with the error cleared.
PyObject* Attribute(TPythonEngine& engine, PyObject* obj, const char* name) {
    if (!obj)
        return nullptr;
    PyObject* value = engine.PyObject_GetAttrString(obj, name);
    if (!value)
        engine.PyErr_Clear();
    return value;
}

std::optional<TTracebackItem> ReadItem(TPythonEngine& engine, PyObject* entry) {
    PyObject* frame = Attribute(engine, entry, "tb_frame");
    PyObject* code = Attribute(engine, frame, "f_code");
    PyObject* fileName = Attribute(engine, code, "co_filename");
    PyObject* name = Attribute(engine, code, "co_name");
    PyObject* lineNo = Attribute(engine, entry, "tb_lineno");
    std::optional<TTracebackItem> item;
    if (fileName && name && lineNo) {
        item.emplace();
        item->FileName = engine.PyObjectAsText(fileName);
        item->Context = engine.PyObjectAsText(name);
        // 3.12 and later may give None for a position without a line.
        item->LineNo = engine.PyInt_Check(lineNo) ? static_cast<int>(engine.PyInt_AsLong(lineNo)) : 0;
    }
    for (PyObject* obj : {frame, code, fileName, name, lineNo})
        engine.Py_XDECREF(obj);
    engine.PyErr_Clear();
    return item;
}

}  // namespace

void TPythonTraceback::Refresh() {
    Clear();
    TPythonEngine& engine = engine_;
    if (!engine.IsBound() || !engine.IsInitialized())
        return;
    PythonLock lock(engine);
    int limit = Limit;
    PyObject* configured = engine.PySys_GetObject("tracebacklimit");
    if (engine.PyInt_Check(configured)) {
        const long value = engine.PyInt_AsLong(configured);
        if (value == -1 && engine.PyErr_Occurred())
            engine.PyErr_Clear();
        else
            limit = static_cast<int>(value);
    }
    PyObject* first = engine.PySys_GetObject("last_traceback");
    if (!first || first == engine._Py_NoneStruct)
        return;
    // The chain from the outermost call to the place of the error.
    std::vector<PyObject*> chain;
    engine.Py_INCREF(first);
    for (PyObject* entry = first; entry;) {
        if (entry == engine._Py_NoneStruct) {
            engine.Py_DECREF(entry);
            break;
        }
        chain.push_back(entry);
        entry = Attribute(engine, entry, "tb_next");
    }
    int depth = static_cast<int>(chain.size());
    for (PyObject* entry : chain) {
        if (depth <= limit) {
            if (std::optional<TTracebackItem> item = ReadItem(engine, entry))
                items_.push_back(std::move(*item));
        }
        --depth;
    }
    for (PyObject* entry : chain)
        engine.Py_DECREF(entry);
}

const TTracebackItem& TPythonTraceback::Item(int index) const {
    if (index < 0 || index >= ItemCount())
        throw Exception(QStringLiteral("TPythonTraceback: Index %1 out of range").arg(index));
    return items_[static_cast<std::size_t>(index)];
}

}  // namespace orvexa

#include "engine/PyRef.h"

#include "engine/PythonInterface.h"

namespace orvexa {

PyRef PyRef::Borrow(const TPythonInterface& api, PyObject* obj) {
    api.Py_XINCREF(obj);
    return PyRef(api, obj);
}

PyObject* PyRef::NewReference() const {
    if (obj_)
        api_->Py_INCREF(obj_);
    return obj_;
}

void PyRef::reset() {
    if (PyObject* obj = std::exchange(obj_, nullptr))
        api_->Py_DECREF(obj);
}

}  // namespace orvexa

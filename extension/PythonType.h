#pragma once

#include "engine/PyRef.h"
#include "extension/MethodsContainer.h"

#include <QByteArray>
#include <QSet>
#include <QStringList>

namespace orvexa {

class TPythonModule;

enum class TBasicService { bsGetAttr, bsSetAttr, bsRepr, bsStr, bsCompare, bsHash, bsCall, bsIter };
enum class TNumberService { nsAdd, nsSubtract, nsMultiply, nsDivide, nsRemainder, nsPower, nsNegative };
enum class TSequenceService { ssLength, ssConcat, ssRepeat, ssItem, ssSlice, ssContains };
enum class TMappingService { msLength, msSubscript, msAssSubscript };

// Which services a type offers; Basic has getattr, setattr, repr and str
// from the start.
struct TTypeServices {
    QSet<TBasicService> Basic{TBasicService::bsGetAttr, TBasicService::bsSetAttr, TBasicService::bsRepr,
                              TBasicService::bsStr};
    QSet<TNumberService> InplaceNumber;
    QSet<TNumberService> Number;
    QSet<TSequenceService> Sequence;
    QSet<TMappingService> Mapping;
};

// An interpreter type defined by the program: a type object named TypeName
// with DocString as its documentation, entered into its module, and a
// constructor method Prefix + TypeName in that module. It counts the
// instances it made and the ones that went away.
class TPythonType : public TMethodsContainer {
    Q_OBJECT
public:
    explicit TPythonType(QObject* owner = nullptr);
    ~TPythonType() override;

    QStringList DocString;
    QString TypeName;
    QString Prefix = QStringLiteral("Create");
    TTypeServices Services;

    TPythonModule* Module() const { return module_; }
    // Adds the constructor method to the module (before the module is built).
    void SetModule(TPythonModule* module);

    void Initialize() override;
    void Finalize() override;

    // The type's name and what it counted, for "pyio".GetTypesStats.
    struct TypeStats {
        QString TypeName;
        int InstanceCount = 0;
        int CreateHits = 0;
        int DeleteHits = 0;
    };
    const TypeStats& TypeStatistics() const { return stats_; }

    // The type object, once initialised (owned here), or null.
    PyObject* TypeObject() const { return typeObject_.get(); }

private:
    static PyObject* Construct(void* self, PyObject* pself, PyObject* args);
    static PyObject* Created(void* self, PyObject* pself, PyObject* args);
    static PyObject* Deleted(void* self, PyObject* pself, PyObject* args);

    TPythonModule* module_ = nullptr;
    PyRef typeObject_;
    TypeStats stats_;
    QByteArray constructorName_;
    QByteArray constructorDoc_;
    PyMethodDef createdDef_{};
    PyMethodDef deletedDef_{};
};

}  // namespace orvexa

// Method tables and module settings that need no running interpreter.
#include "core/Exception.h"
#include "engine/PythonEngine.h"
#include "extension/PythonModule.h"
#include "tests/support/MessageOf.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace orvexa;
using orvexa::test::MessageOf;

namespace {
PyObject* Nothing(PyObject*, PyObject*) { return nullptr; }

bool IsZero(const PyMethodDef& entry) {
    return !entry.ml_name && !entry.ml_meth && entry.ml_flags == 0 && !entry.ml_doc;
}

}  // namespace

TEST(MethodTable, GrowsByTenAndStaysZeroTerminated) {
    TPythonModule module;
    EXPECT_EQ(module.Capacity(), 10);
    for (int i = 0; i < 10; ++i)
        module.AddMethodDef("m", &Nothing, "doc");
    EXPECT_EQ(module.Capacity(), 10);
    EXPECT_TRUE(IsZero(module.MethodTable()[10]));
    module.AddMethodDef("eleventh", &Nothing, "doc");
    EXPECT_EQ(module.Capacity(), 20);
    for (int i = 0; i < 6; ++i)
        module.AddMethodDef("m", &Nothing, "doc");
    ASSERT_EQ(module.EntryCount(), 17);
    for (int i = 17; i <= 20; ++i)
        EXPECT_TRUE(IsZero(module.MethodTable()[i])) << i;
    EXPECT_STREQ(module.MethodTable()[10].ml_name, "eleventh");
    EXPECT_EQ(module.MethodTable()[10].ml_flags, METH_VARARGS);
}

TEST(MethodTable, EntryAccessAcceptsZeroToEntryCount) {
    TPythonModule module;
    module.AddMethodDef("a", &Nothing, "doc");
    EXPECT_STREQ(module.Method(0).ml_name, "a");
    EXPECT_TRUE(IsZero(module.Method(1)));
    EXPECT_EQ(MessageOf([&] { module.Method(2); }), QStringLiteral("TPythonModule: Index 2 out of range"));
    EXPECT_EQ(MessageOf([&] { module.Method(-1); }), QStringLiteral("TPythonModule: Index -1 out of range"));
}

TEST(ModuleSettings, EngineAttachmentAndRenames) {
    TPythonEngine engine;
    TPythonModule a, b;
    a.setObjectName(QStringLiteral("ModuleA"));
    EXPECT_EQ(MessageOf([&] { a.RequireEngine(); }), QStringLiteral("No Engine defined for component \"ModuleA\""));
    a.SetModuleName(QStringLiteral("alpha"));
    b.SetModuleName(QStringLiteral("beta"));
    a.SetEngine(&engine);
    a.SetEngine(&engine);  // the same engine again changes nothing
    b.SetEngine(&engine);
    EXPECT_EQ(engine.Clients().size(), 2);

    TError& base = a.Errors().Add();
    base.SetName(QStringLiteral("Base"));
    base.SetErrorType(TErrorType::etClass);
    TError& derived = b.Errors().Add();
    derived.SetName(QStringLiteral("Derived"));
    derived.SetErrorType(TErrorType::etClass);
    derived.ParentClass = {QStringLiteral("alpha"), QStringLiteral("Base")};

    a.SetModuleName(QStringLiteral("gamma"));
    EXPECT_EQ(derived.ParentClass.Module, QStringLiteral("gamma"));
    base.SetName(QStringLiteral("Root"));
    EXPECT_EQ(derived.ParentClass.Name, QStringLiteral("Root"));
    a.SetModuleName(QString());  // ignored
    EXPECT_EQ(a.ModuleName(), QStringLiteral("gamma"));
    base.SetName(QString());  // ignored
    EXPECT_EQ(base.Name(), QStringLiteral("Root"));

    TError& other = a.Errors().Add();
    other.SetName(QStringLiteral("Other"));
    EXPECT_EQ(MessageOf([&] { other.SetName(QStringLiteral("Root")); }),
              QStringLiteral("In module \"gamma\", there's already an error named \"Root\""));
    derived.SetErrorType(TErrorType::etString);
    EXPECT_EQ(derived.ParentClass.Name, QString());

    b.SetEngine(nullptr);  // none detaches
    EXPECT_EQ(engine.Clients().size(), 1);
    EXPECT_EQ(b.Engine(), nullptr);
}

TEST(ModuleSettings, EventItemsAreNamedByTheirIndex) {
    TPythonModule module;
    EXPECT_EQ(module.Events().Add().Name, QStringLiteral("PythonEvent0"));
    TEventDef& second = module.Events().Add();
    EXPECT_EQ(second.Name, QStringLiteral("PythonEvent1"));
    second.DocString = QStringList{"one\r", "two"};
    EXPECT_STREQ(second.PrepareDocString(), "one\ntwo\n");
}

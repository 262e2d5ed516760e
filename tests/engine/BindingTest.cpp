// The bound-symbol table and the binding rules, on a fake symbol lookup;
// loading and its failures on system libraries; the known versions and the
// settings after construction.
#include "engine/FatalReport.h"
#include "engine/KnownVersions.h"
#include "engine/PythonEngine.h"
#include "platform/fake/ScriptedDialogs.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QSet>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>

using namespace orvexa;

namespace {

// Answers every lookup with a dummy address except for the names listed as
// missing, and records the names asked for.
class FakeLookupInterface : public TPythonInterface {
public:
    void* LookupSymbol(const char* name) override {
        asked.append(QString::fromLatin1(name));
        return missing.contains(QString::fromLatin1(name)) ? nullptr : &dummy_;
    }
    template <typename Slot>
    bool IsSet(Slot slot) const {
        return slot != nullptr;
    }

    QSet<QString> missing;
    QStringList asked;

private:
    int dummy_ = 0;
};

std::map<ApiGroup, int> CountByGroup() {
    std::map<ApiGroup, int> counts;
    for (const ApiRow& row : ApiRows())
        ++counts[row.group];
    return counts;
}

int IndexOf(const char* slot) {
    int index = 0;
    for (const ApiRow& row : ApiRows()) {
        if (std::strcmp(row.slot, slot) == 0)
            return index;
        ++index;
    }
    return -1;
}

TEST(BindingTable, HoldsTheInterfaceNamesInTheirGroupsAndOrder) {
    auto counts = CountByGroup();
    EXPECT_EQ(counts[ApiGroup::Data], 7);
    EXPECT_EQ(counts[ApiGroup::Exception], 22);
    EXPECT_EQ(counts[ApiGroup::Type], 22);
    EXPECT_EQ(counts[ApiGroup::Function], 202);
    EXPECT_EQ(counts[ApiGroup::Gated], 18);
    QSet<QString> names;
    ApiGroup previous = ApiGroup::Data;
    for (const ApiRow& row : ApiRows()) {
        EXPECT_TRUE(!names.contains(QString::fromLatin1(row.slot))) << row.slot;
        names.insert(QString::fromLatin1(row.slot));
        EXPECT_GE(static_cast<int>(row.group), static_cast<int>(previous)) << row.slot << " out of its group";
        previous = row.group;
        if (row.use == ApiUse::Required) {
            EXPECT_NE(row.symbol, nullptr) << row.slot;
        }
    }
    EXPECT_EQ(names.size(), 271 + counts[ApiGroup::Internal]);
    const ApiRow* rows = ApiRows().data();
    EXPECT_STREQ(rows[0].slot, "Py_DebugFlag");
    EXPECT_STREQ(rows[7].slot, "PyExc_AttributeError");
    EXPECT_STREQ(rows[29].slot, "PyType_Type");
    EXPECT_STREQ(rows[51].slot, "PyComplex_FromCComplex");
    EXPECT_STREQ(rows[252].slot, "PyObject_CallMethod");
    EXPECT_STREQ(rows[253].slot, "Py_SetProgramName");
    EXPECT_STREQ(rows[270].slot, "PyThreadState_Swap");
    EXPECT_LT(IndexOf("PyDict_Clear"), IndexOf("PyDict_Next"));
}

TEST(BindingTable, OneDotFiveNamesAreBoundToTheir3xEquivalents) {
    const std::map<std::string, std::string> expected = {
        {"_Py_ZeroStruct", "_Py_FalseStruct"},
        {"PyString_Type", "PyUnicode_Type"},
        {"PyInt_Type", "PyLong_Type"},
        {"PyClass_Type", "PyType_Type"},
        {"PyCObject_Type", "PyCapsule_Type"},
        {"PyString_FromString", "PyUnicode_FromString"},
        {"PyInt_AsLong", "PyLong_AsLong"},
        {"Py_InitModule4", "PyModule_Create2"},
        {"PyClass_IsSubclass", "PyObject_IsSubclass"},
        {"PyCObject_FromVoidPtr", "PyCapsule_New"},
        {"PyEval_CallObject", "PyObject_CallObject"},
        {"PyCFunction_New", "PyCFunction_NewEx"},
    };
    for (const ApiRow& row : ApiRows()) {
        auto it = expected.find(row.slot);
        if (it != expected.end()) {
            EXPECT_STREQ(row.symbol, it->second.c_str()) << row.slot;
        }
    }
    for (const char* none :
         {"PyExc_StandardError", "PyClass_New", "PyInstance_Type", "Py_FlushLine", "PyObject_Compare", "PyFile_Type"}) {
        const int index = IndexOf(none);
        ASSERT_GE(index, 0) << none;
        EXPECT_EQ(ApiRows()[static_cast<std::size_t>(index)].symbol, nullptr) << none;
    }
    for (const char* optional : {"PyCode_Addr2Line", "PyMem_Malloc", "Py_GetBuildInfo", "PyImport_Cleanup",
                                 "PyOS_InitInterrupts", "PyNode_Free"}) {
        EXPECT_EQ(ApiRows()[static_cast<std::size_t>(IndexOf(optional))].use, ApiUse::Optional) << optional;
    }
}

TEST(Binding, LooksUpEverySymbolInTableOrder) {
    FakeLookupInterface api;
    api.BindApi();
    EXPECT_TRUE(api.IsBound());
    QStringList expected;
    for (const ApiRow& row : ApiRows()) {
        if (row.symbol)
            expected.append(QString::fromLatin1(row.symbol));
    }
    EXPECT_EQ(api.asked, expected);
    EXPECT_TRUE(api.IsSet(api.Py_IsInitialized));
    EXPECT_TRUE(api.IsSet(api.PyGILState_Ensure));
    EXPECT_FALSE(api.IsSet(api.PyExc_StandardError));
    EXPECT_FALSE(api.IsSet(api.Py_FlushLine));
}

TEST(Binding, OptionalSymbolsMayBeMissing) {
    FakeLookupInterface api;
    api.missing = {"PyCode_Addr2Line",           "PyMem_Malloc", "Py_GetBuildInfo", "PyImport_Cleanup",
                   "PyParser_SimpleParseString", "PyNode_Free"};
    api.BindApi();
    EXPECT_TRUE(api.IsBound());
    EXPECT_FALSE(api.IsSet(api.PyCode_Addr2Line));
    EXPECT_FALSE(api.IsSet(api.PyMem_Malloc));
    EXPECT_FALSE(api.IsSet(api.Py_GetBuildInfo));
    EXPECT_FALSE(api.IsSet(api.PyImport_Cleanup));
    EXPECT_TRUE(api.IsSet(api.PyErr_NewException));
    EXPECT_TRUE(api.IsSet(api.PyObject_CallMethod));
}

TEST(Binding, AMissingRequiredSymbolEndsTheBindingAndNamesTheSymbol) {
    FakeLookupInterface api;
    api.missing = {"PyDict_Next"};
    try {
        api.BindApi();
        FAIL() << "bound without PyDict_Next";
    } catch (const EDLLImportError& e) {
        EXPECT_EQ(e.SymbolName, QStringLiteral("PyDict_Next"));
        EXPECT_EQ(e.Message(), QStringLiteral("Error %1: could not map symbol \"PyDict_Next\"").arg(e.ErrorCode));
    }
    EXPECT_FALSE(api.IsBound());
    EXPECT_TRUE(api.IsSet(api.PyDict_Clear)) << "bound before the failure";
    EXPECT_FALSE(api.IsSet(api.PyDict_Next));
    EXPECT_FALSE(api.IsSet(api.PyDict_Keys)) << "never reached";
    EXPECT_EQ(api.asked.constLast(), QStringLiteral("PyDict_Next"));

    api.missing = {"_Py_FalseStruct"};
    try {
        api.BindApi();
        FAIL() << "bound without False";
    } catch (const EDLLImportError& e) {
        EXPECT_EQ(e.SymbolName, QStringLiteral("_Py_FalseStruct")) << "the symbol that was looked up";
    }
}

TEST(Binding, TheGatedGroupNeedsVersion1007AndANameOtherThanPython14) {
    struct Case {
        int apiVersion;
        const char* dllName;
        bool gated;
    } cases[] = {
        {1007, "python15.dll", true},
        {1006, "python15.dll", false},
        {1007, "python14.dll", false},
        {1013, "PYTHON14.DLL", true},  // the gate compares with letter case
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dllName);
        FakeLookupInterface api;
        api.APIVersion = c.apiVersion;
        api.DllName = QString::fromLatin1(c.dllName);
        api.BindApi();
        EXPECT_EQ(api.IsSet(api.Py_SetProgramName), c.gated);
        EXPECT_EQ(api.IsSet(api.PyThreadState_Swap), c.gated);
        EXPECT_EQ(api.asked.contains(QStringLiteral("Py_IsInitialized")), c.gated);
        EXPECT_TRUE(api.IsSet(api.Py_Finalize));
        if (!c.gated) {
            // IsInitialized falls back to the flag.
            EXPECT_FALSE(api.IsInitialized());
            api.Initialized = true;
            EXPECT_TRUE(api.IsInitialized());
        }
    }
}

TEST(KnownVersionsTable, HistoricalRowsThenLinuxLibrariesOldestFirst) {
    const auto rows = KnownVersions();
    ASSERT_GE(rows.size(), 5u);
    const KnownVersion historical[] = {{"python14.dll", "1.4", 1006},
                                       {"python15.dll", "1.5", 1007},
                                       {"python16.dll", "1.6", 1008},
                                       {"python20.dll", "2.0", 1009}};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_STREQ(rows[i].DllName, historical[i].DllName);
        EXPECT_STREQ(rows[i].RegVersion, historical[i].RegVersion);
        EXPECT_EQ(rows[i].APIVersion, historical[i].APIVersion);
    }
    int minor = 7;
    for (std::size_t i = 4; i < rows.size(); ++i) {
        const QString version = QString::fromLatin1(rows[i].RegVersion);
        EXPECT_EQ(QString::fromLatin1(rows[i].DllName), QStringLiteral("libpython%1.so.1.0").arg(version));
        EXPECT_EQ(rows[i].APIVersion, 1013);
        EXPECT_GT(version.section(u'.', 1).toInt(), minor);
        minor = version.section(u'.', 1).toInt();
    }
    EXPECT_STREQ(rows[rows.size() - 1].DllName, "libpython3.13.so.1.0");
    EXPECT_TRUE(std::any_of(rows.begin(), rows.end(),
                            [](const KnownVersion& v) { return std::strcmp(v.DllName, "libpython3.11.so.1.0") == 0; }));
}

TEST(EngineSettings, ValuesAfterConstruction) {
    TPythonEngine engine;
    EXPECT_EQ(engine.Runtime().DllName, QStringLiteral("python15.dll"));
    EXPECT_EQ(engine.Runtime().APIVersion, 1007);
    EXPECT_EQ(engine.Runtime().RegVersion, QStringLiteral("1.5"));
    EXPECT_TRUE(engine.Runtime().AutoLoad);
    EXPECT_TRUE(engine.Runtime().AutoUnload);
    EXPECT_TRUE(engine.Runtime().FatalAbort);
    EXPECT_TRUE(engine.Runtime().FatalMsgDlg);
    EXPECT_TRUE(engine.AutoFinalize);
    EXPECT_TRUE(engine.RedirectIO);
    EXPECT_FALSE(engine.InitThreads());
    EXPECT_FALSE(engine.UseWindowsConsole);
    EXPECT_TRUE(engine.UseLastKnownVersion());
    EXPECT_EQ(engine.IO(), nullptr);
    EXPECT_TRUE(engine.InitScript().isEmpty());
    EXPECT_FALSE(engine.Runtime().IsLoaded());
    EXPECT_FALSE(engine.Runtime().Initialized);
    QStringList names;
    for (const KnownVersion& v : KnownVersions())
        names.append(QString::fromLatin1(v.DllName));
    EXPECT_EQ(engine.Runtime().CandidateNames, names);
    engine.SetUseLastKnownVersion(false);
    EXPECT_TRUE(engine.Runtime().CandidateNames.isEmpty());
    TDynamicDll plain;
    EXPECT_TRUE(plain.DllName.isEmpty());
    EXPECT_EQ(plain.APIVersion, 0);
    EXPECT_FALSE(plain.AutoUnload);
    EXPECT_TRUE(plain.CandidateNames.isEmpty());
}

class Loading : public ::testing::Test {
protected:
    // Fatal boxes of `dll` go to the scripted dialogs, display or not.
    void Box(TDynamicDll& dll) {
        dll.Dialogs = scripted;
        dll.FatalBox = FatalBoxPolicy::Always;
    }
    std::shared_ptr<platform::ScriptedDialogs> scripted = std::make_shared<platform::ScriptedDialogs>();
    platform::ScriptedDialogs* dialogs = scripted.get();
};

class ExposedDll : public TDynamicDll {
public:
    using TDynamicDll::QuitMessage;
};

TEST_F(Loading, CandidatesAreTriedFromTheLastToTheFirst) {
    TDynamicDll dll;
    Box(dll);
    dll.FatalAbort = false;
    int afterLoad = 0;
    dll.OnAfterLoad = [&](QObject* sender) {
        EXPECT_EQ(sender, &dll);
        ++afterLoad;
    };
    dll.CandidateNames = {"libm.so.6", "libc.so.6", "libnothing-here.so.9"};
    dll.LoadFrom(QStringLiteral("libnothing-either.so.9"));
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_EQ(dll.DllName, QStringLiteral("libc.so.6"));
    EXPECT_EQ(afterLoad, 1);
    EXPECT_NE(dll.LookupSymbol("strlen"), nullptr);
    try {
        dll.BindSymbol("no_such_symbol_here");
        FAIL() << "bound a missing symbol";
    } catch (const EDLLImportError& e) {
        EXPECT_EQ(e.SymbolName, QStringLiteral("no_such_symbol_here"));
    }
    EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(Loading, WithoutLoadableCandidatesTheNameItselfIsTried) {
    TDynamicDll dll;
    Box(dll);
    dll.FatalAbort = false;
    dll.DllName = QStringLiteral("libm.so.6");
    dll.CandidateNames = {"libnothing-here.so.9"};
    dll.Load();
    EXPECT_TRUE(dll.IsLoaded());
    EXPECT_EQ(dll.DllName, QStringLiteral("libm.so.6"));
}

TEST_F(Loading, UnloadClosesOnceAndCallsItsHookOnce) {
    TDynamicDll dll;
    Box(dll);
    int beforeUnload = 0;
    dll.OnBeforeUnload = [&](QObject*) { ++beforeUnload; };
    dll.DllName = QStringLiteral("libm.so.6");
    dll.Load();
    ASSERT_TRUE(dll.IsLoaded());
    dll.Unload();
    dll.Unload();
    EXPECT_EQ(beforeUnload, 1);
    EXPECT_FALSE(dll.IsLoaded());
}

TEST_F(Loading, AutoLoadOffLoadsNothing) {
    TPythonEngine engine;
    Box(engine.Runtime());
    engine.Runtime().AutoLoad = false;
    bool beforeLoad = false;
    engine.Runtime().OnBeforeLoad = [&](QObject*) { beforeLoad = true; };
    engine.LayoutLoaded();
    EXPECT_FALSE(beforeLoad);
    EXPECT_FALSE(engine.Runtime().IsLoaded());
}

TEST_F(Loading, AFailedLoadIsToldAndNeverReachesAfterLoad) {
    TPythonEngine engine;
    Box(engine.Runtime());
    engine.Runtime().FatalAbort = false;
    engine.SetUseLastKnownVersion(false);
    engine.Runtime().DllName = QStringLiteral("/nonexistent/libpython-none.so.1");
    bool beforeLoad = false;
    bool afterLoad = false;
    engine.Runtime().OnBeforeLoad = [&](QObject*) { beforeLoad = true; };
    engine.Runtime().OnAfterLoad = [&](QObject*) { afterLoad = true; };
    engine.LayoutLoaded();
    EXPECT_TRUE(beforeLoad);
    EXPECT_FALSE(afterLoad);
    EXPECT_FALSE(engine.Runtime().IsLoaded());
    EXPECT_FALSE(engine.Runtime().IsBound());
    EXPECT_FALSE(engine.IsInitialized());
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("fatal")),
              (QStringList{QStringLiteral("Error %1: Could not open Dll \"/nonexistent/libpython-none.so.1\"")
                               .arg(engine.Runtime().LastErrorCode())}));

    dialogs->shown.clear();
    engine.Runtime().FatalMsgDlg = false;
    engine.Runtime().Load();
    EXPECT_TRUE(dialogs->shown.empty());
    EXPECT_EQ(engine.Runtime().DllName, QStringLiteral("/nonexistent/libpython-none.so.1"));
}

TEST_F(Loading, AnEmptyNameLoadsNothing) {
    TDynamicDll dll;
    Box(dll);
    dll.FatalAbort = false;
    dll.Load();
    EXPECT_FALSE(dll.IsLoaded()) << "an empty name would open the program itself";
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("fatal")).size(), 1u);
}

TEST_F(Loading, QuitMessages) {
    ExposedDll dll;
    Box(dll);
    dll.DllName = QStringLiteral("libx.so");
    EXPECT_EQ(dll.QuitMessage(), QStringLiteral("Dll libx.so could not be loaded. We must quit."));
}

TEST_F(Loading, FatalBoxesNeedAUsableDisplay) {
    testing::internal::CaptureStderr();
    ReportFatal(QStringLiteral("told on stderr only"), true, dialogs, FatalBoxPolicy::WhenDisplayUsable);
    const std::string printed = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(dialogs->shown.empty()) << "the offscreen platform cannot answer a box";
    EXPECT_EQ(printed, "told on stderr only\n");
    testing::internal::CaptureStderr();
    ReportFatal(QStringLiteral("boxed"), true, dialogs, FatalBoxPolicy::Always);
    ReportFatal(QStringLiteral("not boxed"), false, dialogs, FatalBoxPolicy::Always);
    ReportFatal(QStringLiteral("no dialogs"), true, nullptr, FatalBoxPolicy::Always);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "boxed\nnot boxed\nno dialogs\n");
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("fatal")), QStringList{QStringLiteral("boxed")});
}

}  // namespace

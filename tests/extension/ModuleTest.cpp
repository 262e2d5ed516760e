// Extension modules in a real interpreter: methods, doc strings, both kinds
// of errors, parent classes, event methods through libffi closures, and the
// shutdown order. One process per case.
#include "core/Exception.h"
#include "extension/PythonModule.h"
#include "extension/PythonType.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/MessageOf.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

using namespace orvexa;
using orvexa::test::Eval;
using orvexa::test::MessageOf;

namespace {

PyObject* Twice(PyObject*, PyObject* args) {
    TPythonEngine& engine = GetRunningEngine();
    int n = 0;
    if (!engine.Runtime().ParseArgs(args, "i:Twice", &n))
        return nullptr;
    return engine.Runtime().BuildValue("i", 2 * n);
}

class Modules : public ::testing::Test {
protected:
    void SetUp() override {
        engine = test::MakeEngine();
        module = std::make_unique<TPythonModule>();
        module->setObjectName(QStringLiteral("TestModule"));
        module->SetModuleName(QStringLiteral("testmod"));
        module->SetEngine(engine.get());
    }
    void TearDown() override {
        module.reset();
        engine.reset();
    }
    std::unique_ptr<TPythonEngine> engine;
    std::unique_ptr<TPythonModule> module;
};

}  // namespace

TEST_F(Modules, MethodsDocStringAndErrorsAreImportable) {
    module->DocString = QStringList{"A test module.\r"};
    int initialized = 0, after = 0;
    module->OnInitialization = [&](QObject* sender) {
        EXPECT_EQ(sender, module.get());
        ++initialized;
        module->AddMethodDef("Twice", &Twice, "Twice");
    };
    module->OnAfterInitialization = [&](QObject*) { ++after; };
    TError& text = module->Errors().Add();
    text.SetName(QStringLiteral("Oops"));
    TError& cls = module->Errors().Add();
    cls.SetName(QStringLiteral("Failure"));
    cls.SetErrorType(TErrorType::etClass);
    TError& child = module->Errors().Add();
    child.SetName(QStringLiteral("LookupFailure"));
    child.SetErrorType(TErrorType::etClass);
    child.ParentClass = {QStringLiteral("builtins"), QStringLiteral("LookupError")};

    engine->LayoutLoaded();
    EXPECT_EQ(initialized, 1);
    EXPECT_EQ(after, 1);
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Twice(21)")), QStringLiteral("42"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').__doc__")), QStringLiteral("A test module.\n"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Oops")), QStringLiteral("Oops"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Failure.__name__")), QStringLiteral("Failure"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Failure.__module__")), QStringLiteral("testmod"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("issubclass(__import__('testmod').LookupFailure, LookupError)")),
              QStringLiteral("True"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Twice.__doc__")), QStringLiteral("Twice"));

    // The parser's error for a missing argument names the method.
    engine->ExecuteLines(
        {"import testmod", "try:", "    testmod.Twice()", "except TypeError as e:", "    seen = str(e)"});
    EXPECT_TRUE(Eval(*engine, QStringLiteral("seen")).contains(QStringLiteral("Twice()")))
        << Eval(*engine, "seen").toStdString();

    // A second Initialize of an initialised client does nothing.
    module->Initialize();
    EXPECT_EQ(initialized, 1);
}

TEST_F(Modules, EmptyDocStringAssignsNothing) {
    engine->LayoutLoaded();
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').__doc__")), QStringLiteral("None"));
}

TEST_F(Modules, MissingParentModuleFailsInitialisation) {
    TError& error = module->Errors().Add();
    error.SetName(QStringLiteral("Child"));
    error.SetErrorType(TErrorType::etClass);
    error.ParentClass = {QStringLiteral("no_such_module_anywhere"), QStringLiteral("Base")};
    int after = 0;
    module->OnAfterInitialization = [&](QObject*) { ++after; };
    EXPECT_EQ(MessageOf([&] { engine->LayoutLoaded(); }),
              QStringLiteral("Could not find module containing the parent class of error \"Child\""));
    EXPECT_EQ(after, 0);
    // The module object exists all the same and the interpreter is usable.
    EXPECT_EQ(Eval(*engine, QStringLiteral("'testmod' in __import__('sys').modules")), QStringLiteral("True"));
}

TEST_F(Modules, MissingParentClassFailsInitialisation) {
    TError& first = module->Errors().Add();
    first.SetName(QStringLiteral("First"));
    TError& error = module->Errors().Add();
    error.SetName(QStringLiteral("Child"));
    error.SetErrorType(TErrorType::etClass);
    error.ParentClass = {QStringLiteral("builtins"), QStringLiteral("NoSuchClass")};
    EXPECT_EQ(MessageOf([&] { engine->LayoutLoaded(); }),
              QStringLiteral("Could not find the parent class \"NoSuchClass\" of error \"Child\""));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').First")), QStringLiteral("First"))
        << "earlier errors stay created";
}

TEST_F(Modules, ParentThatIsNoClassFailsInitialisation) {
    TError& error = module->Errors().Add();
    error.SetName(QStringLiteral("Child"));
    error.SetErrorType(TErrorType::etClass);
    error.ParentClass = {QStringLiteral("builtins"), QStringLiteral("len")};
    EXPECT_EQ(MessageOf([&] { engine->LayoutLoaded(); }),
              QStringLiteral("The object \"len\" in module \"builtins\" is not a class"));
}

TEST_F(Modules, UnnamedErrorFailsInitialisation) {
    module->Errors().Add();
    EXPECT_EQ(MessageOf([&] { engine->LayoutLoaded(); }), QStringLiteral("Error without name in module \"testmod\""));
}

TEST_F(Modules, ParentInTheSameModuleIsFoundByItsName) {
    TError& base = module->Errors().Add();
    base.SetName(QStringLiteral("Base"));
    base.SetErrorType(TErrorType::etClass);
    engine->LayoutLoaded();
    // A second module deriving from the first one's class, with an empty
    // module name in its parent: it looks in its own module.
    TPythonModule second;
    second.SetModuleName(QStringLiteral("testmod"));
    TError& child = second.Errors().Add();
    child.SetName(QStringLiteral("Child"));
    child.SetErrorType(TErrorType::etClass);
    child.ParentClass.Name = QStringLiteral("Base");
    second.SetEngine(engine.get());
    {
        PythonLock lock(engine->Runtime());
        child.BuildError(QStringLiteral("testmod"));
    }
    ASSERT_NE(child.ErrorObject.get(), nullptr);
}

TEST_F(Modules, ErrorObjectsGoWithTheirInterpreterAndARestartBuildsItsOwn) {
    TError& error = module->Errors().Add();
    error.SetName(QStringLiteral("Failure"));
    error.SetErrorType(TErrorType::etClass);
    engine->LayoutLoaded();
    ASSERT_NE(error.ErrorObject.get(), nullptr);
    engine->Finalize();
    EXPECT_EQ(error.ErrorObject.get(), nullptr) << "the reference is given back";

    engine->Initialize();
    ASSERT_TRUE(engine->IsInitialized());
    ASSERT_NE(error.ErrorObject.get(), nullptr);
    engine->ExecuteLines({"import testmod", "try:", "    raise testmod.Failure('again')",
                          "except testmod.Failure as e:", "    caught = (type(e).__name__, str(e))"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("caught")), QStringLiteral("('Failure', 'again')"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("issubclass(testmod.Failure, Exception)")), QStringLiteral("True"));
}

TEST_F(Modules, EventMethodsReachTheirItemThroughClosures) {
    TEventDef& add = module->Events().Add();
    add.Name = QStringLiteral("Add");
    add.DocString = QStringList{"Adds."};
    TEventDef& fails = module->Events().Add();
    fails.Name = QStringLiteral("Fails");
    QList<TEventDef*> senders;
    add.OnExecute = [&](TEventDef* sender, PyObject*, PyObject* args, PyObject*& result) {
        senders.append(sender);
        PythonRuntime& py = GetRunningEngine().Runtime();
        int a = 0, b = 0;
        if (py.ParseArgs(args, "ii", &a, &b))
            result = py.BuildValue("i", a + b);
    };
    fails.OnExecute = [&](TEventDef* sender, PyObject*, PyObject*, PyObject*&) {
        senders.append(sender);
        throw Exception(QStringLiteral("handler failed"));
    };
    engine->LayoutLoaded();
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Add(2, 3)")), QStringLiteral("5"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Add.__doc__")), QStringLiteral("Adds.\n"));
    engine->ExecuteLines(
        {"import testmod", "try:", "    testmod.Fails()", "except RuntimeError as e:", "    failed = str(e)"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("failed")), QStringLiteral("handler failed"));
    EXPECT_EQ(senders, (QList<TEventDef*>{&add, &fails}));
}

TEST_F(Modules, DestroyingAClientFinalisesTheEngineWithTheTableAlive) {
    int finalized = 0;
    module->OnInitialization = [&](QObject*) { module->AddMethodDef("Twice", &Twice, "Twice"); };
    TPythonModule other;
    other.SetModuleName(QStringLiteral("other"));
    other.SetEngine(engine.get());
    other.OnFinalization = [&](QObject*) { ++finalized; };
    TPythonModule* detaching = module.get();
    module->OnFinalization = [&, detaching](QObject*) {
        // The detaching module is still whole while the engine finalises it.
        EXPECT_STREQ(detaching->MethodTable()[0].ml_name, "Twice");
        ++finalized;
    };
    engine->LayoutLoaded();
    ASSERT_TRUE(engine->IsInitialized());
    module.reset();
    EXPECT_EQ(finalized, 2);
    EXPECT_FALSE(engine->IsInitialized());
    EXPECT_EQ(engine->Clients().size(), 1);
}

TEST_F(Modules, TypesGetAConstructorDocumentationAndCounters) {
    TPythonType point;
    point.TypeName = QStringLiteral("Point");
    point.DocString = QStringList{"A point."};
    point.SetModule(module.get());
    point.SetEngine(engine.get());
    engine->LayoutLoaded();
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').CreatePoint.__doc__")),
              QStringLiteral("Creates a new instance of type Point"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("__import__('testmod').Point.__doc__")), QStringLiteral("A point."));
    engine->ExecuteLines(
        {"import testmod", "p = testmod.CreatePoint()", "q = testmod.Point()", "name = type(p).__name__", "del q"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("name")), QStringLiteral("Point"));
    const TPythonType::TypeStats& stats = point.TypeStatistics();
    EXPECT_EQ(stats.TypeName, QStringLiteral("Point"));
    EXPECT_EQ(stats.CreateHits, 2);
    EXPECT_EQ(stats.DeleteHits, 1);
    EXPECT_EQ(stats.InstanceCount, 1);
    engine->ExecuteLines({"del p"});
    EXPECT_EQ(point.TypeStatistics().InstanceCount, 0);
    module.reset();  // stops the interpreter while the type is still alive
}

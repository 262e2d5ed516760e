// The main window's state: captions, enabled states, resize rule, first
// show, delete, the editor hand-over, exit while running, the error box.
#include "app/AppIdentity.h"
#include "app/OrvexaApplication.h"
#include "app/about.h"
#include "automation/BindGlobals.h"
#include "binds/Bindary.h"
#include "core/Exception.h"
#include "editor/ScriptEdit.h"
#include "editor/ScriptTextEdit.h"
#include "extension/output.h"
#include "platform/fake/FakeInputSynth.h"
#include "platform/fake/FakeKeyCapture.h"
#include "tests/support/AppFixture.h"
#include "tests/support/EventWaits.h"
#include "tests/support/FakeExecutor.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace orvexa;

namespace {
class FormMain : public test::AppFixture {};
}  // namespace

TEST_F(FormMain, WindowHasItsCaptionsAndMenus) {
    Start();
    EXPECT_EQ(main()->windowTitle(), QStringLiteral("Orvexa"));
    EXPECT_EQ(main()->LabelScript->text(), QStringLiteral("Script:"));
    QStringList menu;
    for (QMenu* m : {main()->MenuFile, main()->MenuWindows, main()->MenuHelp}) {
        menu.append(m->title());
        for (QAction* a : m->actions())
            menu.append(a->text());
    }
    EXPECT_EQ(menu, (QStringList{"&File", "&Run", "&Edit", "&Delete", "&Exit", "&Windows", "&Output", "&Help",
                                 "&View Help", "&Key Names", "&About"}));
    EXPECT_EQ(main()->findChild<TFormScriptEditor*>(), nullptr) << "the editor is made when first needed";
    EXPECT_FALSE(windows.FormOutput->isVisible());
}

TEST_F(FormMain, RunAndStopToggleCaptionsAndEnabledStates) {
    Start();
    main()->MenuFileRunClick();
    EXPECT_TRUE(main()->Running);
    EXPECT_EQ(main()->ButtonRun->text(), QStringLiteral("&Stop"));
    EXPECT_EQ(main()->MenuFileRun->text(), QStringLiteral("&Stop"));
    EXPECT_FALSE(main()->ComboBoxScript->isEnabled());
    EXPECT_FALSE(main()->MenuFileEdit->isEnabled());
    EXPECT_FALSE(main()->MenuFileDelete->isEnabled());
    EXPECT_TRUE(main()->ButtonRun->isEnabled());
    EXPECT_TRUE(main()->MenuFileRun->isEnabled());
    QTest::mouseClick(main()->ButtonRun, Qt::LeftButton);
    EXPECT_FALSE(main()->Running);
    EXPECT_EQ(main()->ButtonRun->text(), QStringLiteral("&Run"));
    EXPECT_EQ(main()->MenuFileRun->text(), QStringLiteral("&Run"));
    EXPECT_TRUE(main()->ComboBoxScript->isEnabled());
    EXPECT_TRUE(main()->MenuFileEdit->isEnabled());
    EXPECT_TRUE(main()->MenuFileDelete->isEnabled());
}

TEST_F(FormMain, RunClearsBindGlobalsRunsMainAndStartsTimers) {
    test::FakeExecutor engine;
    dir.Write(QStringLiteral("s.orx"), "//BIND MAIN\nmain\n//BIND TIMER 1000\ntick\n//BIND MAIN\nsecond\n");
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    Context().BindGlobals().Set(QStringLiteral("left"), QStringLiteral("over"));
    bool stoppedInsideMain = false;
    engine.onExecute = [&](const QStringList&) {
        main()->SetRunning(false);  // Stop pressed while MAIN still runs
        stoppedInsideMain = true;
    };
    main()->SetRunning(true);
    EXPECT_TRUE(stoppedInsideMain);
    EXPECT_TRUE(Context().BindGlobals().Lines().isEmpty());
    ASSERT_EQ(engine.executed.size(), 1u);
    EXPECT_EQ(engine.executed[0], QStringList{"main"});
    EXPECT_FALSE(main()->Running);
    EXPECT_FALSE(main()->Binds->GetBind(1)->TimerEnabled()) << "a Stop while MAIN ran started the timers";
    EXPECT_EQ(engine.stops, 1);

    // Run pressed while code runs that may not have other code nested in
    // it (stopped code still ending) is refused.
    engine.onExecute = nullptr;
    engine.mayStart = false;
    main()->SetRunning(true);
    EXPECT_FALSE(main()->Running);
    EXPECT_EQ(engine.executed.size(), 1u);
    engine.mayStart = true;
    main()->SetRunning(true);
    EXPECT_TRUE(main()->Binds->GetBind(1)->TimerEnabled());
    main()->SetRunning(false);
    EXPECT_FALSE(main()->Binds->GetBind(1)->TimerEnabled());
}

TEST_F(FormMain, ResizeKeepsListWidthAtRunButtonMinus50) {
    Start();
    for (int width : {200, 347, 500, 1000, 355, 120}) {
        main()->resize(width, 300);
        QCoreApplication::processEvents();
        EXPECT_EQ(main()->ComboBoxScript->width(), main()->ButtonRun->x() - 50) << width;
        EXPECT_EQ(main()->PanelTop->width() - main()->ButtonRun->geometry().right(),
                  main()->PanelTop->width() - (main()->ButtonRun->x() + 75) + 1)
            << "button keeps its size";
    }
    const int right = main()->PanelTop->width() - main()->ButtonRun->x();
    main()->resize(800, 300);
    QCoreApplication::processEvents();
    EXPECT_EQ(main()->PanelTop->width() - main()->ButtonRun->x(), right) << "anchored right";
}

TEST_F(FormMain, SecondShowDoesNothing) {
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n");
    Start();
    ASSERT_EQ(Items(), QStringList{"a"});
    dir.Write(QStringLiteral("b.orx"), "//SHORTDESC: b\n");
    TBindary* binds = main()->Binds.get();
    main()->hide();
    main()->show();
    EXPECT_EQ(Items(), QStringList{"a"});
    EXPECT_EQ(main()->Binds.get(), binds);
}

TEST_F(FormMain, DeleteAsksAndOnlyYesDeletes) {
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n//LONGDESC:\nA text\n//ENDLONGDESC\n//BIND MAIN\nx\n");
    Start();
    ASSERT_EQ(main()->CurrentScript, QStringLiteral("a.orx"));

    dialogs->confirmAnswers.push_back(false);
    main()->MenuFileDeleteClick();
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")),
              QStringList{"Are you sure you want to delete the file \"a.orx\"?"});
    EXPECT_TRUE(QFile::exists(QStringLiteral("a.orx")));

    dialogs->confirmAnswers.push_back(true);
    main()->MenuFileDeleteClick();
    EXPECT_FALSE(QFile::exists(QStringLiteral("a.orx")));
    // The last script is gone: nothing selected, but the description and the
    // binds stay, so Run still runs them.
    EXPECT_TRUE(Items().isEmpty());
    EXPECT_EQ(main()->CurrentScript, QString());
    EXPECT_EQ(Description(), QStringLiteral("A text"));
    EXPECT_EQ(main()->Binds->BindCount(), 1);

    // Nothing selected: Delete asks nothing.
    main()->MenuFileDeleteClick();
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("confirm")).size(), 2);
}

TEST_F(FormMain, DeleteReloadsAndSelectsTheFirstEntry) {
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n");
    dir.Write(QStringLiteral("b.orx"), "//SHORTDESC: b\n");
    Start();
    const QString victim = main()->CurrentScript;
    dialogs->confirmAnswers.push_back(true);
    main()->MenuFileDeleteClick();
    ASSERT_EQ(main()->ScriptPaths.size(), 1);
    EXPECT_NE(main()->ScriptPaths.at(0), victim);
    EXPECT_EQ(main()->CurrentScript, main()->ScriptPaths.at(0));
    EXPECT_EQ(main()->ComboBoxScript->currentIndex(), 0);
}

TEST_F(FormMain, ExitScriptEditReselectsTheEditorsFileIgnoringCase) {
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n");
    dir.Write(QStringLiteral("b.orx"), "//SHORTDESC: b\n");
    dir.Write(QStringLiteral("c.orx"), "//SHORTDESC: c\n");
    Start();
    for (const QString& name : {QStringLiteral("B.ORX"), QStringLiteral("c.orx")}) {
        main()->ScriptEditor()->EditFileName = name;
        main()->ExitScriptEdit();
        EXPECT_EQ(main()->CurrentScript.toLower(), name.toLower());
    }
    main()->ScriptEditor()->EditFileName = QStringLiteral("new7.orx");
    main()->ExitScriptEdit();
    EXPECT_EQ(main()->ComboBoxScript->currentIndex(), 0);
    EXPECT_EQ(main()->CurrentScript, main()->ScriptPaths.at(0));
}

TEST_F(FormMain, EditHandsTheSelectedFileToTheEditorAndHidesOutput) {
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n");
    Start();
    windows.FormOutput->show();
    QString seen;
    bool outputHidden = false;
    QTimer::singleShot(0, main()->ScriptEditor(), [&] {
        seen = main()->ScriptEditor()->EditFileName;
        outputHidden = !windows.FormOutput->isVisible();
        main()->ScriptEditor()->reject();
    });
    main()->MenuFileEditClick();
    EXPECT_EQ(seen, QStringLiteral("a.orx"));
    EXPECT_TRUE(outputHidden);
    EXPECT_EQ(main()->CurrentScript, QStringLiteral("a.orx"));
}

TEST_F(FormMain, ATracebacksLineOpensTheEditorThereOnceTheScriptsCodeEnded) {
    test::FakeExecutor engine;
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n//BIND MAIN\nmain\nfailed\n");
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    TFormScriptEditor* editor = main()->ScriptEditor();
    // What the editor shows when it opens; then it is closed.
    QString name;
    int caretLine = -1;
    int marked = -1;
    QTimer look;
    look.callOnTimeout(editor, [&] {
        if (!editor->isVisible() || !name.isEmpty())
            return;
        name = editor->EditFileName;
        int index = 0;
        editor->RichEditScript->getCursorPosition(&caretLine, &index);
        marked = editor->RichEditScript->MarkedErrorLine();
        editor->reject();
    });
    look.start(10);
    main()->SetRunning(true);

    // Asked for from events handled inside running code: the script stops
    // and the editor waits for its code to end. A file that is gone opens
    // nothing and stops nothing.
    engine.mayStart = false;
    main()->EditScriptAt(dir.Path() + QStringLiteral("/gone.orx"), 1);
    EXPECT_TRUE(main()->Running);
    main()->EditScriptAt(dir.Path() + QStringLiteral("/a.orx"), 4);
    EXPECT_FALSE(main()->Running);
    EXPECT_EQ(engine.stops, 1);
    ASSERT_TRUE(test::RunTimersDueWithin(3 * TFormMain::kEditorRetryMs));
    EXPECT_TRUE(name.isEmpty()) << "the editor opened while code ran";

    engine.mayStart = true;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !name.isEmpty(); }, 5000)) << "the editor did not open";
    EXPECT_EQ(name, QStringLiteral("a.orx"));
    EXPECT_EQ(caretLine + 1, 4);
    EXPECT_EQ(marked, 4);
}

TEST_F(FormMain, OutputMenuShowsTheOutputWindow) {
    Start();
    main()->MenuWindowsOutputClick();
    EXPECT_TRUE(windows.FormOutput->isVisible());
    windows.FormOutput->close();  // the close box only hides
    EXPECT_FALSE(windows.FormOutput->isVisible());
}

TEST_F(FormMain, WindowsOutputGivesTheFocusBackToTheControlThatHadIt) {
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n");
    dir.Write(QStringLiteral("b.orx"), "//SHORTDESC: b\n");
    Start();
    QApplication::setActiveWindow(main());
    main()->ComboBoxScript->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), main()->ComboBoxScript);
    main()->MenuWindowsOutput->trigger();
    EXPECT_TRUE(windows.FormOutput->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), main()->ComboBoxScript) << "typing must go on in the list";
}

namespace {
// A click as the window system delivers it, so that a modal window can
// block it.
void ClickAsTheUser(QWidget* widget) {
    QWidget* window = widget->window();
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, widget->mapTo(window, widget->rect().center()));
    QCoreApplication::processEvents();
}
}  // namespace

TEST_F(FormMain, TheOutputWindowStaysUsableWhileTheEditorIsOpenAndTheMainWindowDoesNot) {
    test::FakeExecutor engine;
    dir.Write(QStringLiteral("a.orx"), "//SHORTDESC: a\n//BIND MAIN\nmain\n");
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    TFormScriptEditor* editor = main()->ScriptEditor();
    TFormOutput* output = windows.FormOutput.get();
    bool cleared = false;
    bool mainIgnoredTheClick = false;
    QTimer::singleShot(0, editor, [&] {
        editor->MenuFileRunClick();  // a test run, which prints
        editor->MenuWindowsOutputClick();
        output->RichEditOutput->setPlainText(QStringLiteral("printed by the script"));
        ClickAsTheUser(output->ButtonClear);
        cleared = output->RichEditOutput->toPlainText().isEmpty();
        ClickAsTheUser(output->ButtonClose);
        const bool running = main()->Running;
        ClickAsTheUser(main()->ButtonRun);
        mainIgnoredTheClick = main()->Running == running;
        editor->close();
    });
    main()->MenuFileEditClick();
    EXPECT_TRUE(cleared) << "Clear of the Output window did nothing";
    EXPECT_FALSE(output->isVisible()) << "Close of the Output window did nothing";
    EXPECT_TRUE(mainIgnoredTheClick) << "the main window took a click while the editor was open";
}

TEST_F(FormMain, TheWindowKeepsAUsableMinimumAndHasTheApplicationIcon) {
    SetApplicationIdentity(*qApp);
    Start();
    main()->resize(60, 60);
    QCoreApplication::processEvents();
    EXPECT_GE(main()->width(), 200);
    EXPECT_GE(main()->height(), 120);
    EXPECT_GE(main()->ComboBoxScript->width(), 100);
    EXPECT_GT(main()->ButtonRun->x(), main()->ComboBoxScript->geometry().right()) << "Run covers the list";
    QList<QWidget*> all;
    all << main() << main()->ScriptEditor() << windows.FormOutput.get() << main()->About();
    for (QWidget* window : all) {
        const QPixmap icon = window->windowIcon().pixmap(64, 64);
        ASSERT_FALSE(icon.isNull()) << window->objectName().toStdString();
        // The SVG was drawn: its corner is transparent, its middle is not.
        const QImage image = icon.toImage();
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
        EXPECT_GT(qAlpha(image.pixel(32, 32)), 0);
    }
}

TEST_F(FormMain, ExitWhileRunningDisarmsBeforeTheEnd) {
    test::FakeExecutor engine;
    dir.Write(QStringLiteral("s.orx"), "//BIND TIMER 10\ntick\n");
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    main()->SetRunning(true);
    TBindObj* timer = main()->Binds->GetBind(0);
    ASSERT_TRUE(timer->TimerEnabled());
    main()->MenuFileExitClick();
    EXPECT_FALSE(main()->isVisible());
    windows.FormMain.reset();  // what the end of the program does
    const size_t ticks = engine.executed.size();
    ASSERT_TRUE(test::RunTimersDueWithin(3 * 10));  // three periods of the timer bind
    EXPECT_EQ(engine.executed.size(), ticks);
}

TEST_F(FormMain, ClosingWhileMainRunsStartsNothingMoreAndLeavesTheLoops) {
    test::FakeExecutor engine;
    dir.Write(QStringLiteral("s.orx"), "//BIND MAIN\nmain\n//BIND TIMER 10\ntick\n//BIND KEY A\nkey\n");
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    // The close box is pressed while MAIN runs (nested in its wait).
    bool loopLeft = false;
    engine.onExecute = [&](const QStringList& lines) {
        if (lines.first() != QStringLiteral("main"))
            return;
        QTimer::singleShot(0, main(), [this] { main()->close(); });
        QEventLoop wait;
        QTimer::singleShot(5000, &wait, &QEventLoop::quit);
        wait.exec();  // what Sleep runs; closing must end it
        loopLeft = true;
    };
    QElapsedTimer clock;
    clock.start();
    main()->SetRunning(true);
    EXPECT_TRUE(loopLeft);
    EXPECT_LT(clock.elapsed(), 4000) << "the nested loop was not ended";
    EXPECT_FALSE(main()->Binds->GetBind(1)->TimerEnabled()) << "no timer starts after MAIN";
    EXPECT_FALSE(main()->Running);
    EXPECT_EQ(main()->ButtonRun->text(), QStringLiteral("&Run"));
    // Neither Run nor a key starts code any more.
    engine.executed.clear();
    main()->SetRunning(true);
    EXPECT_FALSE(main()->Running);
    ASSERT_TRUE(test::RunTimersDueWithin(3 * 10));  // three periods of the timer bind
    EXPECT_TRUE(engine.executed.empty());
}

TEST_F(FormMain, UncaughtExceptionShowsTheGeneralErrorBox) {
    try {
        throw Exception(QStringLiteral("Cannot open file x.orx"));
    } catch (...) {
        OrvexaApplication::ShowCurrentException(dialogs);
    }
    try {
        throw Exception(QStringLiteral("Is it?"));
    } catch (...) {
        OrvexaApplication::ShowCurrentException(dialogs);
    }
    EXPECT_EQ(dialogs->TextsOf(QStringLiteral("error")), (QStringList{"Cannot open file x.orx.", "Is it?."}));
}

TEST_F(FormMain, InAWaylandSessionTheOutputWindowSaysOnceWhatWorks) {
    services.session.kind = platform::DesktopSession::Kind::Wayland;
    services.session.xwayland = true;
    Start();
    QCoreApplication::sendPostedEvents();
    const QString shown = windows.FormOutput->RichEditOutput->toPlainText();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("Orvexa runs in a Wayland session"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("Does not work: GetRGB, GetColor, PixelSearch and ImageSearch")));
    EXPECT_FALSE(windows.FormOutput->isVisible()) << "said, not shown";
    // Wired again, it is not said twice.
    main()->SetOutputWindow(windows.FormOutput.get());
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(windows.FormOutput->RichEditOutput->toPlainText(), shown);
}

TEST_F(FormMain, InAnX11SessionTheOutputWindowStartsEmpty) {
    Start();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(windows.FormOutput->RichEditOutput->toPlainText().isEmpty());
}

TEST_F(FormMain, WithPortalInputTheNoticeSaysTheDesktopAsksOnce) {
    services.session.kind = platform::DesktopSession::Kind::Wayland;
    services.session.portalInput = true;
    Start();
    QCoreApplication::sendPostedEvents();
    const QString shown = windows.FormOutput->RichEditOutput->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("remote-desktop portal"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("for every window, once the desktop has asked you")));
}

TEST_F(FormMain, WithAScreenCastTheNoticeSaysTheScreenIsRead) {
    services.session.kind = platform::DesktopSession::Kind::Wayland;
    services.session.portalInput = true;
    services.session.portalScreen = true;
    Start();
    QCoreApplication::sendPostedEvents();
    const QString shown = windows.FormOutput->RichEditOutput->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("the screen is read from its screen cast"))) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QStringLiteral("GetRGB, GetColor")));
    EXPECT_FALSE(shown.contains(QStringLiteral("Does not work: GetRGB")));
}

TEST_F(FormMain, TheNoticeSaysWhetherKeyBindsAreTheDesktopsShortcuts) {
    services.session.kind = platform::DesktopSession::Kind::Wayland;
    services.session.portalInput = true;
    services.session.portalShortcuts = true;
    Start();
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(windows.FormOutput->RichEditOutput->toPlainText().contains(
        QStringLiteral("KEY binds become the desktop's global shortcuts when Run arms a script")));
}

TEST_F(FormMain, RunTellsTheKeyCaptureTheScriptsKeysAndTheStopKeyAndStopForgetsThem) {
    const QByteArray keyBinds = "//BIND KEY CONTROL-SHIFT-A\na\n//BIND KEY p\nb\n//BIND KEY CONTROL-SHIFT-A\nc\n";
    const QByteArray timerOnly = "//BIND TIMER 1000\nt\n";
    const struct {
        bool asksTheDesktop;
        QByteArray script;
        QStringList wanted;
    } cases[] = {
        {false, keyBinds + timerOnly, {"CONTROL-SHIFT-A", "p", "CONTROL-ALT-SHIFT-S"}},
        // Each name once, in the order of the binds; the stop key among them
        // stays where the script has it; a bind without a name adds none.
        {false,
         "//BIND KEY\ne\n//BIND KEY p\nb\n//BIND KEY CONTROL-ALT-SHIFT-S\ns\n" + keyBinds,
         {"p", "CONTROL-ALT-SHIFT-S", "CONTROL-SHIFT-A"}},
        {false, timerOnly, {"CONTROL-ALT-SHIFT-S"}},
        // A portal's dialog for the stop key alone would greet every Run.
        {true, keyBinds + timerOnly, {"CONTROL-SHIFT-A", "p", "CONTROL-ALT-SHIFT-S"}},
        {true, timerOnly, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.constData());
        windows = Windows();
        context.reset();
        auto capture = std::make_shared<platform::FakeKeyCapture>();
        capture->asksTheDesktop = c.asksTheDesktop;
        services.keyCapture = capture;
        test::FakeExecutor engine;
        dir.Write(QStringLiteral("s.orx"), c.script);
        windows = CreateWindows(Context());
        main()->SetExecutor(&engine);
        main()->show();
        main()->SetRunning(true);
        EXPECT_EQ(capture->wantedKeys, c.wanted);
        main()->SetRunning(false);
        EXPECT_TRUE(capture->wantedKeys.isEmpty());
    }
}

TEST_F(FormMain, RunTellsEachKeyBindWhoseNameNoKeyHasTenAtMostInTheOutputWindow) {
    QByteArray script = "//BIND KEY CONTROL-SHIFT-A\na\n";
    for (int i = 1; i <= 12; ++i)
        script += "//BIND KEY CTRL-" + QByteArray::number(i % 10) + "\nb\n";
    dir.Write(QStringLiteral("s.orx"), script);
    test::FakeExecutor engine;
    Start();
    main()->SetExecutor(&engine);
    main()->SetRunning(true);
    QCoreApplication::sendPostedEvents();
    QStringList expected;
    for (int i = 1; i <= 10; ++i)
        expected.append(
            QStringLiteral(
                "KEY CTRL-%1: no key combination has this name; KEY names write CONTROL-%1 (or use HOTKEY CTRL+%1)")
                .arg(i % 10));
    expected.append(QStringLiteral("2 more KEY binds have names that no key combination has"));
    EXPECT_EQ(windows.FormOutput->RichEditOutput->toPlainText().split(u'\n', Qt::SkipEmptyParts), expected);
}

TEST_F(FormMain, ATextBindErasesItsAbbreviationBeforeItRunsStopForgetsWhatWasTypedAndRunSaysWhereItWorks) {
    auto capture = std::make_shared<platform::FakeKeyCapture>();
    auto input = std::make_shared<platform::FakeInputSynth>();
    services.keyCapture = capture;
    services.input = input;
    dir.Write(QStringLiteral("s.orx"), "//BIND TEXT sig\ntext\n");
    // On Wayland an X11 program sees what is typed into X11 windows only.
    services.session.kind = platform::DesktopSession::Kind::Wayland;
    services.session.xwayland = true;
    test::FakeExecutor engine;
    std::size_t erasedBefore = 0;
    engine.onExecute = [&](const QStringList&) { erasedBefore = input->events.size(); };
    windows = CreateWindows(Context());
    main()->SetExecutor(&engine);
    main()->show();
    main()->SetRunning(true);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(windows.FormOutput->RichEditOutput->toPlainText().contains(
        QStringLiteral("TEXT binds work only in X11 windows here")));
    capture->Type(U"si");
    QCoreApplication::sendPostedEvents();
    main()->SetRunning(false);
    main()->SetRunning(true);
    capture->Type(U"g");
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(engine.executed.empty()) << "Stop forgot the s and the i";
    capture->Type(U"sig");
    QCoreApplication::sendPostedEvents();
    ASSERT_EQ(engine.executed, (std::vector<QStringList>{{"text"}}));
    // One BackSpace a character, pressed and released, before the code ran.
    EXPECT_EQ(erasedBefore, 6U);
    EXPECT_EQ(input->events.size(), 6U);
    main()->SetRunning(false);

    // A desktop that shows no key stream: said at Run.
    capture->watchesTyping = false;
    main()->SetRunning(true);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(
        windows.FormOutput->RichEditOutput->toPlainText().contains(QStringLiteral("TEXT binds do not work here")));
}

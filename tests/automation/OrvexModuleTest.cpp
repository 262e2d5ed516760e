// The orvex module as scripts see it, in a real interpreter over a fake
// desktop: the method table, argument parsing, results, the wait and its
// nesting, sound failures and the bind globals. One process per case.
#include "automation/BindGlobals.h"
#include "automation/WavePlayer.h"
#include "automation/WindowActions.h"
#include "automation/py.h"
#include "core/Quit.h"
#include "extension/PythonModule.h"
#include "platform/VirtualKeyCodes.h"
#include "platform/qt/QtClipboard.h"
#include "tests/automation/FakeDesktop.h"
#include "tests/engine/EngineTestSupport.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QTimer>

#include <algorithm>
#include <cstring>
#include <exception>
#include <functional>
#include <iterator>
#include <vector>

using namespace orvexa;
using orvexa::test::Eval;
using Event = platform::FakeInputSynth::Event;

namespace {

class Orvex : public test::FakeDesktop {
protected:
    void SetUp() override {
        engine = test::MakeEngine();
        module = std::make_unique<TPythonModule>();
        module->SetModuleName(QStringLiteral("orvex"));
        module->OnInitialization = [this](QObject*) { AddAutomationMethods(*module, Context()); };
        module->SetEngine(engine.get());
        engine->LayoutLoaded();
        engine->ExecuteLines({"import orvex"});
    }
    void TearDown() override {
        module.reset();
        engine.reset();
    }
    // Runs code; the name of the exception it raised, or "ok".
    QString Outcome(const QStringList& lines) {
        QStringList guarded{"try:"};
        for (const QString& line : lines)
            guarded.append(QStringLiteral("    ") + line);
        guarded << "    outcome = 'ok'"
                << "except Exception as e:"
                << "    outcome = type(e).__name__ + ': ' + str(e)";
        engine->ExecuteLines(guarded);
        return Eval(*engine, QStringLiteral("outcome"));
    }

    test::WorkingDir dir;
    std::unique_ptr<TPythonEngine> engine;
    std::unique_ptr<TPythonModule> module;
};

}  // namespace

TEST_F(Orvex, TheSeventeenMethodsThenTypeTextAndTheNewOnesInOrderDocumentedByName) {
    const char* names[] = {"GetColor",      "GetRGB",         "MouseLeftClick", "MouseRightClick", "MouseMoveAbs",
                           "MouseMoveRel",  "MouseX",         "MouseY",         "ScreenX",         "ScreenY",
                           "KeyDown",       "KeyUp",          "KeySend",        "Sleep",           "PlayWav",
                           "SetBindGlobal", "GetBindGlobal",  "TypeText",       "PixelSearch",     "ImageSearch",
                           "WindowTitle",   "WindowActivate", "WindowWait",     "GetClipboard",    "SetClipboard"};
    constexpr int kCount = static_cast<int>(std::size(names));
    ASSERT_EQ(module->EntryCount(), kCount);
    EXPECT_EQ(module->Capacity(), 30);
    for (int i = 0; i < kCount; ++i) {
        EXPECT_STREQ(module->MethodTable()[i].ml_name, names[i]);
        EXPECT_STREQ(module->MethodTable()[i].ml_doc, names[i]);
        EXPECT_EQ(module->MethodTable()[i].ml_flags, 1);
    }
    for (int i = kCount; i <= 30; ++i)
        EXPECT_EQ(module->MethodTable()[i].ml_name, nullptr);
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.KeySend.__doc__")), QStringLiteral("KeySend"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.ImageSearch.__doc__")), QStringLiteral("ImageSearch"));
}

TEST_F(Orvex, ParserErrorsNameTheMethodAndDoNothing) {
    EXPECT_EQ(Outcome({"orvex.MouseMoveAbs(1)"}),
              QStringLiteral("TypeError: MouseMoveAbs() takes exactly 2 arguments (1 given)"));
    EXPECT_TRUE(input->events.empty());
    EXPECT_TRUE(Outcome({"orvex.KeySend(5)"}).startsWith(QStringLiteral("TypeError: KeySend()")))
        << Outcome({"orvex.KeySend(5)"}).toStdString();
    EXPECT_TRUE(input->events.empty());
    EXPECT_TRUE(Outcome({"orvex.Sleep('long')"}).startsWith(QStringLiteral("TypeError")));
    EXPECT_TRUE(Outcome({"orvex.SetBindGlobal('only one')"}).startsWith(QStringLiteral("TypeError: SetBindGlobal()")));
}

TEST_F(Orvex, ArgumentlessMethodsIgnoreWhateverTheyAreGiven) {
    input->cursor = {12, 34};
    screen->size = {1024, 768};
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.MouseX('x', 2), orvex.MouseY(None), orvex.ScreenX(1, 2, 3), "
                                           "orvex.ScreenY([]))")),
              QStringLiteral("(12, 34, 1024, 768)"));
    EXPECT_EQ(Outcome({"orvex.MouseLeftClick(1, 'two')", "orvex.MouseRightClick(k=3) if False else None",
                       "orvex.MouseRightClick(3)"}),
              QStringLiteral("ok"));
    const std::vector<Event> expected = {
        Event{Event::Kind::Mouse, 0x8002, 12, 34}, Event{Event::Kind::Mouse, 0x8004, 12, 34},
        Event{Event::Kind::Mouse, 0x8008, 12, 34}, Event{Event::Kind::Mouse, 0x8010, 12, 34}};
    EXPECT_EQ(input->events, expected);
}

TEST_F(Orvex, ColoursMovesAndKeysThroughTheirPrimitives) {
    screen->SetPixel(5, 6, 255, 229, 0);
    screen->SetPixel(7, 8, 1, 2, 3);
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.GetColor(5, 6), orvex.GetRGB(7, 8), orvex.GetColor(7, 8))")),
              QStringLiteral("('red', '010203', '')"));
    screen->size = {1024, 768};
    EXPECT_EQ(Outcome({"orvex.MouseMoveAbs(512, 0)"}), QStringLiteral("ok"));
    ASSERT_FALSE(input->events.empty());
    EXPECT_EQ(input->events.back(), (Event{Event::Kind::Mouse, 0x8001, 32768, 0}));
    input->events.clear();
    EXPECT_EQ(Outcome({"orvex.KeySend('A')", "orvex.KeySend('')"}), QStringLiteral("ok"));
    const std::vector<Event> keys = {platform::FakeInputSynth::KeyDown(vk::Shift),
                                     platform::FakeInputSynth::KeyDown('A'), platform::FakeInputSynth::KeyUp('A'),
                                     platform::FakeInputSynth::KeyUp(vk::Shift)};
    EXPECT_EQ(input->events, keys);
    input->events.clear();
    EXPECT_EQ(Outcome({"orvex.KeyDown('ESC')"}), QStringLiteral("ok"));
    EXPECT_EQ(input->HeldKeys(), std::vector<int>{vk::Escape});
    EXPECT_EQ(Outcome({"orvex.KeyUp('ESC')"}), QStringLiteral("ok"));
    EXPECT_TRUE(input->HeldKeys().empty());
}

TEST_F(Orvex, BindGlobalsFromScripts) {
    Context().BindGlobals().Clear();
    EXPECT_EQ(Outcome({"orvex.SetBindGlobal('Count', 'a=b')", "orvex.SetBindGlobal('other', 'x')",
                       "orvex.SetBindGlobal('other', '')"}),
              QStringLiteral("ok"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.GetBindGlobal('COUNT'), orvex.GetBindGlobal('other'))")),
              QStringLiteral("('a=b', '')"));
    EXPECT_EQ(Context().BindGlobals().Lines(), QStringList{"Count=a=b"});
}

TEST_F(Orvex, PlayWavFailuresReachTheScriptWithTheDevicesText) {
    dir.Write(QStringLiteral("bad.wav"), "not a wave");
    wave->failures.insert(QStringLiteral("bad.wav"), QStringLiteral("Unrecognized file type"));
    EXPECT_EQ(Outcome({"orvex.PlayWav('missing.wav')"}), QStringLiteral("ok"));
    EXPECT_EQ(Outcome({"orvex.PlayWav('bad.wav')"}), QStringLiteral("RuntimeError: Unrecognized file type"));
    dir.Write(QStringLiteral("good.wav"), "x");
    EXPECT_EQ(Outcome({"orvex.PlayWav('good.wav')"}), QStringLiteral("ok"));
    EXPECT_TRUE(Context().WavePlayer().IsOpen());
}

TEST_F(Orvex, PixelSearchFindsTheFirstPixelWithinTheVariation) {
    screen->size = {300, 200};
    screen->SetPixel(120, 40, 0x12, 0x80, 0xFE);
    screen->SetPixel(10, 150, 0x12, 0x80, 0xFE);
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.PixelSearch(0, 0, 299, 199, '1280FE'), "
                                           "orvex.PixelSearch(0, 0, 299, 199, '1280fe', 0), "
                                           "orvex.PixelSearch(299, 199, 0, 0, '1280FE'), "
                                           "orvex.PixelSearch(121, 0, 299, 199, '1280FE'), "
                                           "orvex.PixelSearch(0, 0, 299, 199, '1381FD'), "
                                           "orvex.PixelSearch(0, 0, 299, 199, '1381FD', 1), "
                                           "orvex.PixelSearch(0, 0, 299, 199, '1481FD', 1))")),
              QStringLiteral("((120, 40), (120, 40), (120, 40), None, None, (120, 40), None)"));
    // Off the screen, partly and wholly.
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.PixelSearch(-50, 100, 10, 5000, '1280FE'), "
                                           "orvex.PixelSearch(300, 0, 400, 199, '000000', 255))")),
              QStringLiteral("((10, 150), None)"));
}

TEST_F(Orvex, ImageSearchFindsAnImageFileAndSaysWhyAFileCannotBeRead) {
    screen->size = {300, 200};
    screen->background = 0xFFFFFF;
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    image.setPixel(0, 0, qRgb(200, 0, 0));
    image.setPixel(2, 1, qRgb(0, 0, 200));
    ASSERT_TRUE(image.save(dir.Path() + QStringLiteral("/mark.png")));
    screen->SetPixel(297, 198, 200, 0, 0);
    screen->SetPixel(299, 199, 0, 0, 200);
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.ImageSearch(0, 0, 299, 199, 'mark.png'), "
                                           "orvex.ImageSearch(0, 0, 298, 199, 'mark.png'), "
                                           "orvex.ImageSearch(0, 0, 299, 199, 'mark.png', 255))")),
              QStringLiteral("((297, 198), None, (0, 0))"));
    EXPECT_EQ(Outcome({"orvex.ImageSearch(0, 0, 299, 199, 'missing.png')"}),
              QStringLiteral("RuntimeError: Cannot read the image missing.png: File not found"));
    dir.Write(QStringLiteral("text.png"), "hello");
    EXPECT_TRUE(Outcome({"orvex.ImageSearch(0, 0, 299, 199, 'text.png')"})
                    .startsWith(QStringLiteral("RuntimeError: Cannot read the image text.png: ")));
}

TEST_F(Orvex, SearchesCheckTheirArguments) {
    screen->grabs = 0;
    EXPECT_EQ(Outcome({"orvex.PixelSearch(0, 0, 10, 10)"}),
              QStringLiteral("TypeError: PixelSearch() takes at least 5 arguments (4 given)"));
    EXPECT_TRUE(
        Outcome({"orvex.PixelSearch(0, 0, 10, 10, 0xFF0000)"}).startsWith(QStringLiteral("TypeError: PixelSearch()")));
    EXPECT_TRUE(
        Outcome({"orvex.ImageSearch(0, 0, 10, 'a.png')"}).startsWith(QStringLiteral("TypeError: ImageSearch()")));
    EXPECT_TRUE(Outcome({"orvex.ImageSearch(0, 0, 10, 10, 'a.png', 1, 2)"})
                    .startsWith(QStringLiteral("TypeError: ImageSearch()")));
    EXPECT_EQ(Outcome({"orvex.PixelSearch(0, 0, 10, 10, '#FF0000')"}),
              QStringLiteral("ValueError: PixelSearch() rgb must be six hexadecimal digits, red first, as GetRGB gives "
                             "them (such as \"FF8000\"), not \"#FF0000\""));
    EXPECT_TRUE(Outcome({"orvex.PixelSearch(0, 0, 10, 10, 'F00')"}).startsWith(QStringLiteral("ValueError")));
    EXPECT_EQ(Outcome({"orvex.PixelSearch(0, 0, 10, 10, 'FF0000', 256)"}),
              QStringLiteral("ValueError: PixelSearch() variation must be from 0 to 255, not 256"));
    EXPECT_EQ(Outcome({"orvex.ImageSearch(0, 0, 10, 10, 'a.png', -1)"}),
              QStringLiteral("ValueError: ImageSearch() variation must be from 0 to 255, not -1"));
    EXPECT_EQ(screen->grabs, 0) << "a search with bad arguments reads nothing";
}

// The same module with no display to work on.
class OrvexWithoutDisplay : public Orvex {
protected:
    void SetUp() override {
        services.input.reset();
        services.screen.reset();
        services.windows.reset();
        Orvex::SetUp();
    }
};

TEST_F(OrvexWithoutDisplay, NoDisplayIsAScriptErrorNotACrash) {
    EXPECT_TRUE(Outcome({"orvex.MouseX()"}).startsWith(QStringLiteral("RuntimeError")));
    EXPECT_TRUE(Outcome({"orvex.GetRGB(1, 1)"}).startsWith(QStringLiteral("RuntimeError")));
    EXPECT_TRUE(Outcome({"orvex.PixelSearch(0, 0, 9, 9, 'FFFFFF')"}).startsWith(QStringLiteral("RuntimeError")));
    EXPECT_EQ(Eval(*engine, QStringLiteral("1 + 1")), QStringLiteral("2"));
}

TEST_F(Orvex, SleepNestsOtherBindsAndLetsPythonThreadsRun) {
    // A timer fires while the script sleeps and runs code of its own, nested.
    QTimer tick;
    tick.setInterval(20);
    int nested = 0;
    // As the binds do: nothing starts inside the events handled for code
    // that does not wait; the tick looks again a moment later.
    std::function<void()> run = [&] {
        if (!engine->MayStart()) {
            QTimer::singleShot(5, &tick, run);
            return;
        }
        engine->ExecuteLines({"ticks.append(len(ticks))"});
        ++nested;
    };
    QObject::connect(&tick, &QTimer::timeout, run);
    tick.start();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Outcome({"import threading", "ticks = []", "spins = [0]", "stop = [False]",
                       "def spin():", "    while not stop[0]:", "        spins[0] += 1",
                       "t = threading.Thread(target=spin)", "t.start()", "before = spins[0]", "orvex.Sleep(200)",
                       "during = spins[0] - before", "stop[0] = True", "t.join()"}),
              QStringLiteral("ok"));
    tick.stop();
    EXPECT_GE(clock.elapsed(), 200);
    EXPECT_GE(nested, 3);
    EXPECT_EQ(Eval(*engine, QStringLiteral("len(ticks) >= 3")), QStringLiteral("True"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("during > 0")), QStringLiteral("True"))
        << "a Python thread runs while the script sleeps";
    EXPECT_EQ(Outcome({"orvex.Sleep(0)", "orvex.Sleep(-5)"}), QStringLiteral("ok"));
}

TEST_F(Orvex, TheStoreClearedByRunWhileThreadsUseItStaysWhole) {
    Context().BindGlobals().Clear();
    engine->ExecuteLines({"import threading", "stop = [False]", "errors = []", "def use(i):", "    n = 0",
                          "    while not stop[0]:", "        n += 1",
                          "        try:", "            orvex.SetBindGlobal('name%d_%d' % (i, n % 50), 'value')",
                          "            orvex.GetBindGlobal('name%d_%d' % (i, (n * 7) % 50))",
                          "        except Exception as e:", "            errors.append(repr(e))",
                          "workers = [threading.Thread(target=use, args=(i,)) for i in range(8)]",
                          "for w in workers: w.start()"});
    // Run clears the store on the GUI thread, which holds no interpreter
    // lock between executions: the threads run meanwhile, until they have
    // written to it again after a clear a hundred times.
    QElapsedTimer clock;
    clock.start();
    int refilled = 0;
    while (refilled < 100 && clock.elapsed() < 10000) {
        if (!Context().BindGlobals().Lines().isEmpty())
            ++refilled;
        Context().BindGlobals().Clear();
        for (const QString& line : Context().BindGlobals().Lines())
            ASSERT_TRUE(line.startsWith(QStringLiteral("name")) && line.endsWith(QStringLiteral("=value")))
                << line.toStdString();
    }
    engine->ExecuteLines({"stop[0] = True", "for w in workers: w.join()"});
    EXPECT_EQ(Eval(*engine, QStringLiteral("errors")), QStringLiteral("[]"));
    EXPECT_GE(refilled, 100);
}

TEST_F(Orvex, MethodsStillServeCodeThatRunsWhileTheInterpreterStops) {
    const QString out = dir.Path() + QStringLiteral("/late.txt");
    engine->ExecuteLines({"class Late:", "    def __del__(self, orvex=orvex, open=open, path=r'" + out + "'):",
                          "        try:", "            orvex.SetBindGlobal('late', 'yes')",
                          "            said = orvex.GetBindGlobal('late') + ' ' + str(orvex.ScreenX())",
                          "        except Exception as e:", "            said = 'failed: %s' % e",
                          "        with open(path, 'w') as f:", "            f.write(said)", "keeper = Late()"});
    screen->size = {800, 600};
    engine->Finalize();
    QFile file(out);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << "the finaliser ran";
    EXPECT_EQ(file.readAll(), QByteArray("yes 800"));
}

TEST_F(Orvex, TypeTextTypesEveryCharacterAndChecksItsArgument) {
    using platform::FakeInputSynth;
    EXPECT_EQ(Outcome({"orvex.TypeText('Hi\\n\\u00e9')"}), QStringLiteral("ok"));
    const std::vector<Event> typed = {FakeInputSynth::KeyDown(vk::Shift),  FakeInputSynth::KeyDown('H'),
                                      FakeInputSynth::KeyUp('H'),          FakeInputSynth::KeyUp(vk::Shift),
                                      FakeInputSynth::KeyDown('I'),        FakeInputSynth::KeyUp('I'),
                                      FakeInputSynth::KeyDown(vk::Return), FakeInputSynth::KeyUp(vk::Return),
                                      FakeInputSynth::CharacterDown(0xE9), FakeInputSynth::CharacterUp(0xE9)};
    EXPECT_EQ(input->events, typed);
    EXPECT_TRUE(Outcome({"orvex.TypeText(5)"}).startsWith(QStringLiteral("TypeError")));
    EXPECT_TRUE(Outcome({"orvex.TypeText()"}).startsWith(QStringLiteral("TypeError")));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.TypeText.__doc__")), QStringLiteral("TypeText"));
}

// A long text is typed a slice at a time with the program's events handled
// between the slices, as Sleep handles them; closing the program meanwhile
// ends the typing and the script.
TEST_F(Orvex, TypeTextHandlesEventsBetweenSlicesAndClosingEndsIt) {
    bool handled = false;
    QTimer::singleShot(0, [&handled] { handled = true; });
    EXPECT_EQ(Outcome({"orvex.TypeText('x' * 100)"}), QStringLiteral("ok"));
    EXPECT_TRUE(handled) << "no event was handled while typing";
    EXPECT_EQ(input->events.size(), 200u);

    input->events.clear();
    QTimer::singleShot(0, [] { quit::Request(); });
    QString ended;
    try {
        engine->ExecuteLines({"orvex.TypeText('x' * 1000)", "orvex.KeySend('Y')"});
    } catch (const std::exception& e) {
        ended = QString::fromUtf8(e.what());
    }
    EXPECT_EQ(ended, QStringLiteral("SystemExit: Orvexa is closing"));
    EXPECT_GT(input->events.size(), 0u);
    EXPECT_LT(input->events.size(), 2000u) << "the typing went on after the program closed";
    EXPECT_EQ(std::count(input->events.begin(), input->events.end(), platform::FakeInputSynth::KeyDown('Y')), 0)
        << "the script went on after the program closed";
}

// Two windows in front of a third that is minimised; the one behind has the
// focus.
class OrvexWindows : public Orvex {
protected:
    void SetUp() override {
        windows->SetWindows({{11, QStringLiteral("Terminal — ~/Documents"), true},
                             {12, QStringLiteral("Café Zürich · Notes"), true},
                             {13, QStringLiteral("Hidden Notes"), false}});
        windows->Focus(12);
        Orvex::SetUp();
    }
};

TEST_F(OrvexWindows, WindowTitleIsTheFocusedWindowsTitleOrEmpty) {
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowTitle() == 'Caf\\u00e9 Z\\u00fcrich \\u00b7 Notes'")),
              QStringLiteral("True"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("repr(orvex.WindowTitle('ignored', 2))")),
              QStringLiteral("'Café Zürich · Notes'"));
    windows->Focus(0);
    EXPECT_EQ(Eval(*engine, QStringLiteral("repr(orvex.WindowTitle())")), QStringLiteral("''"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowTitle.__doc__")), QStringLiteral("WindowTitle"));
}

TEST_F(OrvexWindows, WindowActivateFocusesTheFrontMostVisibleMatch) {
    // Case-sensitive, visible windows only, the one in front first.
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowActivate('notes')")), QStringLiteral("False"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowActivate('Hidden')")), QStringLiteral("False"));
    EXPECT_TRUE(windows->ActivationRequests().empty()) << "nothing matched, nothing was asked";
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowActivate('Terminal')")), QStringLiteral("True"));
    EXPECT_EQ(windows->FocusedWindow(), 11u);
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowActivate('Z\\u00fcrich')")), QStringLiteral("True"));
    EXPECT_EQ(windows->FocusedWindow(), 12u);
    // Every title contains the empty text: the window in front.
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowActivate('')")), QStringLiteral("True"));
    EXPECT_EQ(windows->ActivationRequests(), (std::vector<platform::WindowId>{11, 12, 12}));
}

TEST_F(OrvexWindows, WindowActivateRefusedByTheDesktopIsFalseAfterABoundedWait) {
    windows->RefuseActivation(true);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowActivate('Terminal')")), QStringLiteral("False"));
    EXPECT_GE(clock.elapsed(), kActivationTimeoutMs);
    EXPECT_LT(clock.elapsed(), kActivationTimeoutMs + 2000);
    EXPECT_EQ(windows->FocusedWindow(), 12u);
}

TEST_F(OrvexWindows, WindowMethodsCheckTheirArguments) {
    EXPECT_TRUE(Outcome({"orvex.WindowActivate(5)"}).startsWith(QStringLiteral("TypeError: WindowActivate()")))
        << Outcome({"orvex.WindowActivate(5)"}).toStdString();
    EXPECT_TRUE(Outcome({"orvex.WindowActivate()"}).startsWith(QStringLiteral("TypeError")));
    EXPECT_TRUE(Outcome({"orvex.WindowWait('x')"}).startsWith(QStringLiteral("TypeError: WindowWait()")));
    EXPECT_TRUE(Outcome({"orvex.WindowWait('x', 'y')"}).startsWith(QStringLiteral("TypeError")));
    EXPECT_TRUE(Outcome({"orvex.WindowWait(1, 2)"}).startsWith(QStringLiteral("TypeError")));
    EXPECT_TRUE(windows->ActivationRequests().empty());
}

TEST_F(OrvexWindows, WindowWaitEndsAtTheDeadlineOrWhenTheTitleComes) {
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowWait('Terminal', 300)")), QStringLiteral("False"));
    EXPECT_GE(clock.elapsed(), 300);
    // Already there: at once.
    clock.restart();
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowWait('Notes', 5000)")), QStringLiteral("True"));
    EXPECT_LT(clock.elapsed(), 1000);
    // A delay of 0 or less looks once.
    EXPECT_EQ(Eval(*engine, QStringLiteral("(orvex.WindowWait('Terminal', 0), orvex.WindowWait('Terminal', -5), "
                                           "orvex.WindowWait('Notes', -5))")),
              QStringLiteral("(False, False, True)"));
    // Another window takes the focus while the script waits; the event that
    // moves it is handled inside the wait.
    QTimer::singleShot(200, [this] { windows->Focus(11); });
    clock.restart();
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowWait('Terminal', 5000)")), QStringLiteral("True"));
    EXPECT_GE(clock.elapsed(), 190);
    EXPECT_LT(clock.elapsed(), 2000);
    // A title that changes counts too.
    QTimer::singleShot(100, [this] { windows->SetTitle(11, QStringLiteral("Terminal — make")); });
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.WindowWait('make', 5000)")), QStringLiteral("True"));
}

TEST_F(OrvexWindows, WindowWaitEndsTheScriptWhenTheProgramCloses) {
    QTimer::singleShot(150, [] { quit::Request(); });
    QElapsedTimer clock;
    clock.start();
    QString ended;
    try {
        engine->ExecuteLines({"orvex.WindowWait('Never', 60000)", "after = True"});
    } catch (const std::exception& e) {
        ended = QString::fromUtf8(e.what());
    }
    EXPECT_EQ(ended, QStringLiteral("SystemExit: Orvexa is closing"));
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(Outcome({"after"}), QStringLiteral("NameError: name 'after' is not defined"));
}

TEST_F(OrvexWindows, WindowWaitInAScriptThreadLetsTheOthersRun) {
    EXPECT_EQ(
        Outcome({"import threading", "found = []",
                 "t = threading.Thread(target=lambda: found.append(orvex.WindowWait('Terminal', 3000)))", "t.start()"}),
        QStringLiteral("ok"));
    QTimer::singleShot(200, [this] { windows->Focus(11); });
    EXPECT_EQ(Outcome({"for _ in range(1000):", "    if not t.is_alive(): break", "    orvex.Sleep(10)", "t.join()"}),
              QStringLiteral("ok"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("found")), QStringLiteral("[True]"));
}

TEST_F(Orvex, ClipboardRoundTripsTextOfAnyAlphabet) {
    EXPECT_EQ(Eval(*engine, QStringLiteral("repr(orvex.GetClipboard())")), QStringLiteral("''"));
    EXPECT_EQ(Outcome({"orvex.SetClipboard('Gr\\u00fc\\u00dfe \\u2014 5 \\u20ac \\U0001f600\\nzwei')"}),
              QStringLiteral("ok"));
    EXPECT_EQ(clipboard->Text(), QStringLiteral("Grüße — 5 € 😀\nzwei"));
    clipboard->SetText(QStringLiteral("из другой программы"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.GetClipboard(1, 'ignored') == "
                                           "'\\u0438\\u0437 \\u0434\\u0440\\u0443\\u0433\\u043e\\u0439 "
                                           "\\u043f\\u0440\\u043e\\u0433\\u0440\\u0430\\u043c\\u043c\\u044b'")),
              QStringLiteral("True"));
    EXPECT_EQ(Outcome({"orvex.SetClipboard('')"}), QStringLiteral("ok"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("repr(orvex.GetClipboard())")), QStringLiteral("''"));
    EXPECT_TRUE(Outcome({"orvex.SetClipboard(5)"}).startsWith(QStringLiteral("TypeError: SetClipboard()")));
    EXPECT_TRUE(Outcome({"orvex.SetClipboard()"}).startsWith(QStringLiteral("TypeError")));
    clipboard->Fail(QStringLiteral("The clipboard's owner did not answer"));
    EXPECT_EQ(Outcome({"orvex.GetClipboard()"}), QStringLiteral("RuntimeError: The clipboard's owner did not answer"));
}

TEST_F(OrvexWithoutDisplay, WindowMethodsWithoutADisplayRaiseRuntimeError) {
    EXPECT_EQ(Outcome({"orvex.WindowTitle()"}),
              QStringLiteral("RuntimeError: No X display is available for window titles and activation"));
    EXPECT_TRUE(Outcome({"orvex.WindowActivate('x')"}).startsWith(QStringLiteral("RuntimeError")));
    EXPECT_TRUE(Outcome({"orvex.WindowWait('x', 10)"}).startsWith(QStringLiteral("RuntimeError")));
}

// Qt's own clipboard (in-process on the offscreen platform) from a script's
// threads, which reach it through the GUI thread.
class OrvexQtClipboard : public Orvex {
protected:
    void SetUp() override {
        services.clipboard = platform::CreateQtClipboard(std::chrono::milliseconds(500));
        Orvex::SetUp();
    }
};

TEST_F(OrvexQtClipboard, ScriptThreadsUseTheClipboardWhileTheScriptWaits) {
    EXPECT_EQ(Outcome({"import threading", "got = []", "def use():", "    orvex.SetClipboard('from a thread \u00e9')",
                       "    got.append(orvex.GetClipboard())", "t = threading.Thread(target=use)", "t.start()",
                       "for _ in range(1000):", "    if not t.is_alive(): break", "    orvex.Sleep(10)", "t.join()"}),
              QStringLiteral("ok"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("got == ['from a thread \u00e9']")), QStringLiteral("True"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("orvex.GetClipboard() == 'from a thread \u00e9'")), QStringLiteral("True"));
}

TEST_F(OrvexQtClipboard, AThreadsCallIsServedWhileTheGuiThreadRunsScriptCodeThatNeverWaits) {
    EXPECT_EQ(Outcome({"orvex.SetClipboard('before')"}), QStringLiteral("ok"));
    // The GUI thread spins in script code that never waits, until the
    // thread has its answer: the events handled from inside that code
    // serve the thread's call.
    EXPECT_EQ(
        Outcome({"import threading, time", "said = []", "def use():", "    try:", "        orvex.SetClipboard('late')",
                 "        said.append('set')", "    except RuntimeError as e:", "        said.append(str(e))",
                 "t = threading.Thread(target=use)", "t.start()", "end = time.time() + 10",
                 "while not said and time.time() < end: pass", "t.join()"}),
        QStringLiteral("ok"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("said")), QStringLiteral("['set']"));
    EXPECT_EQ(Eval(*engine, QStringLiteral("repr(orvex.GetClipboard())")), QStringLiteral("'late'"));
}

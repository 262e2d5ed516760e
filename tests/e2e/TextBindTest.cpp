// TEXT binds of the real program (--run) on a real X server, typed through
// XTEST as another program types for the user, into real programs under a
// window manager: the abbreviation (with Shift, AltGr and a dead key on the
// German layout) is erased and replaced by what the bind types, which
// itself never runs the bind again; a click between the characters keeps
// the rest from counting; the shipped signature example does what it says.
#include "tests/e2e/OrvexaProcess.h"
#include "tests/support/Layouts.h"
#include "tests/support/TempDir.h"
#include "tests/support/toolkits/ToolkitReceiver.h"
#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/WindowManager.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#include <xkbcommon/xkbcommon-keysyms.h>

#include <vector>

using namespace orvexa;

namespace {

// The bind types its own abbreviation back: were the program's keys taken
// for the user's, it would run again and again.
constexpr char kScript[] =
    "//BIND MAIN\n"
    "import orvex\n"
    "print('armed', flush=True)\n"
    "//BIND TEXT Sig!\n"
    "orvex.TypeText('Best regards, Sig!')\n"
    "print('us', flush=True)\n"
    "//BIND TEXT g\xc3\xa9@\n"
    "orvex.TypeText('Gr\xc3\xbc\xc3\x9f"
    "e')\n"
    "print('de', flush=True)\n"
    "//BIND TEXT qq\n"
    "print('sentinel', flush=True)\n";

// Presses keys as the user would: each keysym by the key and level that
// carry it in the server's map now (Shift for the second level, AltGr for
// the third).
class Typist {
public:
    bool Ok() { return keys_.Ok() && Find(XKB_KEY_Shift_L).keycode != 0; }

    bool Type(const std::vector<unsigned long>& keysyms) {
        for (const unsigned long keysym : keysyms) {
            const Place place = Find(keysym);
            if (place.keycode == 0)
                return false;
            const unsigned modifier = place.level == 1   ? Find(XKB_KEY_Shift_L).keycode
                                      : place.level == 2 ? Find(XKB_KEY_ISO_Level3_Shift).keycode
                                                         : 0;
            if (modifier)
                keys_.Keycode(modifier, true);
            keys_.Keycode(place.keycode, true);
            keys_.Keycode(place.keycode, false);
            if (modifier)
                keys_.Keycode(modifier, false);
        }
        keys_.Sync();
        return true;
    }

private:
    struct Place {
        unsigned keycode = 0;
        int level = 0;
    };
    // The core map lists a key's first group's first two levels, then the
    // second group's two, then the first group's third.
    Place Find(unsigned long keysym) {
        for (const auto& [index, level] : {std::pair{0, 0}, {1, 1}, {4, 2}})
            for (unsigned keycode = 8; keycode < 256; ++keycode) {
                const std::vector<unsigned long> keysyms = keys_.Keysyms(keycode);
                if (keysyms.size() > static_cast<std::size_t>(index) && keysyms[index] == keysym)
                    return {keycode, level};
            }
        return {};
    }

    platform::KeyInjector keys_;
};

class Orvexa {
public:
    explicit Orvexa(const QString& dir) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        process_.setProcessEnvironment(env);
        process_.setWorkingDirectory(dir);
        // What the program says of itself goes to the test's log.
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(qEnvironmentVariable("ORVEXA_BINARY"), {QStringLiteral("--run"), QStringLiteral("text.orx")});
    }
    ~Orvexa() {
        process_.terminate();
        process_.waitForFinished(10000);
    }
    Orvexa(const Orvexa&) = delete;
    Orvexa& operator=(const Orvexa&) = delete;

    // Waits until the program printed `line` `times` times; what it printed.
    QByteArray WaitFor(const QByteArray& line, int times = 1) {
        QElapsedTimer clock;
        clock.start();
        while (out_.count(line + '\n') < times && clock.elapsed() < 20000 && process_.state() != QProcess::NotRunning) {
            process_.waitForReadyRead(20);
            out_ += process_.readAllStandardOutput();
        }
        return out_;
    }

private:
    QProcess process_;
    QByteArray out_;
};

class TextBinds : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(TextBinds, TheAbbreviationTypedOnUsAndGermanLayoutsIsReplacedByWhatTheBindTypes) {
    test::WindowManager manager;
    ASSERT_TRUE(manager.Start()) << manager.Failure().toStdString();
    test::WorkingDir dir;
    dir.Write(QStringLiteral("text.orx"), kScript);
    const auto receiver = test::StartReceiver(QLatin1String(GetParam()));
    ASSERT_TRUE(receiver->Failure().isEmpty()) << receiver->Failure().toStdString();
    ASSERT_TRUE(test::SetLayout({QStringLiteral("us")}));
    Orvexa orvexa(dir.Path());
    ASSERT_TRUE(orvexa.WaitFor("armed").contains("armed")) << orvexa.WaitFor("armed").constData();
    Typist typist;
    ASSERT_TRUE(typist.Ok());
    receiver->Focus();

    // "a" stays: the abbreviation alone is erased.
    ASSERT_TRUE(typist.Type({XKB_KEY_a, XKB_KEY_S, XKB_KEY_i, XKB_KEY_g, XKB_KEY_exclam}));
    EXPECT_EQ(receiver->WaitFor(QStringLiteral("aBest regards, Sig!")), QStringLiteral("aBest regards, Sig!"));
    ASSERT_TRUE(typist.Type({XKB_KEY_q, XKB_KEY_q}));
    EXPECT_EQ(orvexa.WaitFor("sentinel"), QByteArray("armed\nus\nsentinel\n"));

    receiver->Clear();
    ASSERT_TRUE(test::SetLayout({QStringLiteral("de")}));
    receiver->Focus();
    // g, then dead acute and e for the accented e, then AltGr+Q for @.
    ASSERT_TRUE(typist.Type({XKB_KEY_x, XKB_KEY_g, XKB_KEY_dead_acute, XKB_KEY_e, XKB_KEY_at}));
    // A program that composes no dead keys (the Xlib client) received "e",
    // one character all the same.
    EXPECT_EQ(receiver->WaitFor(QStringLiteral("xGr\u00FC\u00DFe")), QStringLiteral("xGr\u00FC\u00DFe"));
    ASSERT_TRUE(typist.Type({XKB_KEY_q, XKB_KEY_q}));
    EXPECT_EQ(orvexa.WaitFor("sentinel", 2), QByteArray("armed\nus\nsentinel\nde\nsentinel\n"));
}

INSTANTIATE_TEST_SUITE_P(Receivers, TextBinds, ::testing::Values("xlib", "gtk3"),
                         [](const ::testing::TestParamInfo<const char*>& receiver) {
                             return std::string(receiver.param);
                         });

TEST(TextBind, AClickBetweenTheCharactersKeepsTheAbbreviationFromFiring) {
    test::WorkingDir dir;
    dir.Write(QStringLiteral("text.orx"), kScript);
    const auto receiver = test::StartReceiver(QStringLiteral("xlib"));
    ASSERT_TRUE(receiver->Failure().isEmpty()) << receiver->Failure().toStdString();
    ASSERT_TRUE(test::SetLayout({QStringLiteral("us")}));
    Orvexa orvexa(dir.Path());
    ASSERT_TRUE(orvexa.WaitFor("armed").contains("armed"));
    Typist typist;
    ASSERT_TRUE(typist.Ok());
    receiver->Focus();
    ASSERT_TRUE(typist.Type({XKB_KEY_S, XKB_KEY_i}));
    test::RunTool(QStringLiteral("xdotool"), {QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(typist.Type({XKB_KEY_g, XKB_KEY_exclam, XKB_KEY_q, XKB_KEY_q}));
    EXPECT_EQ(orvexa.WaitFor("sentinel"), QByteArray("armed\nsentinel\n"));
    EXPECT_EQ(receiver->WaitFor(QStringLiteral("Sig!")), QStringLiteral("Sig!"));
}

TEST(TextBind, TheShippedSignatureExampleReplacesItsAbbreviation) {
    QFile example(QStringLiteral(ORVEXA_EXAMPLES_DIR "/signature.orx"));
    ASSERT_TRUE(example.open(QIODevice::ReadOnly));
    test::WorkingDir dir;
    dir.Write(QStringLiteral("text.orx"), example.readAll());
    const auto receiver = test::StartReceiver(QStringLiteral("xlib"));
    ASSERT_TRUE(receiver->Failure().isEmpty()) << receiver->Failure().toStdString();
    ASSERT_TRUE(test::SetLayout({QStringLiteral("us")}));
    Orvexa orvexa(dir.Path());
    ASSERT_TRUE(orvexa.WaitFor("Type ;sig in a text window").contains("Type ;sig"));
    Typist typist;
    ASSERT_TRUE(typist.Ok());
    receiver->Focus();
    ASSERT_TRUE(typist.Type({XKB_KEY_H, XKB_KEY_i, XKB_KEY_space, XKB_KEY_semicolon, XKB_KEY_s, XKB_KEY_i, XKB_KEY_g}));
    const QString expected = QStringLiteral("Hi Best regards,\nAnna Example\n");
    EXPECT_EQ(receiver->WaitFor(expected), expected);
}

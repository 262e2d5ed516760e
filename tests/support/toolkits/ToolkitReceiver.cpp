#include "tests/support/toolkits/ToolkitReceiver.h"

#include "tests/support/x11/KeyInjector.h"
#include "tests/support/x11/TextReceiver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <xkbcommon/xkbcommon.h>

#include <set>

namespace orvexa::test {

namespace {

// The Python that has the toolkits' bindings: the system's own.
constexpr const char* kSystemPython = "/usr/bin/python3";

QString Run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The plain Xlib client of the test support, in this process.
class XlibReceiver final : public ToolkitReceiver {
public:
    QString Failure() const override {
        return receiver_.Ok() ? QString() : QStringLiteral("the Xlib client could not show its window");
    }
    QString Text() override { return receiver_.Text(); }
    void Clear() override { receiver_.Clear(); }
    void Focus() override {}

private:
    platform::TextReceiver receiver_;
};

// A toolkit's text field in a Python program of its own
// (text_receiver.py), asked through its standard streams.
class PythonReceiver final : public ToolkitReceiver {
public:
    explicit PythonReceiver(const QString& kind) {
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QString::fromLatin1(kSystemPython), {QStringLiteral(ORVEXA_TOOLKIT_RECEIVER), kind});
        if (!process_.waitForStarted(10000))
            failure_ = kind + QStringLiteral(": the receiver did not start");
        else if (ReadLine(30000) != QStringLiteral("ready"))
            failure_ = kind + QStringLiteral(": the receiver did not show its window (are its bindings installed?)");
    }
    ~PythonReceiver() override {
        process_.closeWriteChannel();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    QString Failure() const override { return failure_; }
    QString Text() override {
        const QString line = Ask("text");
        return line.startsWith(QStringLiteral("text ")) ? QString::fromUtf8(QByteArray::fromHex(line.mid(5).toLatin1()))
                                                        : QStringLiteral("<no answer>");
    }
    void Clear() override { Ask("clear"); }
    void Focus() override { Ask("focus"); }

private:
    QString Ask(const char* command) {
        process_.write(QByteArray(command) + '\n');
        process_.waitForBytesWritten(5000);
        return ReadLine(10000);
    }
    QString ReadLine(int timeoutMs) {
        QElapsedTimer clock;
        clock.start();
        while (!process_.canReadLine() && clock.elapsed() < timeoutMs && process_.state() == QProcess::Running)
            process_.waitForReadyRead(50);
        return process_.canReadLine() ? QString::fromUtf8(process_.readLine()).trimmed() : QString();
    }

    QProcess process_;
    QString failure_;
};

// xterm running cat, which appends what it reads to a file: the terminal
// decodes the keys (Xt, Xutf8LookupString), the file holds the text.
class XtermReceiver final : public ToolkitReceiver {
public:
    XtermReceiver() {
        const QString id = dir_.filePath(QStringLiteral("window"));
        output_ = dir_.filePath(QStringLiteral("typed"));
        QFile(output_).open(QIODevice::WriteOnly);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
        process_.setProcessEnvironment(env);
        process_.setStandardOutputFile(QProcess::nullDevice());
        process_.setStandardErrorFile(QProcess::nullDevice());
        // Characters as they come (no line editing, no echo, no signals);
        // Return still arrives as a line break.
        process_.start(QStringLiteral("xterm"),
                       {QStringLiteral("-geometry"), QStringLiteral("100x30"), QStringLiteral("-e"),
                        QStringLiteral("/bin/sh"), QStringLiteral("-c"),
                        QStringLiteral("printf %s \"$WINDOWID\" > \"$1\"; stty -icanon -echo -isig -ixon; "
                                       "exec cat >> \"$2\""),
                        QStringLiteral("sh"), id, output_});
        QElapsedTimer clock;
        clock.start();
        while (window_.isEmpty() && clock.elapsed() < 30000) {
            QFile file(id);
            if (file.open(QIODevice::ReadOnly))
                window_ = QString::fromLatin1(file.readAll()).trimmed();
            QThread::msleep(20);
        }
        if (window_.isEmpty())
            failure_ = QStringLiteral("xterm did not start");
        else
            Focus();
    }
    ~XtermReceiver() override {
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    QString Failure() const override { return failure_; }
    QString Text() override {
        QFile file(output_);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    void Clear() override { QFile(output_).resize(0); }
    void Focus() override {
        Run(QStringLiteral("xdotool"), {QStringLiteral("windowactivate"), QStringLiteral("--sync"), window_});
        Run(QStringLiteral("xdotool"), {QStringLiteral("windowfocus"), QStringLiteral("--sync"), window_});
    }

private:
    QTemporaryDir dir_;
    QString output_;
    QString window_;
    QProcess process_;
    QString failure_;
};

}  // namespace

QString ToolkitReceiver::WaitFor(const QString& expected, int timeoutMs, int quietMs) {
    QElapsedTimer clock;
    clock.start();
    QElapsedTimer quiet;
    quiet.start();
    QString seen = Text();
    while (seen != expected && clock.elapsed() < timeoutMs && quiet.elapsed() < quietMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(10);
        const QString now = Text();
        if (now != seen) {
            seen = now;
            quiet.restart();
        }
    }
    return seen;
}

QStringList ReceiverNames() {
    return {QStringLiteral("xlib"), QStringLiteral("xterm"), QStringLiteral("gtk3"),
            QStringLiteral("qt5"),  QStringLiteral("qt6"),   QStringLiteral("tk")};
}

std::unique_ptr<ToolkitReceiver> StartReceiver(const QString& name) {
    if (name == QStringLiteral("xlib"))
        return std::make_unique<XlibReceiver>();
    if (name == QStringLiteral("xterm"))
        return std::make_unique<XtermReceiver>();
    return std::make_unique<PythonReceiver>(name);
}

std::vector<TestLayout> TestLayouts() {
    const auto args = [](const char* layout, const char* variant = "", const char* options = "") {
        return QStringList{QStringLiteral("-layout"), QLatin1String(layout),     QStringLiteral("-variant"),
                           QLatin1String(variant),    QStringLiteral("-option"), QString(),
                           QStringLiteral("-option"), QLatin1String(options)};
    };
    return {
        {"us", args("us")},
        {"us dvorak", args("us", "dvorak")},
        {"se", args("se")},
        {"us+se", args("us,se")},
        {"se+us", args("se,us", "", "grp:switch,grp:shifts_toggle")},
        {"de", args("de")},
        {"fr", args("fr")},
        {"ru", args("ru")},
        {"us+ru locked ru", args("us,ru"), 1},
    };
}

bool UseLayout(const TestLayout& layout) {
    if (QProcess::execute(QStringLiteral("setxkbmap"), layout.arguments) != 0)
        return false;
    platform::KeyInjector keys;
    return keys.Ok() && keys.LockGroup(layout.lockedGroup);
}

std::vector<TestText> TestTexts() {
    const QString accents = QStringLiteral("üßВладимр—€½😀ïéñøå");
    QString pool;
    for (char c = 0x21; c <= 0x7E; ++c)
        pool += QLatin1Char(c);
    pool += QStringLiteral("     ");
    const auto characters = (pool + accents).toUcs4();
    // The same mix every run: a linear congruential sequence.
    QString mix;
    std::uint32_t state = 12345;
    while (mix.toUcs4().size() < 500) {
        state = state * 1103515245u + 12345u;
        const char32_t character =
            static_cast<char32_t>(characters[static_cast<qsizetype>((state >> 16) % characters.size())]);
        mix += QString::fromUcs4(&character, 1);
    }
    return {
        {"Hello world", QStringLiteral("Hello world")},
        {"symbols", QStringLiteral("!@#$%^&*()")},
        {"alphabets", QStringLiteral("Grüße, Владимир — 1€ ½ 😀")},
        {"accents", QStringLiteral("naïve café ñ ß ø å")},
        {"500 mixed", mix},
        {"line break and tab", QStringLiteral("first line\nsecond\tline")},
    };
}

int CharactersNoKeyTypes(const QString& text, const QString& keyboardMap) {
    std::set<xkb_keysym_t> typed;
    for (const QString& line : keyboardMap.split(u'\n')) {
        const qsizetype equals = line.indexOf(u'=');
        if (equals < 0)
            continue;
        for (const QString& name : line.mid(equals + 1).split(u' ', Qt::SkipEmptyParts))
            typed.insert(xkb_keysym_from_name(name.toLatin1().constData(), XKB_KEYSYM_NO_FLAGS));
    }
    std::set<char32_t> missing;
    for (const char32_t character : text.toUcs4()) {
        xkb_keysym_t keysym = xkb_utf32_to_keysym(character);
        if (character == U'\n')
            keysym = XKB_KEY_Return;
        else if (character == U'\t')
            keysym = XKB_KEY_Tab;
        if (!typed.count(keysym))
            missing.insert(character);
    }
    return static_cast<int>(missing.size());
}

}  // namespace orvexa::test

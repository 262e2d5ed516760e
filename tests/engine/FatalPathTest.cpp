// The real orvexa binary with no usable interpreter library: both fatal
// texts on standard error, in order, and exit code 1, before the main
// window is shown. The library search path offers, under every name the
// program tries, either an invalid file (the loader stops there) or a
// library that loads but exports none of the interpreter's symbols.
#include "engine/KnownVersions.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <cstdlib>

using namespace orvexa;

namespace {

QString FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

// Every name a start tries: the known versions and the main window's name.
QStringList NamesTried() {
    QStringList names{QStringLiteral("libpython3.11.so.1.0")};
    for (const KnownVersion& known : KnownVersions()) {
        if (!names.contains(QString::fromLatin1(known.DllName)))
            names.append(QString::fromLatin1(known.DllName));
    }
    return names;
}

struct ProgramRun {
    int exitCode = -1;
    QStringList errorLines;
    bool finished = false;
};

ProgramRun RunOrvexa(const QString& libraryDir, const QString& workDir) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LD_LIBRARY_PATH"), libraryDir);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(workDir);
    process.start(FromEnvironment("ORVEXA_BINARY"), {});
    ProgramRun run;
    if (!process.waitForStarted(10000))
        return run;
    run.finished = process.waitForFinished(60000);
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardError()).split(u'\n')) {
        // Qt's own notes (XDG_RUNTIME_DIR and the like) are not ours.
        if (!line.isEmpty() && !line.startsWith(QStringLiteral("QStandardPaths")))
            run.errorLines.append(line);
    }
    return run;
}

class FatalPath : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(FromEnvironment("ORVEXA_BINARY").isEmpty());
        ASSERT_TRUE(libs.isValid());
        ASSERT_TRUE(work.isValid());
    }
    QTemporaryDir libs;
    QTemporaryDir work;
};

TEST_F(FatalPath, NoLoadableLibraryEndsWithBothTextsAndExitCode1) {
    for (const QString& name : NamesTried()) {
        QFile file(libs.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        // Long enough for the loader to read a header and reject it.
        file.write(QByteArray("not a shared library\n").repeated(32));
    }
    const ProgramRun run = RunOrvexa(libs.path(), work.path());
    ASSERT_TRUE(run.finished) << "the program hung";
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.errorLines;
    ASSERT_GE(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Error \\d+: Could not open Dll \"libpython3\\.11\\.so\\.1\\.0\"$"))
                    .match(lines.at(lines.size() - 2))
                    .hasMatch())
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.constLast(), QStringLiteral("Python could not be properly initialized. We must quit."));
    EXPECT_TRUE(lines.join(u'\n').contains(QStringLiteral("invalid ELF header")))
        << "the loader's own reason is told too";
}

TEST_F(FatalPath, ALibraryWithoutTheSymbolsEndsWithBothTextsAndExitCode1) {
    const QString fake = FromEnvironment("ORVEXA_FAKE_LIBPYTHON");
    ASSERT_TRUE(QFile::exists(fake));
    for (const QString& name : NamesTried())
        ASSERT_TRUE(QFile::copy(fake, libs.filePath(name)));
    const ProgramRun run = RunOrvexa(libs.path(), work.path());
    ASSERT_TRUE(run.finished) << "the program hung";
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = run.errorLines;
    ASSERT_GE(lines.size(), 2) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^Error \\d+: could not map symbol \"Py_DebugFlag\"$"))
                    .match(lines.at(lines.size() - 2))
                    .hasMatch())
        << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.constLast(), QStringLiteral("Python could not be properly initialized. We must quit."));
}

}  // namespace

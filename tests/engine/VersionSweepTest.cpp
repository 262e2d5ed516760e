// The execution and lifecycle suites once more against every other
// libpython3 build of 3.8 or newer that the machine has under pyenv (a
// developer's machine often has several; CI has none, and the test is
// skipped there). Each suite runs in processes of its own, one library
// per process.
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <cstdlib>

namespace {

QString FromEnvironment(const char* name) {
    const char* value = std::getenv(name);
    return value ? QString::fromLocal8Bit(value) : QString();
}

// version -> library path, for every pyenv version 3.8 or newer.
QList<QPair<QString, QString>> PyenvLibraries() {
    QString root = FromEnvironment("PYENV_ROOT");
    if (root.isEmpty())
        root = QDir::homePath() + QStringLiteral("/.pyenv");
    QList<QPair<QString, QString>> found;
    const QRegularExpression versionPattern(QStringLiteral("^3\\.(\\d+)(\\.\\d+)?$"));
    const QDir versions(root + QStringLiteral("/versions"));
    for (const QString& version : versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const auto match = versionPattern.match(version);
        if (!match.hasMatch() || match.captured(1).toInt() < 8)
            continue;
        const QString lib =
            versions.filePath(version) + QStringLiteral("/lib/libpython3.%1.so.1.0").arg(match.captured(1));
        if (QFileInfo::exists(lib))
            found.append({version, lib});
    }
    return found;
}

// Runs a test binary against one library; the failure text when it fails.
QString RunSuite(const QString& binary, const QString& library, const QString& filter) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("ORVEXA_LIBPYTHON"), library);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QStringList args;
    if (!filter.isEmpty())
        args.append(QStringLiteral("--gtest_filter=") + filter);
    process.start(binary, args);
    if (!process.waitForFinished(120000)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("did not finish");
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return QString();
    return QString::fromLocal8Bit(process.readAll());
}

QStringList ListCases(const QString& binary) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(binary, {QStringLiteral("--gtest_list_tests")});
    process.waitForFinished(60000);
    QStringList cases;
    QString suite;
    for (const QString& line : QString::fromLocal8Bit(process.readAllStandardOutput()).split(u'\n')) {
        if (line.isEmpty())
            continue;
        if (!line.startsWith(u' '))
            suite = line.trimmed();
        else
            cases.append(suite + line.trimmed());
    }
    return cases;
}

TEST(VersionSweep, EverySuiteRunsAgainstEveryPyenvBuild) {
    const auto libraries = PyenvLibraries();
    if (libraries.isEmpty())
        GTEST_SKIP() << "no pyenv build of Python 3.8 or newer on this machine";
    const QString execution = FromEnvironment("ORVEXA_EXECUTION_TESTS");
    const QString lifecycle = FromEnvironment("ORVEXA_LIFECYCLE_TESTS");
    const QStringList lifecycleCases = ListCases(lifecycle);
    ASSERT_FALSE(lifecycleCases.isEmpty());
    for (const auto& [version, library] : libraries) {
        SCOPED_TRACE(version.toStdString());
        const QString failure = RunSuite(execution, library, QString());
        EXPECT_TRUE(failure.isEmpty()) << failure.toStdString();
        for (const QString& name : lifecycleCases) {
            const QString caseFailure = RunSuite(lifecycle, library, name);
            EXPECT_TRUE(caseFailure.isEmpty()) << name.toStdString() << "\n" << caseFailure.toStdString();
        }
    }
}

}  // namespace

// The Qt file dialogs, driven the way a user does: they start in the
// working directory, not wherever a dialog went last.
#include "platform/qt/QtDialogs.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>

#include <functional>

using namespace orvexa;

namespace {

// Runs `answer` on the file dialog once it shows; the dialog must show
// within the test's patience, or the answer closes nothing and fails.
void WhenTheDialogShows(const std::function<void(QFileDialog*)>& answer) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    int tries = 0;
    QObject::connect(poll, &QTimer::timeout, [poll, answer, tries]() mutable {
        if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            poll->deleteLater();
            answer(dialog);
        } else if (++tries > 500) {
            poll->deleteLater();
            ADD_FAILURE() << "no file dialog showed";
        }
    });
    poll->start();
}

QString Canonical(const QString& path) { return QDir(path).canonicalPath(); }

}  // namespace

TEST(QtFileDialogs, OpenAndSaveStartInTheWorkingDirectoryNotWhereTheLastOneWent) {
    QTemporaryDir first, elsewhere, later;
    QFile(elsewhere.filePath(QStringLiteral("other.orx"))).open(QIODevice::WriteOnly);
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(first.path()));
    auto dialogs = platform::CreateQtDialogs();

    // An Open that goes to another folder and picks a file there.
    QString startedIn;
    WhenTheDialogShows([&](QFileDialog* dialog) {
        startedIn = Canonical(dialog->directory().absolutePath());
        dialog->setDirectory(elsewhere.path());
        dialog->selectFile(elsewhere.filePath(QStringLiteral("other.orx")));
        static_cast<QDialog*>(dialog)->accept();  // Return
    });
    const QString opened = dialogs->OpenFileName(nullptr, QStringLiteral("Orvexa Script (*.orx)"));
    EXPECT_EQ(startedIn, Canonical(first.path()));
    EXPECT_EQ(Canonical(QFileInfo(opened).absolutePath()), Canonical(elsewhere.path()));

    // The working directory has moved on since: Save As starts there, with
    // the name filled in, and Return saves there.
    ASSERT_TRUE(QDir::setCurrent(later.path()));
    WhenTheDialogShows([&](QFileDialog* dialog) {
        startedIn = Canonical(dialog->directory().absolutePath());
        static_cast<QDialog*>(dialog)->accept();  // Return
    });
    const QString saved = dialogs->SaveFileName(nullptr, QStringLiteral("Orvexa Script (*.orx)"), QStringLiteral("orx"),
                                                QStringLiteral("mine.orx"));
    EXPECT_EQ(startedIn, Canonical(later.path()));
    EXPECT_EQ(QFileInfo(saved).fileName(), QStringLiteral("mine.orx"));
    EXPECT_EQ(Canonical(QFileInfo(saved).absolutePath()), Canonical(later.path()));

    // And an Open starts there too.
    WhenTheDialogShows([&](QFileDialog* dialog) {
        startedIn = Canonical(dialog->directory().absolutePath());
        dialog->reject();
    });
    EXPECT_EQ(dialogs->OpenFileName(nullptr, QStringLiteral("Orvexa Script (*.orx)")), QString());
    EXPECT_EQ(startedIn, Canonical(later.path()));
    QDir::setCurrent(previous);
}

#include "platform/qt/QtShell.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace orvexa::platform {
namespace {

class QtShell final : public Shell {
public:
    void OpenAddress(const QString& address) override { QDesktopServices::openUrl(QUrl(address)); }

    void OpenProgram(const QString& target) override {
        const QFileInfo info(target);
        const QString program = info.exists() ? info.absoluteFilePath() : QStandardPaths::findExecutable(target);
        if (!program.isEmpty() && QFileInfo(program).isExecutable() && !QFileInfo(program).isDir()) {
            QProcess::startDetached(program, {});
            return;
        }
        QDesktopServices::openUrl(QUrl::fromUserInput(target, QString(), QUrl::AssumeLocalFile));
    }

    bool OpenWithOpener(const QString& file) override {
        const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
        if (opener.isEmpty())
            return false;
        // Arguments as a list, never through a shell: a file name is data.
        QProcess::startDetached(opener, {file});
        return true;
    }
};

}  // namespace

std::unique_ptr<Shell> CreateQtShell() { return std::make_unique<QtShell>(); }

}  // namespace orvexa::platform

#pragma once

#include <QObject>
#include <QString>

#include <memory>

namespace orvexa {

namespace platform {
class Notifier;
}

class ErrorNotices;
class ScriptRun;
class TrayIcon;

// The tray icon of a --run --tray: the script's name and state, Run/Stop
// and Exit; the script's errors also go to the desktop's notifications.
class RunTray : public QObject {
    Q_OBJECT
public:
    // The run outlives this object.
    RunTray(ScriptRun& run, const QString& script, std::shared_ptr<platform::Notifier> notifier,
            QObject* parent = nullptr);
    ~RunTray() override;

private:
    TrayIcon* tray_ = nullptr;
    ErrorNotices* notices_ = nullptr;
};

}  // namespace orvexa

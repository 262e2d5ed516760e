#pragma once

#include <QIcon>
#include <QObject>
#include <QStringList>

#include <memory>

class QAction;
class QActionGroup;
class QMenu;
class QSystemTrayIcon;

namespace orvexa {

// The program's icon in the desktop's tray: a StatusNotifierItem where the
// desktop has a watcher for them, the classic tray otherwise (Qt chooses).
// Its picture shows whether the script runs; its menu is the program's
// commands for a user who does not see the window. It only reports what was
// chosen: the owner (the main window, or a --run) does it.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    // What the menu offers: the main window's (the scripts to choose from,
    // Run/Stop, Show window, Output, Exit) or a --run's (Run/Stop, Exit).
    enum class Kind { Window, Run };

    explicit TrayIcon(Kind kind, QObject* parent = nullptr);
    ~TrayIcon() override;

    // Whether the desktop shows tray icons at all.
    static bool Available();

    void Show();
    void Hide();
    bool IsShown() const;

    // The scripts the menu lists (Window kind), and which one is selected
    // (-1 for none).
    void SetScripts(const QStringList& names, int current);
    // The script's name, and whether it runs: the picture, the tooltip and
    // the Run/Stop item follow.
    void SetState(const QString& scriptName, bool running);

    QMenu* Menu() const { return menu_.get(); }
    QSystemTrayIcon* Icon() const { return icon_; }

    // The pictures of the two states, also for tests.
    static QIcon Picture(bool running);

signals:
    void ScriptChosen(int index);
    void RunStopChosen();
    void ShowWindowChosen();
    void OutputChosen();
    void ExitChosen();
    // The icon itself was clicked (or activated from the keyboard).
    void Clicked();

private:
    void UpdateScriptItems();

    Kind kind_;
    std::unique_ptr<QMenu> menu_;
    QSystemTrayIcon* icon_ = nullptr;
    QMenu* scriptsMenu_ = nullptr;
    QActionGroup* scriptGroup_ = nullptr;
    QAction* runStop_ = nullptr;
    QStringList scripts_;
    int current_ = -1;
    bool running_ = false;
};

}  // namespace orvexa

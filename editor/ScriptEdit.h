#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

namespace orvexa {

class ScriptHost;

// The script editor window. The main window writes EditFileName before it
// shows the editor modally and reads it back when the editor closes.
class TFormScriptEditor : public QDialog {
    Q_OBJECT
public:
    explicit TFormScriptEditor(QWidget* parent = nullptr);

    void SetHost(ScriptHost* host) { host_ = host; }

    QString EditFileName;
    bool Modified = false;
    bool TestRunning = false;

private:
    ScriptHost* host_ = nullptr;
};

}  // namespace orvexa

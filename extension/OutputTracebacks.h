#pragma once

#include <QObject>
#include <QString>

#include <optional>

class QPlainTextEdit;

namespace orvexa {

// A line of a script file, counted from 1.
struct ScriptPlace {
    QString file;
    int line = 0;

    friend bool operator==(const ScriptPlace&, const ScriptPlace&) = default;
};

// The script file and line that a line of a traceback names, as Python
// writes them ("  File "/home/me/Orvexa/x.orx", line 8, in <module>"; a
// syntax error's has no ", in" part). Only script files (".orx") count.
std::optional<ScriptPlace> ScriptPlaceIn(QStringView line);

// What the Output window's tracebacks point at. A double-clicked line that
// names a script file and a line in it asks for that line (the pointer
// shows a hand over such lines); each syntax error, as it arrives, is told
// with the place its traceback names last.
class OutputTracebacks : public QObject {
    Q_OBJECT
public:
    // Watches `output`, whose child it becomes.
    explicit OutputTracebacks(QPlainTextEdit* output);

signals:
    void LineActivated(const QString& file, int line);
    void SyntaxErrorAt(const QString& file, int line);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The place named by the line under a point of the viewport.
    std::optional<ScriptPlace> PlaceAt(const QPoint& point) const;
    // Reads the lines the text gained.
    void Read(int position, int removed, int added);

    QPlainTextEdit* output_;
    // The place the traceback being read named last.
    std::optional<ScriptPlace> lastPlace_;
};

}  // namespace orvexa

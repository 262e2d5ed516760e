#pragma once

#include "core/MethodDoc.h"

#include <QObject>
#include <QStringList>

class QsciScintilla;

namespace orvexa {

// Completion of a module's methods in a Scintilla editor styled by
// ScriptLexer. Typing "module." (or Ctrl+Space after it and the start of a
// name) offers every method with its argument list and its line of help;
// choosing one writes its name and the opening bracket (both brackets for a
// method without arguments). Typing the bracket of a call of one of them
// shows its arguments and help in a call tip, with the argument the caret
// is in highlighted, until the caret leaves the call.
class MethodCompletion : public QObject {
    Q_OBJECT
public:
    explicit MethodCompletion(QsciScintilla* edit);

    void SetMethods(const QString& module, const MethodDocs& methods);
    // Ctrl+Space: the list after "module." and the start of a name, or the
    // call tip inside a call of a method. False when there is neither.
    bool Offer();
    // The list's items as offered (signature, then the help), in the
    // methods' order; the list shows them sorted.
    QStringList Items() const;

private:
    void CharAdded(int character);
    void Chosen(const char* item, int start);
    // Shows the list when the caret follows "module." and the start of a
    // name; false otherwise.
    bool ShowListAt(long caret);
    // The call tip of the innermost call around the caret, when it calls a
    // method: shown, or its highlight moved. Cancelled otherwise.
    bool ShowCallTipAt(long caret);
    void FollowCaret();
    // The method whose name ends at `end` after "module.", or none.
    const MethodDoc* MethodEndingAt(long end, long& nameStart) const;
    // The start of the name that ends at `end` when "module." stands before
    // it in code; -1 otherwise.
    long NameAfterModule(long end) const;

    QsciScintilla* edit_;
    QByteArray module_;
    MethodDocs methods_;
};

}  // namespace orvexa

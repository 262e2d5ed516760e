#include "editor/ScriptEdit.h"

namespace orvexa {

TFormScriptEditor::TFormScriptEditor(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormScriptEditor"));
    setWindowTitle(QStringLiteral("Edit"));
    resize(529, 473);
}

}  // namespace orvexa

// The script catalogue of the main window: the list of ".orx" files of the
// working directory, their short and long descriptions, and the selection.
#include "app/FormMain.h"

#include "app/ScriptDirectory.h"

#include "binds/BindParser.h"
#include "binds/Bindary.h"
#include "core/ScriptText.h"
#include "core/Strings.h"

#include <QComboBox>
#include <QDir>
#include <QPlainTextEdit>

#include <memory>

namespace orvexa {
namespace {

// What the controls take: a description box holds at most 64K characters, as
// a rich edit does by default, and a list entry at most 1K. Laying out a line
// of megabytes would freeze the window for minutes.
constexpr qsizetype kDescriptionCapacity = 64 * 1024;
constexpr qsizetype kListEntryCapacity = 1024;

}  // namespace

void TFormMain::LoadScriptsCombo() {
    ComboBoxScript->clear();
    ScriptPaths.clear();
    // Entries added before a file that cannot be read stay in the list, with
    // nothing selected (the list makes its first item current by itself).
    try {
        for (const QString& name : ScriptEntries()) {
            ComboBoxScript->addItem(GetShortDesc(name).left(kListEntryCapacity));
            ScriptPaths.append(name);
        }
    } catch (...) {
        ComboBoxScript->setCurrentIndex(-1);
        CurrentScript.clear();
        throw;
    }
    if (ComboBoxScript->count() > 0)
        ComboBoxScript->setCurrentIndex(0);
    ComboBoxScriptChange();
}

QString TFormMain::GetShortDesc(const QString& fileName) const { return ShortDescription(fileName); }

void TFormMain::LoadLongDesc(const QString& fileName) {
    RichEditDesc->clear();
    const QString shown = LongDescription(fileName, kDescriptionCapacity);
    if (!shown.isEmpty())
        RichEditDesc->setPlainText(shown);
}

void TFormMain::ComboBoxScriptChange() {
    CurrentScript.clear();
    const int i = ComboBoxScript->currentIndex();
    if (i < 0 || i >= ScriptPaths.size())
        return;
    const QString name = ScriptPaths.at(i);
    if (!FileExists(name))
        return;
    CurrentScript = name;
    LoadLongDesc(name);
    ParseBinds(name);
}

void TFormMain::ParseBinds(const QString& fileName) {
    if (Binds)
        orvexa::ParseBinds(*Binds, fileName);
}

}  // namespace orvexa

#include "binds/BindParser.h"

#include "binds/Bindary.h"
#include "core/ScriptText.h"

namespace orvexa {

namespace {
const QString kBindMarker = QStringLiteral("//BIND");
}

QString RemoveComments(const QString& line) {
    const qsizetype hash = line.indexOf(u'#');
    return hash < 0 ? line : line.left(hash);
}

void ParseBinds(TBindary& binds, const QString& fileName) {
    binds.StopTimers();
    binds.ClearBinds();
    if (!FileExists(fileName))
        return;
    QStringList lines = ReadScriptLines(fileName);
    const qsizetype count = lines.size();
    for (qsizetype i = 0; i < count; ++i) {
        lines[i] = RemoveComments(lines[i]);
        if (!lines[i].contains(kBindMarker))
            continue;
        QString code;
        for (qsizetype j = i + 1; j < count; ++j) {
            lines[j] = RemoveComments(lines[j]);
            if (lines[j].contains(kBindMarker))
                break;
            if (!lines[j].isEmpty()) {
                code += lines[j];
                code += u'\n';
            }
        }
        binds.AddBind(lines[i], code);
    }
}

}  // namespace orvexa

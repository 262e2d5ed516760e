#include "binds/BindParser.h"

#include "binds/Bindary.h"
#include "binds/CommentStripper.h"
#include "core/LineExecutor.h"
#include "core/ScriptText.h"

#include <QFileInfo>

#include <memory>

namespace orvexa {

namespace {
const QString kBindMarker = QStringLiteral("//BIND");

// One section while its lines are collected.
struct Section {
    QString header;
    QString code;
    SourcePlace place;
};
}  // namespace

QString RemoveComments(const QString& line) { return CommentStripper().Strip(line); }

void ParseBinds(TBindary& binds, const QString& fileName) {
    binds.StopTimers();
    binds.ClearBinds();
    if (!FileExists(fileName))
        return;
    auto lines = std::make_shared<const QStringList>(ReadScriptLines(fileName));
    const QString absoluteName = QFileInfo(fileName).absoluteFilePath();
    CommentStripper stripper;
    std::unique_ptr<Section> section;
    const auto finish = [&binds, &section] {
        if (section)
            binds.AddBind(section->header, section->code, section->place);
    };
    for (qsizetype i = 0; i < lines->size(); ++i) {
        // Lines before the first header are no code: each is read alone.
        const bool insideString = section && stripper.InString();
        const QString line = section ? stripper.Strip(lines->at(i)) : RemoveComments(lines->at(i));
        if (line.contains(kBindMarker)) {
            finish();
            section = std::make_unique<Section>();
            section->header = line;
            section->place.fileName = absoluteName;
            section->place.fileLines = lines;
            stripper.Reset();
            continue;
        }
        if (!section || (line.isEmpty() && !insideString))
            continue;
        section->code += line;
        section->code += u'\n';
        section->place.lineNumbers.append(static_cast<int>(i + 1));
    }
    finish();
}

}  // namespace orvexa

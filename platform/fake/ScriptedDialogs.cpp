#include "platform/fake/ScriptedDialogs.h"

#include <memory>
#include <stdexcept>

namespace orvexa::platform {

namespace {
template <typename T>
T Next(std::deque<T>& answers, const char* what) {
    if (answers.empty())
        throw std::logic_error(std::string("no scripted answer for ") + what);
    T answer = std::move(answers.front());
    answers.pop_front();
    return answer;
}
}  // namespace

void ScriptedDialogs::ShowError(const QString& text) { shown.push_back({QStringLiteral("error"), text}); }
void ScriptedDialogs::ShowFatal(const QString& text) { shown.push_back({QStringLiteral("fatal"), text}); }
void ScriptedDialogs::ShowNotice(const QString& text) { shown.push_back({QStringLiteral("notice"), text}); }

bool ScriptedDialogs::Confirm(const QString& text) {
    shown.push_back({QStringLiteral("confirm"), text});
    return Next(confirmAnswers, "a confirmation");
}

std::optional<QString> ScriptedDialogs::InputQuery(const QString& caption, const QString& prompt, int maxLength) {
    shown.push_back({QStringLiteral("input"), caption + u'|' + prompt});
    lastInputMaxLength = maxLength;
    if (whileInputShows)
        whileInputShows();
    return Next(inputAnswers, "an input box");
}

QString ScriptedDialogs::OpenFileName(QWidget*, const QString& filter) {
    shown.push_back({QStringLiteral("open"), filter});
    return Next(fileAnswers, "an open dialog");
}

QString ScriptedDialogs::SaveFileName(QWidget*, const QString& filter, const QString&, const QString& preset) {
    shown.push_back({QStringLiteral("save"), filter + u'|' + preset});
    return Next(fileAnswers, "a save dialog");
}

QStringList ScriptedDialogs::TextsOf(const QString& kind) const {
    QStringList texts;
    for (const Shown& box : shown)
        if (box.kind == kind)
            texts.append(box.text);
    return texts;
}

}  // namespace orvexa::platform

#pragma once

#include "platform/Dialogs.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>

namespace orvexa::platform {

// Dialogs for tests: every box is recorded instead of shown, and answers
// come from queues the test fills beforehand. A question with no queued
// answer fails loudly rather than guessing.
class ScriptedDialogs final : public Dialogs {
public:
    struct Shown {
        QString kind;  // "error", "fatal", "notice", "confirm", "input", "open", "save"
        QString text;
    };

    void ShowError(const QString& text) override;
    void ShowFatal(const QString& text) override;
    void ShowNotice(const QString& text) override;
    bool Confirm(const QString& text) override;
    std::optional<QString> InputQuery(const QString& caption, const QString& prompt, int maxLength) override;
    QString OpenFileName(QWidget* parent, const QString& filter) override;
    QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                         const QString& preset) override;

    std::deque<bool> confirmAnswers;
    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QString> fileAnswers;
    std::vector<Shown> shown;
    int lastInputMaxLength = 0;
    // Runs while an input box "shows", as the user would take their time.
    std::function<void()> whileInputShows;

    // The texts of every box of one kind, in order.
    QStringList TextsOf(const QString& kind) const;
};

}  // namespace orvexa::platform

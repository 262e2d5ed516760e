#pragma once

#include <QString>

#include <optional>

class QWidget;

namespace orvexa::platform {

// Every modal box of the program goes through this interface, so that tests
// answer boxes from a script instead of hanging on them.
class Dialogs {
public:
    Dialogs() = default;
    Dialogs(const Dialogs&) = delete;
    Dialogs& operator=(const Dialogs&) = delete;
    virtual ~Dialogs() = default;

    // The general error box: application title as caption, error icon, OK.
    virtual void ShowError(const QString& text) = 0;
    // A fatal start-up failure: caption "Error", error icon, OK.
    virtual void ShowFatal(const QString& text) = 0;
    // Plain notice: application title as caption, no icon, one button "OK".
    virtual void ShowNotice(const QString& text) = 0;
    // Caption "Confirm", question icon, "&Yes" and "&No". True unless the
    // answer is No.
    virtual bool Confirm(const QString& text) = 0;
    // Input box; std::nullopt when cancelled or closed.
    virtual std::optional<QString> InputQuery(const QString& caption, const QString& prompt, int maxLength) = 0;
    // Open and Save dialogs; the empty string when cancelled. filter is in
    // Qt's "Description (*.ext)" form.
    virtual QString OpenFileName(QWidget* parent, const QString& filter) = 0;
    virtual QString SaveFileName(QWidget* parent, const QString& filter, const QString& defaultSuffix,
                                 const QString& preset) = 0;
};

}  // namespace orvexa::platform

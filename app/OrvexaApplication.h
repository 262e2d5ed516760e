#pragma once

#include <QApplication>

#include <memory>

namespace orvexa::platform {
class Dialogs;
}

namespace orvexa {

// The application object. An exception that no operation caught ends that
// operation and is shown in the general error box; the program goes on.
class OrvexaApplication : public QApplication {
    Q_OBJECT
public:
    OrvexaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Where the general error box of notify appears.
    void SetDialogs(std::shared_ptr<platform::Dialogs> dialogs) { dialogs_ = std::move(dialogs); }

    // Shows the general error box for the exception being handled, with
    // `dialogs`; without them the text goes to standard error.
    static void ShowCurrentException(platform::Dialogs* dialogs);

private:
    std::shared_ptr<platform::Dialogs> dialogs_;
};

}  // namespace orvexa

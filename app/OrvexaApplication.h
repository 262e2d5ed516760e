#pragma once

#include <QApplication>

namespace orvexa {

// The application object. An exception that no operation caught ends that
// operation and is shown in the general error box; the program goes on.
class OrvexaApplication : public QApplication {
    Q_OBJECT
public:
    OrvexaApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the general error box for the exception being handled.
    static void ShowCurrentException();
};

}  // namespace orvexa

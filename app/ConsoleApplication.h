#pragma once

#include "app/AppIdentity.h"
#include "app/OrvexaApplication.h"
#include "core/Strings.h"

namespace orvexa {

// The application object of a run without windows: Qt's core application,
// or its GUI application where a display is at hand (the clipboard needs
// one). As in the main window's application, an exception that no
// operation caught ends that operation only; its text goes to standard
// error, for there is no box to show it in.
template <class QtApplication>
class ConsoleApplication : public QtApplication {
public:
    ConsoleApplication(int& argc, char** argv) : QtApplication(argc, argv) {
        QtApplication::setApplicationName(strings::AppTitle());
        QtApplication::setApplicationVersion(ApplicationVersion());
    }

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QtApplication::notify(receiver, event);
        } catch (...) {
            OrvexaApplication::ShowCurrentException(nullptr);
            return false;
        }
    }
};

}  // namespace orvexa

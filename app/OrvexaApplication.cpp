#include "app/OrvexaApplication.h"

#include "app/AppIdentity.h"
#include "core/Exception.h"
#include "core/Strings.h"
#include "engine/FatalReport.h"
#include "platform/Dialogs.h"

namespace orvexa {

OrvexaApplication::OrvexaApplication(int& argc, char** argv) : QApplication(argc, argv) {
    SetApplicationIdentity(*this);
}

bool OrvexaApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowCurrentException(dialogs_.get());
        return false;
    }
}

void OrvexaApplication::ShowCurrentException(platform::Dialogs* dialogs) {
    QString message;
    try {
        throw;
    } catch (const Exception& e) {
        message = e.Message();
    } catch (const std::exception& e) {
        message = QString::fromUtf8(e.what());
    } catch (...) {
        message = strings::UnknownError();
    }
    if (!dialogs) {
        WriteToStandardError(WithFullStop(message));
        return;
    }
    try {
        dialogs->ShowError(WithFullStop(message));
    } catch (...) {
        // A box that cannot be shown must not end the program either.
    }
}

}  // namespace orvexa

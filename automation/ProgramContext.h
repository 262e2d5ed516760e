#pragma once

#include "automation/BindGlobals.h"
#include "automation/WavePlayer.h"
#include "platform/Services.h"

#include <QCoreApplication>
#include <QPointer>

#include <chrono>
#include <mutex>

namespace orvexa {

// What the program's parts work with, made once in main() (a test makes its
// own) and handed to whoever needs it: the desktop's services, the store of
// bind globals and the WAV player, and the application whose events a
// script's waits handle. Nothing here is reachable any other way.
//
// Script threads reach it through the orvex methods: the display's services
// and the store guard themselves; the player is used with the
// interpreter's lock held.
class ProgramContext {
public:
    explicit ProgramContext(platform::Services services, QCoreApplication* application = nullptr);
    ProgramContext(const ProgramContext&) = delete;
    ProgramContext& operator=(const ProgramContext&) = delete;
    ~ProgramContext();

    // The services other than the display's, which never change.
    const platform::Services& Services() const { return services_; }

    // The display's services. Missing ones are connected on first use, and
    // then at most once a second; without a display, orvexa::Exception says
    // so.
    platform::InputSynth& Input();
    platform::Screen& Screen();
    platform::Windows& Windows();

    // The clipboard; orvexa::Exception when the program has none.
    platform::Clipboard& Clipboard();

    TBindGlobals& BindGlobals() { return bindGlobals_; }
    TWavePlayer& WavePlayer() { return wavePlayer_; }

    // The application object, once there is one.
    QCoreApplication* Application() const { return application_; }
    void SetApplication(QCoreApplication* application) { application_ = application; }

private:
    // Connects the display's services when they are missing and a way to
    // make them was given; the display mutex held.
    void ConnectDisplayIfMissing();

    std::mutex displayMutex_;
    std::chrono::steady_clock::time_point nextConnect_{};
    platform::Services services_;
    TBindGlobals bindGlobals_;
    TWavePlayer wavePlayer_;
    QPointer<QCoreApplication> application_;
};

}  // namespace orvexa

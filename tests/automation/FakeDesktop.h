#pragma once

#include "automation/ProgramContext.h"
#include "platform/Services.h"
#include "platform/fake/FakeClipboard.h"
#include "platform/fake/FakeInputSynth.h"
#include "platform/fake/FakeScreen.h"
#include "platform/fake/FakeWaveAudio.h"
#include "platform/fake/FakeWindows.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <memory>

namespace orvexa::test {

// A recording input, a fake screen, a recording wave device, windows and a
// clipboard of the test's own as the desktop's services of one test, and the program's context made of them
// on first use (a test may take services away before that).
class FakeDesktop : public ::testing::Test {
protected:
    FakeDesktop() {
        services.input = input;
        services.screen = screen;
        services.wave = wave;
        services.windows = windows;
        services.clipboard = clipboard;
    }
    ProgramContext& Context() {
        if (!context)
            context = std::make_unique<ProgramContext>(services, QCoreApplication::instance());
        return *context;
    }

    std::shared_ptr<platform::FakeInputSynth> input = std::make_shared<platform::FakeInputSynth>();
    std::shared_ptr<platform::FakeScreen> screen = std::make_shared<platform::FakeScreen>();
    std::shared_ptr<platform::FakeWaveAudio> wave = std::make_shared<platform::FakeWaveAudio>();
    std::shared_ptr<platform::FakeWindows> windows = std::make_shared<platform::FakeWindows>();
    std::shared_ptr<platform::FakeClipboard> clipboard = std::make_shared<platform::FakeClipboard>();
    platform::Services services;
    std::unique_ptr<ProgramContext> context;
};

}  // namespace orvexa::test

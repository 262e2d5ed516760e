#pragma once

#include "platform/Services.h"
#include "platform/fake/FakeInputSynth.h"
#include "platform/fake/FakeScreen.h"
#include "platform/fake/FakeWaveAudio.h"

#include <gtest/gtest.h>

#include <memory>

namespace orvexa::test {

// Installs a recording input, a fake screen and a recording wave device as
// the platform services for one test, and removes them afterwards.
class FakeDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        platform::Services services;
        services.input = input;
        services.screen = screen;
        services.wave = wave;
        platform::Install(std::move(services));
    }
    void TearDown() override { platform::Install(platform::Services()); }

    std::shared_ptr<platform::FakeInputSynth> input = std::make_shared<platform::FakeInputSynth>();
    std::shared_ptr<platform::FakeScreen> screen = std::make_shared<platform::FakeScreen>();
    std::shared_ptr<platform::FakeWaveAudio> wave = std::make_shared<platform::FakeWaveAudio>();
};

}  // namespace orvexa::test

// The wave player on the SDL device with SDL's disk driver: each device
// writes what it plays to the file SDL_DISKAUDIOFILE names when it opens.
#include "automation/WavePlayer.h"
#include "core/Exception.h"
#include "platform/Services.h"
#include "platform/sdl/SdlWaveAudio.h"
#include "tests/platform/WavFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

using namespace orvexa;
// The disk driver keeps writing silence after a sound, so output that has
// grown past a sound's length holds all of it.
using orvexa::test::WaitForOutput;

class WavePlayerOnSdl : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("SDL_AUDIODRIVER", "disk");
        platform::Services services;
        services.wave = platform::sdl::CreateSdlWaveAudio();
        platform::Install(std::move(services));
    }
    void TearDown() override { platform::Install(platform::Services()); }
    void OutputTo(const QString& name) { qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(name)); }

    test::WorkingDir dir;
};

TEST_F(WavePlayerOnSdl, ASecondFileStopsTheFirstAndPlays) {
    const auto first = test::Pattern(44100 * 3, 5);  // three seconds
    const auto second = test::Pattern(6000, 11);
    ASSERT_TRUE(test::WriteWav("first.wav", first));
    ASSERT_TRUE(test::WriteWav("second.wav", second));
    const QString out1 = dir.Path() + "/first.raw";
    const QString out2 = dir.Path() + "/second.raw";
    {
        TWavePlayer player;
        OutputTo(out1);
        player.PlayWav("first.wav");
        ASSERT_TRUE(WaitForOutput(out1, 16384));  // the first is playing
        OutputTo(out2);
        player.PlayWav("second.wav");
        player.PlayWav("missing.wav");  // leaves the second playing
        ASSERT_TRUE(WaitForOutput(out2, 2 * 6000 + 32768));
        EXPECT_TRUE(player.IsOpen());
    }
    // The device is released with the player; the SDL service (and its
    // closing worker) goes with the services.
    platform::Install(platform::Services());

    const test::Sounded cut = test::WithoutSilence(test::ReadSamples(out1));
    EXPECT_TRUE(cut.clean);
    ASSERT_FALSE(cut.samples.empty());
    EXPECT_LT(cut.samples.size(), first.size()) << "the first sound was not stopped";
    EXPECT_TRUE(std::equal(cut.samples.begin(), cut.samples.end(), first.begin()));

    const test::Sounded played = test::WithoutSilence(test::ReadSamples(out2));
    EXPECT_TRUE(played.clean);
    EXPECT_EQ(played.samples, second);
}

TEST_F(WavePlayerOnSdl, ABadFileRaisesTheDevicesText) {
    OutputTo(dir.Path() + "/out.raw");
    dir.Write("bad.wav", "RIFF....WAVEjunk");
    const QString deviceText = platform::sdl::SdlWaveAudio().Open("bad.wav");
    ASSERT_FALSE(deviceText.isEmpty());
    TWavePlayer player;
    try {
        player.PlayWav("bad.wav");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), deviceText);
    }
    EXPECT_FALSE(player.IsOpen());
}

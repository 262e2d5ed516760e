// The SDL wave-audio device with SDL's disk driver, which writes the samples
// it plays to the file named by SDL_DISKAUDIOFILE.
#include "platform/sdl/SdlWaveAudio.h"
#include "tests/platform/WavFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

using namespace orvexa;
// The disk driver keeps writing silence after a sound, so output that has
// grown past a sound's length holds all of it.
using orvexa::test::WaitForOutput;
using platform::sdl::SdlWaveAudio;

class SdlWave : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(dir.Path() + "/out.raw"));
    }
    QString Output() const { return dir.Path() + "/out.raw"; }
    test::WorkingDir dir;
};

TEST_F(SdlWave, ThePlayedSamplesAreWhatTheFileHolds) {
    const auto sound = test::Pattern(8000, 7);
    ASSERT_TRUE(test::WriteWav("sound.wav", sound));
    {
        SdlWaveAudio device;
        ASSERT_EQ(device.Open("sound.wav"), QString());
        EXPECT_TRUE(device.IsOpen());
        device.Play();
        ASSERT_TRUE(WaitForOutput(Output(), 2 * 8000 + 32768));
        device.Close();
        EXPECT_FALSE(device.IsOpen());
    }  // the device has been released here
    const test::Sounded played = test::WithoutSilence(test::ReadSamples(Output()));
    EXPECT_TRUE(played.clean);
    EXPECT_EQ(played.samples, sound);
}

TEST_F(SdlWave, PlayStartsAgainFromTheBeginning) {
    const auto sound = test::Pattern(4000, 3);
    ASSERT_TRUE(test::WriteWav("sound.wav", sound));
    {
        SdlWaveAudio device;
        ASSERT_EQ(device.Open("sound.wav"), QString());
        device.Play();
        device.Play();  // at once: the first start is replaced
        ASSERT_TRUE(WaitForOutput(Output(), 2 * 4000 + 32768));
    }
    const test::Sounded played = test::WithoutSilence(test::ReadSamples(Output()));
    EXPECT_TRUE(played.clean);
    EXPECT_EQ(played.samples, sound);
}

TEST_F(SdlWave, ABadFileGivesTheDevicesText) {
    dir.Write("bad.wav", "this is not a wave file at all, only some text");
    SdlWaveAudio device;
    const QString error = device.Open("bad.wav");
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(device.IsOpen());
    std::printf("device text: %s\n", error.toUtf8().constData());
    const QString missing = device.Open("missing.wav");
    EXPECT_FALSE(missing.isEmpty());
    EXPECT_NE(missing, error);
    // The device works afterwards.
    ASSERT_TRUE(test::WriteWav("sound.wav", test::Pattern(100, 1)));
    EXPECT_EQ(device.Open("sound.wav"), QString());
}

TEST_F(SdlWave, AnAudioSystemThatCannotStartGivesItsText) {
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    ASSERT_TRUE(test::WriteWav("sound.wav", test::Pattern(100, 1)));
    SdlWaveAudio device;
    const QString error = device.Open("sound.wav");
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(device.IsOpen());
    std::printf("device text: %s\n", error.toUtf8().constData());
}

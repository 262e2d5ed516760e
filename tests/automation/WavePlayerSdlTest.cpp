// The wave player on the SDL device with SDL's disk driver: each device
// writes what it plays to the file SDL_DISKAUDIOFILE names when it opens.
// SDL itself is loaded with the first sound. One process per case.
#include "automation/WavePlayer.h"
#include "core/Exception.h"
#include "platform/WaveAudio.h"
#include "platform/sdl/SdlWaveAudio.h"
#include "tests/platform/WavFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitForFile.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>
#include <optional>

#include <dlfcn.h>

using namespace orvexa;
// The disk driver keeps writing silence after a sound, so output that has
// grown past a sound's length holds all of it.
using orvexa::test::WaitForOutput;

class WavePlayerOnSdl : public ::testing::Test {
protected:
    void SetUp() override {
        qputenv("SDL_AUDIODRIVER", "disk");
        wave = platform::sdl::CreateSdlWaveAudio();
    }
    void OutputTo(const QString& name) { qputenv("SDL_DISKAUDIOFILE", QFile::encodeName(name)); }

    test::WorkingDir dir;
    // Dropped to close the audio system once a test's player is gone.
    std::shared_ptr<platform::WaveAudio> wave;
};

namespace {

// The output split at the end: the samples before `tail` (silence at both
// ends cut off) when the output ends with `tail`; nullopt when it does not.
std::optional<std::vector<std::int16_t>> Before(const QString& output, const std::vector<std::int16_t>& tail) {
    std::vector<std::int16_t> sounded = test::WithoutSilence(test::ReadSamples(output)).samples;
    if (sounded.size() < tail.size() ||
        !std::equal(tail.begin(), tail.end(), sounded.end() - static_cast<std::ptrdiff_t>(tail.size())))
        return std::nullopt;
    sounded.resize(sounded.size() - tail.size());
    return test::WithoutSilence(sounded).samples;
}

}  // namespace

TEST_F(WavePlayerOnSdl, SdlIsLoadedWithTheFirstSoundAndNotBefore) {
    const auto loaded = [] { return dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_NOLOAD) != nullptr; };
    ASSERT_TRUE(test::WriteWav("click.wav", test::Pattern(600, 3)));
    OutputTo(dir.Path() + "/out.raw");
    EXPECT_FALSE(loaded()) << "loaded by the start";
    TWavePlayer player(wave);
    EXPECT_FALSE(loaded()) << "loaded by the player's making";
    player.PlayWav("click.wav");
    EXPECT_TRUE(loaded());
}

TEST_F(WavePlayerOnSdl, ASecondFileStopsTheFirstAndPlaysOnTheSameDevice) {
    const auto first = test::Pattern(44100 * 3, 5);  // three seconds
    const auto second = test::Pattern(6000, 11);
    ASSERT_TRUE(test::WriteWav("first.wav", first));
    ASSERT_TRUE(test::WriteWav("second.wav", second));
    const QString out = dir.Path() + "/out.raw";
    {
        TWavePlayer player(wave);
        OutputTo(out);
        player.PlayWav("first.wav");
        ASSERT_TRUE(WaitForOutput(out, 16384));  // the first is playing
        const qint64 cutAt = QFileInfo(out).size();
        player.PlayWav("second.wav");
        player.PlayWav("missing.wav");  // leaves the second playing
        ASSERT_TRUE(WaitForOutput(out, cutAt + 2 * 6000 + 32768));
        EXPECT_TRUE(player.IsOpen());
    }
    wave.reset();

    // The output is a beginning of the first sound, cut short, then the
    // whole second one.
    const auto cut = Before(out, second);
    ASSERT_TRUE(cut.has_value()) << "the second sound is not the last thing played";
    ASSERT_FALSE(cut->empty());
    EXPECT_LT(cut->size(), first.size()) << "the first sound was not stopped";
    EXPECT_TRUE(std::equal(cut->begin(), cut->end(), first.begin()));
}

TEST_F(WavePlayerOnSdl, AClickEveryTwentyMillisecondsNeverRunsOutOfDevices) {
    const auto click = test::Pattern(441, 3);
    const auto other = test::Pattern(300, 7);
    const auto last = test::Pattern(2000, 13);
    ASSERT_TRUE(test::WriteWav("click.wav", click));
    ASSERT_TRUE(test::WriteWav("other.wav", other));
    ASSERT_TRUE(test::WriteWav("last.wav", last));
    const QString out = dir.Path() + "/out.raw";
    OutputTo(out);
    int failures = 0;
    QString firstFailure;
    {
        TWavePlayer player(wave);
        for (int i = 0; i < 200; ++i) {
            try {
                player.PlayWav(i == 199 ? "last.wav" : i % 2 ? "other.wav" : "click.wav");
            } catch (const Exception& e) {
                if (failures++ == 0)
                    firstFailure = e.Message();
            }
            QThread::msleep(20);
        }
        ASSERT_TRUE(WaitForOutput(out, QFileInfo(out).size() + 2 * 2000 + 32768));
    }
    wave.reset();
    EXPECT_EQ(failures, 0) << firstFailure.toStdString();
    EXPECT_TRUE(Before(out, last).has_value()) << "the last file's samples reach the device";
}

TEST_F(WavePlayerOnSdl, AFileOfAnotherFormatGetsADeviceOfItsOwn) {
    const auto mono = test::Pattern(44100, 5);
    const auto slow = test::Pattern(3000, 9);
    ASSERT_TRUE(test::WriteWav("mono.wav", mono));
    ASSERT_TRUE(test::WriteWav("slow.wav", slow, 22050));
    const QString out1 = dir.Path() + "/first.raw";
    const QString out2 = dir.Path() + "/second.raw";
    {
        TWavePlayer player(wave);
        OutputTo(out1);
        player.PlayWav("mono.wav");
        ASSERT_TRUE(WaitForOutput(out1, 8192));
        OutputTo(out2);  // read when a device opens
        player.PlayWav("slow.wav");
        ASSERT_TRUE(WaitForOutput(out2, 2 * 3000 + 32768));
    }
    wave.reset();
    const test::Sounded played = test::WithoutSilence(test::ReadSamples(out2));
    EXPECT_TRUE(played.clean);
    EXPECT_EQ(played.samples, slow);
}

TEST_F(WavePlayerOnSdl, ABadFileRaisesTheDevicesText) {
    OutputTo(dir.Path() + "/out.raw");
    dir.Write("bad.wav", "RIFF....WAVEjunk");
    const QString deviceText = platform::sdl::SdlWaveAudio().Open("bad.wav");
    ASSERT_FALSE(deviceText.isEmpty());
    TWavePlayer player(wave);
    try {
        player.PlayWav("bad.wav");
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), deviceText);
    }
    EXPECT_FALSE(player.IsOpen());
}

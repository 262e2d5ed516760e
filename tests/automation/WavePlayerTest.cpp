#include "automation/WavePlayer.h"
#include "core/Exception.h"
#include "tests/automation/FakeDesktop.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace orvexa;

class WavePlayerLogic : public test::FakeDesktop {
protected:
    test::WorkingDir dir;
    TWavePlayer player{wave};
};

TEST_F(WavePlayerLogic, MissingFilesAndDirectoriesDoNothing) {
    QDir().mkdir(QStringLiteral("folder.wav"));
    player.PlayWav(QStringLiteral("missing.wav"));
    player.PlayWav(QStringLiteral("folder.wav"));
    player.PlayWav(QString());
    EXPECT_TRUE(wave->log.isEmpty());
    EXPECT_FALSE(player.IsOpen());
}

TEST_F(WavePlayerLogic, ASecondFileReplacesTheFirstAndAMissingOneLeavesItPlaying) {
    dir.Write(QStringLiteral("one.wav"), "x");
    dir.Write(QStringLiteral("two.wav"), "x");
    player.PlayWav(QStringLiteral("one.wav"));
    EXPECT_TRUE(player.IsOpen());
    player.PlayWav(QStringLiteral("two.wav"));
    player.PlayWav(QStringLiteral("gone.wav"));
    EXPECT_EQ(wave->log, (QStringList{"open one.wav", "play", "open two.wav", "play"}));
    EXPECT_TRUE(player.IsOpen());
}

TEST_F(WavePlayerLogic, AnOpenFailureRaisesTheDevicesText) {
    dir.Write(QStringLiteral("bad.wav"), "not a wave");
    wave->failures.insert(QStringLiteral("bad.wav"), QStringLiteral("Unrecognized file type"));
    try {
        player.PlayWav(QStringLiteral("bad.wav"));
        FAIL() << "no exception";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unrecognized file type"));
    }
    EXPECT_FALSE(player.IsOpen());
    EXPECT_EQ(wave->log, QStringList{"open bad.wav"});
}

TEST_F(WavePlayerLogic, TheDeviceStaysOpenUntilThePlayerEnds) {
    dir.Write(QStringLiteral("one.wav"), "x");
    {
        TWavePlayer local(wave);
        local.PlayWav(QStringLiteral("one.wav"));
        EXPECT_EQ(wave->log, (QStringList{"open one.wav", "play"}));
    }
    EXPECT_EQ(wave->log, (QStringList{"open one.wav", "play", "close"}));
}

TEST_F(WavePlayerLogic, WithoutADeviceServiceAnExistingFileRaises) {
    dir.Write(QStringLiteral("one.wav"), "x");
    TWavePlayer withoutDevice(nullptr);
    EXPECT_THROW(withoutDevice.PlayWav(QStringLiteral("one.wav")), Exception);
}

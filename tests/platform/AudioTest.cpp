#include "platform/Audio.h"

#include <QAudioDevice>
#include <QDataStream>
#include <QFile>
#include <QMediaDevices>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using namespace mj;

namespace {

// Writes a mono 16-bit PCM wave file of `samples` samples at 8 kHz.
void WriteWave(const QString& path, int samples)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    QDataStream out(&file);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataBytes = quint32(samples) * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataBytes);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(8000) << quint32(16000)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataBytes;
    for (int i = 0; i < samples; ++i)
        out << qint16(std::lround(8000 * std::sin(i * 0.3)));
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class AudioFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        WriteWave(wave(), 4000);
        WriteBytes(garbage(), QByteArray(500, 'x'));
        WriteBytes(empty(), QByteArray());
        WriteBytes(headerOnly(), QByteArray("RIFF\x04\x00\x00\x00WAVE", 12));
    }
    void TearDown() override { Audio::SetBackend(nullptr); }

    QString wave() const { return dir.filePath("tone.wav"); }
    QString garbage() const { return dir.filePath("garbage.wav"); }
    QString empty() const { return dir.filePath("empty.wav"); }
    QString headerOnly() const { return dir.filePath("header.wav"); }
    QString missing() const { return dir.filePath("missing.wav"); }

    QTemporaryDir dir;
};

} // namespace

TEST(AudioGain, HundredthsOfDecibelToLinear)
{
    const struct {
        int32_t volume;
        double gain;
    } cases[] = {{0, 1.0}, {-600, 0.501187}, {-2000, 0.1}, {-3000, 0.0316228}};
    for (const auto& c : cases)
        EXPECT_NEAR(Audio::LinearGain(c.volume), c.gain, 1e-6) << c.volume;
}

TEST_F(AudioFiles, OnlyRealWaveFilesArePlayable)
{
    EXPECT_TRUE(Audio::IsPlayableWave(wave()));
    for (const QString& path : {garbage(), empty(), headerOnly(), missing(), dir.path(), QString()})
        EXPECT_FALSE(Audio::IsPlayableWave(path)) << path.toStdString();
}

// This machine and CI have no sound device: the Qt back end must stay silent
// and report failure, never crash. Where a device exists the wave file plays.
TEST_F(AudioFiles, QtBackendIsSilentWithoutDeviceOrFile)
{
    auto backend = Audio::MakeQtBackend();
    const bool hasDevice = !QMediaDevices::defaultAudioOutput().isNull();
    EXPECT_EQ(backend->Open(), hasDevice);

    for (const QString& path : {garbage(), empty(), headerOnly(), missing(), QString()})
        EXPECT_EQ(backend->Create(path), nullptr) << path.toStdString();

    auto sound = backend->Create(wave());
    EXPECT_EQ(sound != nullptr, hasDevice);
    if (sound) {
        EXPECT_TRUE(sound->Play(true));
        EXPECT_TRUE(sound->SetVolume(Audio::MinVolume));
        EXPECT_TRUE(sound->Stop());
        EXPECT_TRUE(sound->Play(false));
    }
}

TEST_F(AudioFiles, RecordingBackendLogsEveryStep)
{
    Audio::RecordingBackend backend;
    ASSERT_TRUE(backend.Open());
    auto sound = backend.Create(garbage()); // any readable file will do
    ASSERT_NE(sound, nullptr);
    EXPECT_TRUE(sound->Play(true));
    EXPECT_TRUE(sound->SetVolume(-3000));
    EXPECT_TRUE(sound->Stop());
    EXPECT_TRUE(sound->Play(false));
    sound.reset();
    EXPECT_EQ(backend.Create(missing()), nullptr);
    EXPECT_EQ(backend.Log(), QStringList({"open", "create " + garbage(), "play loop", "volume -3000",
                                          "stop", "play once", "release " + garbage(),
                                          "create " + missing() + " failed"}));
}

TEST_F(AudioFiles, RecordingBackendSimulatesFailures)
{
    using Step = Audio::RecordingBackend::Step;
    Audio::RecordingBackend backend;
    auto sound = backend.Create(wave());
    ASSERT_NE(sound, nullptr);

    backend.FailStep(Step::Stop);
    EXPECT_FALSE(sound->Stop());
    EXPECT_TRUE(sound->Play(false));
    backend.FailStep(Step::Stop, false);
    EXPECT_TRUE(sound->Stop());

    backend.FailDevice();
    EXPECT_FALSE(backend.Open());
    EXPECT_EQ(backend.Create(wave()), nullptr);
    EXPECT_FALSE(sound->Play(true));
    EXPECT_FALSE(sound->SetVolume(0));
    EXPECT_FALSE(sound->Stop());
    backend.FailDevice(false);
    EXPECT_TRUE(sound->SetVolume(0));
    EXPECT_EQ(backend.Log().last(), "volume 0");
    EXPECT_TRUE(backend.Log().contains("play once"));
    EXPECT_TRUE(backend.Log().contains("stop failed"));
}

TEST_F(AudioFiles, SelectorDefaultsToQtAndSoundsOutliveTheirBackend)
{
    EXPECT_EQ(dynamic_cast<Audio::RecordingBackend*>(&Audio::Current()), nullptr);

    auto owned = std::make_unique<Audio::RecordingBackend>();
    auto* recording = owned.get();
    Audio::SetBackend(std::move(owned));
    EXPECT_EQ(&Audio::Current(), recording);
    auto sound = Audio::Current().Create(wave());
    ASSERT_NE(sound, nullptr);
    const QStringList before = recording->Log();

    // Replacing the back end must not leave its sounds writing to freed memory.
    Audio::SetBackend(nullptr);
    EXPECT_EQ(dynamic_cast<Audio::RecordingBackend*>(&Audio::Current()), nullptr);
    EXPECT_TRUE(sound->Stop());
    sound.reset();
    EXPECT_EQ(before, QStringList({"create " + wave()}));
}

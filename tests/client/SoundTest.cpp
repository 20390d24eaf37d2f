#include "client/Data.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "platform/Audio.h"
#include "platform/Program.h"

#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

using namespace mj;
using Step = Audio::RecordingBackend::Step;

namespace {

// The sound service over the recording back end, with real files in a
// temporary folder.
class SoundService : public ::testing::Test {
protected:
    void SetUp() override
    {
        Mod_Sound::ResetState();
        ASSERT_TRUE(dir.isValid());
        auto owned = std::make_unique<Audio::RecordingBackend>();
        audio = owned.get();
        Audio::SetBackend(std::move(owned));
    }
    void TearDown() override
    {
        Mod_Sound::ResetState();
        SetProgramFolder(QString());
    }

    QString file(const QString& name)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.exists() && f.open(QIODevice::WriteOnly))
            f.write("RIFF");
        return path;
    }
    QString missing() const { return dir.filePath("missing.wav"); }

    QTemporaryDir dir;
    Audio::RecordingBackend* audio = nullptr;
};

} // namespace

TEST_F(SoundService, FirstEffectStopsTheLoopingMusic)
{
    const QString music = file("majiang.wav"), effect = file("dapai.wav");
    Mod_Sound::PlayWave(music, true);
    Mod_Sound::SetWaveVolume(3000);
    Mod_Sound::StopWave();
    Mod_Sound::PlayWave(effect, false, 0);
    Mod_Sound::SetWaveVolume(3000);
    EXPECT_EQ(audio->Log(), QStringList({"create " + music, "play loop", "volume 0", "stop", "stop",
                                         "release " + music, "create " + effect, "play once",
                                         "volume 0"}));
    EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
}

TEST_F(SoundService, VolumeOutsideRangeOrWithoutSoundChangesNothing)
{
    Mod_Sound::SetWaveVolume(3000); // no sound yet
    Mod_Sound::StopWave();
    EXPECT_TRUE(audio->Log().isEmpty());

    Mod_Sound::PlayWave(file("a.wav"), false);
    audio->ClearLog();
    const struct {
        int32_t volume;
        QStringList log;
    } cases[] = {
        {3000, {"volume 0"}}, {0, {"volume -3000"}},  {1500, {"volume -1500"}},
        {3001, {}},           {-1, {}},               {-3000, {}},
    };
    for (const auto& c : cases) {
        audio->ClearLog();
        Mod_Sound::SetWaveVolume(c.volume);
        EXPECT_EQ(audio->Log(), c.log) << c.volume;
    }
    EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
}

// A file that cannot be played (missing, or the empty name of a claim without
// a voice) stops the sound before it and leaves silence, reporting nothing.
TEST_F(SoundService, UnplayableFileLeavesSilenceAndReportsNothing)
{
    const QString music = file("majiang.wav");
    for (const QString& path : {missing(), QString()}) {
        Mod_Sound::PlayWave(music, true);
        audio->ClearLog();
        Mod_Sound::PlayWave(path, false);
        Mod_Sound::SetWaveVolume(3000);
        Mod_Sound::StopWave();
        EXPECT_EQ(audio->Log(),
                  QStringList({"stop", "release " + music, "create " + path + " failed"}));
        EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
    }
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
}

TEST_F(SoundService, DeviceFailuresTurnSoundEffectsOff)
{
    const QString music = file("majiang.wav"), effect = file("qupai.wav");
    const struct {
        const char* name;
        bool device;      // the whole device fails, else only `step`
        Step step;
        bool withSound;   // music is playing when the step fails
        std::function<void()> call;
        bool effectsOn;   // FunctionSoundOn afterwards
        const char* lastLog;
    } cases[] = {
        {"open", false, Step::Open, false, [] { Mod_Sound::InitSound(); }, false, "open failed"},
        {"open, device", true, Step::Open, false, [] { Mod_Sound::InitSound(); }, false,
         "open failed"},
        {"stop before playing", false, Step::Stop, true,
         [&] { Mod_Sound::PlayWave(effect, false); }, false, "stop failed"},
        {"stop before playing, device", true, Step::Stop, true,
         [&] { Mod_Sound::PlayWave(effect, false); }, false, "stop failed"},
        {"play", false, Step::Play, false, [&] { Mod_Sound::PlayWave(effect, false); }, false,
         "play once failed"},
        {"StopWave", false, Step::Stop, true, [] { Mod_Sound::StopWave(); }, false, "stop failed"},
        {"SetWaveVolume", false, Step::SetVolume, true, [] { Mod_Sound::SetWaveVolume(3000); },
         false, "volume 0 failed"},
        // Creating a sound fails for a missing file too: it is never reported.
        {"create", false, Step::Create, false, [&] { Mod_Sound::PlayWave(effect, false); }, true,
         nullptr},
        {"create, device", true, Step::Create, false, [&] { Mod_Sound::PlayWave(effect, false); },
         true, nullptr},
        // Nothing to stop or to set: the device is not touched.
        {"StopWave without sound", true, Step::Stop, false, [] { Mod_Sound::StopWave(); }, true,
         nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Mod_Sound::ResetState();
        auto owned = std::make_unique<Audio::RecordingBackend>();
        audio = owned.get();
        Audio::SetBackend(std::move(owned));
        if (c.withSound)
            Mod_Sound::PlayWave(music, true);
        audio->ClearLog();
        if (c.device)
            audio->FailDevice();
        else
            audio->FailStep(c.step);

        c.call();
        EXPECT_EQ(Mod_Sound::FunctionSoundOn, c.effectsOn);
        if (c.lastLog) {
            ASSERT_FALSE(audio->Log().isEmpty());
            EXPECT_EQ(audio->Log().last(), c.lastLog);
        }
        // A failed stop ends PlayWave before it creates the new sound.
        for (const QString& entry : audio->Log())
            EXPECT_FALSE(c.step == Step::Stop && entry.startsWith("create")) << entry.toStdString();
    }
    EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
}

TEST_F(SoundService, InitSoundTakesTheTableWindowOrNothing)
{
    QWidget table;
    Mod_Sound::InitSound(table);
    Mod_Sound::InitSound();
    EXPECT_EQ(audio->Log(), QStringList({"open", "open"}));
    EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
}

TEST_F(SoundService, SoundFilesLieBesideTheProgramFolder)
{
    SetProgramFolder("/opt/mj/bin");
    Mod_Resource::InitSoundFiles();
    const QString music = "/opt/mj/bin/../common/music/";
    const QStringList names = {"majiang", "dapai", "qupai", "xipai", "zhise", "tishi"};
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(Mod_Resource::SoundFile(i), music + names[i - 1] + ".wav") << i;
    EXPECT_TRUE(Mod_Resource::SoundFile(0).isEmpty());
    EXPECT_TRUE(Mod_Resource::SoundFile(7).isEmpty());
    EXPECT_TRUE(Mod_Resource::SoundFile(100).isEmpty());
    EXPECT_THROW(Mod_Resource::SoundFile(101), RuntimeError);
    EXPECT_EQ(Mod_Resource::VoiceDir, "/opt/mj/bin/../common/mj/");
}

TEST_F(SoundService, VoiceFileNameJoinsThePlayersVoiceFields)
{
    SetProgramFolder(dir.path());
    Mod_Resource::InitSoundFiles();
    const QString voices = dir.path() + "/../common/mj/";
    PlayerInfo p;
    p.VoiceLang = "c";
    p.VoicePack = "p1";
    p.Sex = 1;
    p.VoiceSex = 0;
    EXPECT_EQ(Mod_Resource::VoiceFileName(p, "01"), voices + "vcp11001.wav");
    p.Sex = 12;
    p.VoiceSex = 3;
    EXPECT_EQ(Mod_Resource::VoiceFileName(p, "a7"), voices + "vcp1123a7.wav");

    // An empty pack simply drops out of the name; with no such file, silence.
    p.VoicePack.clear();
    p.Sex = 0;
    p.VoiceSex = 1;
    const QString name = Mod_Resource::VoiceFileName(p, Mod_Resource::TileVoiceSuffix(0x43));
    EXPECT_EQ(name, voices + "vc0183.wav");
    Mod_Sound::PlayWave(name, false);
    Mod_Sound::SetWaveVolume(3000);
    EXPECT_EQ(audio->Log(), QStringList({"create " + name + " failed"}));
    EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
}

TEST(TileVoiceSuffix, SuitDigitHasFourAndEightExchanged)
{
    const struct {
        int16_t tile;
        const char* suffix;
    } cases[] = {
        {0x11, "11"}, {0x15, "15"}, {0x17, "17"}, // honours: east, red dragon, white
        {0x21, "21"}, {0x23, "23"}, {0x29, "29"}, // bamboo
        {0x41, "81"}, {0x43, "83"}, {0x49, "89"}, // characters
        {0x81, "41"}, {0x87, "47"}, {0x89, "49"}, // dots
    };
    for (const auto& c : cases)
        EXPECT_EQ(Mod_Resource::TileVoiceSuffix(c.tile), c.suffix) << std::hex << c.tile;
}

TEST_F(SoundService, ResetStateRestoresStartValues)
{
    SetProgramFolder("/x");
    Mod_Resource::InitSoundFiles();
    const QString music = file("majiang.wav");
    Mod_Sound::PlayWave(music, true);
    Mod_Sound::MusicOn = Mod_Sound::SystemSoundOn = Mod_Sound::FunctionSoundOn = false;

    Mod_Sound::ResetState();
    EXPECT_TRUE(Mod_Sound::MusicOn);
    EXPECT_TRUE(Mod_Sound::SystemSoundOn);
    EXPECT_TRUE(Mod_Sound::FunctionSoundOn);
    for (const QString& f : Mod_Resource::SoundFile)
        EXPECT_TRUE(f.isEmpty());
    EXPECT_TRUE(Mod_Resource::VoiceDir.isEmpty());
    EXPECT_EQ(dynamic_cast<Audio::RecordingBackend*>(&Audio::Current()), nullptr);

    // The music was released: there is no current sound left to stop.
    auto owned = std::make_unique<Audio::RecordingBackend>();
    audio = owned.get();
    Audio::SetBackend(std::move(owned));
    Mod_Sound::StopWave();
    Mod_Sound::SetWaveVolume(3000);
    EXPECT_TRUE(audio->Log().isEmpty());
}

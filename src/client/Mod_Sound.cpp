#include "client/Mod_Sound.h"

#include "client/Mod_Resource.h"
#include "platform/Audio.h"

#include <QCoreApplication>

#include <memory>

namespace mj::Mod_Sound {

namespace {

// The one current sound (none at first).
std::unique_ptr<Audio::Sound>& CurrentSound()
{
    static std::unique_ptr<Audio::Sound> sound;
    return sound;
}

void ReleaseCurrentSound()
{
    CurrentSound().reset();
}

// A Qt sound must not outlive the application object: release it when the
// application is destroyed rather than at static destruction.
void ReleaseWithApplication()
{
    static bool registered = false;
    if (!registered && QCoreApplication::instance()) {
        qAddPostRoutine(ReleaseCurrentSound);
        registered = true;
    }
}

} // namespace

void InitSound()
{
    if (!Audio::Current().Open())
        FunctionSoundOn = false;
}

void PlayWave(const QString& path, bool loop, int16_t /*unused*/)
{
    auto& sound = CurrentSound();
    if (sound) {
        if (!sound->Stop()) {
            FunctionSoundOn = false;
            return;
        }
        sound.reset();
    }
    sound = Audio::Current().Create(path);
    if (!sound)
        return;
    ReleaseWithApplication();
    if (!sound->Play(loop))
        FunctionSoundOn = false;
}

void StopWave()
{
    auto& sound = CurrentSound();
    if (sound && !sound->Stop())
        FunctionSoundOn = false;
}

void SetWaveVolume(int32_t volume)
{
    if (volume < 0 || volume > 3000)
        return;
    auto& sound = CurrentSound();
    if (sound && !sound->SetVolume(volume - 3000))
        FunctionSoundOn = false;
}

void ResetState()
{
    ReleaseCurrentSound();
    Audio::SetBackend(nullptr);
    MusicOn = true;
    SystemSoundOn = true;
    FunctionSoundOn = true;
    Mod_Resource::SoundFile.Fill(QString());
    Mod_Resource::VoiceDir.clear();
}

} // namespace mj::Mod_Sound

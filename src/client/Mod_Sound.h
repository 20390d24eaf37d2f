// The sound service: one sound at a time, once or looped.
//
// Starting a sound stops and drops the one before it, the looping background
// music included. No message is ever shown: a failure of the sound device
// turns sound effects off for the rest of the run (FunctionSoundOn false),
// while a missing or unreadable wave file only skips that sound. The service
// itself never tests FunctionSoundOn; its callers do.
#pragma once

#include <QString>

#include <cstdint>

namespace mj::Mod_Sound {

// Switches of the settings form; FunctionSoundOn gates sound effects and
// voice lines and is cleared here when the sound device fails.
inline bool MusicOn = true;
inline bool SystemSoundOn = true;
inline bool FunctionSoundOn = true;

// Opens the sound device; a failure clears FunctionSoundOn.
void InitSound();
// The table window may be passed; the sound device does not need it.
template <typename Window>
void InitSound(const Window&)
{
    InitSound();
}

// Stops and releases the current sound, then plays the wave file once or
// looped. A file that cannot be played (an empty path included) leaves no
// sound playing. The third argument is not used.
void PlayWave(const QString& path, bool loop, int16_t unused = 0);
// Stops the current sound and rewinds it; nothing when there is none.
void StopWave();
// Volume 0 to 3000 (3000 full): the current sound plays at volume - 3000
// hundredths of a decibel. Other values, or no current sound, change nothing.
void SetWaveVolume(int32_t volume);

// Puts the variables of the sound service and of the sound file names back to
// their program-start values, releases the current sound and goes back to the
// default audio back end.
void ResetState();

} // namespace mj::Mod_Sound

// Names of the sound and voice files beside the program.
//
// The sound effects live in "../common/music" and the voice lines in
// "../common/mj" relative to the program folder; the paths keep the ".." as
// built, so they stay correct wherever the program folder is.
#pragma once

#include "platform/Runtime.h"

#include <QString>

#include <cstdint>

namespace mj {
struct PlayerInfo;
}

namespace mj::Mod_Resource {

// Sound effect files; only entries 1 to 6 are used:
// 1 background music, 2 discard, 3 deal and draw, 4 wall building, 5 dice,
// 6 the turn clock running out.
inline VbArray<QString, 0, 100> SoundFile;
// The folder of the voice lines, ending in '/'.
inline QString VoiceDir;

// Fills SoundFile(1..6) and VoiceDir from the program folder.
void InitSoundFiles();

// The voice line of a player: VoiceDir & "v" & VoiceLang & VoicePack &
// decimal Sex & decimal VoiceSex & suffix & ".wav". The suffix carries no
// extension: "01" chi, "02" peng, "03" gang, "09" hu, "04"/"05" the red-dragon
// and wild-tile gangs, "a" & n a quick phrase, TileVoiceSuffix a discard.
QString VoiceFileName(const PlayerInfo& player, const QString& suffix);

// The voice suffix of a discarded tile: the suit digit, then the rank, both
// in decimal. The suit digit is the tile's suit bit with 4 and 8 exchanged
// (honours 1, bamboo 2, characters 8, dots 4); the rank is the low nibble.
QString TileVoiceSuffix(int16_t tileCode);

} // namespace mj::Mod_Resource

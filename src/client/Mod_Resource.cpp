#include "client/Mod_Resource.h"

#include "client/Data.h"
#include "platform/Program.h"

namespace mj::Mod_Resource {

void InitSoundFiles()
{
    const QString music = ProgramFolder() + QStringLiteral("/../common/music/");
    SoundFile(1) = music + QStringLiteral("majiang.wav");
    SoundFile(2) = music + QStringLiteral("dapai.wav");
    SoundFile(3) = music + QStringLiteral("qupai.wav");
    SoundFile(4) = music + QStringLiteral("xipai.wav");
    SoundFile(5) = music + QStringLiteral("zhise.wav");
    SoundFile(6) = music + QStringLiteral("tishi.wav");
    VoiceDir = ProgramFolder() + QStringLiteral("/../common/mj/");
}

QString VoiceFileName(const PlayerInfo& player, const QString& suffix)
{
    return VoiceDir + u'v' + player.VoiceLang + player.VoicePack + QString::number(player.Sex)
        + QString::number(player.VoiceSex) + suffix + QStringLiteral(".wav");
}

QString TileVoiceSuffix(int16_t tileCode)
{
    int suit = (tileCode / 16) & 15;
    if (suit == 4)
        suit = 8;
    else if (suit == 8)
        suit = 4;
    const int rank = tileCode & 15;
    return QString::number(suit) + QString::number(rank);
}

} // namespace mj::Mod_Resource

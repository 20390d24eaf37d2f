// The user-information frame (code 20): one table member's profile, parsed
// into a PlayerInfo record, and the watch-mode seating made from the first
// four such frames.
//
// Body layout (frame byte positions):
//   16..47 Name (mixed GBK)      48..63 Face (single-byte)   64 Sex
//   72..79 Location (GBK pairs)  80..111 Points, Credit, Coins, Spare1
//   112..127 Level (GBK pairs)   128..151 Spare2..Spare4
//   152..167 Logins, Drops, Wins, Losses   168..183 Account (single-byte)
//   184..207 Tag (GBK pairs)     210..217 VoiceLang   218..225 VoicePack
//   226..233 UserId
// The 64-bit numbers are unsigned little-endian, the counts signed 32-bit
// little-endian. Texts are walked from their first byte and never past the
// end of their field.
#include "client/Total.h"

#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "controls/Hero.h"
#include "controls/Score.h"
#include "platform/Gbk.h"
#include "table/NewGame.h"

namespace mj::Total {

namespace {

QString decode(const FrameBytes& frame, int at, int length)
{
    return Gbk::Decode(reinterpret_cast<const char*>(&frame[at]), length);
}

// One character per byte, up to the first 0 byte.
QString singleByteText(const FrameBytes& frame, int first, int last)
{
    QString text;
    for (int i = first; i <= last && frame[i] != 0; ++i)
        text += decode(frame, i, 1);
    return text;
}

// Up to the first 0 byte; a byte of 0x80 or more takes the next byte with it
// as one character, except in the field's last position.
QString mixedText(const FrameBytes& frame, int first, int last)
{
    QString text;
    int i = first;
    while (i <= last && frame[i] != 0) {
        if (frame[i] >= 0x80 && i < last) {
            const QString pair = decode(frame, i, 2);
            text += pair.size() == 1 ? pair : QStringLiteral("?");
            i += 2;
        } else {
            text += decode(frame, i, 1);
            ++i;
        }
    }
    return text;
}

// Steps of two bytes, each converted as one unit (two single-byte characters
// give both); a step starting with 0 ends the text, a step ending with 0
// gives its first byte's character and ends it.
QString doubleByteText(const FrameBytes& frame, int first, int last)
{
    QString text;
    for (int i = first; i < last; i += 2) {
        if (frame[i] == 0)
            break;
        if (frame[i + 1] == 0) {
            text += decode(frame, i, 1);
            break;
        }
        text += decode(frame, i, 2);
    }
    return text;
}

// Unsigned little-endian, built from the highest byte down in doubles, so a
// value above 2^53 rounds the same way wherever it is read.
double unsigned64(const FrameBytes& frame, int first)
{
    double value = 0;
    for (int i = first + 7; i >= first; --i)
        value = value * 256 + frame[i];
    return value;
}

int32_t signed32(const FrameBytes& frame, int first)
{
    uint32_t value = 0;
    for (int i = first + 3; i >= first; --i)
        value = (value << 8) | frame[i];
    return static_cast<int32_t>(value);
}

// Remainder that is never negative, so a position from any dice stays on the
// wall.
int floorMod(int value, int modulus)
{
    const int r = value % modulus;
    return r < 0 ? r + modulus : r;
}

bool isSingleSeat(uint8_t mask)
{
    return mask == 1 || mask == 2 || mask == 4 || mask == 8;
}

template <typename Target>
void loadAvatar(int16_t index, Target& target)
{
    Image_Resource::LoadGifResource(CInt(Image_Resource::AvatarPicture[index]), QStringLiteral("GIF"), target);
}

} // namespace

void ParseUserInfo(PlayerInfo& player, const FrameBytes& frame)
{
    player.Account = singleByteText(frame, 168, 183);
    player.Name = mixedText(frame, 16, 47);
    player.Face = singleByteText(frame, 48, 63);
    if (player.Face.isEmpty())
        player.Face = QStringLiteral("m1");
    player.Sex = frame[64];
    player.Location = doubleByteText(frame, 72, 79);
    player.Points = unsigned64(frame, 80);
    player.Credit = unsigned64(frame, 88);
    player.Coins = unsigned64(frame, 96);
    player.Spare1 = unsigned64(frame, 104);
    player.Spare2 = unsigned64(frame, 128);
    player.Spare3 = unsigned64(frame, 136);
    player.Spare4 = unsigned64(frame, 144);
    player.Level = doubleByteText(frame, 112, 127);
    player.Logins = signed32(frame, 152);
    player.Drops = signed32(frame, 156);
    player.Wins = signed32(frame, 160);
    player.Losses = signed32(frame, 164);
    player.Tag = doubleByteText(frame, 184, 207);
    player.VoiceLang = singleByteText(frame, 210, 217);
    player.VoicePack = singleByteText(frame, 218, 225);
    player.UserId = unsigned64(frame, 226);
}

int16_t AvatarIndex(const QString& face)
{
    int n = 0;
    bool isNumber = face.size() == 2 || face.size() == 3;
    for (qsizetype i = 1; isNumber && i < face.size(); ++i) {
        const char16_t c = face[i].unicode();
        isNumber = c >= u'0' && c <= u'9';
        n = n * 10 + (c - u'0');
    }
    int16_t index = isNumber && n >= 1 && n <= 10 ? static_cast<int16_t>(n - 1) : 0;
    if (face.startsWith(u'w'))
        index += 10;
    return index;
}

void ArrangeSeatsFromUserInfo()
{
    VbArray<PlayerInfo, 0, 3> scratch;
    for (int k = 0; k <= 3; ++k) {
        FrameBytes frame = SavedUserInfoFrames.Row(k);
        ParseUserInfo(scratch[k], frame);
    }

    // Only frames of one seat each can be placed round the table: a frame
    // with no seat, several seats, or a seat already taken is left out.
    VbArray<bool, 0, 3> usable;
    uint8_t seatsTaken = 0;
    for (int j = 0; j <= 3; ++j) {
        const uint8_t mask = SavedUserInfoFrames(j, 6) & 0x0F;
        usable[j] = isSingleSeat(mask) && (seatsTaken & mask) == 0;
        if (usable[j])
            seatsTaken |= mask;
    }

    int watched = -1;
    for (int k = 0; k <= 3 && watched < 0; ++k) {
        if (usable[k] && scratch[k].UserId == Players[0].UserId)
            watched = k;
    }
    if (watched < 0) {
        // The watched player is not at this table (any more).
        MsgBox(QStringLiteral("有用户退出，旁观结束！"), vbOKOnly);
        EndProgram();
    }

    custom[0].SeatMask = SavedUserInfoFrames(watched, 6) & 0x0F;
    custom[0].Name = scratch[watched].Account;
    NewGame::ShowCompass();
    Players[0] = scratch[watched];
    const uint8_t own = custom[0].SeatMask;
    for (int j = 0; j <= 3; ++j) {
        SavedUserInfoFrames(j, 6) &= 0x0F;
        if (!usable[j])
            continue;
        const uint8_t m = SavedUserInfoFrames(j, 6);
        const auto seat = [&](int side) {
            custom[side].SeatMask = m;
            custom[side].Name = scratch[j].Account;
            Players[side] = scratch[j];
        };
        if (m == own * 2 || (m == 1 && own == 8))
            seat(3);
        if (own == m * 4 || m == own * 4)
            seat(2);
        if (own == m * 2 || (m == 8 && own == 1))
            seat(1);
    }

    for (int i = 0; i <= 3; ++i) {
        if (custom[i].SeatMask != BankerMask)
            continue;
        custom[i].IsBanker = true;
        const int d0 = Dice[0], d1 = Dice[1];
        WallHead = static_cast<int16_t>(floorMod((floorMod(13 + i - d0, 4) * 17 + d0 + d1) * 2, 136));
        WallTail = static_cast<int16_t>((WallHead + 134) % 136);
        break;
    }

    MainForm& table = form<MainForm>();
    Score& score = form<Score>();
    Hero& hero = form<Hero>();
    for (int c = 0; c <= 3; ++c) {
        const PlayerInfo& p = Players[c];
        const int16_t avatar = AvatarIndex(p.Face);
        loadAvatar(avatar, table.Tou(c));
        table.Nid(c).SetCaption(QStringLiteral("[") + p.Tag + QStringLiteral("] ") + p.Name);
        table.Cash(c).SetCaption(QString::number(p.Coins, 'f', 0) + QStringLiteral("金币"));
        table.Level(c).SetCaption(p.Level);
        score.ID(c).SetCaption(p.Name);
        loadAvatar(avatar, score.Tou(c));
        hero.ID(c).SetCaption(p.Name);
        loadAvatar(avatar, hero.Tou(c));
        // The board after each hand and the saved hands show these.
        SeatNameAvatar[c].Name = p.Name;
        SeatNameAvatar[c].PicIndex = QString::number(avatar);
    }
}

} // namespace mj::Total

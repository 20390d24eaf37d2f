// The table is complete: four user informations have come in after the seat
// names. The seat-wind draw and the compass show the own seat, and every
// player is given a voice pack, part of the file names of the voice lines.
#include "dispatch/Total.h"

#include "client/General.h"
#include "platform/Clock.h"
#include "table/NewGame.h"

#include <QRandomGenerator>

#include <cmath>

namespace mj::Total {

namespace {

constexpr uint8_t Female = 0;
constexpr uint8_t Male = 1;
const QString Mandarin = QStringLiteral("00");
const QString FemalePacks[] = {QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"),
                               QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30")};
const QString MalePacks[] = {QStringLiteral("10"), QStringLiteral("30"), QStringLiteral("10"),
                             QStringLiteral("30"), QStringLiteral("10")};

// A slot of 0..last: the drawn one, or the lowest free one when the drawn
// one is given; the drawn one again when all are given.
template <int Hi>
int takeSlot(VbArray<bool, 0, Hi>& used, int last, double r)
{
    int slot = std::clamp(static_cast<int>(std::floor(r * (last + 1))), 0, last);
    if (used[slot]) {
        for (int free = 0; free <= last; ++free) {
            if (!used[free]) {
                slot = free;
                break;
            }
        }
    }
    used[slot] = true;
    return slot;
}

// Voice file names are built from these parts: only letters and digits may
// go into a name.
bool IsNamePart(const QString& part)
{
    if (part.isEmpty())
        return false;
    for (QChar c : part) {
        if (!(c.unicode() < 0x80 && c.isLetterOrNumber()))
            return false;
    }
    return true;
}

} // namespace

void CompleteTable()
{
    CountUserInfos = false;
    FrameGroupCount = 5;
    NewGame::ShowSeatWindDraw(General::MaskToIndex(custom[0].SeatMask));
    NewGame::ShowCompass();
    VoicePackUsedMale.Fill(false);
    VoicePackUsedFemale.Fill(false);
    QRandomGenerator clockSeeded(static_cast<quint32>(Clock::Timer()));
    auto draw = [&] { return VoicePackDraw ? VoicePackDraw() : clockSeeded.generateDouble(); };

    for (int i = 0; i <= 3; ++i) {
        PlayerInfo& p = Players[i];
        if (p.Sex == Female) {
            p.VoiceLang = Mandarin;
            p.VoicePack = FemalePacks[takeSlot(VoicePackUsedFemale, 5, draw())];
        } else if (p.Sex == Male) {
            p.VoiceLang = Mandarin;
            p.VoicePack = MalePacks[takeSlot(VoicePackUsedMale, 4, draw())];
        } else if (!IsNamePart(p.VoiceLang) || !IsNamePart(p.VoicePack)) {
            p.VoiceLang = Mandarin;
            p.VoicePack = FemalePacks[0];
        }
        SeatVoicePack[i] = p.VoicePack;
        p.VoiceSex = p.Sex == Female ? 2 : 3;
    }
}

} // namespace mj::Total

#include "client/General.h"

#include "client/Data.h"
#include "platform/Clock.h"
#include "platform/Runtime.h"

namespace mj::General {

bool HandHasImage(int16_t image)
{
    return FindHandSlotOfImage(image) >= 0;
}

int16_t FindHandSlotOfImage(int16_t image)
{
    const SeatRecord& own = custom[0];
    const int last = own.FirstConcealed + own.sum - 1;
    for (int i = own.FirstConcealed; i <= last; ++i)
        if (own.Slots[i].Image == image)
            return static_cast<int16_t>(i);
    return -1;
}

uint8_t MaskToIndex(uint8_t mask)
{
    uint8_t n = 0;
    while (mask >= 2) {
        mask /= 2;
        ++n;
    }
    return n;
}

int16_t IndexToMask(int16_t n)
{
    int16_t mask = 1;
    for (int16_t i = 1; i <= n; ++i)
        mask = static_cast<int16_t>(mask * 2); // n beyond 14 wraps, as it would overflow anyway
    return mask;
}

void SleepSeconds(float seconds)
{
    // A negative pause is no pause at all (it must never block for ever).
    const double ms = RoundHalfEven(static_cast<double>(seconds) * 1000.0);
    Clock::Sleep(ms > 0 ? static_cast<int64_t>(ms) : 0);
}

void WaitSeconds(float seconds)
{
    // Elapsed time comes from the monotonic clock, so a wait across midnight
    // (where the seconds-since-midnight clock starts again at 0) still ends.
    const double start = Clock::Monotonic();
    for (;;) {
        const double elapsed = Clock::Monotonic() - start;
        if (elapsed > seconds)
            break;
        Clock::ProcessEvents(static_cast<double>(seconds) - elapsed);
    }
}

bool IsNarrowChar(const QString& ch)
{
    if (ch.isEmpty())
        Raise(ErrInvalidCall);
    return Gbk::CharByteLength(ch[0]) == 1;
}

QString PadRight(const QString& text, int16_t width)
{
    QString s = text;
    while (s.size() < width)
        s.append(u' ');
    return s;
}

QString TileName(int16_t rank, int16_t suitBit)
{
    static const char16_t* const honours[] = {u"东风", u"南风", u"西风", u"北风", u"红中", u"发财", u"白板"};
    switch (suitBit) {
    case SuitHonour:
        return rank >= 1 && rank <= 7 ? QString::fromUtf16(honours[rank - 1]) : QString();
    case SuitBamboo:
        return QString::number(rank) + QStringLiteral("条");
    case SuitCharacters:
        return QString::number(rank) + QStringLiteral("万");
    case SuitDots:
        return QString::number(rank) + QStringLiteral("筒");
    default:
        return QString();
    }
}

int32_t MinWealthRate()
{
    // A multiplier is a count: all 32 bits read as an unsigned number.
    uint32_t best = 0;
    for (int32_t entry : SeatWealthRates) {
        const auto rate = static_cast<uint32_t>(entry);
        if (rate > 0 && (best == 0 || rate < best))
            best = rate;
    }
    return static_cast<int32_t>(best);
}

} // namespace mj::General

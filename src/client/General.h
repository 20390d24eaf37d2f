// Small shared procedures: lookups in the own hand by tile image, seat-mask
// and suit-bit conversions, the two kinds of pause, wrapped text for list
// boxes, right padding, tile names and the smallest wealth multiplier.
#pragma once

#include "platform/Gbk.h"

#include <QString>

#include <cstdint>

namespace mj::General {

// True when one of the own concealed slots shows tile image `image`.
bool HandHasImage(int16_t image);
// The first own concealed slot showing tile image `image`; -1 when none.
int16_t FindHandSlotOfImage(int16_t image);

// log2 of a seat mask or suit bit: 1 -> 0, 2 -> 1, 4 -> 2, 8 -> 3; 0 and 1
// give 0; larger values count their halvings (15 -> 3).
uint8_t MaskToIndex(uint8_t mask);
// 2 to the power n; n of 0 or less gives 1.
int16_t IndexToMask(int16_t n);

// Blocks the thread for the given seconds; no events are handled meanwhile.
void SleepSeconds(float seconds);
// Handles window events until more than the given seconds have passed. Other
// event procedures may run inside the wait. Midnight does not stop it.
void WaitSeconds(float seconds);

// True for a single-byte character of the ANSI code page, false for a
// double-byte one. The text must hold at least one character (error 5).
bool IsNarrowChar(const QString& ch);

// Adds `text` to a list box as lines of at most `width` columns (a wide
// character takes two columns and may end a line one column past the width).
// The text ends at its first NUL character; each line is followed by " ".
template <typename Box>
void AddWrappedText(Box& box, const QString& text, int16_t width);

// Appends blanks until the text is `width` characters long.
QString PadRight(const QString& text, int16_t width);
// The name of a tile from its rank and suit bit; "" for an unknown suit.
QString TileName(int16_t rank, int16_t suitBit);
// The smallest entry of SeatWealthRates above 0, each read as an unsigned
// 32-bit count; 0 when all are 0.
int32_t MinWealthRate();

// ---------------------------------------------------------------------------

template <typename Box>
void AddWrappedText(Box& box, const QString& text, int16_t width)
{
    const qsizetype nul = text.indexOf(QChar(0));
    const QString t = nul >= 0 ? text.left(nul) : text;
    int columns = 0;
    qsizetype lineStart = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        columns += Gbk::CharByteLength(t[i]) == 1 ? 1 : 2;
        if (i == t.size() - 1 || columns >= width) {
            box.AddItem(t.mid(lineStart, i - lineStart + 1) + QStringLiteral(" "));
            lineStart = i + 1;
            columns = 0;
        }
    }
}

} // namespace mj::General

// Where the onlooker's table puts tiles, by the worked values at each scale:
// the hand rows, the discard pools, the table's drawing order, and the wall's
// two ends as a seated table walks them.
#pragma once

#include "client/Data.h"
#include "client/MainForm.h"
#include "table/TileSizes.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace mjtest {

inline bool SmallTable()
{
    return mj::ScaleX < 1;
}

// A pool's tile at the screen's scale: the design size rounded.
inline QSizeF PoolSize(int side)
{
    return QSizeF(mj::ScaledWidth(mj::PoolTileSize[side]), mj::ScaledHeight(mj::PoolTileSize[side]));
}

// Where the k-th tile (from 0) of a side's pool lies, from the pool's
// origin, by the worked steps at each scale: per tile, and per new row or
// column of eight.
inline QPointF PoolPlace(int side, int k)
{
    struct Steps {
        int tileDx, tileDy, rowDx, rowDy;
    };
    static constexpr Steps normal[] = {{36, 0, 0, -32}, {-5, 18, 43, 0}, {-30, 0, 0, 22}, {-5, -18, -43, 0}};
    static constexpr Steps smallSteps[] = {{28, 0, 0, -25}, {-5, 14, 34, 0}, {-23, 0, 0, 17}, {-5, -14, -34, 0}};
    const Steps& s = SmallTable() ? smallSteps[side] : normal[side];
    const mj::SeatRecord& seat = mj::custom[side];
    const int row = k / 8, i = k % 8;
    return QPointF(seat.PoolRowX + row * s.rowDx + i * s.tileDx, seat.PoolRowY + row * s.rowDy + i * s.tileDy);
}

// A hand tile's place in slot s of the side's hand row, at the hand size;
// `apart` is the share of a tile width a watched tile stands to the right.
inline QRectF RowPlace(int side, int s, double apart = 0)
{
    const mj::SeatRecord& seat = mj::custom[side];
    const double W = mj::ScaledWidth(mj::HandTileSize[side]), H = mj::ScaledHeight(mj::HandTileSize[side]);
    const double SX = mj::ScaleX;
    switch (side) {
    case 0: return QRectF(seat.HandX + s * W + apart * W, seat.HandY, W, H);
    case 1: return QRectF(seat.HandX - 5 * SX * s, seat.HandY + s * W / 2, W, H);
    case 2: return QRectF(seat.HandX - s * W, seat.HandY, W, H);
    default: return QRectF(seat.HandX - 5 * SX * (s + 1), seat.HandY - (s + 1) * W / 2, W, H);
    }
}

// The image of a side's last concealed tile: the one its next discard takes.
inline int16_t LastHandImage(int side)
{
    const mj::SeatRecord& seat = mj::custom[side];
    return seat.Slots[seat.FirstConcealed + seat.sum - 1].Image;
}

// A tile image's position in the table's drawing order (bottom first).
inline int DrawnAt(int image)
{
    return static_cast<int>(
        mj::form<mj::MainForm>().Pic1.DrawingOrder().indexOf(QStringLiteral("MJ_Image(%1)").arg(image)));
}

// The right pool's drawing order: within a column an earlier tile lies over a
// later one; a later column lies over an earlier one.
inline void ExpectRightPoolStacked(const std::vector<int16_t>& laid)
{
    for (size_t a = 0; a < laid.size(); ++a)
        for (size_t b = a + 1; b < laid.size(); ++b) {
            if (a / 8 == b / 8) {
                EXPECT_GT(DrawnAt(laid[a]), DrawnAt(laid[b])) << "tiles " << a << " and " << b << " of " << laid.size();
            } else {
                EXPECT_GT(DrawnAt(laid[b]), DrawnAt(laid[a])) << "tiles " << a << " and " << b << " of " << laid.size();
            }
        }
}

// The seated table's walk of the wall's tail: from an upper tile (even) to
// the lower one beneath it, from a lower tile to the upper tile of the stack
// before.
inline int16_t TailStep(int16_t p)
{
    return static_cast<int16_t>(p % 2 == 0 ? p + 1 : (p + 133) % 136);
}

// The wall a hand leaves after `fromHead` draws at the head from `head` and
// `fromTail` draws at the tail from `tail`: the images neither end reached.
inline std::set<int16_t> Untaken(int16_t head, int fromHead, int16_t tail, int fromTail)
{
    std::set<int16_t> wall;
    for (int16_t k = 0; k <= 135; ++k)
        wall.insert(k);
    for (int i = 0; i < fromHead; ++i)
        wall.erase(static_cast<int16_t>((head + i) % 136));
    for (int i = 0; i < fromTail; ++i, tail = TailStep(tail))
        wall.erase(tail);
    return wall;
}

// The next draw at one end as a seated table takes it from `wall`: the first
// image still there from `position` on, going that end's way; it leaves the
// wall and `position` moves past it. -1 when the wall is empty.
inline int16_t TakeNext(std::set<int16_t>& wall, int16_t& position, bool fromTail)
{
    if (wall.empty())
        return -1;
    while (!wall.count(position))
        position = fromTail ? TailStep(position) : static_cast<int16_t>((position + 1) % 136);
    const int16_t taken = position;
    wall.erase(taken);
    position = fromTail ? TailStep(position) : static_cast<int16_t>((position + 1) % 136);
    return taken;
}

} // namespace mjtest

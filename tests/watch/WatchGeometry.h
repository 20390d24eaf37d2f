// Where the onlooker's table puts tiles, by the worked values at each scale:
// the hand rows, the discard pools and the table's drawing order.
#pragma once

#include "client/Data.h"
#include "client/MainForm.h"
#include "table/TileSizes.h"

#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <gtest/gtest.h>

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

} // namespace mjtest

// The round-start animations (NewGame): the seat-wind draw, the compass, the
// wall building and the dice.
#include "table/NewGame.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "platform/Clock.h"
#include "table/General.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace mj::NewGame {

namespace {

// Sound effects used here, by their SoundFile entry.
constexpr int SoundDeal = 3;  // the seat-wind draw
constexpr int SoundWall = 4;  // the wall being built
constexpr int SoundDice = 5;  // each throw

// Picture entries: the standing back of the own view, and the own-hand faces
// of the winds (147 - seat index: 北 西 南 东 for seat index 0..3).
constexpr int16_t StandingBack = 7;
constexpr int16_t WindOfSeatIndexZero = 147;

// Dice picture cache: entries 0..5 the faces 1..6, then ten tumbling frames.
constexpr int FirstTumblingFrame = 6;
constexpr int TumblingFrames = 10;

void PlayEffect(int sound)
{
    if (Mod_Sound::FunctionSoundOn)
        Mod_Sound::PlayWave(Mod_Resource::SoundFile[sound], false, 0);
}

// The draws of the seat-wind tile and of the dice. Seeded from the program's
// clock where a draw starts, so a run on the driven clock repeats itself.
std::mt19937& Generator()
{
    static std::mt19937 generator;
    return generator;
}

void ReseedFromClock()
{
    Generator().seed(static_cast<uint32_t>(std::llround(Clock::Timer() * 1000.0)));
}

// A uniform integer 0..highest.
int RandomUpTo(int highest)
{
    return std::uniform_int_distribution<int>(0, highest)(Generator());
}

// The cache entry of the face a die value lands on. Values come from a
// frame byte: above 6 the die shows 6 (0 has been made 1 by then).
int FaceEntry(int16_t value)
{
    return std::clamp<int>(value, 1, 6) - 1;
}

// One throw of the two dice: 21 to 25 tumbling frames, the last one ending
// on the two faces, with a short wait handling events after each frame.
void Tumble(MainForm& f, int16_t first, int16_t second)
{
    const int last = 20 + RandomUpTo(4);
    for (int k = 0; k <= last; ++k) {
        f.Sai_Image(0).SetPicture(f.SZ_Image(FirstTumblingFrame + RandomUpTo(TumblingFrames - 1)).Picture());
        f.Sai_Image(1).SetPicture(f.SZ_Image(FirstTumblingFrame + RandomUpTo(TumblingFrames - 1)).Picture());
        if (k == last) {
            f.Sai_Image(0).SetPicture(f.SZ_Image(FaceEntry(first)).Picture());
            f.Sai_Image(1).SetPicture(f.SZ_Image(FaceEntry(second)).Picture());
        }
        General::WaitSeconds(0.002f);
    }
}

void ShowDice(MainForm& f, bool visible)
{
    f.Sai_Image(0).SetVisible(visible);
    f.Sai_Image(1).SetVisible(visible);
}

void BuildWalls(MainForm& f)
{
    PlayEffect(SoundWall);

    // The first stack of every wall gets its wall's lying back. Within a
    // stack the lower tile comes first, except on the right wall.
    const int16_t firstStack[][2] = {{1, 0}, {35, 34}, {69, 68}, {102, 103}};
    for (int w = 0; w <= 3; ++w) {
        for (int16_t image : firstStack[w]) {
            General::ShowTileImage(image, static_cast<int16_t>(36 * w + 8));
            f.MJ_Image(image).SetVisible(true);
        }
    }

    // Then the walls grow together from their corners, one stack a round,
    // each tile copying the picture of its wall's first-stack tile.
    for (int s = 1; s <= 16; ++s) {
        for (int w = 0; w <= 3; ++w) {
            const int upper = 34 * w + 2 * s;
            const int lower = upper + 1;
            const bool upperFirst = w == 3;
            for (int image : {upperFirst ? upper : lower, upperFirst ? lower : upper}) {
                Image& tile = f.MJ_Image(image);
                tile.SetPicture(f.MJ_Image(34 * w + image % 2).Picture());
                tile.SetVisible(true);
            }
        }
        General::WaitSeconds(0.01f);
    }

    // The hall learns that a hand has started; without a hall nothing is sent.
    Api::PostToHall(HallMsgRoundStarted);

    // Every tile is in the wall; the hand's gang and wall-tail records start
    // empty.
    InWall.Fill(true);
    GangImages.Fill(0);
    GangTiles.Fill(0);
    GangSeats.Fill(0);
    GangCount = 0;
    WallRevealSide = -1;
    MarkClaimedTile = false;
    ScoreRowsIn = 0;
    TailSlots.Fill(0);
    TailTiles.Fill(0);
    TailTileCount = 0;
}

} // namespace

void ShowSeatWindDraw(int16_t wind)
{
    MainForm& f = form<MainForm>();
    PlayEffect(SoundDeal);

    // Four standing backs in a row centred on the table, resting on its
    // middle line.
    const QPointF centre = General::TableCentre();
    const double x0 = centre.x() - 2 * TileW[0];
    const int16_t y0 = CInt(centre.y() - TileH[0]);
    for (int i = 0; i <= 3; ++i) {
        Image& tile = f.MJ_Image(i);
        tile.SetHeight(TileH[0]);
        tile.SetWidth(TileW[0]);
        tile.SetLeft(x0 + i * TileW[0]);
        tile.SetTop(y0);
        General::ShowTileImage(static_cast<int16_t>(i), StandingBack);
        tile.SetVisible(true);
    }
    // The pauses block the thread, so the row is painted before each.
    const auto paintRow = [&f] {
        for (int i = 0; i <= 3; ++i)
            f.MJ_Image(i).Refresh();
    };
    paintRow();
    General::SleepSeconds(0.5f);

    // One of them turns up the own seat's wind; a seat index that names no
    // seat turns none up.
    ReseedFromClock();
    const int k = RandomUpTo(3);
    if (wind >= 0 && wind <= 3)
        General::ShowTileImage(static_cast<int16_t>(k), static_cast<int16_t>(WindOfSeatIndexZero - wind));
    paintRow();
    General::SleepSeconds(0.5f);

    for (int i = 0; i <= 3; ++i)
        f.MJ_Image(i).SetVisible(false);
}

void ShowCompass()
{
    // Each step is tried on its own; a failing one is skipped.
    const auto attempt = [](const auto& step) {
        try {
            step();
        } catch (const RuntimeError&) {
        }
    };
    attempt([] {
        if (custom[0].SeatMask == 0)
            custom[0].SeatMask = 1;
    });
    attempt([] {
        MainForm& f = form<MainForm>();
        const int16_t entry = General::MaskToIndex(custom[0].SeatMask);
        Image_Resource::LoadGifResource(CInt(Image_Resource::CompassPicture[entry]), QStringLiteral("GIF"), f.ZhiNan);
    });
    attempt([] { form<MainForm>().ZhiNan.SetVisible(true); });
}

void AnimateWallBuilding()
{
    try {
        BuildWalls(form<MainForm>());
    } catch (const RuntimeError&) {
        Operate::RestoreHallWindow();
        EndProgram();
    }
}

void ThrowDice(int16_t bankerSide, VbArray<int16_t, 0, 3>& dice)
{
    MainForm& f = form<MainForm>();
    const double SX = ScaleX;
    const double SY = ScaleY;

    PlayEffect(SoundDice);
    for (int j = 0; j <= 1; ++j)
        if (dice[j] == 0)
            dice[j] = 1;
    // The dice do not stretch: each shows its picture at the picture's size.
    f.Sai_Image(0).Move(400 * SX, 344 * SY);
    f.Sai_Image(1).Move(560 * SX, 344 * SY);
    ShowDice(f, true);
    ReseedFromClock();
    Tumble(f, dice[0], dice[1]);
    General::SleepSeconds(0.6f);
    ShowDice(f, false);

    // The second throw (always, for a banker's side 0..3) goes on drawing
    // from the same sequence.
    if (bankerSide < 4) {
        General::SleepSeconds(0.6f);
        PlayEffect(SoundDice);
        ShowDice(f, true);
        for (int j = 2; j <= 3; ++j)
            if (dice[j] == 0)
                dice[j] = 1;
        Tumble(f, dice[2], dice[3]);
        General::SleepSeconds(0.6f);
        ShowDice(f, false);
    }
}

} // namespace mj::NewGame

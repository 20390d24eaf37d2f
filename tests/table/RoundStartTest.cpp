// The round-start animations on the driven clock: what the table shows during
// every blocking pause and every turn of the waits that handle events, the
// sounds, the hall's message, the dice faces for any value a frame can carry,
// the fatal path of the wall building, and screenshots of a hand's start.
#include "FakeHall.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "client/Mod_Resource.h"
#include "client/Mod_Sound.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "platform/Audio.h"
#include "platform/Clock.h"
#include "platform/Program.h"
#include "table/General.h"
#include "table/NewGame.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <vector>

using namespace mj;

namespace {

constexpr float Small = 0.78125f;
const QString HallName = QStringLiteral("RoundStartHall");

// What the test saw at one moment inside an animation.
struct Moment {
    bool sleep;     // a blocking pause (else one turn of a wait's event loop)
    int64_t ms;     // the pause's length
    double at;      // the clock then (seconds since the animation began)
    QString seen;   // what the test looked at
};

// The table laid out and reset for a hand, the clock driven, sounds going to
// the recording back end from real files, and every pause and wait noted.
class RoundStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QDir(dir.path()).mkpath(QStringLiteral("program"));
        QDir(dir.path()).mkpath(QStringLiteral("common/music"));
        for (const char* name : {"qupai.wav", "xipai.wav", "zhise.wav"}) {
            QFile wave(dir.filePath(QStringLiteral("common/music/") + QLatin1String(name)));
            ASSERT_TRUE(wave.open(QIODevice::WriteOnly));
            wave.write("RIFF");
        }
        SetProgramFolder(dir.filePath(QStringLiteral("program")));
        Mod_Resource::InitSoundFiles();
        auto owned = std::make_unique<Audio::RecordingBackend>();
        audio = owned.get();
        Audio::SetBackend(std::move(owned));

        Clock::UseDrivenClock(10 * 3600.0);
        HallTitle = HallName;
        f = &mjtest::LaidOutTable(scale());
        NewGame::ResetTableForRound();
        NewGame::ClearTableAndPlaceWalls();
        NewGame::ResetRoundData();
        Watch();
    }
    void TearDown() override
    {
        Clock::UseRealClock();
        SetProgramFolder(QString());
    }
    virtual float scale() const { return 1.0f; }

    // Notes every blocking pause and every turn of a wait (each turn moves the
    // clock 4 ms, so a 0.002 s wait takes one turn and a 0.01 s wait three).
    void Watch()
    {
        moments.clear();
        start = Clock::Monotonic();
        Clock::SetIdleStep([this] {
            moments.push_back({false, 0, Clock::Monotonic() - start, look()});
            if (onWait)
                onWait();
            Clock::Advance(0.004);
        });
        Clock::SetSleepObserver([this](int64_t ms) {
            moments.push_back({true, ms, Clock::Monotonic() - start, look()});
            if (onSleep)
                onSleep();
        });
    }
    double Elapsed() const { return Clock::Monotonic() - start; }

    QString Sound(int entry) const { return QStringLiteral("create ") + Mod_Resource::SoundFile[entry]; }
    // The sounds started (a new sound first stops and releases the one before).
    QStringList Played() const
    {
        QStringList played;
        for (const QString& line : audio->Log())
            if (line.startsWith(QLatin1String("create ")) || line.startsWith(QLatin1String("play ")))
                played << line;
        return played;
    }
    int Shown(const Image& image) const { return image.Visible() ? image.Picture().ResourceId() : 0; }
    int VisibleTiles() const
    {
        int n = 0;
        for (int i = 0; i <= 135; ++i)
            n += f->MJ_Image(i).Visible() ? 1 : 0;
        return n;
    }

    QTemporaryDir dir;
    Audio::RecordingBackend* audio = nullptr;
    MainForm* f = nullptr;
    std::vector<Moment> moments;
    double start = 0;
    std::function<QString()> look = [] { return QString(); };
    std::function<void()> onWait;
    std::function<void()> onSleep;
};

// ---- The seat-wind draw -----------------------------------------------------------

TEST_F(RoundStart, TheSeatWindDrawShowsFourBacksThenTheWindHalfASecondEach)
{
    look = [this] {
        QStringList ids;
        for (int i = 0; i <= 3; ++i)
            ids << QString::number(Shown(f->MJ_Image(i)));
        return ids.join(u' ');
    };
    const QString backs = QStringLiteral("208 208 208 208"); // the own standing back, entry 7
    // Seat index 0 draws 北, 1 西, 2 南, 3 东 (own-hand faces 147 - index);
    // an index that names no seat turns none up.
    const struct {
        int16_t wind;
        int face; // resource id, 0 for none
    } cases[] = {{0, 348}, {1, 347}, {2, 346}, {3, 345}, {-1, 0}, {4, 0}, {200, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wind);
        Watch();
        audio->ClearLog();
        NewGame::ShowSeatWindDraw(c.wind);

        // Two blocking pauses of 0.5 s and nothing else: no event is handled.
        ASSERT_EQ(moments.size(), 2u);
        EXPECT_TRUE(moments[0].sleep && moments[1].sleep);
        EXPECT_EQ(moments[0].ms, 500);
        EXPECT_EQ(moments[1].ms, 500);
        EXPECT_DOUBLE_EQ(Elapsed(), 1.0);
        EXPECT_EQ(moments[0].seen, backs);
        const QStringList second = moments[1].seen.split(u' ');
        EXPECT_EQ(second.count(QString::number(c.face)), c.face ? 1 : 0) << moments[1].seen.toStdString();
        EXPECT_EQ(second.count(QStringLiteral("208")), c.face ? 3 : 4) << moments[1].seen.toStdString();
        for (int i = 0; i <= 3; ++i)
            EXPECT_FALSE(f->MJ_Image(i).Visible()) << i;
        EXPECT_EQ(Played(), QStringList({Sound(3), "play once"}));
    }
    // A row centred on the table, resting on its middle line.
    for (int i = 0; i <= 3; ++i) {
        const Image& tile = f->MJ_Image(i);
        EXPECT_EQ(QRectF(tile.Left(), tile.Top(), tile.Width(), tile.Height()), QRectF(440 + 36 * i, 334, 36, 50));
    }
}

TEST_F(RoundStart, TheSameClockDrawsTheSameTile)
{
    const auto drawnAt = [this](double clock) {
        Clock::UseDrivenClock(clock);
        Watch();
        NewGame::ShowSeatWindDraw(2);
        for (int i = 0; i <= 3; ++i)
            if (f->MJ_Image(i).Picture().ResourceId() == 346)
                return i;
        return -1;
    };
    std::set<int> drawn;
    for (int t = 0; t < 20; ++t) {
        const int k = drawnAt(1000.0 + t * 7.3);
        ASSERT_GE(k, 0);
        EXPECT_EQ(drawnAt(1000.0 + t * 7.3), k);
        drawn.insert(k);
    }
    EXPECT_GT(drawn.size(), 1u);
}

// ---- The compass --------------------------------------------------------------------

TEST_F(RoundStart, TheCompassTurnsToTheOwnSeat)
{
    const struct {
        uint8_t mask;
        int picture;
        uint8_t maskAfter;
    } cases[] = {{0, 126, 1}, {1, 126, 1}, {2, 127, 2}, {4, 128, 4}, {8, 129, 8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mask);
        f->ZhiNan.SetVisible(false);
        custom[0].SeatMask = c.mask;
        NewGame::ShowCompass();
        EXPECT_EQ(f->ZhiNan.Picture().ResourceId(), c.picture);
        EXPECT_TRUE(f->ZhiNan.Visible());
        EXPECT_EQ(custom[0].SeatMask, c.maskAfter);
    }
}

TEST_F(RoundStart, TheCompassGoesOnPastAFailingStep)
{
    // A mask with no compass picture (index 7), and no picture tables at all:
    // the compass keeps its picture and is still shown.
    custom[0].SeatMask = 4;
    NewGame::ShowCompass();
    f->ZhiNan.SetVisible(false);
    custom[0].SeatMask = 0x80;
    EXPECT_EQ(mjtest::ErrorOf([] { NewGame::ShowCompass(); }), 0);
    EXPECT_EQ(f->ZhiNan.Picture().ResourceId(), 128);
    EXPECT_TRUE(f->ZhiNan.Visible());

    f->ZhiNan.SetVisible(false);
    Image_Resource::ResetState();
    custom[0].SeatMask = 2;
    EXPECT_EQ(mjtest::ErrorOf([] { NewGame::ShowCompass(); }), 0);
    EXPECT_EQ(f->ZhiNan.Picture().ResourceId(), 128);
    EXPECT_TRUE(f->ZhiNan.Visible());
}

// ---- The wall building -------------------------------------------------------------

TEST_F(RoundStart, TheWallsGrowAStackARoundWithAShortWaitEach)
{
    for (bool sound : {true, false}) {
        SCOPED_TRACE(sound);
        Mod_Sound::FunctionSoundOn = sound;
        NewGame::ClearTableAndPlaceWalls();
        audio->ClearLog();
        look = [this] { return QString::number(VisibleTiles()); };
        Watch();
        NewGame::AnimateWallBuilding();

        // Sixteen rounds, each a 0.01 s wait handling events; no blocking pause.
        // The first stacks are up before the first round; each round adds a
        // stack to every wall.
        ASSERT_EQ(moments.size(), 48u);
        for (size_t i = 0; i < moments.size(); ++i) {
            EXPECT_FALSE(moments[i].sleep) << i;
            EXPECT_EQ(moments[i].seen, QString::number(8 + 8 * (1 + static_cast<int>(i) / 3))) << i;
        }
        EXPECT_EQ(Played(), sound ? QStringList({Sound(4), "play once"}) : QStringList());
        // Every tile shows its wall's lying back: entries 8, 44, 80, 116.
        for (int i = 0; i <= 135; ++i) {
            ASSERT_TRUE(f->MJ_Image(i).Visible()) << i;
            ASSERT_EQ(f->MJ_Image(i).Picture().ResourceId(), 201 + 36 * (i / 34) + 8) << i;
        }
    }
}

TEST_F(RoundStart, TheWallBuildingTellsTheHallOnceAndClearsTheHandsRecords)
{
    mjtest::FakeHall hall(HallName);
    ASSERT_TRUE(hall.Listening());
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        GangImages[15] = 3;
        GangTiles[0] = 0x22;
        GangSeats[7] = 2;
        GangCount = 4;
        WallRevealSide = 2;
        MarkClaimedTile = true;
        ScoreRowsIn = 3;
        TailSlots[4] = 1;
        TailTiles[0] = 0x11;
        TailTileCount = 5;
        InWall.Fill(false);
        NewGame::ClearTableAndPlaceWalls();
        NewGame::AnimateWallBuilding();

        QStringList expected;
        for (int i = 0; i < round; ++i)
            expected << QStringLiteral("0x467");
        mjtest::PumpUntil([&] { return hall.Log().size() >= round; }, 5000);
        EXPECT_EQ(hall.Log(), expected);
        EXPECT_NE(HallWnd, 0);
        EXPECT_EQ(GangImages[15], 0);
        EXPECT_EQ(GangTiles[0], 0);
        EXPECT_EQ(GangSeats[7], 0);
        EXPECT_EQ(GangCount, 0);
        EXPECT_EQ(WallRevealSide, -1);
        EXPECT_FALSE(MarkClaimedTile);
        EXPECT_EQ(ScoreRowsIn, 0);
        EXPECT_EQ(TailSlots[4], 0);
        EXPECT_EQ(TailTiles[0], 0);
        EXPECT_EQ(TailTileCount, 0);
        for (int i = 0; i <= 135; ++i)
            EXPECT_TRUE(InWall[i]) << i;
    }
}

TEST_F(RoundStart, WithoutAHallTheWallBuildingEndsNormally)
{
    GangCount = 2;
    HallWnd = 99;
    EXPECT_FALSE(mjtest::EndsProgram([] { NewGame::AnimateWallBuilding(); }));
    EXPECT_EQ(HallWnd, 0);
    EXPECT_EQ(GangCount, 0);
    EXPECT_EQ(VisibleTiles(), 136);
}

TEST_F(RoundStart, AnErrorDuringTheWallBuildingRestoresTheHallAndEnds)
{
    for (bool hallThere : {true, false}) {
        SCOPED_TRACE(hallThere);
        std::unique_ptr<mjtest::FakeHall> hall;
        if (hallThere)
            hall = std::make_unique<mjtest::FakeHall>(HallName);
        if (f->MJ_Image.Exists(40))
            f->MJ_Image.Unload(40); // a tile image gone half-way up the left wall
        GangCount = 2;
        EXPECT_TRUE(mjtest::EndsProgram([] { NewGame::AnimateWallBuilding(); }));
        EXPECT_EQ(GangCount, 2); // it ended before the hand's records
        if (hallThere) {
            mjtest::PumpUntil([&] { return !hall->Log().isEmpty(); }, 5000);
            EXPECT_EQ(hall->Log(), QStringList({"restore"}));
        }
    }
}

TEST_F(RoundStart, AClickDuringTheWallBuildingIsHandledInsideIt)
{
    std::vector<int> clickedAt;
    f->Bird.OnClick = [&] { clickedAt.push_back(VisibleTiles()); };
    bool posted = false;
    onWait = [&] {
        if (posted || VisibleTiles() != 48)
            return;
        posted = true;
        QWidget* bird = f->Bird.Widget();
        const QPointF at(bird->width() / 2.0, bird->height() / 2.0);
        for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(bird, new QMouseEvent(type, at, bird->mapToGlobal(at), Qt::LeftButton,
                                                              type == QEvent::MouseButtonPress ? Qt::LeftButton
                                                                                               : Qt::NoButton,
                                                              Qt::NoModifier));
    };
    NewGame::AnimateWallBuilding();
    // Handled in the same round's wait, with the walls half built.
    EXPECT_EQ(clickedAt, std::vector<int>({48}));
}

TEST_F(RoundStart, NoFrameIsHandledBeforeTheAnimationsEnd)
{
    // A frame waits in the receive ring as the main loop's tick, which has
    // switched the loop off, runs the round start.
    QByteArray frame(FrameSize, '\0');
    frame[3] = 24;
    frame[260] = 0x12;
    frame[261] = 0x34;
    ASSERT_EQ(Total::AppendReceived(frame), FrameSize);
    RecvOn = true;
    f->TimerBong.SetInterval(50);
    f->TimerBong.SetEnabled(false);
    std::vector<int32_t> waiting;
    onWait = [&] { waiting.push_back(Total::RecvWaiting()); };
    VbArray<int16_t, 0, 3> dice;
    dice.Fill(3);
    NewGame::AnimateWallBuilding();
    NewGame::ThrowDice(0, dice);
    ASSERT_FALSE(waiting.empty());
    EXPECT_TRUE(std::all_of(waiting.begin(), waiting.end(), [](int32_t n) { return n == FrameSize; }));
    EXPECT_EQ(Total::SessionToken[0], 0);

    // Once the tick is over the main loop takes the frame.
    f->TimerBong.SetEnabled(true);
    for (int tick = 0; tick < 10 && Total::RecvWaiting() > 0; ++tick)
        f->TimerBong_Timer();
    EXPECT_EQ(Total::RecvWaiting(), 0);
    EXPECT_EQ(Total::SessionToken[0], 0x12);
}

// ---- The dice -------------------------------------------------------------------------

// One throw as the test saw it: the frames, then the pause on the final faces.
struct Throw {
    std::vector<QString> frames;
    QString rest;
};

class Dice : public RoundStart {
protected:
    void SetUp() override
    {
        RoundStart::SetUp();
        look = [this] {
            if (!f->Sai_Image(0).Visible() && !f->Sai_Image(1).Visible())
                return QStringLiteral("hidden");
            return QStringLiteral("%1 %2").arg(Shown(f->Sai_Image(0))).arg(Shown(f->Sai_Image(1)));
        };
    }
    // Splits the moments into throws: frames (waits) ending at a 0.6 s pause.
    // Checks the pauses between and after the throws.
    std::vector<Throw> Throws()
    {
        std::vector<Throw> throws;
        Throw current;
        for (size_t i = 0; i < moments.size(); ++i) {
            const Moment& m = moments[i];
            if (!m.sleep) {
                current.frames.push_back(m.seen);
                continue;
            }
            EXPECT_EQ(m.ms, 600) << i;
            if (!current.frames.empty()) {
                current.rest = m.seen;
                throws.push_back(current);
                current = Throw();
            } else {
                EXPECT_EQ(m.seen, QStringLiteral("hidden")) << "the pause between the throws";
            }
        }
        EXPECT_TRUE(current.frames.empty());
        return throws;
    }
    static bool Tumbling(const QString& frame)
    {
        for (const QString& id : frame.split(u' ')) {
            const int n = id.toInt();
            if (n < 167 || n > 176)
                return false;
        }
        return true;
    }
    void ExpectThrow(const Throw& t, const QString& faces)
    {
        EXPECT_GE(t.frames.size(), 21u);
        EXPECT_LE(t.frames.size(), 25u);
        for (size_t k = 0; k + 1 < t.frames.size(); ++k)
            EXPECT_TRUE(Tumbling(t.frames[k])) << k << ": " << t.frames[k].toStdString();
        EXPECT_EQ(t.frames.back(), faces);
        EXPECT_EQ(t.rest, faces);
    }
};

TEST_F(Dice, TwoThrowsTumbleAndRestOnTheirFaces)
{
    for (bool sound : {true, false}) {
        SCOPED_TRACE(sound);
        Mod_Sound::FunctionSoundOn = sound;
        audio->ClearLog();
        Watch();
        VbArray<int16_t, 0, 3> dice;
        dice[0] = 0;
        dice[1] = 0;
        dice[2] = 3;
        dice[3] = 4;
        NewGame::ThrowDice(0, dice);

        const std::vector<Throw> throws = Throws();
        ASSERT_EQ(throws.size(), 2u);
        ExpectThrow(throws[0], QStringLiteral("161 161"));
        ExpectThrow(throws[1], QStringLiteral("163 164"));
        // Three blocking pauses of 0.6 s and one 4 ms turn per frame.
        const size_t frames = throws[0].frames.size() + throws[1].frames.size();
        EXPECT_NEAR(Elapsed(), 1.8 + 0.004 * static_cast<double>(frames), 1e-9);
        EXPECT_EQ(look(), QStringLiteral("hidden"));
        // The caller's values, the zeros made ones.
        EXPECT_EQ(dice[0], 1);
        EXPECT_EQ(dice[1], 1);
        EXPECT_EQ(dice[2], 3);
        EXPECT_EQ(dice[3], 4);
        EXPECT_EQ(Played(), sound ? QStringList({Sound(5), "play once", Sound(5), "play once"}) : QStringList());
    }
    EXPECT_EQ(f->Sai_Image(0).Left(), 400);
    EXPECT_EQ(f->Sai_Image(0).Top(), 344);
    EXPECT_EQ(f->Sai_Image(1).Left(), 560);
    EXPECT_EQ(f->Sai_Image(1).Top(), 344);
}

TEST_F(Dice, ValuesAboveSixLandOnSixAndStayAsTheyCame)
{
    VbArray<int16_t, 0, 3> dice;
    dice[0] = 9;
    dice[1] = 200;
    dice[2] = 7;
    dice[3] = 255;
    EXPECT_EQ(mjtest::ErrorOf([&] { NewGame::ThrowDice(2, dice); }), 0);
    const std::vector<Throw> throws = Throws();
    ASSERT_EQ(throws.size(), 2u);
    ExpectThrow(throws[0], QStringLiteral("166 166"));
    ExpectThrow(throws[1], QStringLiteral("166 166"));
    EXPECT_EQ(dice[0], 9);
    EXPECT_EQ(dice[1], 200);
    EXPECT_EQ(dice[2], 7);
    EXPECT_EQ(dice[3], 255);
}

TEST_F(Dice, ASideBeyondTheTableThrowsOnce)
{
    VbArray<int16_t, 0, 3> dice;
    dice.Fill(0);
    NewGame::ThrowDice(4, dice);
    const std::vector<Throw> throws = Throws();
    ASSERT_EQ(throws.size(), 1u);
    ExpectThrow(throws[0], QStringLiteral("161 161"));
    EXPECT_EQ(dice[2], 0); // the second pair is not looked at
    EXPECT_EQ(dice[3], 0);
}

TEST_F(Dice, TheClockDecidesTheFramesAndTheSameClockRepeatsThem)
{
    const auto throwAt = [this](double clock) {
        Clock::UseDrivenClock(clock);
        Watch();
        VbArray<int16_t, 0, 3> dice;
        dice.Fill(2);
        NewGame::ThrowDice(1, dice);
        return Throws();
    };
    std::set<size_t> counts;
    for (int t = 0; t < 20; ++t) {
        const std::vector<Throw> first = throwAt(5000.0 + t * 3.7);
        const std::vector<Throw> again = throwAt(5000.0 + t * 3.7);
        ASSERT_EQ(first.size(), 2u);
        ASSERT_EQ(again.size(), 2u);
        for (int i = 0; i <= 1; ++i) {
            EXPECT_EQ(first[i].frames, again[i].frames);
            counts.insert(first[i].frames.size());
        }
    }
    EXPECT_GT(counts.size(), 2u);
    EXPECT_GE(*counts.begin(), 21u);
    EXPECT_LE(*counts.rbegin(), 25u);
}

// ---- A screen small in one dimension only -------------------------------------------

TEST(RoundStartScreen, TheSeatWindRowIsCentredOnTheDrawnTable)
{
    // 1280 x 720: the table is drawn at 800 x 600 in a table picture of
    // 1024 x 720.
    Clock::UseDrivenClock();
    MainForm& f = mjtest::LaidOutTable(Small);
    mjtest::FitTableToScreen(f, 1280, 720);
    ASSERT_EQ(f.Pic1.Width() / 15, 1024);
    ASSERT_EQ(f.Pic1.Height() / 15, 720);
    NewGame::ResetTableForRound();
    NewGame::ClearTableAndPlaceWalls();
    QRectF row;
    const QString path = mjtest::ArtifactDir() + QStringLiteral("/seat-wind-1280x720.png");
    bool saved = false;
    Clock::SetSleepObserver([&](int64_t) {
        row = QRectF();
        for (int i = 0; i <= 3; ++i) {
            const Image& t = f.MJ_Image(i);
            row = row.united(QRectF(t.Left(), t.Top(), t.Width(), t.Height()));
        }
        saved = f.SaveImage(path);
    });
    NewGame::ShowSeatWindDraw(1);
    EXPECT_DOUBLE_EQ(row.center().x(), 400);
    EXPECT_DOUBLE_EQ(row.bottom(), 300);
    EXPECT_EQ(row.size(), QSizeF(4 * 28, 39));
    EXPECT_TRUE(saved);
}

// ---- Screenshots ------------------------------------------------------------------------

class RoundStartShot : public RoundStart, public ::testing::WithParamInterface<float> {
protected:
    float scale() const override { return GetParam(); }
};

TEST_P(RoundStartShot, ScreenshotOfAHandsStart)
{
    const bool small = GetParam() < 1;
    const int width = small ? 800 : 1024;
    const int height = small ? 600 : 768;
    mjtest::FitTableToScreen(*f, width, height);
    custom[0].SeatMask = 2;
    NewGame::ClearTableAndPlaceWalls();
    NewGame::AnimateWallBuilding();
    // The compass as the hand shows it once its start is handled.
    NewGame::ShowCompass();

    // The picture is taken in the pause on the second throw's faces.
    const QString path = mjtest::ArtifactDir() + QStringLiteral("/round-start-%1x%2.png").arg(width).arg(height);
    int pauses = 0;
    bool saved = false;
    onSleep = [&] {
        if (++pauses == 3)
            saved = f->SaveImage(path);
    };
    VbArray<int16_t, 0, 3> dice;
    dice[0] = 5;
    dice[1] = 2;
    dice[2] = 6;
    dice[3] = 3;
    NewGame::ThrowDice(0, dice);
    ASSERT_TRUE(saved);

    const QImage shot(path);
    ASSERT_EQ(shot.size(), QSize(width, height));
    // Tiles, dice and compass cover the table picture where they stand.
    const QImage table = (small ? f->Pic2.Picture() : f->Pic1.Picture()).Image();
    const auto covered = [&](const Control& c) {
        const QPoint middle(static_cast<int>(c.Left() + c.Width() / 2), static_cast<int>(c.Top() + c.Height() / 2));
        return shot.pixel(middle) != table.pixel(middle);
    };
    for (int image : {0, 33, 34, 67, 68, 101, 102, 135})
        EXPECT_TRUE(covered(f->MJ_Image(image))) << image;
    EXPECT_TRUE(covered(f->ZhiNan));
    EXPECT_TRUE(covered(f->Sai_Image(0)));
    EXPECT_TRUE(covered(f->Sai_Image(1)));
}

INSTANTIATE_TEST_SUITE_P(Scales, RoundStartShot, ::testing::Values(1.0f, Small),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return info.param < 1 ? std::string("Small") : std::string("Normal");
                         });

} // namespace

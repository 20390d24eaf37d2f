// An onlooker's whole session in this process: the table window in watch
// mode, linked over loopback to mjserver playing a short watch-mode script,
// every frame handled by the client's own main loop and dispatcher. After
// each frame the table is checked against the drawing rules: which images
// went where, at what size, with which picture and in which drawing order,
// the wall's two ends, the counts, and the slot checker's bookkeeping.
#include "SlotCheck.h"
#include "WatchGeometry.h"
#include "social/LinkedTable.h"

#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/Mod_Resource.h"
#include "client/Total.h"
#include "FrameBuilder.h"
#include "platform/Clock.h"
#include "seated/TableTiles.h"
#include "table/General.h"
#include "table/TileSizes.h"

#include <QFile>

#include <algorithm>
#include <map>
#include <set>
#include <vector>

using namespace mj;

namespace {

constexpr int16_t CodeDeal = 1, CodeDiscard = 2, CodeRoundStart = 4, CodeDraw = 5, CodePlayerOperation = 7,
                  CodeSeatTiles = 15, CodeUserInfo = 20, CodeSnapshot = 40;
constexpr uint8_t WatchedSeat = 4;

QString ReadScript(const char* name)
{
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/tests/watch/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

struct Frame {
    int16_t code;
    uint8_t seat;
    int16_t value3;
    QByteArray bytes;
    int16_t value(int k) const { return static_cast<uint8_t>(bytes[9 + 2 * k]); }
};

Frame Read(const QByteArray& bytes)
{
    return {static_cast<int16_t>(static_cast<uint8_t>(bytes[3])), static_cast<uint8_t>(bytes[6] & 15),
            static_cast<int16_t>(static_cast<uint8_t>(bytes[15])), bytes};
}

class OnlookerSession : public ::testing::Test, protected mjtest::LinkedTable {
protected:
    OnlookerSession() : LinkedTable(QStringLiteral("旁观会话大厅")) {}

    void SetUp() override
    {
        OpenTable(TableScreen());
        WatchMode = true;
        Players[0].UserId = 90001;
        Clock::SetIdleStep([] { Clock::Advance(0.25); });
        Clock::SetSleepObserver([this](int64_t ms) {
            sleeps.push_back(ms);
            if (atSleep)
                atSleep();
        });
    }
    void TearDown() override
    {
        Clock::SetIdleStep(nullptr);
        Clock::SetSleepObserver(nullptr);
        Clock::UseRealClock();
    }

    // The screen the table is fitted to; none keeps its design size.
    virtual QSize TableScreen() const { return {}; }
    int16_t SideOf(uint8_t seat) const { return SideOfMask(WatchedSeat, seat); }
    QRectF Rect(int image) const
    {
        const Image& t = w->MJ_Image(image);
        return QRectF(t.Left(), t.Top(), t.Width(), t.Height());
    }
    int Picture(int image) const { return w->MJ_Image(image).Picture().ResourceId(); }
    static int Resource(int entry) { return CInt(Image_Resource::TilePicture[entry]); }
    QString LastPlayed() const
    {
        QString last;
        for (const QString& line : audio->Log())
            if (line.startsWith(QLatin1String("create ")))
                last = line.mid(7).remove(QStringLiteral(" failed"));
        return last;
    }

    // Handles the next frame, which must be `frame`.
    void HandleNext(const Frame& frame, int n)
    {
        sleeps.clear();
        ASSERT_EQ(HandleFrames(1), 1) << "frame " << n << " never came";
        ASSERT_EQ(Total::RecvReadPos % FrameSize, 0);
        const QStringList faults = mjtest::CheckSlots();
        EXPECT_TRUE(faults.isEmpty()) << "frame " << n << ", code " << frame.code << ": "
                                      << faults.join(u'\n').toStdString();
    }

    // A deal: twelve images from the head into the side's row as backs.
    void ExpectDeal(const Frame& frame, int16_t head)
    {
        const int side = SideOf(frame.seat);
        const SeatRecord& seat = custom[side];
        EXPECT_EQ(seat.sum, 12);
        for (int k = 0; k < 12; ++k) {
            const int s = seat.FirstConcealed + k;
            const int16_t image = static_cast<int16_t>((head + k) % 136);
            EXPECT_EQ(seat.Slots[s].Image, image);
            EXPECT_EQ(seat.Slots[s].State, SlotInHand);
            if (side == 0) {
                EXPECT_EQ(seat.Slots[s].Code, static_cast<uint8_t>(frame.bytes[16 + k]));
            }
            EXPECT_EQ(Rect(image), mjtest::RowPlace(side, s)) << k;
            EXPECT_EQ(Picture(image), Resource(36 * side + 7));
            if (k > 0 && side == 1) {
                EXPECT_GT(mjtest::DrawnAt(image), mjtest::DrawnAt(image - 1));
            }
            if (k > 0 && side == 3 && image > 0) {
                EXPECT_LT(mjtest::DrawnAt(image), mjtest::DrawnAt(image - 1));
            }
        }
    }

    // A draw from the head; the watched tile stands apart while the wild
    // tile is known.
    void ExpectDraw(const Frame& frame, int16_t image)
    {
        const int side = SideOf(frame.seat);
        const SeatRecord& seat = custom[side];
        const int s = seat.FirstConcealed + seat.sum - 1;
        EXPECT_EQ(seat.Slots[s].Image, image);
        if (side == 0) {
            EXPECT_EQ(seat.Slots[s].Code, frame.value3);
        }
        EXPECT_EQ(Rect(image), mjtest::RowPlace(side, s, side == 0 && WildTile > 0 ? 0.5 : 0));
        EXPECT_EQ(Picture(image), Resource(36 * side + 7));
    }

    // A discard: spoken, the last back face up in the pool at place k.
    void ExpectDiscard(const Frame& frame, int16_t image, int k, int sumBefore)
    {
        const int side = SideOf(frame.seat);
        EXPECT_EQ(custom[side].sum, sumBefore - 1);
        EXPECT_EQ(ClaimedDiscard, frame.value3);
        EXPECT_EQ(ClaimedDiscardImage, image);
        EXPECT_EQ(DiscarderSide, side);
        EXPECT_EQ(Rect(image), QRectF(mjtest::PoolPlace(side, k), mjtest::PoolSize(side)));
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(static_cast<int16_t>(side), frame.value3)));
        EXPECT_EQ(QPointF(PoolCursorBeforeDiscardX, PoolCursorBeforeDiscardY), mjtest::PoolPlace(side, k));
        EXPECT_EQ(LastPlayed(),
                  Mod_Resource::VoiceFileName(Players[side], Mod_Resource::TileVoiceSuffix(frame.value3)));
    }

    std::vector<int64_t> sleeps;
    std::function<void()> atSleep;
};

TEST_F(OnlookerSession, FromTheDealEveryDrawAndDiscardOfTheFourSidesIsDrawnAsTheyCome)
{
    const QString script = ReadScript("onlooker-from-the-deal.txt");
    const QList<QByteArray> frames = mjtest::ScriptFrames(script, 1);
    ASSERT_EQ(frames.size(), 1 + 1 + 4 + 1 + 4 + 1 + 72);
    mjtest::ServerProcess server(script);
    ConnectTo(server);

    int16_t head = -1, tail = -1;
    std::map<int, std::vector<int16_t>> pools;
    int userInfos = 0;
    int16_t lastDiscard = -1;
    for (int n = 0; n < frames.size(); ++n) {
        SCOPED_TRACE(n);
        const Frame frame = Read(frames[n]);
        const int side = SideOf(frame.seat);
        const int16_t discarded = frame.code == CodeDiscard ? mjtest::LastHandImage(side) : -1;
        const int sumBefore = frame.code == CodeDiscard ? custom[side].sum : 0;
        HandleNext(frame, n);
        if (HasFatalFailure())
            return;
        switch (frame.code) {
        case CodeUserInfo:
            if (++userInfos == 4) {
                EXPECT_EQ(custom[0].SeatMask, WatchedSeat);
            }
            break;
        case CodeRoundStart:
            head = WallHead;
            tail = WallTail;
            EXPECT_EQ(tail, (head + 134) % 136);
            break;
        case CodeDeal:
            ExpectDeal(frame, head);
            head = static_cast<int16_t>((head + 12) % 136);
            break;
        case CodeDraw:
            ExpectDraw(frame, head);
            head = static_cast<int16_t>((head + 1) % 136);
            // The last discard still waits for a claim.
            if (lastDiscard >= 0) {
                EXPECT_EQ(ClaimedDiscardImage, lastDiscard);
            }
            break;
        case CodeDiscard:
            ExpectDiscard(frame, discarded, static_cast<int>(pools[side].size()), sumBefore);
            pools[side].push_back(discarded);
            lastDiscard = discarded;
            // Before the table is in step nothing pauses.
            EXPECT_TRUE(sleeps.empty());
            break;
        default:
            break;
        }
        if (head >= 0) {
            EXPECT_EQ(WallHead, head);
            EXPECT_EQ(WallTail, tail);
        }
    }
    EXPECT_EQ(WildTile, 0x23);
    for (int side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        ASSERT_EQ(pools[side].size(), 9u);
        EXPECT_EQ(custom[side].sum, 12);
        const std::vector<int16_t>& pool = pools[side];
        for (size_t k = 1; k < pool.size(); ++k) {
            if (side == 0) {
                EXPECT_LT(mjtest::DrawnAt(pool[k]), mjtest::DrawnAt(pool[k - 1]));
            }
            if (side == 1 || side == 2) {
                EXPECT_GT(mjtest::DrawnAt(pool[k]), mjtest::DrawnAt(pool[k - 1]));
            }
        }
    }
    mjtest::ExpectRightPoolStacked(pools[3]);
    EXPECT_EQ(RightPoolCount, 9);
}

TEST_F(OnlookerSession, EveryKindOfClaimMovesItsTilesAndKeepsTheBookkeeping)
{
    const QString script = ReadScript("onlooker-claims.txt");
    const QList<QByteArray> frames = mjtest::ScriptFrames(script, 1);
    ASSERT_EQ(frames.size(), 51);
    mjtest::ServerProcess server(script);
    ConnectTo(server);

    int claims = 0, tailDraws = 0;
    for (int n = 0; n < frames.size(); ++n) {
        SCOPED_TRACE(n);
        const Frame frame = Read(frames[n]);
        const int side = SideOf(frame.seat);
        const SeatRecord before = custom[side];
        const bool normalDraw = NormalDraw;
        const int16_t head = WallHead, tail = WallTail;
        const int16_t waiting = ClaimedDiscardImage;
        HandleNext(frame, n);
        if (HasFatalFailure())
            return;
        const SeatRecord& seat = custom[side];
        if (frame.code == CodeDraw) {
            // The first draw after a gang comes from the wall's far end.
            EXPECT_EQ(seat.Slots[seat.FirstConcealed + seat.sum - 1].Image, normalDraw ? head : tail);
            tailDraws += normalDraw ? 0 : 1;
            EXPECT_TRUE(NormalDraw);
        }
        if (frame.code != CodePlayerOperation)
            continue;
        ++claims;
        const int16_t op = frame.value(0);
        const int16_t tile = frame.value(3);
        const auto counters = [](const SeatRecord& r) {
            return std::vector<int>{r.sum, r.FirstConcealed, r.MeldEnd, r.RedCount, r.WildCount};
        };
        std::vector<int> expected = counters(before);
        switch (op) {
        case OpChi:
        case OpPeng:
            expected[0] -= 2, expected[1] += 3, expected[2] += 3;
            EXPECT_EQ(seat.Slots[before.MeldEnd].Image, waiting);
            EXPECT_EQ(ClaimedDiscardImage, -1);
            break;
        case OpExposedGang:
            expected[0] -= 3, expected[1] += 3, expected[2] += 3;
            EXPECT_FALSE(NormalDraw);
            break;
        case OpConcealedGang:
            expected[0] -= 4, expected[1] += 3, expected[2] += 3;
            EXPECT_FALSE(NormalDraw);
            break;
        case OpAddedGang:
            expected[0] -= 1;
            expected[3] += tile == 0x15 ? 1 : 0;
            expected[4] += tile == WildTile ? 1 : 0;
            EXPECT_FALSE(NormalDraw);
            break;
        case OpHu:
            EXPECT_EQ(WinnerSide, side);
            break;
        default:
            break;
        }
        EXPECT_EQ(counters(seat), expected) << "op " << op;
    }
    EXPECT_EQ(claims, 10);
    EXPECT_EQ(tailDraws, 6);
    EXPECT_EQ(WinnerSide, SideOf(2));
    EXPECT_EQ(custom[SideOf(8)].RedCount, 1);
    EXPECT_EQ(custom[SideOf(1)].WildCount, 1);
    // Before the table is in step no claim was announced.
    EXPECT_FALSE(w->Speak(0).Visible() || w->Speak(1).Visible() || w->Speak(2).Visible());
}

// The demonstration's hand (scripts/demo-server.txt) as an onlooker's
// server sends it: the same frames, without the waits for the seated
// player's answers and without the offers made to that player.
QString DemoHandForOnlookers()
{
    QFile file(QStringLiteral(MJ_SOURCE_DIR "/scripts/demo-server.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString script = QString::fromUtf8(file.readAll());
    const qsizetype hand = script.indexOf(QStringLiteral("# ---- the hand ----"));
    if (hand < 0)
        return {};
    QStringList lines;
    for (const QString& line : script.mid(hand).split(u'\n')) {
        if (line.startsWith(QLatin1String("expect")) || line.startsWith(QLatin1String("wait-close"))
            || line.startsWith(QLatin1String("send 6 ")))
            continue;
        lines << line;
    }
    return lines.join(u'\n');
}

// The whole watch at both scales.
class OnlookerWholeWatch : public OnlookerSession, public ::testing::WithParamInterface<float> {
protected:
    QSize TableScreen() const override { return GetParam() < 1 ? QSize(800, 600) : QSize(1024, 768); }
    // The table as the screen of its scale shows it, saved under `name`.
    bool Shot(const char* name)
    {
        const bool small = GetParam() < 1;
        mjtest::FitTableToScreen(*w, small ? 800 : 1024, small ? 600 : 768);
        return w->Grab().save(mjtest::ArtifactDir() + QStringLiteral("/watch-%1-%2.png")
                                                          .arg(QLatin1String(name), small ? "800x600" : "1024x768"));
    }
};

// A whole watch against mjserver: the onlooker joins a running hand whose
// other seats' concealed tiles are hidden and no wild tile is in force,
// follows it to the wall's last tile and then the whole next hand. After
// every frame the bookkeeping holds; the snapshot's discards lie face down in
// the pools; the wall holds exactly the tiles the hand has not taken; every
// draw of the joined hand, the replacement from the far end too, takes the
// tile a seated table's walk takes, never one the snapshot laid, and the
// last one empties the wall; every discard is previewed and laid in its
// pool; the added gang lies on the snapshot's peng; and the program never
// ends.
TEST_P(OnlookerWholeWatch, JoiningARunningHandWithHiddenTilesFollowsItToItsEndAndTheNextHand)
{
    const QString joining = ReadScript("onlooker-joining.txt");
    const QString nextHand = DemoHandForOnlookers();
    ASSERT_FALSE(nextHand.isEmpty());
    const QString script = joining + QStringLiteral("\n") + nextHand;
    const QList<QByteArray> frames = mjtest::ScriptFrames(script, 1);
    const qsizetype joinedHand = mjtest::ScriptFrames(joining, 1).size();
    ASSERT_EQ(joinedHand, 1 + 1 + 4 + 4 + 2 * 64 + 3 + 8);
    mjtest::ServerProcess server(script);
    ConnectTo(server);

    std::map<int, int> poolCounts;
    int snapshots = 0, draws = 0, discards = 0, claims = 0, rounds = 0, handsShown = 0;
    std::set<int16_t> snapshotTiles;
    std::vector<int16_t> watchedTiles;
    // The joined hand's wall as a seated table walks it, from the snapshot
    // on: its tiles, and where each end takes its next one.
    std::set<int16_t> joinedWall;
    int16_t joinedHead = -1, joinedTail = -1;
    int joinedDraws = 0;
    for (int n = 0; n < frames.size(); ++n) {
        SCOPED_TRACE(n);
        const Frame frame = Read(frames[n]);
        const int side = SideOf(frame.seat);
        const int16_t discarded = frame.code == CodeDiscard ? mjtest::LastHandImage(side) : -1;
        const int sumBefore = frame.code == CodeDiscard ? custom[side].sum : 0;
        const bool fromTail = !NormalDraw;
        const VbArray<bool, 0, 135> inWall = InWall;
        const int16_t discarder = DiscarderSide;
        const int16_t headBefore = WallHead, tailBefore = WallTail;
        const int heldBefore = custom[side].sum;
        QRectF preview;
        atSleep = [&] {
            if (discarded >= 0)
                preview = Rect(discarded);
        };
        ASSERT_FALSE(mjtest::EndsProgram([&] { HandleNext(frame, n); })) << "the watch ended at frame " << n;
        if (HasFatalFailure())
            return;
        switch (frame.code) {
        case CodeSnapshot:
            if (++snapshots < 4)
                break;
            ASSERT_TRUE(WatchSynced) << "the snapshot did not complete";
            EXPECT_FALSE(w->QV_Image.Visible()); // no wild tile in force
            EXPECT_EQ(SnapshotHeadMax, 71);
            EXPECT_EQ(WallHead, (headBefore + 71) % 136);
            // 71 tiles from the head and one from the tail: 64 are left, and
            // the tail stands on the lower tile of the stack it gave.
            joinedWall = mjtest::Untaken(headBefore, 71, tailBefore, 1);
            joinedHead = WallHead;
            joinedTail = mjtest::TailStep(tailBefore);
            EXPECT_EQ(joinedWall.size(), 64u);
            EXPECT_EQ(Operate::WallTilesLeft(), 64);
            EXPECT_EQ(WallTail, joinedTail);
            for (int16_t k = 0; k <= 135; ++k)
                EXPECT_EQ(InWall[k], joinedWall.count(k) == 1) << k;
            {
                // The snapshot's discards: face down in the pools, the last
                // one waiting as the right side's discard.
                const int counts[] = {4, 4, 5, 5}; // by side: seats 4, 2, 1, 8
                for (int s = 0; s <= 3; ++s) {
                    EXPECT_EQ(SideTileCounts[s], counts[s]);
                    EXPECT_EQ(QPointF(custom[s].PoolX, custom[s].PoolY), mjtest::PoolPlace(s, counts[s]));
                    poolCounts[s] = counts[s];
                }
            }
            EXPECT_EQ(RightPoolCount, 5);
            for (int k = 0; k < 5; ++k) {
                EXPECT_EQ(Rect(RightPoolOrder[k]), QRectF(mjtest::PoolPlace(3, k), mjtest::PoolSize(3)));
                EXPECT_EQ(Picture(RightPoolOrder[k]), Resource(3 * 36 + 8));
            }
            EXPECT_EQ(ClaimedDiscardImage, RightPoolOrder[4]);
            EXPECT_EQ(DiscarderSide, 3);
            EXPECT_EQ(Picture(SnapshotWallPos),
                      Resource(General::TilePictureOf(static_cast<int16_t>(WallTail / 34), FlippedWallTile)));
            // The hidden tiles are backs; the watched seat's too.
            for (int s = 0; s <= 3; ++s) {
                const SeatRecord& seat = custom[s];
                EXPECT_EQ(seat.sum, s == 1 ? 13 : 10 + (s == 0 ? 3 : 0)) << s;
                for (int k = seat.FirstConcealed; k < seat.FirstConcealed + seat.sum; ++k) {
                    EXPECT_EQ(Picture(seat.Slots[k].Image), Resource(36 * s + 7));
                    snapshotTiles.insert(seat.Slots[k].Image);
                }
            }
            snapshotTiles.insert(SnapshotWallPos);
            break;
        case CodeRoundStart:
            ++rounds;
            poolCounts.clear();
            snapshotTiles.clear();
            break;
        case CodeDraw: {
            ++draws;
            const SeatRecord& seat = custom[side];
            const int s = seat.FirstConcealed + seat.sum - 1;
            const int16_t image = seat.Slots[s].Image;
            EXPECT_TRUE(inWall[image]) << "side " << side << " drew image " << image << ", not in the wall";
            EXPECT_EQ(snapshotTiles.count(image), 0u) << "side " << side << " drew a tile the snapshot laid";
            EXPECT_EQ(Rect(image), mjtest::RowPlace(side, s, side == 0 && (WildTile > 0 || fromTail) ? 0.5 : 0));
            EXPECT_EQ(Picture(image), Resource(36 * side + 7));
            if (rounds == 0) {
                // Every draw of the joined hand takes a tile, the one the
                // walk reaches next at its end.
                ++joinedDraws;
                EXPECT_EQ(seat.sum, heldBefore + 1) << "the draw took no tile";
                EXPECT_EQ(image, mjtest::TakeNext(joinedWall, fromTail ? joinedTail : joinedHead, fromTail))
                    << (fromTail ? "the replacement" : "the head's draw");
                EXPECT_EQ(Operate::WallTilesLeft(), static_cast<int16_t>(joinedWall.size()));
            }
            break;
        }
        case CodeDiscard: {
            ++discards;
            ExpectDiscard(frame, discarded, poolCounts[side]++, sumBefore);
            // In step with the table: a second at the centre, 1.2 times the
            // pool size.
            EXPECT_EQ(sleeps, std::vector<int64_t>{1000});
            const QSizeF big = mjtest::PoolSize(side) * 1.2;
            const QPointF centre = General::TableCentre();
            EXPECT_EQ(preview, QRectF(centre - QPointF(big.width() / 2, big.height() / 2), big));
            break;
        }
        case CodePlayerOperation: {
            ++claims;
            const int16_t op = frame.value(0);
            // A claimed discard leaves its pool.
            if (op == OpChi || op == OpPeng || op == OpExposedGang)
                --poolCounts[discarder];
            if (op == OpAddedGang && rounds == 0) {
                // The fourth 5 of bamboo lies on the middle tile of the
                // snapshot's peng (slots 2 to 4 of the opposite side).
                const SeatRecord& seat = custom[side];
                ASSERT_EQ(side, 2);
                const int16_t added = seat.Slots[seat.MeldEnd - 2].Image;
                const double W = ScaledWidth(TileSize{34, 40});
                EXPECT_EQ(Rect(added).topLeft(), QPointF(seat.HandX - 3 * W, seat.HandY - 18 * ScaleY));
                EXPECT_EQ(Picture(added), Resource(General::TilePictureOf(2, 0x25)));
            }
            break;
        }
        case CodeSeatTiles:
            if (frame.seat == WatchedSeat)
                for (int k = 3; k >= 0; --k)
                    if (frame.value(k) != 0)
                        watchedTiles.push_back(frame.value(k));
            if (custom[1].sum != 0 || custom[2].sum != 0 || custom[3].sum != 0)
                break;
            ++handsShown;
            {
                // The hands are shown: the watched hand face up, every tile
                // of it at the shown size, in the order of the sort.
                const SeatRecord& seat = custom[0];
                // The tiles the server names for the watched seat, which
                // the onlooker followed through its draws, discards and
                // claims.
                std::vector<int16_t> held;
                for (int k = seat.FirstConcealed; k < seat.FirstConcealed + seat.sum; ++k)
                    held.push_back(seat.Slots[k].Code);
                std::vector<int16_t> named = watchedTiles;
                std::sort(named.begin(), named.end());
                std::sort(held.begin(), held.end());
                EXPECT_EQ(held, named);
                const QSizeF shown(ScaledWidth(TileSize{48, 60}), ScaledHeight(TileSize{48, 60}));
                for (int k = seat.FirstConcealed; k < seat.FirstConcealed + seat.sum; ++k) {
                    const int16_t image = seat.Slots[k].Image;
                    EXPECT_NE(Picture(image), Resource(7)) << "slot " << k << " is still a back";
                    EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(4, seat.Slots[k].Code))) << k;
                    EXPECT_EQ(Rect(image).size(), shown) << k;
                }
            }
            break;
        default:
            break;
        }
        if (n + 1 == joinedHand) {
            // The joined hand's last draw emptied the wall.
            EXPECT_EQ(joinedDraws, 64);
            EXPECT_TRUE(joinedWall.empty());
            EXPECT_EQ(Operate::WallTilesLeft(), 0);
            EXPECT_TRUE(Shot("joined-hand-end"));
        }
    }
    EXPECT_EQ(rounds, 1);
    EXPECT_GE(handsShown, 1);
    EXPECT_GT(draws, 40);
    EXPECT_GT(discards, 40);
    EXPECT_GE(claims, 10);
    EXPECT_EQ(WinnerSide, SideOf(2));
    EXPECT_TRUE(Shot("next-hand-end"));
    // The onlooker sent its login and keep-alives, nothing else.
    EXPECT_FALSE(server.Received().filter(QStringLiteral("recv 18 ")).isEmpty());
    for (const QString& line : server.Received()) {
        if (line.startsWith(QLatin1String("recv "))) {
            EXPECT_TRUE(line.startsWith(QLatin1String("recv 18 ")) || line.startsWith(QLatin1String("recv 24 ")))
                << line.left(40).toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, OnlookerWholeWatch, ::testing::Values(1.0f, 0.78125f),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return std::string(info.param < 1 ? "Small" : "Normal");
                         });

} // namespace

// The shared game state of the table: the encodings, the records and the
// module-level arrays and flags that every subsystem reads and writes
// directly. Everything runs on the one user-interface thread, so nothing here
// is locked; each procedure leaves the state consistent before it returns or
// pauses.
//
// Flags hold true/false (a flag read as a number is one: -1 true, 0 false).
// Arrays have inclusive bounds; an index from outside goes through their
// checked access.
// At program start every number is 0 and every text empty; start-up and the
// round reset set the values they own.
#pragma once

#include "platform/Runtime.h"

#include <QString>

#include <cstdint>

namespace mj {

// ---- Encodings -------------------------------------------------------------

// TileCode: one byte, high nibble the suit bit, low nibble the rank.
enum SuitBit : int16_t {
    SuitHonour = 1,     // ranks 1..7: 东风 南风 西风 北风 红中 发财 白板
    SuitBamboo = 2,     // 条
    SuitCharacters = 4, // 万
    SuitDots = 8,       // 筒
};
constexpr int16_t TileRedDragon = 0x15;   // 红中
constexpr int16_t TileGreenDragon = 0x16; // 发财

// State of a TileSlot.
enum SlotState : int16_t {
    SlotEmpty = 0,
    SlotInHand = 1,
    SlotChi = 2,
    SlotPeng = 3,
    SlotExposedGang = 4,   // gang on a discard
    SlotConcealedGang = 5,
    SlotAddedGang = 6,     // tile added to a peng
};

// Operation codes of claims; the same values are the bits of a claim offer.
enum OperationCode : int16_t {
    OpPass = 1,
    OpChi = 4,
    OpPeng = 8,
    OpExposedGang = 0x10,
    OpConcealedGang = 0x20,
    OpAddedGang = 0x40, // also a red dragon or the wild tile set aside
    OpHu = 0x80,
};

// Or'ed into the tile words of requests (after TileCode And 0x0FFF).
constexpr int16_t ClaimTileFlag = 0x2000;
constexpr int16_t DiscardTileFlag = 0x4000;

// ---- Records ---------------------------------------------------------------

// One position of a seat's tile row.
struct TileSlot {
    int16_t State = 0; // SlotState
    int16_t Code = 0;  // TileCode; meaningful only while State is not SlotEmpty
    int16_t Image = 0; // MJ_Image index showing the tile, -1 none
    bool operator==(const TileSlot&) const = default;
};

// The table state of one seat (custom, by Side).
struct SeatRecord {
    QString Name;
    int64_t HandScore = 0; // only whether it is zero matters
    uint8_t SeatMask = 0; // absolute seat bit 1/2/4/8; 0 while the seat is empty
    bool IsBanker = false;
    int16_t PoolX = 0, PoolY = 0;       // where the next discard goes
    int16_t PoolRowX = 0, PoolRowY = 0; // start of the pool's current row
    int16_t HandX = 0, HandY = 0;       // origin of the tile row
    VbArray<TileSlot, 0, 20> Slots;     // melds low, then the concealed run
    int16_t MeldEnd = 0;        // last slot of the next meld
    int16_t FirstConcealed = 0; // first slot of the concealed run
    int16_t sum = 0;            // number of concealed tiles
    int16_t RedCount = 0;       // red dragons set aside
    int16_t WildCount = 0;      // wild tiles set aside
};

// The name and avatar of one seat as the score board and the hand history
// show them (SeatNameAvatar, by Side).
struct NameAvatar {
    QString Name;
    QString PicIndex; // index into AvatarPicture, as text
};

// The user information of one table member (Players, by Side).
struct PlayerInfo {
    QString Name;
    QString Face; // "m1".."m5", "w1".."w5"
    uint8_t Sex = 0; // 0 female, otherwise male
    QString Location;
    double Points = 0;
    double Credit = 0;
    double Coins = 0;
    double Spare1 = 0;
    QString Level;
    double Spare2 = 0, Spare3 = 0, Spare4 = 0;
    int32_t Logins = 0, Drops = 0, Wins = 0, Losses = 0;
    QString Account;
    QString Tag;
    QString VoiceLang; // voice file name parts
    QString VoicePack;
    uint8_t VoiceSex = 0;
    int16_t ShowHandToWatcher = 0;
    double UserId = 0;

    // Forgets what the user information told of the player (face, place,
    // level, amounts and counts); the name, account, tag, voice and id stay.
    void ClearDetails()
    {
        Face.clear();
        Location.clear();
        Level.clear();
        Sex = 0;
        Points = Credit = Coins = Spare1 = Spare2 = Spare3 = Spare4 = 0;
        Logins = Drops = Wins = Losses = 0;
    }
};

// The header of one frame, both ways.
struct MsgHeader {
    int16_t Code = 0;
    uint8_t Byte5 = 0;
    uint8_t Seat = 0;
    uint8_t Byte7 = 0;
    VbArray<int16_t, 0, 3> value;
};

// ---- Shared variables ------------------------------------------------------
//
// One list names every shared variable once: it declares them here and lets
// ResetSharedState() put each back to its program-start value.
// X(name, type...)
#define MJ_DATA_VARIABLES(X)                                                       \
    /* records */                                                                 \
    X(custom, VbArray<SeatRecord, 0, 3>)              /* by Side */               \
    X(Players, VbArray<PlayerInfo, 0, 3>)             /* by Side */               \
    X(info, MsgHeader)                                /* header of the frame handled */ \
    X(Msg, VbArray<uint8_t, 0, 271>)                  /* the frame handled */     \
    /* per-seat and per-index arrays */                                           \
    X(SeatNames, VbArray<QString, 0, 3>)              /* by absolute seat index */ \
    X(TileW, VbArray<int16_t, 0, 3>)                                              \
    X(TileH, VbArray<int16_t, 0, 3>)                                              \
    X(HiddenTiles, VbArray2<int16_t, 1, 3, 0, 20>)    /* side 1..3, position */   \
    X(SpecialTileImages, VbArray2<int16_t, 0, 3, 0, 7>) /* 0..3 red, 4..7 wild */ \
    X(SeenTiles, VbArray2<int16_t, 0, 3, 1, 9>)       /* SuitIndex, rank */       \
    X(SavedUserInfoFrames, VbArray2<uint8_t, 0, 3, 0, 271>)                       \
    X(ClaimButtonState, VbArray<int16_t, 0, 4>)       /* 0 chi 1 peng 2 gang 3 hu 4 pass */ \
    X(ChiChoices, VbArray<int16_t, 0, 5>)                                         \
    X(GangChoices, VbArray<int16_t, 0, 9>)                                        \
    X(GangChoiceKinds, VbArray<int16_t, 0, 9>) /* each candidate's claim: an Op...Gang code */ \
    X(GangImages, VbArray<int16_t, 0, 15>)                                        \
    X(GangTiles, VbArray<int16_t, 0, 15>)                                         \
    X(GangSeats, VbArray<uint8_t, 0, 15>)                                         \
    X(GangCount, uint8_t)                                                         \
    X(TailTiles, VbArray<int16_t, 0, 4>)                                          \
    X(TailSlots, VbArray<int16_t, 0, 4>)                                          \
    X(TailTileCount, uint8_t)                                                     \
    X(RightPoolOrder, VbArray<int16_t, 0, 135>)  /* side 3's pool, placing order */ \
    X(RightPoolCount, int16_t)                                                    \
    /* tile and table state */                                                    \
    X(WallHead, int16_t)                                                          \
    X(InWall, VbArray<bool, 0, 135>)  /* the tile image still lies in the wall */ \
    X(WallTail, int16_t)                                                          \
    X(WildTile, int16_t)                                                          \
    X(FlippedWallTile, int16_t)                                                   \
    X(ClaimedDiscard, int16_t)                                                    \
    X(ClaimedDiscardImage, int16_t)                                               \
    X(ParkedOwnTile, int16_t)  /* the code of the own discard parked before the server reports it */ \
    X(PooledDiscardImage, int16_t)  /* the parked discard a draw last laid into its pool, -1 none */ \
    X(DiscarderSide, uint8_t)                                                     \
    X(ActorSeat, int16_t)                                                         \
    X(WinnerSide, int16_t)                                                        \
    X(MarkClaimedTile, bool)                                                      \
    X(NormalDraw, bool)                                                           \
    X(SkipDiscardMove, bool)                                                      \
    X(PoolCursorBeforeDiscardX, int16_t)                                          \
    X(PoolCursorBeforeDiscardY, int16_t)                                          \
    X(BlinkCount, int16_t)                                                        \
    /* turn state */                                                              \
    X(MayDiscard, bool)                                                           \
    X(OfferBits, uint8_t)                                                         \
    X(DecisionState, int16_t)   /* 0 waiting, 2 acting, 1 answered, 3 timed out */ \
    X(RequestSent, bool)                                                          \
    X(TurnCountdown, int16_t)                                                     \
    X(TurnSeconds, int16_t)                                                       \
    X(TurnSecondsBeforeBossKey, int16_t) /* put back when the window is restored */ \
    /* round and connection flags */                                              \
    X(GameRunning, bool)                                                          \
    X(HandInPlay, bool)                                                           \
    X(RoundNo, int16_t)                                                           \
    X(FirstGame, bool)                                                            \
    X(TableResetDone, bool)                                                       \
    X(Fen_Num, int16_t)                                                           \
    X(FrameGroupCount, int16_t)                                                   \
    X(LoggedIn, bool)                                                             \
    X(LoginPending, bool)                                                         \
    X(WatchMode, bool)                                                            \
    X(WatchSynced, bool)                                                          \
    /* the snapshot of a running table (code 40), counted by group */            \
    X(SideTileCounts, VbArray<int16_t, 0, 3>)   /* discards to lay face down, by Side */ \
    X(SnapshotHeadMax, int16_t)   /* wall tiles taken from the head so far */     \
    X(SnapshotTailMin, int16_t)                                                   \
    X(SnapshotTaken, int16_t)     /* wall images the lay-out has used */          \
    X(SnapshotWallPos, int16_t)   /* the image showing the flipped wall tile */   \
    X(SnapshotSidesLaid, uint8_t) /* bit by Side: laid by the group's frames */   \
    X(SnapshotLaidBy, VbArray<int8_t, 0, 135>) /* by image: Side + 1 that laid it, 0 none */ \
    X(AutoPlay, bool)                                                             \
    X(BossKey, bool)                                                              \
    X(HallTitle, QString)                                                         \
    X(ScaleX, float)                                                              \
    X(ScaleY, float)                                                              \
    /* further shared values */                                                   \
    X(BlinkImage, int16_t)                                                        \
    X(ChatFlash, int16_t)                                                         \
    X(BubbleSide, int16_t)                                                        \
    X(ReceiveWatchdog, int32_t)                                                   \
    X(RecvBusy, bool)                                                             \
    X(TimeoutCount, int16_t)                                                      \
    X(TimeoutLimit, int16_t)                                                      \
    X(TurnClockActs, bool)                                                        \
    X(HoldPropFrameA, bool)                                                       \
    X(HoldPropFrameB, bool)                                                       \
    X(HeldPropFrameA, VbArray<uint8_t, 0, 271>)                                   \
    X(HeldPropFrameB, VbArray<uint8_t, 0, 271>)                                   \
    X(ReconnectAllowed, bool)                                                     \
    X(Reconnecting, bool)                                                         \
    X(LoginDone, int16_t)                                                         \
    X(UserId, int32_t)                                                            \
    X(HallWnd, int32_t)                                                           \
    X(OthersSeated, int16_t)                                                      \
    X(OtherExitShown, bool)                                                       \
    X(ReadySent, bool)                                                            \
    X(OtherPlayerNames, VbArray<QString, 1, 3>)                                   \
    X(ContinuePromptArmed, bool)                                                  \
    X(CountUserInfos, bool)                                                       \
    X(ScoreRowsIn, int16_t)                                                       \
    X(HandSettled, bool)        /* the hand-end frames are in: later ones wait for the next hand */ \
    X(WallRevealSide, int16_t)                                                    \
    X(BankerMask, uint8_t)                                                        \
    X(Dice, VbArray<int16_t, 0, 1>)                                               \
    X(DiceDouble, int16_t)      /* the round's dice doubling: 0 off */            \
    X(WealthText, QString)      /* the wealth plate's caption at the round start */ \
    X(WealthRate, int32_t)                                                        \
    X(SeatWealthRates, VbArray<int32_t, 0, 3>)                                    \
    X(ButtonUsed, VbArray<bool, 0, 8>)                                            \
    X(ButtonHover, VbArray<bool, 0, 8>)                                           \
    X(SeatShuffleTexts, VbArray<QString, 0, 3>)                                   \
    X(SeatShuffleStep, int16_t)                                                   \
    X(SeatShuffleShown, bool)                                                     \
    X(SeatShuffleRunning, bool)                                                   \
    X(SeatShuffleAllowed, bool)                                                   \
    X(VideoEnabled, bool)                                                         \
    X(CameraOn, bool)                                                             \
    X(DeferVideo, bool)                                                           \
    X(VideoPoll, bool)                                                            \
    X(VideoTicks, int16_t)                                                        \
    X(VideoSteps, VbArray<bool, 1, 4>)                                            \
    X(BannerUrl, QString)                                                         \
    X(AdPageUrl, QString)                                                         \
    X(BannerFailed, bool)                                                         \
    X(ChatOut, QString)                                                           \
    X(ChatMaySend, bool)                                                          \
    X(AltKeyFlags, VbArray<int16_t, 0, 1>)                                        \
    X(RoundResult, VbArray2<int16_t, 0, 3, 0, 102>)   /* by Side, row */          \
    X(RoundScores, VbArray<double, 0, 3>)                                         \
    X(SessionTotals, VbArray<double, 0, 3>)                                       \
    X(SeatNameAvatar, VbArray<NameAvatar, 0, 3>)                                  \
    X(VoicePackUsedFemale, VbArray<bool, 0, 5>) /* pack slots given at this table */ \
    X(VoicePackUsedMale, VbArray<bool, 0, 5>)                                     \
    X(SeatVoicePack, VbArray<QString, 0, 3>)    /* by Side */                 \
    /* the player's controls */                                                   \
    X(WhisperPrefix, QString)   /* "你对" & name & "说: " while a private line is typed */ \
    X(WhisperSide, int16_t)     /* the private line's target seat mask */       \
    X(ClaimChoiceA, int16_t)    /* the hand evaluation's chosen claim */        \
    X(ClaimChoiceB, int16_t)                                                      \
    X(BankHover, bool)          /* the props warehouse button shows its hover picture */

#define MJ_DECLARE_DATA_VARIABLE(name, ...) inline __VA_ARGS__ name{};
MJ_DATA_VARIABLES(MJ_DECLARE_DATA_VARIABLE)
#undef MJ_DECLARE_DATA_VARIABLE

// Side of an absolute seat mask as seen from the own seat:
// (SeatIndex(own) + 4 - SeatIndex(other)) And 3.
int16_t SideOfMask(uint8_t ownMask, uint8_t otherMask);

// Puts every piece of shared state back to its program-start value: the
// variables above and the module state of the picture, sound and ini
// services. Tests start from it.
void ResetSharedState();

} // namespace mj

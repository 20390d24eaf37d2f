// The round reset and the walls (NewGame): what the table and the shared state
// look like before a hand.
#include "table/NewGame.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "table/TileSizes.h"

namespace mj::NewGame {

namespace {

// TileW/TileH of every side := its pool tile size at the screen's scale
// (48 x 0.78125 = 37.5 gives 38). The walls use these sizes too.
void SetPoolTileSizes()
{
    for (int side = 0; side <= 3; ++side)
        SetTileSize(side, PoolTileSize[side]);
}

// How one wall is laid: where its first stack's upper tile lies (design
// pixels), how each further stack follows from the one before (its upper
// tile's place and width as the control reports them), how far below its
// upper tile the lower tile of a stack lies, and how a newly placed stack is
// stacked in the drawing order.
struct WallPlan {
    double startX, startY;
    int widthStep;   // -1: left of the previous stack, +1: right of it, 0: none
    double shiftX;   // further design pixels to the right per stack
    double shiftY;   // design pixels down per stack
    double layer;    // design pixels from the upper tile's top to the lower tile's
    enum Order { UpperFrontLowerBack, Unchanged, LowerThenUpperFront } order;
};

const WallPlan kWalls[] = {
    {809, 476, -1, 0, 0, 22, WallPlan::UpperFrontLowerBack}, // bottom, right to left
    {164, 476, 0, 4, -15, 20, WallPlan::Unchanged},          // left, climbing
    {236, 192, +1, 0, 0, 16, WallPlan::UpperFrontLowerBack}, // top, left to right
    {748, 192, 0, 4, 15, 20, WallPlan::LowerThenUpperFront}, // right, descending
};

} // namespace

void ResetTableForRound()
{
    MainForm& f = form<MainForm>();

    ClaimedDiscardImage = -1;
    PooledDiscardImage = -1;
    BlinkImage = -1;
    SetPoolTileSizes();
    for (int i = 0; i <= 135; ++i) {
        f.MJ_Image(i).SetVisible(false);
        f.MJ_Image(i).SetPicture(Picture());
    }
    for (SeatRecord& seat : custom)
        for (TileSlot& slot : seat.Slots)
            slot.Code = 0;
    for (int i = 0; i <= 4; ++i) {
        f.Operation(i).SetEnabled(false);
        f.Operation(i).SetVisible(false);
    }
    SeatNames.Fill(QString());
    f.QV_Image.SetVisible(false);
    // An onlooker keeps the banker's wind character.
    if (!WatchMode)
        f.Zhuang.SetCaption(QString());
}

void ResetRoundData()
{
    for (int s = 0; s <= 3; ++s) {
        SeatRecord& seat = custom[s];
        seat.HandScore = 0;
        seat.IsBanker = false;
        for (TileSlot& slot : seat.Slots) {
            slot.State = SlotEmpty;
            slot.Image = -1;
        }
        seat.FirstConcealed = 4;
        seat.sum = 0;
        seat.RedCount = 0;
        seat.WildCount = 0;
        // The own first meld fills slots 1..3, another seat's slots 2..4.
        seat.MeldEnd = s == 0 ? 3 : 4;
        RoundResult(s, 16) = 0;
        RoundScores[s] = 0;
        SeatNames[s] = QString();
    }
    WildTile = -1;
    NormalDraw = true;
    MayDiscard = false;
    FrameGroupCount = 0;
    HiddenTiles.Fill(0);
    RightPoolOrder.Fill(0);
    RightPoolCount = 0;
    SpecialTileImages.Fill(0);
    // A snapshot's turned wall tile belongs to its hand.
    SnapshotWallPos = -1;
    WinnerSide = -1;
    Fen_Num = 0;
    GameRunning = false;
}

void ResetRoundDataCopy()
{
    ResetRoundData();
}

void ClearTableAndPlaceWalls()
{
    MainForm& f = form<MainForm>();
    const double SX = ScaleX;
    const double SY = ScaleY;

    // Everything of the last hand out of sight; the right-hand bubble back
    // at its place.
    for (int i = 0; i <= 135; ++i)
        f.MJ_Image(i).SetVisible(false);
    f.Time_Img.SetVisible(false);
    f.Number.SetVisible(false);
    for (int i = 0; i <= 4; ++i)
        f.Operation(i).SetVisible(false);
    f.ZhiNan.SetVisible(false);
    f.Host.SetVisible(false);
    f.Zhuang.SetVisible(false);
    for (int i = 0; i <= 2; ++i) {
        f.Speak(i).SetVisible(false);
        f.Words.SetVisible(false);
    }
    f.Speak(2).SetTop(280 * SY);
    // The chi and gang pickers; the floating chat window is made, hidden,
    // when it is not there.
    for (Image& picker : f.Chi)
        picker.SetVisible(false);
    for (Image& picker : f.Gang)
        picker.SetVisible(false);
    form<Talk>().Hide();

    // Every tile of wall w takes side w's pool tile size.
    SetPoolTileSizes();
    for (int w = 0; w <= 3; ++w)
        for (int k = 0; k <= 33; ++k) {
            f.MJ_Image(34 * w + k).SetWidth(TileW[w]);
            f.MJ_Image(34 * w + k).SetHeight(TileH[w]);
        }

    // The first stack of each wall at its corner.
    for (int w = 0; w <= 3; ++w) {
        const WallPlan& plan = kWalls[w];
        Image& upper = f.MJ_Image(34 * w);
        Image& lower = f.MJ_Image(34 * w + 1);
        upper.SetLeft(plan.startX * SX);
        upper.SetTop(plan.startY * SY);
        lower.SetLeft(upper.Left());
        lower.SetTop(upper.Top() + plan.layer * SY);
    }
    f.MJ_Image(102).ZOrder(0);

    // Each further stack follows its wall's previous one, one stack of
    // every wall a round, stacked as it is placed.
    for (int s = 1; s <= 16; ++s) {
        for (int w = 0; w <= 3; ++w) {
            const WallPlan& plan = kWalls[w];
            const Image& previous = f.MJ_Image(34 * w + 2 * (s - 1));
            Image& upper = f.MJ_Image(34 * w + 2 * s);
            Image& lower = f.MJ_Image(34 * w + 2 * s + 1);
            upper.SetLeft(previous.Left() + plan.widthStep * previous.Width() + plan.shiftX * SX);
            upper.SetTop(previous.Top() + plan.shiftY * SY);
            lower.SetLeft(upper.Left());
            lower.SetTop(upper.Top() + plan.layer * SY);
            switch (plan.order) {
            case WallPlan::UpperFrontLowerBack:
                upper.ZOrder(0);
                lower.ZOrder(1);
                break;
            case WallPlan::LowerThenUpperFront:
                lower.ZOrder(0);
                upper.ZOrder(0);
                break;
            case WallPlan::Unchanged:
                break;
            }
        }
    }

    // The corners: the bottom wall's first stacks over the right wall's
    // end, the left wall over the top wall with each stack over the one above
    // it, and the top wall's first lower tiles under everything.
    f.MJ_Image(0).ZOrder(0);
    f.MJ_Image(2).ZOrder(0);
    for (int s = 16; s >= 0; --s) {
        f.MJ_Image(35 + 2 * s).ZOrder(0);
        f.MJ_Image(34 + 2 * s).ZOrder(0);
    }
    f.MJ_Image(69).ZOrder(1);
    f.MJ_Image(71).ZOrder(1);

    // Hand and pool origins of the four sides, rounded.
    const double handX[] = {19, 163, 842, 942};
    const double handY[] = {564, 192, 122, 560};
    const double poolX[] = {358, 287, 635, 758};
    const double poolY[] = {438, 238, 238, 438};
    for (int side = 0; side <= 3; ++side) {
        SeatRecord& seat = custom[side];
        seat.HandX = CInt(handX[side] * SX);
        seat.HandY = CInt(handY[side] * SY);
        seat.PoolX = CInt(poolX[side] * SX);
        seat.PoolY = CInt(poolY[side] * SY);
        seat.PoolRowX = seat.PoolX;
        seat.PoolRowY = seat.PoolY;
    }

    // The room-rule plates; the wealth plate stays while a wealth
    // multiplier is in force.
    f.lblDifen.SetCaption(QStringLiteral("1"));
    f.lblDifen.SetVisible(false);
    f.imgsezi(0).SetVisible(false);
    f.imgsezi(1).SetVisible(false);
    f.imgBeishu.SetVisible(false);
    for (int i = 0; i <= 2; ++i)
        f.lbfont(i).SetVisible(false);
    if (WealthRate == 0) {
        f.lbwealth.SetCaption(QStringLiteral("1"));
        f.lbwealth.SetVisible(false);
        f.Imgwealth.SetVisible(false);
    }

    // The hand's props and settlement flags; the warehouse button on top.
    Mod_Prop::PropExitAfterScore = false;
    Mod_Prop::ScoreShowState = 0;
    Mod_Prop::DrawnRound = false;
    Mod_Prop::PropBoxesHidden = false;
    f.Bank.SetVisible(true);
    f.Bank.ZOrder(0);
}

} // namespace mj::NewGame

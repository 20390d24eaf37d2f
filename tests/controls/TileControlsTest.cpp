// The own hand under the mouse on the linked table: the hover lift and its
// strip, the discard press with the pass it owes, the right-button pass on
// another tile, and the presses that must change nothing.
#include "PlayTable.h"

using namespace mj;
using mjtest::Click;
using mjtest::RequestFrame;
using mjtest::SendMouse;

namespace {

// 14 tiles: the own turn after a draw.
const std::vector<int16_t> Fourteen = {0x81, 0x82, 0x83, 0x45, 0x46, 0x47, 0x22, 0x23, 0x24, 0x29, 0x29, 0x11, 0x11, 0x15};

class TileControls : public mjtest::PlayTable {
protected:
    void MoveOverPic1(double x, double y) { SendMouse(f->Pic1.Widget(), QEvent::MouseMove, QPointF(x, y), Qt::NoButton); }
    double TopOf(int image) const { return f->MJ_Image(image).Top(); }
};

TEST_P(TileControls, AHandTileLiftsUnderThePointerOneAtATime)
{
    OwnHand(Fourteen);
    const int16_t handY = custom[0].HandY;
    const int a = HandImage(3), b = HandImage(4);
    mjtest::Hover(Tile(a));
    EXPECT_EQ(TopOf(a), handY - 10);
    EXPECT_EQ(f->MJ_Image(a).MousePointer(), vbCustom);
    mjtest::Hover(Tile(b));
    EXPECT_EQ(TopOf(a), handY);
    EXPECT_EQ(TopOf(b), handY - 10);
    mjtest::Hover(Tile(b)); // already up: stays
    EXPECT_EQ(TopOf(b), handY - 10);

    // A tile that is not in the own hand (the parked discard of another
    // seat) neither lifts nor keeps a custom pointer; the lifted one stays.
    OtherDiscard(2, 0x27);
    const int other = ClaimedDiscardImage;
    ASSERT_GE(other, 0);
    f->MJ_Image(other).SetMousePointer(vbCustom);
    f->MJ_Image(other).SetTop(handY);
    mjtest::Hover(Tile(other));
    EXPECT_EQ(TopOf(other), handY);
    EXPECT_EQ(f->MJ_Image(other).MousePointer(), vbDefault);
    EXPECT_EQ(TopOf(b), handY - 10);
}

TEST_P(TileControls, NoLiftInWatchModeOrBeforeTheReadyButton)
{
    OwnHand(Fourteen);
    for (int c = 0; c < 2; ++c) {
        SCOPED_TRACE(c == 0 ? "watch mode" : "ready button not used");
        WatchMode = c == 0;
        ButtonUsed[2] = c != 0 ? false : true;
        const int a = HandImage(2);
        mjtest::Hover(Tile(a));
        EXPECT_EQ(TopOf(a), custom[0].HandY);
        EXPECT_EQ(f->MJ_Image(a).MousePointer(), vbDefault);
    }
}

// The lifted tile stays up while the pointer is in the 10-pixel strip it
// left free below itself, and comes down once the pointer leaves the tile
// sideways, upwards or below the strip.
TEST_P(TileControls, TheLiftedTileKeepsItsStripBelow)
{
    OwnHand(Fourteen);
    const int a = HandImage(5);
    const struct {
        const char* name;
        double dx, dy; // from the lifted tile's left and bottom edges
        bool staysUp;
    } cases[] = {
        {"in the strip", 5, 5, true},
        {"at the strip's last pixel", 5, 9.5, true},
        {"below the strip", 5, 10, false},
        {"on the left edge", 0, 5, false},
        {"right of the tile", 1000, 5, false},
        {"above the tile", 5, -1000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        mjtest::Hover(Tile(a));
        ASSERT_EQ(TopOf(a), custom[0].HandY - 10);
        const Image& t = f->MJ_Image(a);
        const double x = c.dx == 1000 ? t.Left() + t.Width() : t.Left() + c.dx;
        const double y = c.dy == -1000 ? t.Top() : t.Top() + t.Height() + c.dy;
        MoveOverPic1(x, y);
        EXPECT_EQ(TopOf(a), c.staysUp ? custom[0].HandY - 10 : custom[0].HandY);
    }
}

// After an unanswered self-draw offer the press sends the pass, then the
// discard; the tile is parked at the centre and the run closes up.
TEST_P(TileControls, ADiscardPressPassesFirstThenDiscards)
{
    for (Qt::MouseButton button : {Qt::LeftButton, Qt::RightButton}) {
        SCOPED_TRACE(button == Qt::LeftButton ? "left" : "right");
        NewHand();
        OwnHand(Fourteen);
        Offer(0x81);
        const int slot = custom[0].FirstConcealed + 5;
        const int image = custom[0].Slots[slot].Image;
        const int16_t code = custom[0].Slots[slot].Code;
        std::vector<int16_t> after;
        for (int i = custom[0].FirstConcealed; i < custom[0].FirstConcealed + 14; ++i)
            if (i != slot)
                after.push_back(custom[0].Slots[i].Code);
        Click(Tile(image), QPointF(5, 5), button);
        const QList<QByteArray> sent = Sent(2);
        ASSERT_EQ(sent.size(), 2);
        EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {1, 0, 0, 0}).toHex());
        EXPECT_EQ(sent[1].toHex(), RequestFrame(2, Own(), {0, 0, 0, static_cast<uint16_t>(0x4000 | code)}).toHex());
        EXPECT_EQ(DecisionState, 2);
        EXPECT_FALSE(MayDiscard);
        EXPECT_FALSE(TurnClockOn);
        EXPECT_FALSE(f->Number.Visible());
        for (int i = 0; i <= 4; ++i)
            EXPECT_FALSE(f->Operation(i).Visible() || f->Operation(i).Enabled()) << i;
        EXPECT_EQ(ClaimedDiscardImage, image);
        EXPECT_EQ(DiscarderSide, 0);
        EXPECT_EQ(Rect(image).size(), QSizeF(CInt(36 * S()), CInt(50 * S())));
        EXPECT_EQ(Picture(image), Resource(General::TilePictureOf(0, code)));
        EXPECT_EQ(custom[0].sum, 13);
        std::vector<int16_t> run;
        for (int i = custom[0].FirstConcealed; i < custom[0].FirstConcealed + 13; ++i) {
            run.push_back(custom[0].Slots[i].Code);
            EXPECT_EQ(f->MJ_Image(custom[0].Slots[i].Image).Left(), custom[0].HandX + i * TileW[0]) << i;
        }
        EXPECT_EQ(run, after);
        ExpectConsistent("after the discard");

        Click(Tile(HandImage(0))); // a second press: no discard is due
        EXPECT_TRUE(NothingQueued());
        EXPECT_EQ(custom[0].sum, 13);
    }
}

TEST_P(TileControls, ARightPressOnAnotherTilePassesOnce)
{
    OwnHand(std::vector<int16_t>(Fourteen.begin(), Fourteen.begin() + 13));
    OtherDiscard(1, 0x29);
    Offer(0x09);
    Click(Tile(ClaimedDiscardImage), QPointF(3, 3), Qt::RightButton);
    const QList<QByteArray> sent = Sent(1);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].toHex(), RequestFrame(7, Own(), {1, 0, 0, 0}).toHex());
    EXPECT_FALSE(f->Operation(4).Visible());
    EXPECT_FALSE(TurnClockOn);
    f->Operation(4).SetVisible(true); // shown again: still one pass per offer
    Click(Tile(ClaimedDiscardImage), QPointF(3, 3), Qt::RightButton);
    EXPECT_TRUE(NothingQueued());
}

TEST_P(TileControls, PressesThatMustChangeNothing)
{
    const struct {
        const char* name;
        std::function<void()> stage;
    } cases[] = {
        {"timed out", [] { DecisionState = 3; }},
        {"link down", [] { LoggedIn = false; }},
        {"no discard due", [] { MayDiscard = false; }},
        {"watch mode", [] { WatchMode = true; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NewHand();
        LoggedIn = true;
        WatchMode = false;
        OwnHand(Fourteen);
        Offer(0x81);
        c.stage();
        const int image = HandImage(4);
        Click(Tile(image));
        Click(Tile(image), QPointF(3, 3), Qt::RightButton);
        EXPECT_TRUE(NothingQueued());
        EXPECT_EQ(custom[0].sum, 14);
        EXPECT_NE(ClaimedDiscardImage, image);
    }
}

MJ_SEATED_CASES(TileControls);

} // namespace

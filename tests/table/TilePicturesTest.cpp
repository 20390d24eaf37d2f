// One tile picture into one tile image, and the sorting of a seat's concealed
// run: the order, which images are repainted with which view, and the bad
// input a frame can bring (codes that name no tile, runs past the last slot).
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "table/General.h"
#include "table/Operate.h"

#include <gtest/gtest.h>

#include <vector>

using namespace mj;

namespace {

// The resource id of a TilePicture entry.
int IdOf(int pictureIndex)
{
    return pictureIndex <= 179 ? 201 + pictureIndex : 501 + (pictureIndex - 180);
}

class TilePictures : public ::testing::Test {
protected:
    void SetUp() override { f = &mjtest::LaidOutTable(1.0f); }

    // Lays `codes` into side's run from slot `first`, each slot in hand and
    // shown by image firstImage + its position, and sets FirstConcealed.
    void Deal(uint8_t side, int first, const std::vector<int16_t>& codes, int firstImage)
    {
        SeatRecord& seat = custom[side];
        seat.FirstConcealed = static_cast<int16_t>(first);
        seat.sum = static_cast<int16_t>(codes.size());
        for (size_t i = 0; i < codes.size(); ++i)
            seat.Slots[first + static_cast<int>(i)] =
                TileSlot{SlotInHand, codes[i], static_cast<int16_t>(firstImage + static_cast<int>(i))};
    }
    std::vector<int16_t> Codes(uint8_t side, int first, int count) const
    {
        std::vector<int16_t> codes;
        for (int i = first; i < first + count; ++i)
            codes.push_back(custom[side].Slots[i].Code);
        return codes;
    }
    // The resource id image `image` shows; 0 for none.
    int Shown(int image) const { return f->MJ_Image(image).Picture().ResourceId(); }

    MainForm* f = nullptr;
};

TEST_F(TilePictures, ShowTileImageIgnoresImagesAndPicturesOutOfRange)
{
    Image& tile = f->MJ_Image(135);
    const struct {
        int16_t image, picture;
    } ignored[] = {{136, 0}, {-1, 0}, {135, 182}, {135, -1}, {-32768, 181}};
    for (const auto& c : ignored) {
        SCOPED_TRACE(testing::Message() << c.image << ", " << c.picture);
        EXPECT_EQ(mjtest::ErrorOf([&] { General::ShowTileImage(c.image, c.picture); }), 0);
        EXPECT_TRUE(tile.Picture().IsNull());
        EXPECT_FALSE(tile.Visible());
        EXPECT_TRUE(f->MJ_Image(0).Picture().IsNull());
    }
    // The last picture is a sideways back; the image shows it at its own
    // place and size.
    tile.Move(10, 20, 48, 35);
    General::ShowTileImage(135, 181);
    EXPECT_EQ(Shown(135), 502);
    EXPECT_TRUE(tile.Visible());
    EXPECT_EQ(QRectF(tile.Left(), tile.Top(), tile.Width(), tile.Height()), QRectF(10, 20, 48, 35));
    General::ShowTileImage(0, 0);
    EXPECT_EQ(Shown(0), 201);
}

// A tile on show takes its new picture where it stands: the widget is never
// hidden and shown again (each of those asks the display where the pointer
// is), and a hidden one is shown once.
TEST_F(TilePictures, ShowTileImageChangesATileOnShowWithoutHidingIt)
{
    struct VisibilityEvents : QObject {
        int shows = 0, hides = 0;
        bool eventFilter(QObject*, QEvent* e) override
        {
            shows += e->type() == QEvent::Show;
            hides += e->type() == QEvent::Hide;
            return false;
        }
    };
    f->Widget()->show();
    Image& tile = f->MJ_Image(7);
    tile.Move(100, 100, 36, 50);
    VisibilityEvents events;
    tile.Widget()->installEventFilter(&events);

    General::ShowTileImage(7, 0);
    EXPECT_EQ(events.shows, 1);
    EXPECT_TRUE(tile.Widget()->isVisible());
    General::ShowTileImage(7, 1);
    General::ShowTileImage(7, 151);
    EXPECT_EQ(Shown(7), IdOf(151));
    EXPECT_EQ(events.shows, 1);
    EXPECT_EQ(events.hides, 0);
    EXPECT_TRUE(tile.Widget()->isVisible());
}

TEST_F(TilePictures, ATileCodesPictureInEachView)
{
    const struct {
        int16_t view, code;
        int16_t picture;
    } cases[] = {
        {0, 0x15, 4},          // red dragon lying face up
        {4, 0x45, 166},        // 5 of characters in the own hand
        {4, 0x85, 175},        // 5 of dots in the own hand
        {1, 0x11, 36},         // east wind, left seat
        {3, 0x29, 36 * 3 + 17}, // 9 of bamboo, right seat
        // Codes that name no tile show the view's standing back.
        {4, 0x00, 151}, {2, 0x18, 79}, {0, 0x2A, 7}, {1, 0x31, 43}, {3, 0x40, 115},
        {4, 0x1011, 151}, {0, -0x11, 7}, {0, 0x90, 7},
    };
    for (const auto& c : cases)
        EXPECT_EQ(General::TilePictureOf(c.view, c.code), c.picture) << c.view << " " << c.code;
    EXPECT_EQ(mjtest::ErrorOf([] { General::TilePictureOf(5, 0x11); }), ErrSubscript);
    EXPECT_EQ(mjtest::ErrorOf([] { General::TilePictureOf(-1, 0x00); }), ErrSubscript);
}

TEST_F(TilePictures, SortingSwapsCodesNeverImages)
{
    // Dots, characters, bamboo, then honours; ranks ascend within a suit.
    for (uint8_t side = 0; side <= 3; ++side) {
        SCOPED_TRACE(side);
        Deal(side, 7, {0x43, 0x17, 0x85, 0x22, 0x21, 0x15}, 20 * side);
        for (int i = 0; i < 6; ++i)
            f->MJ_Image(20 * side + i).Move(100 + i, 200 + side);
        Operate::SortHand(side, 6);

        EXPECT_EQ(Codes(side, 7, 6), (std::vector<int16_t>{0x85, 0x43, 0x21, 0x22, 0x15, 0x17}));
        const int16_t view = side == 0 ? 4 : side;
        for (int i = 0; i < 6; ++i) {
            const TileSlot& slot = custom[side].Slots[7 + i];
            EXPECT_EQ(slot.State, SlotInHand);
            EXPECT_EQ(slot.Image, 20 * side + i);
            const Image& image = f->MJ_Image(slot.Image);
            EXPECT_EQ(image.Left(), 100 + i);
            EXPECT_EQ(image.Top(), 200 + side);
            EXPECT_TRUE(image.Visible());
            EXPECT_EQ(Shown(slot.Image), IdOf(General::TilePictureOf(view, slot.Code))) << i;
        }
    }
    // Equal tiles end up side by side.
    Deal(2, 4, {0x22, 0x85, 0x22, 0x11, 0x85, 0x22}, 80);
    Operate::SortHand(2, 6);
    EXPECT_EQ(Codes(2, 4, 6), (std::vector<int16_t>{0x85, 0x85, 0x22, 0x22, 0x22, 0x11}));
}

TEST_F(TilePictures, OnceTheWildTileIsKnownOnlyChangedOwnTilesArePainted)
{
    const Picture marker = f->SZ_Image(0).Picture(); // a picture no tile has
    const auto markImages = [&] {
        for (int i = 0; i <= 135; ++i)
            f->MJ_Image(i).SetPicture(marker);
    };
    const auto painted = [&](int firstImage, int count) {
        std::vector<bool> p;
        for (int i = firstImage; i < firstImage + count; ++i)
            p.push_back(!(f->MJ_Image(i).Picture() == marker));
        return p;
    };

    // Already sorted: nothing is repainted once the wild tile is known...
    WildTile = 0x22;
    Deal(0, 4, {0x81, 0x42, 0x23}, 10);
    markImages();
    Operate::SortHand(0, 3);
    EXPECT_EQ(painted(10, 3), (std::vector<bool>{false, false, false}));
    // ...but all of it before.
    WildTile = -1;
    Operate::SortHand(0, 3);
    EXPECT_EQ(painted(10, 3), (std::vector<bool>{true, true, true}));

    // A drawn tile sorted into place: only the slots whose tile changed.
    WildTile = 0x22;
    Deal(0, 4, {0x81, 0x42, 0x23, 0x82}, 10);
    markImages();
    Operate::SortHand(0, 4);
    EXPECT_EQ(Codes(0, 4, 4), (std::vector<int16_t>{0x81, 0x82, 0x42, 0x23}));
    EXPECT_EQ(painted(10, 4), (std::vector<bool>{false, true, true, true}));

    // The other seats are always repainted in full.
    Deal(3, 4, {0x81, 0x42}, 40);
    markImages();
    Operate::SortHand(3, 2);
    EXPECT_EQ(painted(40, 2), (std::vector<bool>{true, true}));
}

TEST_F(TilePictures, CountsZeroAndOne)
{
    Deal(0, 4, {0x43, 0x17}, 10);
    Operate::SortHand(0, 0);
    EXPECT_EQ(Codes(0, 4, 2), (std::vector<int16_t>{0x43, 0x17}));
    EXPECT_TRUE(f->MJ_Image(10).Picture().IsNull());
    EXPECT_TRUE(f->MJ_Image(11).Picture().IsNull());

    // One tile sorts nothing and is repainted: the own one only while the wild
    // tile is not known.
    Operate::SortHand(0, 1);
    EXPECT_EQ(Shown(10), IdOf(General::TilePictureOf(4, 0x43)));
    EXPECT_TRUE(f->MJ_Image(11).Picture().IsNull());
    f->MJ_Image(10).SetPicture(Picture());
    WildTile = 0x43;
    Operate::SortHand(0, 1);
    EXPECT_TRUE(f->MJ_Image(10).Picture().IsNull());
    Deal(1, 4, {0x43}, 50);
    Operate::SortHand(1, 1);
    EXPECT_EQ(Shown(50), IdOf(General::TilePictureOf(1, 0x43)));
}

TEST_F(TilePictures, CodesThatNameNoTileAreSortedAndDrawnFaceDown)
{
    // Sorted on the nibbles of the code's low byte like any tile.
    Deal(0, 4, {0x21, 0x00, 0x85, 0x2A, 0x1011}, 10);
    EXPECT_EQ(mjtest::ErrorOf([] { Operate::SortHand(0, 5); }), 0);
    EXPECT_EQ(Codes(0, 4, 5), (std::vector<int16_t>{0x85, 0x21, 0x2A, 0x1011, 0x00}));
    const int back = IdOf(36 * 4 + 7);
    EXPECT_EQ(Shown(10), IdOf(General::TilePictureOf(4, 0x85)));
    EXPECT_EQ(Shown(11), IdOf(General::TilePictureOf(4, 0x21)));
    for (int image : {12, 13, 14})
        EXPECT_EQ(Shown(image), back) << image;

    Deal(2, 4, {0x99, 0x11}, 60);
    Operate::SortHand(2, 2);
    EXPECT_EQ(Codes(2, 4, 2), (std::vector<int16_t>{0x99, 0x11}));
    EXPECT_EQ(Shown(60), IdOf(36 * 2 + 7));
}

TEST_F(TilePictures, ARunPastTheLastSlotIsSortedUpToIt)
{
    Deal(1, 18, {0x17, 0x11, 0x81}, 30);
    custom[1].Slots[17] = TileSlot{SlotInHand, 0x11, 29};
    EXPECT_EQ(mjtest::ErrorOf([] { Operate::SortHand(1, 14); }), 0);
    EXPECT_EQ(Codes(1, 17, 4), (std::vector<int16_t>{0x11, 0x81, 0x11, 0x17}));
    EXPECT_EQ(Shown(32), IdOf(General::TilePictureOf(1, 0x17)));

    // A run that starts past the last slot sorts nothing.
    custom[1].FirstConcealed = 21;
    EXPECT_EQ(mjtest::ErrorOf([] { Operate::SortHand(1, 3); }), 0);
    // A side that is none of the four is refused before anything is touched.
    EXPECT_EQ(mjtest::ErrorOf([] { Operate::SortHand(4, 3); }), ErrSubscript);
}

} // namespace

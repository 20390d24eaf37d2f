// The two layout passes of the table window at both scales: every control's
// place and size, the pictures, visibility, fonts and drawing order they
// leave, and a screenshot of the empty table at 1024 x 768 and 800 x 600.
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "platform/Screen.h"
#include "social/Mod_Prop.h"
#include "table/NewGame.h"

#include <QRectF>

#include <gtest/gtest.h>

#include <vector>

using namespace mj;
using mjtest::LaidOutTable;

namespace {

constexpr float Small = 0.78125f;

// The table window without its load event: start-up is not under test here.
MainForm& TableWindow()
{
    return formWithoutLoadEvent<MainForm>();
}

// A control of the table (or of a video icon strip) by its name, "Tou(1)".
Control* Find(MainForm& f, const QString& name)
{
    for (Control* c : f.Pic1.Controls())
        if (c->Name() == name)
            return c;
    for (PictureBox& strip : f.PicLocal)
        for (Control* c : strip.Controls())
            if (c->Name() == name)
                return c;
    return nullptr;
}

QRectF RectOf(const Control& c)
{
    return QRectF(c.Left(), c.Top(), c.Width(), c.Height());
}

class TableLayout : public ::testing::TestWithParam<float> {
protected:
    bool small() const { return GetParam() < 1; }
};

struct Place {
    double left, top, width, height;
};
struct PlaceCase {
    const char* name;
    Place normal; // at scale 1
    Place small;  // at scale 0.78125
};

// Where the passes leave every control they place, and where the controls
// that no code places keep their design place.
const PlaceCase kPlaces[] = {
    {"QovRa", {932, 110, 74, 130}, {728.125, 85.9375, 74, 130}},
    {"QV_Image", {952, 169, 36, 56}, {748.125, 144.9375, 36, 56}},
    {"Tou(0)", {10, 668, 85, 90}, {7.8125, 521.875, 66.40625, 70.3125}},
    {"Tou(1)", {7, 15, 70, 62}, {5.46875, 11.71875, 54.6875, 48.4375}},
    {"Tou(2)", {350, 15, 70, 62}, {273.4375, 11.71875, 54.6875, 48.4375}},
    {"Tou(3)", {693, 15, 70, 62}, {541.40625, 11.71875, 54.6875, 48.4375}},
    {"ImgKuang(1)", {0, 3, 126, 105}, {0, 3, 98.4375, 82.03125}},
    {"ImgKuang(2)", {342, 3, 126, 105}, {267.1875, 3, 98.4375, 82.03125}},
    {"ImgKuang(3)", {685, 3, 126, 105}, {535.15625, 3, 98.4375, 82.03125}},
    {"PicLocal(0)", {9, 742, 87, 17}, {7.03125, 579.6875, 67.96875, 13.28125}},
    {"PicLocal(1)", {126, 88, 145, 17}, {98.4375, 68.75, 113.28125, 13.28125}},
    {"PicLocal(2)", {468, 88, 145, 17}, {365.625, 68.75, 113.28125, 13.28125}},
    {"PicLocal(3)", {811, 88, 145, 17}, {633.59375, 68.75, 113.28125, 13.28125}},
    {"vshow1(1)", {5, 8, 116, 95}, {3.90625, 6.90625, 90.625, 74.21875}},
    {"vshow1(2)", {347, 8, 116, 95}, {271.09375, 6.90625, 90.625, 74.21875}},
    {"vshow1(3)", {690, 8, 116, 95}, {539.0625, 6.90625, 90.625, 74.21875}},
    {"ImgShow(0)", {104, 688, 16, 14}, {81.25, 537.5, 16, 14}},
    {"ImgShow(1)", {32, 80, 16, 14}, {25, 62.5, 12.5, 10.9375}},
    {"ImgShow(2)", {380, 80, 16, 14}, {296.875, 62.5, 12.5, 10.9375}},
    {"ImgShow(3)", {720, 80, 16, 14}, {562.5, 62.5, 12.5, 10.9375}},
    {"ImCmd(0)", {50.0 / 15, 0, 16, 14}, {50.0 / 15 * 0.78125, 0, 12.5, 10.9375}},
    {"ImCmd(3)", {64, 0, 16, 14}, {50, 0, 12.5, 10.9375}},
    {"ImCmd(7)", {104, 0, 16, 14}, {81.25, 0, 12.5, 10.9375}},
    {"ImCmd(13)", {40, 0, 16, 14}, {31.25, 0, 12.5, 10.9375}},
    {"AnNiu(0)", {573, 730, 48, 30}, {447.65625, 570.3125, 48, 30}},
    {"AnNiu(1)", {648, 699, 55, 31}, {506.25, 546.09375, 43, 24}},
    {"AnNiu(2)", {718, 699, 55, 31}, {560.9375, 546.09375, 43, 24}},
    {"AnNiu(3)", {788, 699, 55, 31}, {615.625, 546.09375, 43, 24}},
    {"AnNiu(4)", {858, 699, 55, 31}, {670.3125, 546.09375, 43, 24}},
    {"AnNiu(5)", {648, 731, 55, 31}, {506.25, 571.09375, 43, 24}},
    {"AnNiu(6)", {718, 731, 55, 31}, {560.9375, 571.09375, 43, 24}},
    {"AnNiu(7)", {788, 731, 55, 31}, {615.625, 571.09375, 43, 24}},
    {"AnNiu(8)", {858, 731, 55, 31}, {670.3125, 571.09375, 43, 24}},
    {"Nid(0)", {181, 700, 161, 25}, {141.40625, 546.875, 161, 25}},
    {"Cash(0)", {181, 724, 161, 17}, {141.40625, 565.625, 161, 17}},
    {"Level(0)", {181, 744, 161, 17}, {141.40625, 581.25, 161, 17}},
    {"Nid(1)", {165, 15, 161, 25}, {128.90625, 11.71875, 161, 25}},
    {"Cash(1)", {165, 40, 161, 17}, {128.90625, 31.25, 161, 17}},
    {"Level(1)", {165, 64, 161, 17}, {128.90625, 50, 161, 17}},
    {"Nid(2)", {509, 15, 161, 25}, {397.65625, 11.71875, 161, 25}},
    {"Cash(2)", {509, 40, 161, 17}, {397.65625, 31.25, 161, 17}},
    {"Level(2)", {509, 64, 161, 17}, {397.65625, 50, 161, 17}},
    {"Nid(3)", {852, 15, 161, 25}, {665.625, 11.71875, 161, 25}},
    {"Cash(3)", {852, 40, 161, 17}, {665.625, 31.25, 161, 17}},
    {"Level(3)", {852, 64, 161, 17}, {665.625, 50, 161, 17}},
    {"Location", {760, 668, 161, 25}, {593.75, 521.875, 161, 25}},
    {"imgword1", {640, 659, 57, 13}, {500, 514.84375, 44.53125, 10.15625}},
    {"imgword2", {640, 675, 57, 13}, {500, 527.34375, 44.53125, 10.15625}},
    {"imgLocation", {632, 654, 394, 39}, {493.75, 510.9375, 307.8125, 30.46875}},
    {"OK(0)", {460, 610, 45, 61}, {359.375, 476.5625, 45, 61}},
    {"OK(1)", {60, 280, 45, 61}, {46.875, 218.75, 45, 61}},
    {"OK(2)", {460, 108, 45, 61}, {359.375, 84.375, 45, 61}},
    {"OK(3)", {900, 280, 45, 61}, {703.125, 218.75, 45, 61}},
    {"imgBeishu", {904, 131, 80, 29}, {706.25, 107.8125, 80, 29}},
    {"lblDifen", {956, 136, 60, 28}, {754.875, 112.5, 60, 28}},
    {"Imgwealth", {904, 162, 80, 29}, {706.25, 138.28125, 80, 29}},
    {"lbwealth", {956, 167, 60, 28}, {754.875, 142.96875, 60, 28}},
    {"imgsezi(0)", {918, 105, 24, 24}, {717.1875, 81.9375, 24, 24}},
    {"imgsezi(1)", {948, 105, 24, 24}, {743.625, 81.9375, 24, 24}},
    {"lbfont(0)", {424, 280, 179, 27}, {321.25, 218.75, 179, 27}},
    {"lbfont(1)", {424, 312, 179, 27}, {321.25, 243.75, 179, 27}},
    {"lbfont(2)", {424, 344, 179, 27}, {321.25, 268.75, 179, 27}},
    {"Bank", {699, 658, 54, 31}, {546.09375, 514.0625, 42.1875, 24.21875}},
    {"Time_Img", {922, 260, 81, 38}, {728.125, 231.5625, 63.28125, 29.6875}},
    {"Number", {970, 265, 24, 24}, {767.625, 235.46875, 18.75, 18.75}},
    {"Operation(0)", {358, 461, 50, 71}, {279.6875, 360.15625, 39.0625, 55.46875}},
    {"Operation(1)", {408, 461, 50, 71}, {318.75, 360.15625, 39.0625, 55.46875}},
    {"Operation(2)", {458, 461, 50, 71}, {357.8125, 360.15625, 39.0625, 55.46875}},
    {"Operation(3)", {508, 461, 50, 71}, {396.875, 360.15625, 39.0625, 55.46875}},
    {"Operation(4)", {558, 461, 50, 71}, {435.9375, 360.15625, 39.0625, 55.46875}},
    {"Sysmsg(0)", {312, 696, 281, 13}, {243.75, 541.75, 219.53125, 12.15625}},
    {"Sysmsg(1)", {312, 709, 281, 13}, {243.75, 553.90625, 219.53125, 12.15625}},
    {"Lbchat", {594, 694, 25, 33}, {464.0625, 542.1875, 19.53125, 25.78125}},
    {"Chat", {318, 729, 244, 18}, {248.4375, 569.53125, 190.625, 14.0625}},
    {"Bird", {936, 680, 82, 80}, {731.25, 531.25, 64.0625, 62.5}},
    {"WebBrowser1", {938, 682, 82, 80}, {733.25, 533.25, 64.0625, 62.5}},
    {"vcap1", {10, 666, 85, 83}, {7.8125, 520.3125, 66.40625, 64.84375}},
    {"Proponeself", {0, 656, 100, 118}, {-2.1875, 510.3125, 81.40625, 99.84375}},
    // No code places these: their design place and size at both scales.
    {"ZhiNan", {20, 120, 81, 79}, {20, 120, 81, 79}},
    {"Host", {24, 208, 71, 25}, {24, 208, 71, 25}},
    {"Zhuang", {64, 208, 25, 25}, {64, 208, 25, 25}},
    {"ImgShuffle", {144, 208, 185, 35}, {144, 208, 185, 35}},
    {"LblShuffle", {144, 248, 185, 25}, {144, 248, 185, 25}},
    {"Speak(0)", {90, 90, 81, 81}, {90, 90, 81, 81}},
    {"tsSpeak(0)", {90, 90, 85, 85}, {90, 90, 85, 85}},
    {"tsSpeak(1)", {430, 90, 81, 85}, {430, 90, 81, 85}},
    {"tsSpeak(2)", {770, 90, 83, 85}, {770, 90, 83, 85}},
    {"Words", {106, 110, 49, 49}, {106, 110, 49, 49}},
};

TEST_P(TableLayout, PlacesEveryControlAtItsScaledDesignPlace)
{
    MainForm& f = LaidOutTable(GetParam());
    for (const PlaceCase& c : kPlaces) {
        SCOPED_TRACE(c.name);
        const Control* control = Find(f, QString::fromUtf8(c.name));
        ASSERT_NE(control, nullptr);
        const Place& p = small() ? c.small : c.normal;
        EXPECT_DOUBLE_EQ(control->Left(), p.left);
        EXPECT_DOUBLE_EQ(control->Top(), p.top);
        EXPECT_DOUBLE_EQ(control->Width(), p.width);
        EXPECT_DOUBLE_EQ(control->Height(), p.height);
    }
}

TEST_P(TableLayout, ControlsHoldTheirPicturesAfterBothPasses)
{
    MainForm& f = LaidOutTable(GetParam());
    // The toolbar: 发送 聊天 开始 设置 隐藏 战绩 历史 规则 退出 (the 继续 pair
    // skipped); all but 发送 use the small copies on the small screen.
    const int normal[] = {101, 103, 105, 109, 111, 113, 115, 117, 119};
    const int smallCopies[] = {101, 381, 383, 387, 389, 391, 393, 395, 397};
    for (int i = 0; i <= 8; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.AnNiu(i).Picture().ResourceId(), small() ? smallCopies[i] : normal[i]);
        EXPECT_FALSE(f.AnNiu(i).Stretch());
    }
    // The claim buttons show their greyed pictures; the dice cache holds 161..176.
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(f.Operation(i).Picture().ResourceId(), 141 + 3 * i) << i;
    for (int i = 0; i <= 15; ++i)
        EXPECT_EQ(f.SZ_Image(i).Picture().ResourceId(), 161 + i) << i;
    // Created members copy member 0's picture and stretching.
    for (int i = 0; i <= 3; ++i) {
        EXPECT_EQ(f.OK(i).Picture(), f.OK(0).Picture()) << i;
        EXPECT_TRUE(f.OK(i).Stretch()) << i;
        EXPECT_TRUE(f.Tou(i).Stretch()) << i;
    }
    for (int i = 0; i <= 135; ++i)
        ASSERT_TRUE(f.MJ_Image(i).Stretch()) << i;
    // Design pictures: what the stretched controls show fills their scaled size.
    for (Image* image : {&f.imgLocation, &f.Bird, &f.Time_Img, &f.Bank, &f.ImgKuang(1), &f.ImgShow(1)}) {
        SCOPED_TRACE(image->Name().toStdString());
        EXPECT_FALSE(image->Picture().IsNull());
        EXPECT_TRUE(image->Stretch());
    }
    EXPECT_EQ(f.Bank.Picture().ResourceId(), 450);
    EXPECT_FALSE(f.Pic1.Picture().IsNull());
    EXPECT_EQ(f.Pic2.Picture().Size(), QSize(800, 600));
    // The own strip: album, zoom, photo, video off; the others: block, zoom,
    // photo, add friend, with their tooltips.
    const int icons[] = {863, 851, 852, 853, 850, 851, 852, 858};
    for (int i = 0; i <= 15; ++i)
        EXPECT_EQ(f.ImCmd(i).Picture().ResourceId(), icons[i < 4 ? i : 4 + i % 4]) << i;
    EXPECT_EQ(f.ImCmd(12).ToolTipText(), QStringLiteral("屏蔽"));
    EXPECT_EQ(f.ImCmd(15).ToolTipText(), QStringLiteral("加为好友"));
    EXPECT_EQ(f.Bank.ToolTipText(), QStringLiteral("单击打开您的道具仓库"));
}

TEST_P(TableLayout, ShowsOnlyWhatTheEmptyTableShows)
{
    MainForm& f = LaidOutTable(GetParam());
    std::vector<const Control*> shown = {&f.Bank,     &f.Sysmsg(0), &f.Sysmsg(1), &f.Chat,       &f.Bird,
                                         &f.imgLocation, &f.imgword1, &f.imgword2, &f.Location, &f.Lbchat,
                                         &f.Proponeself};
    for (int i = 0; i <= 3; ++i)
        for (const Control* c : {static_cast<const Control*>(&f.Tou(i)), static_cast<const Control*>(&f.Nid(i)),
                                 static_cast<const Control*>(&f.Cash(i)), static_cast<const Control*>(&f.Level(i))})
            shown.push_back(c);
    for (int i = 0; i <= 8; ++i)
        shown.push_back(&f.AnNiu(i));
    for (const Control* c : shown)
        EXPECT_TRUE(c->Visible()) << c->Name().toStdString();

    std::vector<const Control*> hidden = {&f.QV_Image, &f.QovRa,   &f.imgBeishu, &f.lblDifen,   &f.Imgwealth,
                                          &f.lbwealth, &f.ZhiNan,  &f.Host,      &f.Zhuang,     &f.Time_Img,
                                          &f.Number,   &f.vcap1,   &f.WebBrowser1, &f.WebBrowser2, &f.ImgShuffle,
                                          &f.LblShuffle, &f.Words, &f.Pic2};
    for (int s = 1; s <= 3; ++s) {
        hidden.push_back(&f.ImgKuang(s));
        hidden.push_back(&f.vshow1(s));
    }
    for (int i = 0; i <= 3; ++i) {
        hidden.push_back(&f.PicLocal(i));
        hidden.push_back(&f.OK(i));
    }
    for (int i = 0; i <= 5; ++i)
        hidden.push_back(&f.ImgShow(i));
    for (int i = 0; i <= 2; ++i) {
        hidden.push_back(&f.lbfont(i));
        hidden.push_back(&f.Speak(i));
    }
    for (int i = 0; i <= 1; ++i)
        hidden.push_back(&f.imgsezi(i));
    for (int i = 0; i <= 4; ++i)
        hidden.push_back(&f.Operation(i));
    for (int i = 0; i <= 135; ++i)
        hidden.push_back(&f.MJ_Image(i));
    for (int i = 0; i <= 15; ++i)
        hidden.push_back(&f.SZ_Image(i));
    for (const Control* c : hidden)
        EXPECT_FALSE(c->Visible()) << c->Name().toStdString();

    for (int i = 0; i <= 4; ++i)
        EXPECT_FALSE(f.Operation(i).Enabled()) << i;
    EXPECT_TRUE(f.Proponeself.Enabled());
}

TEST_P(TableLayout, SetsFontsFlagsAnchorsAndSurfaces)
{
    // Flags the first pass resets, set to other values first.
    ContinuePromptArmed = false;
    ButtonUsed[4] = true;
    ButtonHover[8] = true;
    CountUserInfos = true;
    HandInPlay = true;
    SeatWealthRates[2] = 5;
    Mod_Prop::PropExitAfterScore = true;
    Mod_Prop::ScoreShowState = 2;
    MainForm& f = LaidOutTable(GetParam());

    EXPECT_TRUE(ContinuePromptArmed);
    EXPECT_FALSE(ButtonUsed[4]);
    EXPECT_FALSE(ButtonHover[8]);
    EXPECT_FALSE(CountUserInfos);
    EXPECT_FALSE(HandInPlay);
    EXPECT_EQ(SeatWealthRates[2], 0);
    EXPECT_FALSE(Mod_Prop::PropExitAfterScore);
    EXPECT_EQ(Mod_Prop::ScoreShowState, 0);
    EXPECT_EQ(NewGame::LayoutAnchorX, 900);
    EXPECT_EQ(NewGame::LayoutAnchorY, small() ? 432 : 435);

    // The small screen shrinks the coin and level fonts; names keep theirs.
    for (int i = 0; i <= 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.Nid(i).FontSize(), 9);
        EXPECT_EQ(f.Cash(i).FontSize(), small() && i > 0 ? 8 : 9);
        EXPECT_EQ(f.Level(i).FontSize(), small() ? 8 : 10.5);
        EXPECT_EQ(f.Nid(i).ForeColor(), 0xFFFF80);
    }
    EXPECT_EQ(f.lblDifen.FontSize(), 16);
    EXPECT_EQ(f.lbwealth.FontSize(), 16);
    EXPECT_EQ(f.Number.FontSize(), small() ? 12 : 14.25);

    // Only the first surface gets Setting1.
    EXPECT_TRUE(f.vshow1(1).Setting1());
    EXPECT_FALSE(f.vshow1(2).Setting1());
    EXPECT_FALSE(f.vshow1(3).Setting1());

    // Every video icon shows icon 0's custom cursor; only the small screen stretches them.
    ASSERT_FALSE(f.ImCmd(0).MouseIcon().IsNull());
    for (int i = 0; i <= 15; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(f.ImCmd(i).MousePointer(), vbCustom);
        EXPECT_EQ(f.ImCmd(i).MouseIcon(), f.ImCmd(0).MouseIcon());
        EXPECT_EQ(f.ImCmd(i).Stretch(), small());
        EXPECT_EQ(&f.ImCmd(i).Parent(), static_cast<Container*>(&f.PicLocal(i / 4)));
    }
}

// Position of a control in the table's drawing order (bottom first).
int DrawingIndex(MainForm& f, const QString& name)
{
    return static_cast<int>(f.Pic1.DrawingOrder().indexOf(name));
}

TEST(TableLayoutOrder, TilesComeToTheFrontInOrderWithTheMascotAndPropsFrameAbove)
{
    MainForm& f = LaidOutTable(1.0f);
    // Each tile image was brought to the front as it was made, image 0 last:
    // 1, 2, ..., 135, 0 from bottom to top.
    int previous = DrawingIndex(f, QStringLiteral("MJ_Image(1)"));
    for (int i = 2; i <= 135; ++i) {
        const int at = DrawingIndex(f, QStringLiteral("MJ_Image(%1)").arg(i));
        ASSERT_GT(at, previous) << i;
        previous = at;
    }
    const int tile0 = DrawingIndex(f, QStringLiteral("MJ_Image(0)"));
    EXPECT_GT(tile0, previous);
    // The tiles lie over what the first pass brought to the front.
    for (const char* below : {"AnNiu(8)", "QV_Image", "imgsezi(1)", "lbwealth", "Bank", "Operation(4)", "Tou(3)"})
        EXPECT_LT(DrawingIndex(f, QString::fromUtf8(below)), DrawingIndex(f, QStringLiteral("MJ_Image(1)"))) << below;
    // The mascot comes to the front after the tiles, the props frame after it.
    const int bird = DrawingIndex(f, QStringLiteral("Bird"));
    EXPECT_GT(bird, tile0);
    EXPECT_GT(DrawingIndex(f, QStringLiteral("Proponeself")), bird);
    // Labels and hot spots lie over the pictures they belong to.
    EXPECT_GT(DrawingIndex(f, QStringLiteral("Location")), DrawingIndex(f, QStringLiteral("imgLocation")));
    EXPECT_GT(DrawingIndex(f, QStringLiteral("imgword1")), DrawingIndex(f, QStringLiteral("imgLocation")));
    EXPECT_GT(DrawingIndex(f, QStringLiteral("lblDifen")), DrawingIndex(f, QStringLiteral("imgBeishu")));
    EXPECT_GT(DrawingIndex(f, QStringLiteral("Number")), DrawingIndex(f, QStringLiteral("Time_Img")));
    EXPECT_GT(DrawingIndex(f, QStringLiteral("Words")), DrawingIndex(f, QStringLiteral("Speak(2)")));
}

TEST(TableLayoutCamera, OpensTheDeviceOnceAndLeavesThePreviewHiddenAndIdle)
{
    for (bool video : {true, false}) {
        SCOPED_TRACE(video);
        DiscardAllForms();
        VideoEnabled = video;
        DeferVideo = true; // as start-up leaves it
        MainForm& f = LaidOutTable(1.0f);
        EXPECT_EQ(f.vcap1.OpenDeviceCalls(), 1);
        EXPECT_TRUE(f.vcap1.DeviceOpen());
        EXPECT_FALSE(f.vcap1.Capturing());
        EXPECT_FALSE(f.vcap1.Visible());
    }
}

TEST(TableLayoutPasses, CreatingTheMembersASecondTimeIsARunTimeError)
{
    LaidOutTable(1.0f);
    EXPECT_EQ(mjtest::ErrorOf([] { NewGame::InitTableLayout(); }), ErrControlArrayExists);
    EXPECT_EQ(mjtest::ErrorOf([] { NewGame::InitTableLayoutAndCamera(); }), ErrControlArrayExists);
}

TEST_P(TableLayout, KeepsTheShownControlsApartAndOnTheTable)
{
    MainForm& f = LaidOutTable(GetParam());
    // The table as start-up sizes it for the screen.
    const QRectF table(0, 0, small() ? 800 : 1024, small() ? 600 : 768);

    // The pictures and boxes the empty table shows do not overlap. (The seat
    // labels are transparent text boxes that keep their 161 x 25 design size
    // at both scales, so on the small screen their boxes reach over their
    // neighbours; their text is short.)
    std::vector<const Control*> solid = {&f.Sysmsg(0), &f.Sysmsg(1), &f.Chat, &f.Lbchat, &f.Bird, &f.Bank};
    for (int i = 0; i <= 3; ++i)
        solid.push_back(&f.Tou(i));
    for (int i = 0; i <= 8; ++i)
        solid.push_back(&f.AnNiu(i));
    for (size_t a = 0; a < solid.size(); ++a)
        for (size_t b = a + 1; b < solid.size(); ++b) {
            const QRectF overlap = RectOf(*solid[a]).intersected(RectOf(*solid[b]));
            EXPECT_TRUE(overlap.isEmpty()) << solid[a]->Name().toStdString() << " overlaps "
                                           << solid[b]->Name().toStdString();
        }
    // The seat labels stay clear of the avatars at scale 1.
    if (!small()) {
        for (int side = 0; side <= 3; ++side)
            for (int other = 0; other <= 3; ++other)
                for (const Control* label : {static_cast<const Control*>(&f.Nid(side)),
                                             static_cast<const Control*>(&f.Cash(side)),
                                             static_cast<const Control*>(&f.Level(side))})
                    EXPECT_FALSE(RectOf(*label).intersects(RectOf(f.Tou(other))))
                        << label->Name().toStdString() << " over Tou(" << other << ")";
    }

    // Every picture and box shown lies on the table, but for the design's
    // own overhangs of 2 pixels at most: the location bar at the right edge
    // and the send button (which keeps its size) at the bottom of the small
    // table. (Transparent labels are left out: their boxes, like the props
    // frame's around the own avatar, may reach past the edge; their text
    // does not.)
    const QRectF allowed = table.adjusted(0, 0, 2, 2);
    for (Control* c : f.Pic1.Controls()) {
        if (c->Visible() && !dynamic_cast<Label*>(c)) {
            EXPECT_TRUE(allowed.contains(RectOf(*c))) << c->Name().toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Scales, TableLayout, ::testing::Values(1.0f, Small),
                         [](const ::testing::TestParamInfo<float>& info) {
                             return info.param < 1 ? std::string("Small") : std::string("Normal");
                         });

TEST_P(TableLayout, ScreenshotOfTheEmptyTable)
{
    const int width = small() ? 800 : 1024;
    const int height = small() ? 600 : 768;
    Image_Resource::InitPictureIds();
    MainForm& f = TableWindow();
    // Start-up's own fit to the screen: on the small screen the table gets
    // the 800 x 600 background and the small scale.
    mjtest::FitTableToScreen(f, width, height);
    ASSERT_EQ(ScaleX, GetParam());
    NewGame::InitTableLayout();
    // What start-up shows between the two passes: the room from the command
    // line and the first system line.
    if (small())
        f.Location.SetFontSize(10);
    f.Location.SetCaption(QStringLiteral("新手场 08桌"));
    f.Sysmsg(0).Clear();
    f.Sysmsg(0).AddItem(QStringLiteral("正在连接服务器..."));
    NewGame::InitTableLayoutAndCamera();

    const QString path = mjtest::ArtifactDir() + QStringLiteral("/table-%1x%2.png").arg(width).arg(height);
    ASSERT_TRUE(f.SaveImage(path));
    const QImage shot(path);
    ASSERT_EQ(shot.size(), QSize(width, height));
    // The mascot covers the table picture, and the toolbar shows its buttons.
    const auto centre = [](const Control& c) {
        return QPoint(static_cast<int>(c.Left() + c.Width() / 2), static_cast<int>(c.Top() + c.Height() / 2));
    };
    const QImage background = (small() ? f.Pic2.Picture() : f.Pic1.Picture()).Image();
    EXPECT_NE(shot.pixel(centre(f.Bird)), background.pixel(centre(f.Bird)));
    // The middle of the empty table shows the background of the screen size.
    const QPoint middle(width / 2, height / 2);
    EXPECT_EQ(shot.pixel(middle), background.pixel(middle));
    const QImage button = f.AnNiu(1).Picture().Image();
    EXPECT_EQ(shot.pixel(centre(f.AnNiu(1))), button.pixel(button.width() / 2, button.height() / 2));
}

} // namespace

#include "table/NewGame.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "social/Mod_Prop.h"

namespace mj::NewGame {

// The layout passes place the controls of the 1024 x 768 design table at
// the screen's scale: a Left or Width is its design value times ScaleX, a
// Top or Height times ScaleY; the offsets the design keeps fixed are added
// unscaled. Fractions are kept: the controls take them as they are.
namespace {

bool SmallScreen()
{
    return ScaleX < 1;
}

void LoadGif(const QString& id, Image& target)
{
    // A picture that cannot be loaded leaves the control without it.
    Image_Resource::LoadGifResource(CInt(id), QStringLiteral("GIF"), target);
}

} // namespace

void InitTableLayout()
{
    MainForm& f = form<MainForm>();
    const double SX = ScaleX;
    const double SY = ScaleY;
    const bool small = SmallScreen();

    // 1.
    ContinuePromptArmed = true;

    // 2. The wild tile hangs from its anchor by unscaled offsets, unscaled size.
    f.QovRa.SetLeft(932 * SX);
    f.QovRa.SetTop(110 * SY);
    f.QV_Image.SetWidth(36);
    f.QV_Image.SetHeight(56);
    f.QV_Image.SetLeft(f.QovRa.Left() + 20);
    f.QV_Image.SetTop(f.QovRa.Top() + 59);
    f.QV_Image.ZOrder(0);
    f.QV_Image.SetVisible(false);

    // 3. Avatars: the own one at the bottom, the others along the top.
    f.Tou(0).SetTop(668 * SY);
    f.Tou(0).SetLeft(10 * SX);
    f.Tou(0).SetWidth(85 * SX);
    f.Tou(0).SetHeight(90 * SY);
    for (int i = 1; i <= 3; ++i) {
        f.Tou.Load(i);
        f.Tou(i).SetWidth(70 * SX);
        f.Tou(i).SetHeight(62 * SY);
        f.Tou(i).SetVisible(true);
    }
    f.Tou(1).SetTop(15 * SY);
    f.Tou(1).SetLeft(7 * SX);
    f.Tou(2).SetTop(15 * SY);
    f.Tou(2).SetLeft(350 * SX);
    f.Tou(3).SetTop(15 * SY);
    f.Tou(3).SetLeft(693 * SX);

    // 4. Video frames (Left 0 and Top 3 unscaled), icon strips, surfaces, reopen icons.
    const double frameLeft[] = {0, 0, 342 * SX, 685 * SX};
    for (int s = 1; s <= 3; ++s) {
        f.ImgKuang(s).SetWidth(126 * SX);
        f.ImgKuang(s).SetHeight(105 * SY);
        f.ImgKuang(s).SetTop(3);
        f.ImgKuang(s).SetLeft(frameLeft[s]);
        f.ImgKuang(s).SetVisible(false);
    }
    f.PicLocal(0).SetWidth(87 * SX);
    f.PicLocal(0).SetHeight(17 * SY);
    for (int s = 1; s <= 3; ++s) {
        f.PicLocal(s).SetWidth(145 * SX);
        f.PicLocal(s).SetHeight(17 * SY);
    }
    f.PicLocal(0).SetTop(742 * SY);
    f.PicLocal(0).SetLeft(9 * SX);
    for (int s = 1; s <= 3; ++s)
        f.PicLocal(s).SetTop(88 * SY);
    for (int s = 1; s <= 3; ++s)
        f.PicLocal(s).SetLeft(f.ImgKuang(s).Left() + f.ImgKuang(s).Width());
    for (int s = 0; s <= 3; ++s)
        f.PicLocal(s).SetVisible(false);
    for (int s = 1; s <= 3; ++s)
        f.ImgShow(s).SetVisible(false);
    for (int s = 1; s <= 3; ++s)
        f.vshow1(s).SetVisible(false);
    for (int s = 1; s <= 3; ++s) {
        // Every surface's height comes from the first frame; the frames are
        // all alike and ScaleX equals ScaleY, so each sits 5 scaled pixels
        // inside its frame.
        vshow& surface = f.vshow1(s);
        surface.SetSetting1(s == 1);
        surface.SetTop(f.ImgKuang(s).Top() + 5 * SY);
        surface.SetLeft(f.ImgKuang(s).Left() + 5 * SX);
        surface.SetWidth(f.ImgKuang(s).Width() - 10 * SX);
        surface.SetHeight(f.ImgKuang(1).Height() - 10 * SX);
    }
    for (int s = 1; s <= 3; ++s) {
        f.ImgShow(s).SetWidth(16 * SX);
        f.ImgShow(s).SetHeight(14 * SY);
    }
    f.ImgShow(1).SetLeft(32 * SX);
    f.ImgShow(2).SetLeft(380 * SX);
    f.ImgShow(3).SetLeft(720 * SX);
    for (int s = 1; s <= 3; ++s)
        f.ImgShow(s).SetTop(80 * SY);
    f.ImgShow(0).SetLeft(104 * SX);
    f.ImgShow(0).SetTop(688 * SY);

    // 5. Video icons: one custom cursor for all; scaled only on the small screen.
    for (int i = 1; i <= 15; ++i) {
        f.ImCmd(i).SetMouseIcon(f.ImCmd(0).MouseIcon());
        f.ImCmd(i).SetMousePointer(f.ImCmd(0).MousePointer());
    }
    if (small) {
        for (int i = 0; i <= 15; ++i) {
            Image& icon = f.ImCmd(i);
            icon.SetStretch(true);
            icon.SetWidth(icon.Width() * SX);
            icon.SetHeight(icon.Height() * SY);
            icon.SetLeft(icon.Left() * SX);
            icon.SetTop(icon.Top() * SY);
        }
    }

    // 6. Toolbar. The buttons do not stretch, so each picture gives its button
    // its size; button 2 starts as 开始 (the 继续 pair is skipped).
    for (int i = 1; i <= 8; ++i) {
        f.AnNiu.Load(i);
        f.AnNiu(i).SetVisible(true);
        f.AnNiu(i).ZOrder(0);
    }
    for (int i = 0; i <= 8; ++i) {
        ButtonUsed[i] = false;
        ButtonHover[i] = false;
        f.AnNiu(i).SetWidth((i == 0 ? 50 : 60) * SX);
        f.AnNiu(i).SetHeight(30 * SY);
        LoadGif(Image_Resource::ButtonPicture[i < 3 ? 2 * i : 2 * i + 2], f.AnNiu(i));
    }
    f.AnNiu(0).SetTop(730 * SY);
    f.AnNiu(0).SetLeft(573 * SX);
    f.AnNiu(1).SetTop(699 * SY);
    f.AnNiu(1).SetLeft(648 * SX);
    for (int i = 2; i <= 8; ++i) {
        if (i == 5) {
            f.AnNiu(5).SetTop(f.AnNiu(1).Top() + 32 * SY);
            f.AnNiu(5).SetLeft(f.AnNiu(1).Left());
        } else {
            f.AnNiu(i).SetTop(f.AnNiu(i - 1).Top());
            f.AnNiu(i).SetLeft(f.AnNiu(i - 1).Left() + 70 * SX);
        }
    }

    // 7. Seat labels.
    for (int i = 1; i <= 3; ++i) {
        f.Nid.Load(i);
        f.Cash.Load(i);
        f.Level.Load(i);
        f.Nid(i).SetVisible(true);
        f.Cash(i).SetVisible(true);
        f.Level(i).SetVisible(true);
        if (small) {
            f.Cash(i).SetFontSize(8);
            f.Level(i).SetFontSize(8);
            f.Level(0).SetFontSize(8);
        }
    }
    CountUserInfos = false;
    HandInPlay = false;
    LayoutSeatLabels();

    // 8. Ready marks (each Top before its Left).
    for (int i = 1; i <= 3; ++i) {
        f.OK.Load(i);
        f.OK(i).SetVisible(false);
    }
    const double markLeft[] = {460, 60, 460, 900};
    const double markTop[] = {610, 280, 108, 280};
    for (int i = 0; i <= 3; ++i) {
        f.OK(i).SetTop(markTop[i] * SY);
        f.OK(i).SetLeft(markLeft[i] * SX);
    }

    // 9. Room-rule plates beside the wild tile, placed from the anchors; the
    // small screen's extra +8, +3 and -4 are added after scaling.
    LayoutAnchorX = 900;
    LayoutAnchorY = 435;
    if (small)
        LayoutAnchorY = 432;
    const int AX = LayoutAnchorX;
    const int AY = LayoutAnchorY;
    const auto front = [](Control& c) {
        c.ZOrder(0);
        c.SetVisible(false);
    };
    f.imgBeishu.SetLeft((AX + 4) * SX);
    f.imgBeishu.SetTop(((small ? 570 : 566) - AY) * SY);
    front(f.imgBeishu);
    f.lblDifen.SetLeft((AX + 56) * SX + (small ? 8 : 0));
    f.lblDifen.SetTop(((small ? 576 : 571) - AY) * SY);
    front(f.lblDifen);
    f.Imgwealth.SetLeft((AX + 4) * SX);
    f.Imgwealth.SetTop((597 - AY) * SY);
    if (small)
        f.Imgwealth.SetTop((609 - AY) * SY);
    front(f.Imgwealth);
    f.lbwealth.SetLeft((AX + 56) * SX + (small ? 8 : 0));
    f.lbwealth.SetTop(((small ? 615 : 602) - AY) * SY);
    f.lbwealth.SetFontSize(16);
    front(f.lbwealth);
    const double diceTop = small ? (542 - AY) * SY - 4 : (540 - AY) * SY;
    f.imgsezi(0).SetLeft((AX + 18) * SX);
    f.imgsezi(0).SetTop(diceTop);
    front(f.imgsezi(0));
    f.imgsezi(1).SetLeft((AX + 48) * SX + (small ? 3 : 0));
    f.imgsezi(1).SetTop(diceTop);
    front(f.imgsezi(1));
    f.lblDifen.SetFontSize(16);

    // 10. Room-rule notices.
    const double noticeTop[] = {280, 312, 344};
    for (int i = 0; i <= 2; ++i) {
        f.lbfont(i).SetVisible(false);
        f.lbfont(i).SetTop(noticeTop[i] * SY);
    }
    for (int i = 0; i <= 2; ++i)
        f.lbfont(i).SetLeft(small ? 424 * SX - 10 : 424 * SX);

    // 11.
    for (int i = 0; i <= 3; ++i)
        SeatWealthRates[i] = 0;
    Mod_Prop::PropExitAfterScore = false;
    Mod_Prop::ScoreShowState = 0;

    // 12. Props warehouse button; on the small screen its design size is scaled too.
    if (small) {
        f.Bank.SetWidth(f.Bank.Width() * SX);
        f.Bank.SetHeight(f.Bank.Height() * SY);
    }
    f.Bank.SetLeft(699 * SX);
    f.Bank.SetTop(658 * SY);
    f.Bank.SetVisible(true);
    f.Bank.ZOrder(0);
}

void LayoutSeatLabels()
{
    MainForm& f = form<MainForm>();
    const double SX = ScaleX;
    const double SY = ScaleY;

    // 1. Name, coins and level of each side, each Top before its Left. The
    // labels keep their design size.
    const double left[] = {181, 165, 509, 852};
    const double nameTop[] = {700, 15, 15, 15};
    const double cashTop[] = {724, 40, 40, 40};
    const double levelTop[] = {744, 64, 64, 64};
    for (int side = 0; side <= 3; ++side) {
        f.Nid(side).SetTop(nameTop[side] * SY);
        f.Nid(side).SetLeft(left[side] * SX);
        f.Cash(side).SetTop(cashTop[side] * SY);
        f.Cash(side).SetLeft(left[side] * SX);
        f.Level(side).SetTop(levelTop[side] * SY);
        f.Level(side).SetLeft(left[side] * SX);
    }

    // 2. The room.
    f.Location.SetTop(668 * SY);
    f.Location.SetLeft(760 * SX);

    // 3. Phrase hot spots.
    f.imgword1.Move(640 * SX, 659 * SY, 57 * SX, 13 * SY);
    f.imgword2.Move(640 * SX, 675 * SY, 57 * SX, 13 * SY);

    // 4. The location bar, stretched to its scaled size.
    f.imgLocation.SetStretch(true);
    f.imgLocation.SetLeft(632 * SX);
    f.imgLocation.SetTop(654 * SY);
    f.imgLocation.SetWidth(394 * SX);
    f.imgLocation.SetHeight(39 * SY);
}

void InitTableLayoutAndCamera()
{
    MainForm& f = form<MainForm>();
    const double SX = ScaleX;
    const double SY = ScaleY;
    const bool small = SmallScreen();

    // 1.
    f.ZhiNan.SetVisible(false);

    // 2. The turn clock under the wild tile's anchor (whose design size is never scaled).
    f.Time_Img.SetWidth(81 * SX);
    f.Time_Img.SetHeight(38 * SY);
    f.Time_Img.SetLeft(f.QovRa.Left() - 10 * SX);
    f.Time_Img.SetTop(f.QovRa.Top() + f.QovRa.Height() + 20 * SY);
    f.Number.SetWidth(24 * SX);
    f.Number.SetHeight(24 * SY);
    f.Number.SetLeft(f.Time_Img.Left() + 48 * SX);
    f.Number.SetTop(f.Time_Img.Top() + 5 * SY);
    if (small) {
        f.Time_Img.SetLeft(f.QovRa.Left());
        f.Number.SetFontSize(12);
        f.Number.SetLeft(f.Time_Img.Left() + 48 * SX + 2);
    }

    // 3. Claim buttons side by side, greyed, disabled and hidden.
    f.Operation(0).SetTop(461 * SY);
    f.Operation(0).SetLeft(358 * SX);
    for (int i = 1; i <= 4; ++i)
        f.Operation.Load(i);
    for (int i = 0; i <= 4; ++i) {
        Image& button = f.Operation(i);
        button.SetWidth(50 * SX);
        button.SetHeight(71 * SY);
        LoadGif(Image_Resource::ClaimButtonPicture[3 * i], button);
        if (i >= 1) {
            button.SetTop(f.Operation(0).Top());
            button.SetLeft(f.Operation(i - 1).Left() + f.Operation(0).Width());
        }
        button.SetEnabled(false);
        button.SetVisible(false);
    }

    // 4. Tile images, each brought to the front as it is made; image 0 last.
    for (int i = 1; i <= 135; ++i) {
        f.MJ_Image.Load(i);
        f.MJ_Image(i).ZOrder(0);
    }
    f.MJ_Image(0).ZOrder(0);

    // 5. The dice picture cache.
    for (int i = 1; i <= 15; ++i) {
        f.SZ_Image.Load(i);
        LoadGif(Image_Resource::DicePicture[i], f.SZ_Image(i));
    }
    LoadGif(Image_Resource::DicePicture[0], f.SZ_Image(0));

    // 6. System message lines and the chat button's hot spot. On the normal
    // screen the lines are 13 high at 696; the second line follows the first
    // as the first reports its place and height.
    f.Sysmsg(0).SetHeight(small ? (26 * SY + 4) / 2 : 13);
    f.Sysmsg(1).SetHeight(f.Sysmsg(0).Height());
    f.Sysmsg(0).SetTop(small ? 696 * SY - 2 : 696);
    f.Sysmsg(1).SetTop(f.Sysmsg(0).Top() + f.Sysmsg(0).Height());
    f.Lbchat.SetHeight(33 * SY);
    f.Lbchat.SetWidth(25 * SX);
    f.Lbchat.SetTop(694 * SY);
    f.Lbchat.SetLeft(594 * SX);
    f.Sysmsg(0).SetWidth(281 * SX);
    f.Sysmsg(0).SetLeft(312 * SX);
    f.Sysmsg(1).SetWidth(f.Sysmsg(0).Width());
    f.Sysmsg(1).SetLeft(f.Sysmsg(0).Left());
    f.Sysmsg(0).SetVisible(true);
    f.Sysmsg(1).SetVisible(true);

    // 7. The window's own font size (10 points) only concerns text printed
    // on the form itself, which the table never does; forms here carry no
    // font of their own.

    // 8. Chat line, the mascot, and the banner 2 pixels inside the mascot's corner.
    f.Chat.SetVisible(true);
    f.Chat.SetHeight(18 * SY);
    f.Chat.SetWidth(244 * SX);
    f.Chat.SetLeft(318 * SX);
    f.Chat.SetTop(729 * SY);
    f.Bird.SetWidth(82 * SX);
    f.Bird.SetHeight(80 * SY);
    f.Bird.SetLeft(936 * SX);
    f.Bird.SetTop(680 * SY);
    f.Bird.ZOrder(0);
    f.Bird.SetVisible(true);
    f.WebBrowser1.SetVisible(false);
    f.WebBrowser1.SetTop(f.Bird.Top() + 2);
    f.WebBrowser1.SetLeft(f.Bird.Left() + 2);
    f.WebBrowser1.SetWidth(82 * SX);
    f.WebBrowser1.SetHeight(80 * SY);

    // 9. The camera: the device is opened while the preview is hidden; the
    // preview then covers the own avatar, raised by 2 and shortened by 7
    // scaled pixels, with the props frame around it in unscaled pixels.
    f.vcap1.SetVisible(false);
    f.vcap1.OpenDevice();
    f.vcap1.SetTop(f.Tou(0).Top() - 2 * SY);
    f.vcap1.SetLeft(f.Tou(0).Left());
    f.vcap1.SetHeight(f.Tou(0).Height() - 7 * SX);
    f.vcap1.SetWidth(f.Tou(0).Width());
    f.Proponeself.SetTop(f.vcap1.Top() - 10);
    f.Proponeself.SetLeft(f.vcap1.Left() - 10);
    f.Proponeself.SetHeight(f.vcap1.Height() + 35);
    f.Proponeself.SetWidth(f.vcap1.Width() + 15);
    f.Proponeself.SetEnabled(true);
    f.Proponeself.ZOrder(0);
    f.vcap1.SetVisible(false);

    // 10. No capture starts here: start-up defers video, and the video chat
    // starts the camera once video is on.
}

} // namespace mj::NewGame

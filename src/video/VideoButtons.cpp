// The table window's video icons: four in the strip beside every seat's
// video. The own strip: photo album, pop-out window, photo, own video off,
// with a hint box under the mouse. Every other strip: block the seat,
// pop-out window, photo, add friend (which does nothing), with tooltips.
#include "client/MainForm.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "social/Mod_Prop.h"
#include "video/Operate.h"
#include "video/Photo.h"
#include "video/VideoState.h"
#include "video/VideoWindow.h"

namespace mj {

namespace {

// Tells the props plug-in that a side's video is hidden; false when the
// plug-in was not there to tell or failed (props are then off).
bool tellHidden(int16_t side)
{
    return Mod_Prop::CallPlugin([side](Tesmora& p) { p.rec_state(2, true, side); });
}

// The pictures of icon i at rest and under the mouse.
int16_t restPicture(int i)
{
    static const int16_t own[] = {863, 851, 852, 853};
    static const int16_t other[] = {850, 851, 852, 858};
    return i < 4 ? own[i] : other[i % 4];
}

int16_t hoverPicture(int i)
{
    static const int16_t own[] = {864, 855, 856, 857};
    static const int16_t other[] = {854, 855, 856, 859};
    return i < 4 ? own[i] : other[i % 4];
}

void loadPicture(int16_t id, Image& icon)
{
    Image_Resource::LoadGifResource(id, QStringLiteral("GIF"), icon);
}

} // namespace

void MainForm::ImCmd_Click(int16_t index)
{
    if (index < 0 || index > 15)
        return;
    const int16_t side = static_cast<int16_t>(index / 4);
    switch (index % 4) {
    case 0:
        if (side == 0) {
            // The album: the photo folder in the desktop's file manager.
            if (!Photo::OpenAlbum())
                ShowSystemLine(QStringLiteral("无法打开相册。"));
            return;
        }
        // Blocking a seat: one way until its reopen icon is clicked.
        if (PeerClosed[side])
            return;
        PeerClosed[side] = true;
        PicLocal(side).SetVisible(false);
        if (vshow1(side).Visible()) {
            vshow1(side).SetVisible(false);
            ImgKuang(side).SetVisible(false);
            tellHidden(side);
        }
        if (VideoWindow* window = LoadedVideoWindow(side); window && window->Visible())
            window->Hide();
        ImgShow(side).SetVisible(true);
        return;
    case 1: {
        // The pop-out window toggles: an open one is closed.
        if (VideoWindow* window = LoadedVideoWindow(side); window && window->Visible()) {
            window->Unload();
            return;
        }
        // While video is off the own camera's picture shows nowhere.
        if (side == 0 && !VideoEnabled)
            return;
        VideoWindow& window = VideoWindowOf(side);
        window.Show();
        window.SetTopMost(true);
        window.PlaceForOpening();
        ZoomIndex = side;
        Timer_Zoom.SetEnabled(true);
        return;
    }
    case 2: {
        const QByteArray& frame = side == 0 ? OwnFrame : Operate::KeptFrame(side);
        if (Photo::SavePhoto(frame).isEmpty())
            ShowSystemLine(QStringLiteral("照相失败,照片没有保存。"));
        else
            ShowPhotoSavedMessage();
        return;
    }
    default:
        if (side != 0)
            return; // add friend: nothing
        // The own video off: the capture stops, CameraOn stays, the reopen
        // icon starts it again. While video is off there is nothing to
        // switch off, and no reopen icon to offer.
        if (!CameraOn || !VideoEnabled || !vcap1.Visible())
            return;
        vcap1.StopCapture();
        vcap1.SetVisible(false);
        PicLocal(0).SetVisible(false);
        Tiplbl.SetVisible(false);
        ImgShow(0).SetVisible(true);
        ImgShow(0).ZOrder(0);
        Tou(0).SetVisible(true);
        Tou(0).ZOrder(0);
        // The plug-in draws over the own seat while it is ready.
        if (Mod_Prop::Prop_GameDllState > 0) {
            Tou(0).SetVisible(false);
            if (!tellHidden(0))
                Tou(0).SetVisible(true);
        }
        return;
    }
}

void MainForm::ImCmd_MouseMove(int16_t index, int16_t, int16_t, float, float)
{
    if (index < 0 || index > 15)
        return;
    if (!VideoIconHover[index]) {
        VideoIconHover[index] = true;
        loadPicture(hoverPicture(index), ImCmd(index));
    }
    if (index > 3)
        return; // the platform shows the other strips' tooltips
    static const char* const hints[] = {"像册", "放大", "拍照", "视频开关"};
    Tiplbl.SetWidth((index == 3 ? 54 : 28) * ScaleX);
    Tiplbl.SetText(QString::fromUtf8(hints[index]));
    const Image& icon = ImCmd(index);
    Tiplbl.SetLeft(PicLocal(0).Left() + icon.Left() + icon.Width());
    Tiplbl.SetTop(PicLocal(0).Top() + 10 * ScaleY);
    Tiplbl.SetVisible(true);
    Tiplbl.ZOrder(0);
}

void MainForm::PicLocal_MouseMove(int16_t, int16_t, int16_t, float, float)
{
    if (Tiplbl.Visible())
        Tiplbl.SetVisible(false);
    static const int16_t order[] = {0, 1, 2, 3, 4, 5, 6, 8, 9, 10, 12, 13, 14, 7, 11, 15};
    for (int16_t i : order) {
        if (VideoIconHover[i]) {
            VideoIconHover[i] = false;
            loadPicture(restPicture(i), ImCmd(i));
        }
    }
}

void MainForm::ShowPhotoSavedMessage()
{
    ShowSystemLine(QStringLiteral("照相成功,照片保存在本机相册中。"));
}

} // namespace mj

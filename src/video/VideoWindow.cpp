#include "video/VideoWindow.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "video/VideoState.h"
#include "video/frm_Local.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

namespace mj {

namespace {

// Design twips of the three sizes: the window, and the video display's left,
// top, width and height.
struct SizeDesign {
    double width, height;
    double surfaceLeft, surfaceTop, surfaceWidth, surfaceHeight;
};
constexpr SizeDesign Sizes[3] = {
    {2625, 2070, 110, 230, 2400, 1800},
    {4140, 3225, 150, 240, 3840, 2880},
    {6510, 5115, 240, 480, 6000, 4500},
};

// The window system takes single-precision twips.
double single(double value)
{
    return static_cast<float>(value);
}

} // namespace

VideoWindow::VideoWindow(const QString& name, int16_t side)
    : Form(name)
    , vshow1(*this, QStringLiteral("vshow1"))
    , ImgCmd(*this, QStringLiteral("ImgCmd"), {0, 1, 2})
    , side_(side)
{
    SetBorderless(true);
    static const char* const tips[] = {"关闭", "放大", "缩小"};
    for (int i = 0; i <= 2; ++i) {
        Image& button = ImgCmd(i);
        button.SetStretch(true);
        Image_Resource::LoadGifResource(static_cast<int16_t>(860 + i), QStringLiteral("GIF"), button);
        button.Move(0, 0, 17 * 15, 16 * 15);
        if (side == 0)
            button.SetToolTipText(QString::fromUtf8(tips[i]));
    }
    ImgCmd.OnClick = [this](int16_t index) { ImgCmd_Click(index); };
}

void VideoWindow::Form_Load()
{
    BackPictureOffset = ScaleX < 1.0f ? 3 : 0;
    SetBackground(SizeNormal);
    vshow1.SetSetting0(true);
    vshow1.SetSetting1(true);
    size_ = SizeNormal;
    SetWindowSize(SizeNormal);
    SetSurface(SizeNormal);
    const double buttonWidth = single(225 * ScaleX);
    for (int i = 0; i <= 2; ++i) {
        Image& button = ImgCmd(i);
        button.SetWidth(buttonWidth);
        button.SetHeight(single(240 * ScaleY));
        button.SetLeft(single(Width() - vshow1.Left() - (i + 1) * buttonWidth - i * 0.5 * buttonWidth));
        button.SetTop(0);
    }
}

void VideoWindow::Form_MouseDown(int16_t button, int16_t, float, float)
{
    if (button == 1)
        StartDrag();
}

void VideoWindow::ImgCmd_Click(int16_t index)
{
    switch (index) {
    case 0:
        Unload();
        break;
    case 1:
        if (size_ == SizeSmall)
            ChangeSize(SizeNormal);
        else if (size_ == SizeNormal)
            ChangeSize(SizeLarge);
        break;
    case 2:
        if (size_ == SizeNormal)
            ChangeSize(SizeSmall);
        else if (size_ == SizeLarge)
            ChangeSize(SizeNormal);
        break;
    default:
        break;
    }
}

void VideoWindow::SetBackground(SizeIndex size)
{
    // A background that cannot be loaded leaves the one before.
    try {
        const int16_t id = static_cast<int16_t>(CInt(Image_Resource::VideoBackPicture[size]) + BackPictureOffset);
        Image_Resource::LoadGifResource(id, QStringLiteral("GIF"), *this);
    } catch (const RuntimeError&) {
    }
}

void VideoWindow::SetWindowSize(SizeIndex size)
{
    SetWidth(single(Sizes[size].width * ScaleX));
    SetHeight(single(Sizes[size].height * ScaleY));
}

void VideoWindow::SetSurface(SizeIndex size)
{
    const SizeDesign& d = Sizes[size];
    vshow1.SetWidth(single(d.surfaceWidth * ScaleX));
    vshow1.SetHeight(single(d.surfaceHeight * ScaleY));
    vshow1.SetTop(single(d.surfaceTop * ScaleY));
    vshow1.SetLeft(single(d.surfaceLeft * ScaleX));
}

void VideoWindow::ChangeSize(SizeIndex to)
{
    const SizeIndex from = size_;
    SetBackground(to);
    SetWindowSize(to);
    size_ = to;
    PlaceAfterChange();
    SetSurface(to);
    ZoomIndex = side_;
    form<MainForm>().Timer_Zoom.SetEnabled(true);

    // The buttons: each factor applies to the button's current size.
    const auto scaleButtons = [this](double numerator, double denominator) {
        for (int i = 0; i <= 2; ++i) {
            Image& button = ImgCmd(i);
            button.SetWidth(single(button.Width() * numerator / denominator));
            button.SetHeight(single(button.Height() * numerator / denominator));
        }
    };
    const auto alignRight = [this](double margin, double gap, double top) {
        ImgCmd(0).SetLeft(single(Width() - ImgCmd(0).Width() - margin * ScaleX));
        for (int i = 1; i <= 2; ++i)
            ImgCmd(i).SetLeft(single(ImgCmd(i - 1).Left() - ImgCmd(i).Width() - gap * ScaleX));
        for (int i = 0; i <= 2; ++i)
            ImgCmd(i).SetTop(single(top * ScaleY));
    };
    switch (to) {
    case SizeNormal: {
        const double lefts[] = {3750, 3380, 3000};
        for (int i = 0; i <= 2; ++i)
            ImgCmd(i).SetLeft(single(lefts[i] * ScaleX));
        if (from == SizeSmall)
            scaleButtons(3, 2);
        else
            scaleButtons(2, 3);
        for (int i = 0; i <= 2; ++i)
            ImgCmd(i).SetTop(0);
        break;
    }
    case SizeSmall:
        scaleButtons(2, 3);
        alignRight(80, 60, 30);
        break;
    case SizeLarge:
        scaleButtons(3, 2);
        alignRight(150, 60, 80);
        break;
    }
}

void VideoWindow::PlaceForOpening()
{
    const MainForm& table = form<MainForm>();
    const double ML = table.Left(), MT = table.Top(), MW = table.Width(), MH = table.Height();
    const double cx = ML + (MW - Width()) / 2, cy = MT + (MH - Height()) / 2;
    const double left[] = {cx - 0.2 * MW, cx - 0.25 * MW, cx, cx + 0.25 * MW};
    const double top = side_ == 0 ? cy + 0.2 * MH : cy - 0.2 * MH;
    SetTop(single(top));
    SetLeft(single(left[side_]));
}

void VideoWindow::PlaceAfterChange()
{
    const MainForm& table = form<MainForm>();
    const double ML = table.Left(), MT = table.Top(), MW = table.Width(), MH = table.Height();
    const double W = Width(), H = Height();
    if (size_ == SizeLarge) {
        const double left = side_ == 2 ? ML + MW - W - 0.05 * MW : ML + 0.05 * MW;
        const double top = side_ == 0 ? MT + MH - H - 0.07 * MH : MT + 0.07 * MH;
        SetLeft(single(left));
        SetTop(single(top));
        return;
    }
    const double cx = ML + (MW - W) / 2, cy = MT + (MH - H) / 2;
    const double top = side_ == 0 ? cy + 0.2 * MH : cy - 0.2 * MH;
    const double left = side_ == 2 ? cx + 0.2 * MW : cx - 0.2 * MW;
    SetTop(single(top));
    SetLeft(single(left));
}

VideoWindow& VideoWindowOf(int side)
{
    switch (side) {
    case 0: return form<frm_Local>();
    case 1: return form<frm_Remote1>();
    case 2: return form<frm_Remote2>();
    case 3: return form<frm_Remote3>();
    default: Raise(ErrSubscript);
    }
}

VideoWindow* LoadedVideoWindow(int side)
{
    switch (side) {
    case 0: return isLoaded<frm_Local>() ? &form<frm_Local>() : nullptr;
    case 1: return isLoaded<frm_Remote1>() ? &form<frm_Remote1>() : nullptr;
    case 2: return isLoaded<frm_Remote2>() ? &form<frm_Remote2>() : nullptr;
    case 3: return isLoaded<frm_Remote3>() ? &form<frm_Remote3>() : nullptr;
    default: return nullptr;
    }
}

} // namespace mj

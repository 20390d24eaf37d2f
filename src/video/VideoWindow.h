// A pop-out video window: one seat's video in a borderless window of its own
// that floats above the table, with close, enlarge and shrink buttons along
// its top edge. The four windows (frm_Local for the own camera, frm_Remote1
// to frm_Remote3 for sides 1 to 3) are built alike and differ only in their
// side, their placements and the buttons' tooltips.
//
// All geometry is in screen twips, horizontal values times ScaleX and
// vertical ones times ScaleY, computed in floating point and handed on as
// single-precision values. Each window keeps its size (small, normal,
// large) itself: a window size read back from the window system need not
// match the fractional width it was given, so the buttons never compare
// widths.
#pragma once

#include "platform/Forms.h"
#include "platform/Video.h"

#include <cstdint>

namespace mj {

class VideoWindow : public Form {
public:
    enum SizeIndex : int16_t { SizeSmall = 0, SizeNormal = 1, SizeLarge = 2 };

    VideoWindow(const QString& name, int16_t side);

    vshow vshow1;               // the side's video
    ControlArray<Image> ImgCmd; // 0 close, 1 enlarge, 2 shrink

    // 3 while ScaleX is below 1 (the backgrounds made for the small table), else 0.
    int16_t BackPictureOffset = 0;

    // 0 own, 1 to 3 the remote sides.
    int16_t Side() const { return side_; }
    // The size the window has now.
    SizeIndex CurrentSize() const { return size_; }

    // Lays the window out at the normal size; does not place it.
    void Form_Load() override;
    // A left press on the frame lets the window system move the window.
    void Form_MouseDown(int16_t button, int16_t shift, float x, float y) override;
    void ImgCmd_Click(int16_t index);

    // Places the window against the table window by its column for opening,
    // with its current size: top first, then left.
    void PlaceForOpening();

private:
    void ChangeSize(SizeIndex to);
    void PlaceAfterChange();
    void SetBackground(SizeIndex size);
    void SetWindowSize(SizeIndex size);
    void SetSurface(SizeIndex size);

    int16_t side_;
    SizeIndex size_ = SizeNormal;
};

// The pop-out window of a side (0 own, 1 to 3); loads it when it is not
// loaded. Error 9 for another side.
VideoWindow& VideoWindowOf(int side);
// The window of a side when it is loaded; nullptr otherwise (never loads).
VideoWindow* LoadedVideoWindow(int side);

} // namespace mj

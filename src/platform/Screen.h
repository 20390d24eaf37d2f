// The screen the client lays itself out on. Start-up picks its layout scale
// from the screen size, so the size can be replaced: tests set it directly,
// and a demo run can set MJ_SCREEN_SIZE=WxH (pixels) in the environment.
// Without either, it is the primary screen's size.
#pragma once

namespace mj::Screen {

// Twips per screen pixel: the layout assumes a fixed 96 DPI.
constexpr double TwipsPerPixelX = 15.0;
constexpr double TwipsPerPixelY = 15.0;

// The screen size in pixels.
int WidthPixels();
int HeightPixels();
// The screen size in twips.
double Width();
double Height();

// Replaces the screen size (pixels) until Reset().
void SetSize(int widthPixels, int heightPixels);
// Back to MJ_SCREEN_SIZE or the primary screen.
void Reset();

} // namespace mj::Screen

// The moving test pattern of the video: what the capture's pattern source
// and the relay's test peers show instead of a camera.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace mj {

inline constexpr int VideoFrameWidth = 320;
inline constexpr int VideoFrameHeight = 240;

// Frame number n of the pattern: colour bars, a square that moves with n,
// the label and the frame number; 320 x 240.
QImage TestPatternImage(int n, const QString& label);
// An image as the JPEG bytes a video frame travels as; scaled to 320 x 240
// first when it has another size.
QByteArray EncodeVideoFrame(const QImage& image);

} // namespace mj

#include "platform/TestPattern.h"

#include <QBuffer>
#include <QFont>
#include <QPainter>

namespace mj {

QImage TestPatternImage(int n, const QString& label)
{
    QImage image(VideoFrameWidth, VideoFrameHeight, QImage::Format_RGB32);
    QPainter p(&image);
    static const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    const int barWidth = VideoFrameWidth / 7 + 1;
    for (int i = 0; i < 7; ++i)
        p.fillRect(i * barWidth, 0, barWidth, VideoFrameHeight * 2 / 3, bars[i]);
    p.fillRect(0, VideoFrameHeight * 2 / 3, VideoFrameWidth, VideoFrameHeight / 3, QColor(20, 20, 40));
    // The square runs along the bars and back, 8 pixels a frame.
    const int span = VideoFrameWidth - 40;
    const int step = (n * 8) % (2 * span);
    const int x = step < span ? step : 2 * span - step;
    p.fillRect(x, 60, 40, 40, Qt::black);
    p.setPen(Qt::white);
    QFont font = p.font();
    font.setPixelSize(22);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRect(0, VideoFrameHeight * 2 / 3, VideoFrameWidth, VideoFrameHeight / 3), Qt::AlignCenter,
               label + QStringLiteral("  #") + QString::number(n));
    return image;
}

QByteArray EncodeVideoFrame(const QImage& image)
{
    const QImage frame = image.size() == QSize(VideoFrameWidth, VideoFrameHeight)
        ? image
        : image.scaled(VideoFrameWidth, VideoFrameHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    frame.save(&buffer, "JPG", 75);
    return bytes;
}

} // namespace mj

#include "Draw.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>

namespace picgen {

QFont Font(double pixelSize)
{
    QFont font(QString::fromLatin1(kFontFamily));
    font.setPixelSize(std::max(1, static_cast<int>(pixelSize + 0.5)));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QImage NewImage(int w, int h)
{
    QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

QImage NewImage(QSize size)
{
    return NewImage(size.width(), size.height());
}

void Prepare(QPainter& p)
{
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

void Glyphs(QPainter& p, const QRectF& box, const QString& text, const QColor& color,
    double pixelSize, double weight, double outline, const QColor& outlineColor)
{
    // The outline is laid out at a large size and scaled down, so small
    // pictures keep the glyph's true shape.
    constexpr double kLayoutSize = 100.0;
    QPainterPath path;
    path.addText(0, 0, Font(kLayoutSize), text);
    const QRectF ink = path.boundingRect();
    if (ink.isEmpty())
        return;
    double scale = pixelSize / kLayoutSize;
    const double spare = weight + 2 * outline;
    if (ink.width() * scale + spare > box.width())
        scale = std::max(0.01, (box.width() - spare) / ink.width());
    if (ink.height() * scale + spare > box.height())
        scale = std::max(0.01, (box.height() - spare) / ink.height());

    p.save();
    p.translate(box.center());
    p.scale(scale, scale);
    p.translate(-ink.center());
    if (outline > 0) {
        QPen halo(outlineColor, (weight + 2 * outline) / scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.strokePath(path, halo);
    }
    if (weight > 0)
        p.strokePath(path, QPen(color, weight / scale, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.fillPath(path, color);
    p.restore();
}

void Panel(QPainter& p, const QRectF& r, double radius, const QColor& top, const QColor& bottom,
    const QColor& border, double borderWidth)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    const double inset = borderWidth / 2;
    const QRectF body = r.adjusted(inset, inset, -inset, -inset);
    p.save();
    p.setBrush(g);
    if (borderWidth > 0)
        p.setPen(QPen(border, borderWidth));
    else
        p.setPen(Qt::NoPen);
    p.drawRoundedRect(body, radius, radius);
    p.restore();
}

} // namespace picgen

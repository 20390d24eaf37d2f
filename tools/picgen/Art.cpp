// Every picture that is not a tile: buttons, dice, words, bubbles, avatars,
// the compass, the video icons and backgrounds, and the design pictures of
// the windows.
#include "Draw.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QPolygonF>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>
#include <vector>

namespace picgen {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kGold(0xFF, 0xD8, 0x5A);
const QColor kDarkRed(0x7A, 0x10, 0x10);
const QColor kRed(0xD0, 0x22, 0x22);
const QColor kNavy(0x14, 0x22, 0x5E);
const QColor kLightYellow(255, 255, 192);

// Soft top highlight of a button.
void Shine(QPainter& p, const QRectF& r, double radius)
{
    QLinearGradient g(r.topLeft(), QPointF(r.left(), r.top() + r.height() * 0.5));
    g.setColorAt(0, QColor(255, 255, 255, 110));
    g.setColorAt(1, QColor(255, 255, 255, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -r.height() * 0.45), radius, radius);
    p.restore();
}

// A speech bubble outline: an ellipse and a tail towards `tip`.
QPainterPath BubblePath(const QRectF& ellipse, QPointF tip)
{
    QPainterPath body;
    body.addEllipse(ellipse);
    const QPointF c = ellipse.center();
    const QPointF d = tip - c;
    const double len = std::hypot(d.x(), d.y());
    const QPointF n(-d.y() / len, d.x() / len);
    const double base = std::min(ellipse.width(), ellipse.height()) * 0.16;
    QPainterPath tail;
    tail.moveTo(c + n * base);
    tail.lineTo(tip);
    tail.lineTo(c - n * base);
    tail.closeSubpath();
    return body.united(tail);
}

void DrawPip(QPainter& p, QPointF c, double r, const QColor& color)
{
    QRadialGradient g(c - QPointF(r * 0.3, r * 0.3), r * 1.3);
    g.setColorAt(0, color.lighter(150));
    g.setColorAt(1, color.darker(130));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, r, r);
}

// Pips of a die face laid out in the square `face`.
void DiePips(QPainter& p, const QRectF& face, int value)
{
    const double s = face.width();
    auto at = [&](double gx, double gy) { return QPointF(face.left() + s * gx, face.top() + s * gy); };
    const double r = s * (value == 1 ? 0.17 : 0.095);
    const QColor color = (value == 1 || value == 4) ? kRed : QColor(0x20, 0x20, 0x30);
    std::vector<QPointF> pips;
    const double a = 0.25, m = 0.5, b = 0.75;
    switch (value) {
    case 1: pips = {at(m, m)}; break;
    case 2: pips = {at(a, a), at(b, b)}; break;
    case 3: pips = {at(a, a), at(m, m), at(b, b)}; break;
    case 4: pips = {at(a, a), at(b, a), at(a, b), at(b, b)}; break;
    case 5: pips = {at(a, a), at(b, a), at(m, m), at(a, b), at(b, b)}; break;
    default: pips = {at(a, a), at(b, a), at(a, m), at(b, m), at(a, b), at(b, b)}; break;
    }
    for (const QPointF& c : pips)
        DrawPip(p, c, r, color);
}

// A die seen slightly from above: the top face and a shaded front side.
void DieBody(QPainter& p, const QRectF& face, double depth)
{
    const double r = face.width() * 0.18;
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    p.setBrush(QColor(0xD8, 0xD8, 0xD0));
    p.drawRoundedRect(face.adjusted(0, 0, 0, depth), r, r);
    QLinearGradient g(face.topLeft(), face.bottomRight());
    g.setColorAt(0, kWhite);
    g.setColorAt(1, QColor(0xEC, 0xEA, 0xE2));
    p.setBrush(g);
    p.setPen(QPen(QColor(0xA0, 0xA0, 0x98), 0.8));
    p.drawRoundedRect(face, r, r);
}

QColor Hsv(int h, int s, int v)
{
    return QColor::fromHsv(h % 360, s, v);
}

} // namespace

// ---- buttons ---------------------------------------------------------------

QImage ToolbarButton(const QString& caption, QSize size, ButtonLook look)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(0, 0, size.width(), size.height());
    const double radius = size.height() * 0.28;
    QColor top, bottom, border, text, halo;
    switch (look) {
    case ButtonLook::Normal:
        top = QColor(0xF6, 0xB4, 0x4A); bottom = QColor(0xC0, 0x66, 0x12);
        border = QColor(0x6E, 0x36, 0x08); text = kWhite; halo = QColor(0x6E, 0x30, 0x05);
        break;
    case ButtonLook::Hover:
        top = QColor(0xFF, 0xEC, 0x8A); bottom = QColor(0xF2, 0x9A, 0x22);
        border = QColor(0xA0, 0x50, 0x08); text = kWhite; halo = QColor(0xC0, 0x30, 0x00);
        break;
    case ButtonLook::Greyed:
        top = QColor(0xD8, 0xD8, 0xD8); bottom = QColor(0x9C, 0x9C, 0x9C);
        border = QColor(0x6A, 0x6A, 0x6A); text = QColor(0xF4, 0xF4, 0xF4); halo = QColor(0x78, 0x78, 0x78);
        break;
    }
    Panel(p, r, radius, top, bottom, border, 1.2);
    Shine(p, r, radius);
    const double px = size.height() * 0.5;
    Glyphs(p, r.adjusted(3, 2, -3, -2), caption, text, px, 0.4, 1.2, halo);
    return image;
}

QImage ClaimButton(const QString& caption, ClaimLook look)
{
    const QSize size(50, 71);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    switch (look) {
    case ClaimLook::Greyed:
        Panel(p, r, 9, QColor(0xC8, 0xC8, 0xC8), QColor(0x88, 0x88, 0x88), QColor(0x60, 0x60, 0x60), 1.5);
        Glyphs(p, r.adjusted(4, 8, -4, -8), caption, QColor(0xE8, 0xE8, 0xE8), 34, 0.8, 1.2, QColor(0x70, 0x70, 0x70));
        break;
    case ClaimLook::Lit:
        Panel(p, r, 9, QColor(0xF0, 0x4A, 0x3A), QColor(0x8E, 0x14, 0x14), kGold, 2.5);
        Shine(p, r, 9);
        Glyphs(p, r.adjusted(4, 8, -4, -8), caption, kGold, 34, 1.0, 1.6, kDarkRed);
        break;
    case ClaimLook::Hover:
        Panel(p, r, 9, QColor(0xFF, 0xE6, 0x70), QColor(0xF0, 0x8A, 0x10), kDarkRed, 2.5);
        Shine(p, r, 9);
        Glyphs(p, r.adjusted(4, 8, -4, -8), caption, kRed, 34, 1.0, 1.6, kWhite);
        break;
    }
    return image;
}

QImage DialogButton(const QString& caption, bool hover)
{
    const QSize size(65, 30);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(0, 0, size.width(), size.height());
    if (hover)
        Panel(p, r, 7, QColor(0x8C, 0xD0, 0xFF), QColor(0x2A, 0x7C, 0xD8), QColor(0x10, 0x40, 0x80), 1.2);
    else
        Panel(p, r, 7, QColor(0x5C, 0xA8, 0xEA), QColor(0x1A, 0x56, 0xA8), QColor(0x0C, 0x30, 0x66), 1.2);
    Shine(p, r, 7);
    Glyphs(p, r.adjusted(4, 3, -4, -3), caption, kWhite, 15, 0.4, 1.0, QColor(0x0C, 0x30, 0x66));
    return image;
}

QImage WarehouseButton(bool hover)
{
    const QSize size(54, 31);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(0, 0, size.width(), size.height());
    if (hover)
        Panel(p, r, 8, QColor(0xE6, 0xB0, 0xFF), QColor(0x9A, 0x40, 0xD0), QColor(0x50, 0x10, 0x70), 1.2);
    else
        Panel(p, r, 8, QColor(0xC0, 0x80, 0xE8), QColor(0x6C, 0x24, 0xA0), QColor(0x40, 0x0C, 0x5C), 1.2);
    Shine(p, r, 8);
    Glyphs(p, r.adjusted(4, 3, -4, -3), QStringLiteral("道具"), hover ? kGold : kWhite, 15, 0.4, 1.0,
        QColor(0x40, 0x0C, 0x5C));
    return image;
}

// ---- dice ------------------------------------------------------------------

QImage DieFace(int value, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    // The top face is a square; what is left below it shows the die's side.
    const double side = std::min(size.width(), size.height()) - 4.0;
    const QRectF square((size.width() - side) / 2, 1, side, side);
    DieBody(p, square, std::max(1.0, size.height() - 2.0 - square.bottom()));
    DiePips(p, square, value);
    return image;
}

QImage DieTumbling(int frame, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const double angle = 17.0 + frame * 37.0;
    const double s = 30.0 + (frame % 3) * 2.0;
    // Motion streaks behind the die.
    p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF, 120), 1.6, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre(size.width() / 2.0, size.height() / 2.0);
    for (int k = 0; k < 3; ++k)
        p.drawArc(QRectF(centre.x() - 22, centre.y() - 24, 44, 48), static_cast<int>(-(angle + 120 * k) * 16),
            50 * 16);
    p.translate(size.width() / 2.0, size.height() / 2.0);
    p.rotate(angle);
    p.shear(0.12 * ((frame % 2) ? 1 : -1), 0);
    const QRectF square(-s / 2, -s / 2, s, s);
    DieBody(p, square, 4);
    DiePips(p, square, 1 + (frame * 5) % 6);
    return image;
}

// ---- words and bubbles -----------------------------------------------------

QImage ClaimWord(const QString& word, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(1, 1, size.width() - 2, size.height() - 2);
    // A burst behind the word.
    QPolygonF star;
    const QPointF c = r.center();
    for (int k = 0; k < 24; ++k) {
        const double a = k * M_PI / 12.0;
        const double rad = (k % 2 ? 0.40 : 0.5) * r.width();
        star << c + QPointF(std::cos(a) * rad, std::sin(a) * rad);
    }
    QRadialGradient g(c, r.width() / 2);
    g.setColorAt(0, QColor(0xFF, 0xF6, 0xB0));
    g.setColorAt(1, QColor(0xFF, 0xB0, 0x20));
    p.setBrush(g);
    p.setPen(QPen(QColor(0xC0, 0x50, 0x00), 1.0));
    p.drawPolygon(star);
    const int n = word.size();
    const QRectF inner = r.adjusted(4, 4, -4, -4);
    if (n <= 2) {
        Glyphs(p, inner, word, kRed, n == 1 ? 30 : 21, n == 1 ? 1.2 : 0.9, 1.2, kWhite);
    } else {
        // Three characters: two above, the last below, so none gets tiny.
        const double half = inner.height() / 2;
        Glyphs(p, QRectF(inner.left(), inner.top() + 1, inner.width(), half - 1), word.left(n - 1), kRed, 17, 0.7,
            1.1, kWhite);
        Glyphs(p, QRectF(inner.left(), inner.top() + half, inner.width(), half - 1), word.right(1), kRed, 17, 0.7,
            1.1, kWhite);
    }
    return image;
}

QImage FollowBubble(int side, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const double w = size.width(), h = size.height();
    const QRectF ellipse(3, 14, w - 6, h * 0.62);
    // The tail points towards the seat's avatar: up-left for the left seat,
    // up for the opposite seat, up-right for the right seat.
    const QPointF tip = side == 1 ? QPointF(6, 2) : side == 2 ? QPointF(w / 2 - 8, 1) : QPointF(w - 6, 2);
    const QPainterPath path = BubblePath(ellipse, tip);
    p.setPen(QPen(QColor(0xC0, 0x60, 0x00), 2.0));
    p.setBrush(QColor(0xFF, 0xF8, 0xD8));
    p.drawPath(path);
    Glyphs(p, ellipse.adjusted(8, 6, -8, -6), QStringLiteral("跟庄"), kRed, 24, 1.0);
    return image;
}

QImage SpeechBubble(int index)
{
    const QSize size(81, 81);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    // The claim word sits at 17 % / 24 % of the bubble, 49 x 49: the round
    // part is centred under it.
    const QRectF ellipse(6, 14, 70, 62);
    const QPointF tip = index == 0 ? QPointF(2, 2) : index == 1 ? QPointF(14, 1) : QPointF(79, 2);
    p.setPen(QPen(QColor(0x40, 0x60, 0x90), 2.0));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawPath(BubblePath(ellipse, tip));
    return image;
}

// ---- avatars and compass ---------------------------------------------------

QImage Avatar(bool male, int number)
{
    const QSize size(85, 90);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const int n = number - 1; // 0..9
    // Background and clothes vary by number; hair by look.
    const QColor back = Hsv(male ? 200 + n * 17 : 320 + n * 19, 70, 235);
    const QColor shirt = Hsv(male ? 210 + n * 41 : 330 + n * 37, 170, 200);
    static const QColor hairs[] = {QColor(0x20, 0x18, 0x10), QColor(0x3A, 0x24, 0x10), QColor(0x10, 0x10, 0x18),
        QColor(0x6A, 0x40, 0x18), QColor(0x2A, 0x20, 0x30)};
    const QColor hair = hairs[n % 5];
    const QColor skin = Hsv(28, 60 + (n % 3) * 12, 250 - (n % 4) * 6);

    QLinearGradient bg(0, 0, 0, size.height());
    bg.setColorAt(0, back.lighter(115));
    bg.setColorAt(1, back.darker(110));
    p.setPen(QPen(back.darker(160), 1.0));
    p.setBrush(bg);
    p.drawRoundedRect(QRectF(0.5, 0.5, 84, 89), 6, 6);

    const QPointF head(42.5, 40);
    // Long hair falls behind the shoulders.
    if (!male) {
        p.setPen(Qt::NoPen);
        p.setBrush(hair);
        p.drawRoundedRect(QRectF(18, 22, 49, 50 + (n % 3) * 3), 18, 18);
    }
    // Shoulders and shirt.
    p.setPen(QPen(shirt.darker(140), 1.0));
    p.setBrush(shirt);
    QPainterPath body;
    body.moveTo(8, 90);
    body.cubicTo(10, 70, 24, 64, 42.5, 64);
    body.cubicTo(61, 64, 75, 70, 77, 90);
    body.closeSubpath();
    p.drawPath(body);
    // Neck and head.
    p.setBrush(skin);
    p.setPen(QPen(skin.darker(130), 0.8));
    p.drawRect(QRectF(37, 54, 11, 12));
    p.drawEllipse(head, 19, 22);
    // Hair on top.
    p.setPen(Qt::NoPen);
    p.setBrush(hair);
    QPainterPath top;
    if (male) {
        top.moveTo(23, 38);
        top.cubicTo(21, 16, 38, 13, 44, 14);
        top.cubicTo(58, 14, 66, 22, 62, 38);
        top.cubicTo(58, 27, 50 - (n % 3) * 4, 24, 40, 27);
        top.cubicTo(32, 29, 26, 31, 23, 38);
    } else {
        top.moveTo(23, 44);
        top.cubicTo(18, 16, 40, 12, 46, 16);
        top.cubicTo(64, 18, 68, 32, 62, 46);
        top.cubicTo(58, 30, 48, 28, 42, 24);
        top.cubicTo(36, 30, 28, 34, 23, 44);
        // A ribbon in some looks.
        if (n % 2 == 0) {
            p.save();
            p.setBrush(Hsv(n * 53, 200, 240));
            p.drawEllipse(QPointF(57, 22), 5.5, 4);
            p.restore();
        }
    }
    p.drawPath(top);
    // Eyes, cheeks and mouth.
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawEllipse(QPointF(35.5, 42), 2.2, 2.6);
    p.drawEllipse(QPointF(49.5, 42), 2.2, 2.6);
    if (!male) {
        p.setBrush(QColor(255, 120, 120, 90));
        p.drawEllipse(QPointF(31, 50), 3.5, 2.2);
        p.drawEllipse(QPointF(54, 50), 3.5, 2.2);
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xA0, 0x30, 0x30), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(37, 46, 11, 8), 200 * 16, 140 * 16);
    if (male && n % 3 == 1) { // glasses
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1.2));
        p.drawEllipse(QPointF(35.5, 42), 5, 4.2);
        p.drawEllipse(QPointF(49.5, 42), 5, 4.2);
        p.drawLine(QPointF(40.5, 42), QPointF(44.5, 42));
    }
    return image;
}

QImage Compass(int ownSeat)
{
    const QSize size(81, 79);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QPointF c(40.5, 39.5);
    QRadialGradient g(c, 39);
    g.setColorAt(0, QColor(0x8A, 0x5A, 0x2A));
    g.setColorAt(1, QColor(0x4A, 0x2A, 0x10));
    p.setPen(QPen(kGold, 2.0));
    p.setBrush(g);
    p.drawEllipse(c, 38.5, 37.5);
    p.setPen(QPen(QColor(0xFF, 0xD8, 0x5A, 150), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(c, 14, 14);
    // A pointer from the centre to the own seat's wind.
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    QPolygonF arrow;
    arrow << c + QPointF(0, 16) << c + QPointF(-6, 2) << c + QPointF(6, 2);
    p.drawPolygon(arrow);
    p.setBrush(kGold);
    p.drawEllipse(c, 3, 3);

    static const QString winds = QStringLiteral("东南西北");
    // Own seat at the bottom; play passes to the right, the opposite and the
    // left seat, which hold the next winds in turn.
    const QPointF places[] = {c + QPointF(0, 25), c + QPointF(25, 0), c + QPointF(0, -25), c + QPointF(-25, 0)};
    for (int k = 0; k < 4; ++k) {
        const QString wind = winds.mid((ownSeat + k) % 4, 1);
        const QRectF box(places[k].x() - 11, places[k].y() - 11, 22, 22);
        if (k == 0) {
            p.setPen(QPen(kGold, 1.0));
            p.setBrush(kRed);
            p.drawEllipse(box.center(), 11, 11);
        }
        Glyphs(p, box.adjusted(2, 2, -2, -2), wind, k == 0 ? kWhite : kGold, 17, 0.6);
    }
    return image;
}

// ---- video -----------------------------------------------------------------

QImage VideoIconPicture(VideoIcon icon, bool hover, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const double w = size.width(), h = size.height();
    const QRectF r(0, 0, w, h);
    if (hover)
        Panel(p, r, 3, QColor(0xD8, 0xF0, 0xFF), QColor(0x70, 0xB8, 0xFF), QColor(0x1E, 0x60, 0xC0), 1.0);
    else
        Panel(p, r, 3, QColor(0xF2, 0xF2, 0xF2), QColor(0xC4, 0xC4, 0xC4), QColor(0x70, 0x70, 0x70), 1.0);
    const QColor ink = hover ? QColor(0x08, 0x40, 0xB0) : QColor(0x40, 0x40, 0x48);
    const QPointF c(w / 2, h / 2);
    QPen pen(ink, 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (icon) {
    case VideoIcon::Webcam:
        p.setBrush(ink);
        p.drawEllipse(QPointF(c.x(), h * 0.42), 4.2, 4.2);
        p.setBrush(hover ? QColor(0xB0, 0xE0, 0xFF) : kWhite);
        p.drawEllipse(QPointF(c.x(), h * 0.42), 1.8, 1.8);
        p.drawLine(QPointF(c.x(), h * 0.42 + 4.2), QPointF(c.x(), h - 3));
        p.drawLine(QPointF(c.x() - 3.5, h - 2.5), QPointF(c.x() + 3.5, h - 2.5));
        break;
    case VideoIcon::Magnifier:
        p.drawEllipse(QPointF(w * 0.42, h * 0.42), 3.6, 3.6);
        p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(w * 0.42 + 2.8, h * 0.42 + 2.8), QPointF(w - 3.5, h - 2.5));
        break;
    case VideoIcon::Camera:
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(2.5, 4, w - 5, h - 6.5), 1.5, 1.5);
        p.drawRect(QRectF(w * 0.38, 2.5, w * 0.24, 1.5));
        p.setBrush(hover ? QColor(0xB0, 0xE0, 0xFF) : kWhite);
        p.drawEllipse(QPointF(c.x(), h * 0.58), 2.6, 2.6);
        break;
    case VideoIcon::Notes:
        p.setBrush(ink);
        p.drawEllipse(QPointF(w * 0.3, h - 4), 2.2, 1.7);
        p.drawEllipse(QPointF(w * 0.72, h - 5), 2.2, 1.7);
        p.setPen(QPen(ink, 1.3));
        p.drawLine(QPointF(w * 0.3 + 2, h - 4), QPointF(w * 0.3 + 2, 3));
        p.drawLine(QPointF(w * 0.72 + 2, h - 5), QPointF(w * 0.72 + 2, 2));
        p.setPen(QPen(ink, 2.0));
        p.drawLine(QPointF(w * 0.3 + 2, 3), QPointF(w * 0.72 + 2, 2));
        break;
    case VideoIcon::Friends:
        p.setBrush(ink);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(w * 0.36, h * 0.34), 2.4, 2.4);
        p.drawPie(QRectF(w * 0.36 - 4.5, h * 0.58, 9, 9), 0, 180 * 16);
        p.setBrush(ink.lighter(150));
        p.drawEllipse(QPointF(w * 0.68, h * 0.38), 2.2, 2.2);
        p.drawPie(QRectF(w * 0.68 - 4, h * 0.62, 8, 8), 0, 180 * 16);
        break;
    case VideoIcon::Close:
        p.setPen(QPen(ink, 1.8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.5, 4.5), QPointF(w - 4.5, h - 4.5));
        p.drawLine(QPointF(w - 4.5, 4.5), QPointF(4.5, h - 4.5));
        break;
    case VideoIcon::Enlarge:
        p.drawRect(QRectF(4, 4, w - 8, h - 8));
        p.drawLine(QPointF(4, 5), QPointF(w - 4, 5));
        break;
    case VideoIcon::Shrink:
        p.setPen(QPen(ink, 2.0, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(4.5, h - 5), QPointF(w - 4.5, h - 5));
        break;
    case VideoIcon::Album:
        p.setBrush(hover ? QColor(0xB0, 0xE0, 0xFF) : QColor(0x90, 0xB0, 0xD0));
        p.drawRect(QRectF(2.5, 2.5, w - 5, h - 6.5));
        p.drawLine(QPointF(c.x(), h - 4), QPointF(c.x(), h - 2.5));
        p.drawLine(QPointF(c.x() - 3, h - 2), QPointF(c.x() + 3, h - 2));
        break;
    }
    return image;
}

QImage VideoBackground(QSize size, double scale, int fieldLeft, int fieldTop, int fieldW, int fieldH)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    Prepare(p);
    // Light wood with a fine grain.
    QLinearGradient g(0, 0, size.width(), size.height());
    g.setColorAt(0, QColor(0xE8, 0xC8, 0x90));
    g.setColorAt(1, QColor(0xC8, 0x98, 0x58));
    p.fillRect(image.rect(), g);
    Lcg rng(0x5eedu + static_cast<uint32_t>(size.width()));
    for (int y = 0; y < size.height(); y += 2) {
        const int shade = rng.Below(24);
        p.setPen(QPen(QColor(0x8A, 0x5A, 0x20, 18 + shade), 1.0));
        p.drawLine(QPointF(0, y + 0.5), QPointF(size.width(), y + 0.5 + rng.Below(3) - 1));
    }
    // The band at the top that carries the buttons.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9A, 0x6A, 0x30, 90));
    p.drawRect(QRectF(0, 0, size.width(), fieldTop * scale - 2));
    // The black field under the video display.
    const QRectF field(fieldLeft * scale, fieldTop * scale, fieldW * scale, fieldH * scale);
    p.setPen(QPen(QColor(0x60, 0x40, 0x18), 2.0));
    p.setBrush(Qt::black);
    p.drawRect(field.adjusted(-1, -1, 1, 1));
    p.setPen(QPen(QColor(0x5A, 0x38, 0x10), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, size.width() - 2, size.height() - 2));
    return image;
}

// ---- design pictures of the windows ----------------------------------------

namespace {

// A seat's place on the table: a darker, gold-edged field.
void SeatPanel(QPainter& p, const QRectF& r)
{
    p.save();
    p.setPen(QPen(QColor(0xE0, 0xC0, 0x60, 110), 1.2));
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    p.restore();
}

// The slot of a seat's avatar, showing an empty seat until a player's
// portrait covers it.
void AvatarSlot(QPainter& p, const QRectF& r)
{
    p.save();
    p.setPen(QPen(QColor(0xE0, 0xC0, 0x60, 150), 1.5));
    p.setBrush(QColor(0x10, 0x28, 0x18, 200));
    p.drawRoundedRect(r.adjusted(-1.5, -1.5, 1.5, 1.5), 5, 5);
    p.setClipRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x80, 0xA0, 0x88, 110));
    const double w = r.width(), h = r.height();
    p.drawEllipse(QPointF(r.center().x(), r.top() + h * 0.40), w * 0.19, h * 0.21);
    p.drawEllipse(QRectF(r.left() + w * 0.18, r.top() + h * 0.68, w * 0.64, h * 0.6));
    p.restore();
}

} // namespace

QImage TableBackground(QSize size)
{
    const QSize design(1024, 768);
    QImage image(design, QImage::Format_RGB32);
    {
        QPainter p(&image);
        Prepare(p);
        QRadialGradient felt(QPointF(512, 360), 620);
        felt.setColorAt(0, QColor(0x2E, 0x8A, 0x52));
        felt.setColorAt(1, QColor(0x14, 0x50, 0x2C));
        p.fillRect(QRect(0, 0, 1024, 768), felt);
    }
    // Felt grain: a faint deterministic speckle.
    Lcg rng(20240601u);
    for (int y = 0; y < design.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < design.width(); ++x) {
            const int d = rng.Below(7) - 3;
            const QRgb c = line[x];
            line[x] = qRgb(qRed(c), std::clamp(qGreen(c) + d, 0, 255), qBlue(c));
        }
    }
    {
        QPainter p(&image);
        Prepare(p);
        // The playing area, marked by a thin gold line.
        p.setPen(QPen(QColor(0xE0, 0xC0, 0x60, 120), 2.0));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(120, 112, 784, 530), 24, 24);
        // A faint emblem in the middle of the playing area, under the walls.
        const QPointF middle(512, 377);
        p.setPen(QPen(QColor(0xE0, 0xC0, 0x60, 45), 3.0));
        p.drawEllipse(middle, 92, 92);
        p.setPen(QPen(QColor(0xE0, 0xC0, 0x60, 35), 1.5));
        p.drawEllipse(middle, 80, 80);
        Glyphs(p, QRectF(middle.x() - 66, middle.y() - 22, 132, 44), QStringLiteral("霁川杠兹"),
            QColor(0xE0, 0xC0, 0x60, 40), 34, 0.5);
        // The three other seats along the top: the avatar (or the video frame
        // that replaces it) on the left, name, coins and level on the right.
        const QRectF seats[] = {{2, 4, 334, 104}, {340, 4, 336, 104}, {681, 4, 340, 104}};
        const double avatarLeft[] = {7, 350, 693};
        for (int k = 0; k < 3; ++k) {
            SeatPanel(p, seats[k]);
            AvatarSlot(p, QRectF(avatarLeft[k], 15, 70, 62));
        }
        // The bottom panel that holds the messages, the chat line and the
        // toolbar.
        QLinearGradient wood(0, 652, 0, 768);
        wood.setColorAt(0, QColor(0x6A, 0x3C, 0x18));
        wood.setColorAt(1, QColor(0x3A, 0x1E, 0x0A));
        p.setPen(Qt::NoPen);
        p.setBrush(wood);
        p.drawRect(QRectF(0, 652, 1024, 116));
        p.setPen(QPen(QColor(0xE0, 0xB0, 0x50), 2.0));
        p.drawLine(QPointF(0, 652), QPointF(1024, 652));
        // Wells behind the message lines and the chat line.
        p.setPen(QPen(QColor(0x20, 0x10, 0x04), 1.0));
        p.setBrush(QColor(0x24, 0x14, 0x08));
        p.drawRoundedRect(QRectF(308, 691, 289, 32), 3, 3);
        p.drawRoundedRect(QRectF(314, 726, 252, 24), 3, 3);
        // The chat button under the transparent hot spot at (594, 694).
        Panel(p, QRectF(594, 694, 25, 33), 4, QColor(0x8C, 0xD0, 0xFF), QColor(0x2A, 0x6C, 0xC8),
            QColor(0x10, 0x30, 0x70), 1.0);
        Glyphs(p, QRectF(596, 697, 21, 27), QStringLiteral("聊"), kWhite, 16, 0.4);
        // The own seat: avatar at the left, name, coins and level beside it.
        SeatPanel(p, QRectF(4, 660, 302, 104));
        AvatarSlot(p, QRectF(10, 668, 85, 90));
    }
    if (size == design)
        return image;
    return image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QImage WindowSkin()
{
    // 46 x 220: a 20-pixel title strip on top, 8-pixel borders elsewhere.
    QImage image(46, 220, QImage::Format_RGB32);
    QPainter p(&image);
    Prepare(p);
    QLinearGradient frame(0, 0, 46, 0);
    frame.setColorAt(0, QColor(0x1A, 0x3E, 0x78));
    frame.setColorAt(0.5, QColor(0x2C, 0x5A, 0xA0));
    frame.setColorAt(1, QColor(0x1A, 0x3E, 0x78));
    p.fillRect(image.rect(), frame);
    QLinearGradient title(0, 0, 0, 20);
    title.setColorAt(0, QColor(0x5A, 0x8E, 0xD8));
    title.setColorAt(1, QColor(0x1E, 0x4A, 0x90));
    p.fillRect(QRect(0, 0, 46, 20), title);
    p.setPen(QColor(0x0C, 0x20, 0x44));
    p.drawRect(QRect(0, 0, 45, 219));
    // Inner edge lines where the table picture meets the frame.
    p.setPen(QColor(0x90, 0xB8, 0xF0));
    p.drawLine(7, 19, 38, 19);
    p.drawLine(7, 19, 7, 212);
    p.drawLine(38, 19, 38, 212);
    p.drawLine(7, 212, 38, 212);
    return image;
}

QImage TitleButton(bool close, int state)
{
    const QSize size(18, 16);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF r(0, 0, size.width(), size.height());
    QColor top, bottom;
    if (state == 2) {
        top = close ? QColor(0xFF, 0x90, 0x80) : QColor(0x9C, 0xCC, 0xFF);
        bottom = close ? QColor(0xD0, 0x30, 0x20) : QColor(0x3A, 0x7A, 0xD8);
    } else if (state == 3) {
        top = close ? QColor(0x90, 0x20, 0x10) : QColor(0x1A, 0x40, 0x80);
        bottom = close ? QColor(0xC0, 0x40, 0x30) : QColor(0x30, 0x60, 0xA8);
    } else {
        top = QColor(0x6A, 0x9A, 0xE0);
        bottom = QColor(0x24, 0x50, 0x98);
    }
    Panel(p, r, 3, top, bottom, QColor(0x0C, 0x20, 0x44), 1.0);
    p.setPen(QPen(kWhite, 1.8, Qt::SolidLine, Qt::RoundCap));
    if (close) {
        p.drawLine(QPointF(5.5, 4.5), QPointF(12.5, 11.5));
        p.drawLine(QPointF(12.5, 4.5), QPointF(5.5, 11.5));
    } else {
        p.drawLine(QPointF(5, 11), QPointF(13, 11));
    }
    return image;
}

QImage ReadyMark()
{
    const QSize size(45, 61);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    // A green badge with a tick, over a ribbon reading 准备.
    QRadialGradient g(QPointF(20, 18), 24);
    g.setColorAt(0, QColor(0x8C, 0xF0, 0x8C));
    g.setColorAt(1, QColor(0x18, 0x90, 0x30));
    p.setPen(QPen(QColor(0x0C, 0x50, 0x18), 1.5));
    p.setBrush(g);
    p.drawEllipse(QPointF(22.5, 21), 20, 20);
    p.setPen(QPen(kWhite, 4.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPolygonF tick;
    tick << QPointF(12, 21) << QPointF(20, 29) << QPointF(33, 13);
    p.drawPolyline(tick);
    Panel(p, QRectF(2, 42, 41, 18), 4, QColor(0xF0, 0x50, 0x40), QColor(0xA0, 0x18, 0x10), kGold, 1.2);
    Glyphs(p, QRectF(4, 43, 37, 16), QStringLiteral("准备"), kGold, 13, 0.3);
    return image;
}

QImage BankerPlate()
{
    const QSize size(71, 25);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    Panel(p, QRectF(0, 0, 71, 25), 5, QColor(0xE8, 0x40, 0x30), QColor(0x90, 0x10, 0x10), kGold, 1.2);
    Glyphs(p, QRectF(3, 2, 36, 21), QStringLiteral("庄家"), kGold, 15, 0.4);
    // The banker's wind character is shown over this square by its own label.
    p.setPen(QPen(kGold, 1.0));
    p.setBrush(QColor(0x60, 0x08, 0x08));
    p.drawRoundedRect(QRectF(41.5, 1.5, 27, 22), 3, 3);
    return image;
}

QImage ShufflePlate()
{
    const QSize size(185, 35);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    // A plain plate: the notice's text is written over its middle.
    Panel(p, QRectF(0, 0, 185, 35), 10, QColor(0x50, 0x90, 0xE0), QColor(0x18, 0x40, 0x90), kGold, 1.5);
    return image;
}

QImage RulePlate(const QString& caption)
{
    const QSize size(80, 29);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    Panel(p, QRectF(0, 0, 80, 29), 6, QColor(0x40, 0x30, 0x20), QColor(0x20, 0x14, 0x08), kGold, 1.2);
    Glyphs(p, QRectF(3, 3, 46, 23), caption, kGold, 14, 0.3);
    p.setPen(QPen(QColor(0xFF, 0xD8, 0x5A, 140), 1.0));
    p.drawLine(QPointF(51.5, 5), QPointF(51.5, 24));
    return image;
}

QImage TurnClock()
{
    const QSize size(81, 38);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    Panel(p, QRectF(0, 0, 81, 38), 9, QColor(0x30, 0x30, 0x40), QColor(0x10, 0x10, 0x18), kGold, 1.2);
    // An alarm clock on the left; the seconds are shown by a label at the right.
    const QPointF c(22, 20);
    p.setPen(QPen(kGold, 1.5));
    p.setBrush(kWhite);
    p.drawEllipse(c, 13, 13);
    p.setBrush(kGold);
    p.drawEllipse(QPointF(12, 6), 4, 3);
    p.drawEllipse(QPointF(32, 6), 4, 3);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(0, -9));
    p.drawLine(c, c + QPointF(6, 3));
    p.setPen(QPen(kGold, 1.0));
    p.setBrush(QColor(0x04, 0x04, 0x08));
    p.drawRoundedRect(QRectF(45.5, 4.5, 31, 29), 4, 4);
    return image;
}

QImage Mascot()
{
    const QSize size(82, 80);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    // A round little bird on a bamboo stem.
    p.setPen(QPen(QColor(0x10, 0x50, 0x20), 1.0));
    p.setBrush(QColor(0x2A, 0x90, 0x40));
    p.drawRoundedRect(QRectF(6, 62, 70, 7), 3, 3);
    QRadialGradient body(QPointF(36, 36), 30);
    body.setColorAt(0, QColor(0xFF, 0xE0, 0x70));
    body.setColorAt(1, QColor(0xF0, 0x90, 0x10));
    p.setPen(QPen(QColor(0xA0, 0x50, 0x00), 1.5));
    p.setBrush(body);
    p.drawEllipse(QPointF(40, 38), 25, 23);
    p.setBrush(QColor(0xF8, 0xB0, 0x30));
    p.drawEllipse(QPointF(30, 42), 11, 8);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    p.drawEllipse(QPointF(50, 31), 3, 3.5);
    p.setBrush(kWhite);
    p.drawEllipse(QPointF(51, 30), 1, 1);
    p.setBrush(QColor(0xE0, 0x40, 0x10));
    QPolygonF beak;
    beak << QPointF(62, 34) << QPointF(72, 37) << QPointF(62, 40);
    p.drawPolygon(beak);
    p.setPen(QPen(QColor(0xA0, 0x50, 0x00), 2.0));
    p.drawLine(QPointF(35, 60), QPointF(34, 64));
    p.drawLine(QPointF(45, 60), QPointF(46, 64));
    return image;
}

QImage VideoFrame()
{
    const QSize size(126, 105);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    QLinearGradient g(0, 0, 126, 105);
    g.setColorAt(0, QColor(0xE8, 0xC8, 0x90));
    g.setColorAt(1, QColor(0xB0, 0x80, 0x40));
    QPainterPath ring;
    ring.addRoundedRect(QRectF(0.5, 0.5, 125, 104), 6, 6);
    QPainterPath hole;
    hole.addRect(QRectF(5, 5, 116, 95));
    p.setPen(QPen(QColor(0x60, 0x40, 0x10), 1.0));
    p.setBrush(g);
    p.drawPath(ring.subtracted(hole));
    p.setBrush(Qt::black);
    p.drawRect(QRectF(5, 5, 116, 95));
    return image;
}

QImage PhraseBar()
{
    const QSize size(394, 39);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    Panel(p, QRectF(0, 0, 394, 39), 6, QColor(0x7A, 0x4A, 0x20), QColor(0x40, 0x20, 0x08), kGold, 1.2);
    // The two phrase words under their hot spots.
    Panel(p, QRectF(8, 5, 57, 13), 3, QColor(0x8C, 0xD0, 0xFF), QColor(0x2A, 0x6C, 0xC8), QColor(0x10, 0x30, 0x70), 0.8);
    Panel(p, QRectF(8, 21, 57, 13), 3, QColor(0x8C, 0xD0, 0xFF), QColor(0x2A, 0x6C, 0xC8), QColor(0x10, 0x30, 0x70), 0.8);
    Glyphs(p, QRectF(9, 5, 55, 13), QStringLiteral("短语1"), kWhite, 11, 0.2);
    Glyphs(p, QRectF(9, 21, 55, 13), QStringLiteral("短语2"), kWhite, 11, 0.2);
    return image;
}

QImage ReopenIcon()
{
    QImage image = VideoIconPicture(VideoIcon::Webcam, false, QSize(16, 14));
    QPainter p(&image);
    Prepare(p);
    p.setPen(QPen(QColor(0x10, 0x90, 0x30), 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 2.5), QPointF(12, 7.5));
    p.drawLine(QPointF(9.5, 5), QPointF(14.5, 5));
    return image;
}

QImage HandCursor()
{
    // A pointing hand, its finger tip at the top-left corner (the cursor's hot spot).
    QImage image = NewImage(32, 32);
    QPainter p(&image);
    Prepare(p);
    QPainterPath hand;
    hand.moveTo(1, 1);
    hand.cubicTo(1, -1, 6, -1, 6, 1);
    hand.lineTo(6, 10);
    hand.cubicTo(6, 8, 10, 8, 10, 10);
    hand.cubicTo(10, 8, 14, 8, 14, 11);
    hand.cubicTo(14, 9, 18, 9, 18, 12);
    hand.lineTo(18, 19);
    hand.cubicTo(18, 24, 15, 27, 11, 27);
    hand.lineTo(8, 27);
    hand.cubicTo(5, 27, 3, 25, 1, 22);
    hand.lineTo(-2, 16);
    hand.cubicTo(-3, 13, 0, 12, 1, 14);
    hand.closeSubpath();
    p.translate(4, 2);
    p.setPen(QPen(Qt::black, 1.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(kWhite);
    p.drawPath(hand);
    p.drawLine(QPointF(6, 10), QPointF(6, 16));
    p.drawLine(QPointF(10, 10), QPointF(10, 16));
    p.drawLine(QPointF(14, 11), QPointF(14, 16));
    return image;
}

QImage DialogBackground(QSize size, const QString& title)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    Prepare(p);
    QLinearGradient g(0, 0, 0, size.height());
    g.setColorAt(0, QColor(0x2A, 0x5C, 0x70));
    g.setColorAt(1, QColor(0x10, 0x30, 0x40));
    p.fillRect(image.rect(), g);
    p.setPen(QPen(QColor(0x90, 0xD0, 0xE0), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(1, 1, size.width() - 2, size.height() - 2));
    p.setPen(QPen(QColor(0x90, 0xD0, 0xE0, 90), 1.0));
    p.drawRect(QRectF(4.5, 4.5, size.width() - 9, size.height() - 9));
    if (!title.isEmpty()) {
        QLinearGradient t(0, 0, 0, 24);
        t.setColorAt(0, QColor(0x4A, 0x90, 0xA8));
        t.setColorAt(1, QColor(0x1E, 0x50, 0x68));
        p.fillRect(QRectF(2, 2, size.width() - 4, 22), t);
        Glyphs(p, QRectF(8, 3, 120, 20), title, kLightYellow, 14, 0.3);
    }
    return image;
}

QImage ChatWindowBackground(QSize size, const QString& title, int stripHeight)
{
    QImage image = DialogBackground(size, QString());
    QPainter p(&image);
    Prepare(p);
    // The title strip that closes the window when clicked: the title at the
    // left, a close mark at the right.
    QLinearGradient t(0, 0, 0, stripHeight);
    t.setColorAt(0, QColor(0x4A, 0x90, 0xA8));
    t.setColorAt(1, QColor(0x1E, 0x50, 0x68));
    p.fillRect(QRectF(2, 2, size.width() - 4, stripHeight - 2), t);
    Glyphs(p, QRectF(10, 2, 60, stripHeight - 3), title, kLightYellow, stripHeight - 4, 0.2);
    const double x = size.width() - 16, y = 4, d = stripHeight - 9;
    p.setPen(QPen(kLightYellow, 1.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(x, y), QPointF(x + d, y + d));
    p.drawLine(QPointF(x + d, y), QPointF(x, y + d));
    return image;
}

QImage RulesBackground(QSize size)
{
    QImage image = DialogBackground(size, QString());
    QPainter p(&image);
    Prepare(p);
    // A band behind the title, a rule under it, and a lighter panel behind
    // the text.
    Panel(p, QRectF(40, 26, size.width() - 80, 28), 8, QColor(0x4A, 0x90, 0xA8), QColor(0x1E, 0x50, 0x68),
        QColor(0x90, 0xD0, 0xE0), 1.0);
    p.setPen(QPen(QColor(0x90, 0xD0, 0xE0, 160), 1.0));
    p.drawLine(QPointF(14, 55.5), QPointF(size.width() - 14, 55.5));
    p.fillRect(QRectF(12, 58, size.width() - 24, size.height() - 70), QColor(0x0C, 0x28, 0x36, 140));
    return image;
}

QImage SettingsLabel(const QString& caption)
{
    const QSize size(91, 35);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    Panel(p, QRectF(0, 0, 91, 35), 6, QColor(0x40, 0x80, 0x98), QColor(0x18, 0x44, 0x58),
        QColor(0x90, 0xD0, 0xE0), 1.0);
    Glyphs(p, QRectF(4, 4, 83, 27), caption, kLightYellow, 15, 0.3);
    return image;
}

QImage SheetBackground(QSize size, const QString& title, const QRect& button1, const QRect& button2)
{
    QImage image = DialogBackground(size, title);
    QPainter p(&image);
    Prepare(p);
    // The two close buttons that the click areas lie over: minimise and close.
    for (int k = 0; k < 2; ++k) {
        const QRectF r = k == 0 ? QRectF(button1) : QRectF(button2);
        Panel(p, r, 3, k == 0 ? QColor(0x9C, 0xCC, 0xFF) : QColor(0xFF, 0x90, 0x80),
            k == 0 ? QColor(0x3A, 0x7A, 0xD8) : QColor(0xD0, 0x30, 0x20), QColor(0x0C, 0x20, 0x44), 1.0);
        p.setPen(QPen(kWhite, 1.8, Qt::SolidLine, Qt::RoundCap));
        const QPointF c = r.center();
        if (k == 0) {
            p.drawLine(c + QPointF(-4, 4), c + QPointF(4, 4));
        } else {
            p.drawLine(c + QPointF(-4, -4), c + QPointF(4, 4));
            p.drawLine(c + QPointF(4, -4), c + QPointF(-4, 4));
        }
    }
    return image;
}

} // namespace picgen

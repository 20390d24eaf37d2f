// Tile pictures. A tile is ivory on its face and green on its back. Faces are
// painted once on an upright 40 x 50 design face and mapped into each view's
// face area: upright for the own seat, turned a quarter to the right for the
// left seat (the top of the face points away from that player, towards the
// table's centre), a quarter to the left for the right seat, and upside down
// for the opposite seat. Lying tiles show their near edge (ivory face layer
// over the green back layer) below the face, as seen from the own seat.
#include "Draw.h"

#include <QLinearGradient>
#include <QPainterPath>

#include <algorithm>
#include <vector>

namespace picgen {

namespace {

const QColor kIvoryTop(0xFD, 0xFA, 0xEE);
const QColor kIvoryBottom(0xEE, 0xE6, 0xCC);
const QColor kIvoryEdge(0xD8, 0xCD, 0xA8);
const QColor kGreen(0x1F, 0x8A, 0x55);
const QColor kGreenDark(0x12, 0x5C, 0x38);
const QColor kGreenLight(0x3F, 0xB0, 0x78);
const QColor kOutline(0x5A, 0x55, 0x45);

const QColor kInk(0x14, 0x22, 0x5E);   // numerals and winds
const QColor kRed(0xC8, 0x1E, 0x1E);
const QColor kGreenInk(0x0E, 0x7A, 0x35);
const QColor kBlue(0x1C, 0x4C, 0xA8);

constexpr double kDesignW = 40.0;
constexpr double kDesignH = 50.0;

// ---- face designs on the upright 40 x 50 face ------------------------------

void Dot(QPainter& p, QPointF c, double r, const QColor& color)
{
    p.setPen(QPen(color.darker(140), 0.6));
    p.setBrush(color);
    p.drawEllipse(c, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(kIvoryTop);
    p.drawEllipse(c, r * 0.66, r * 0.66);
    p.setBrush(color);
    p.drawEllipse(c, r * 0.42, r * 0.42);
    p.setBrush(kIvoryTop);
    p.drawEllipse(c, r * 0.13, r * 0.13);
}

void BigDot(QPainter& p)
{
    const QPointF c(20, 25);
    const QColor rings[] = {kBlue, kIvoryTop, kRed, kIvoryTop, kGreenInk, kIvoryTop, kRed};
    const double radii[] = {16.5, 14.0, 12.5, 9.0, 7.5, 4.5, 3.0};
    for (int i = 0; i < 7; ++i) {
        p.setPen(i == 0 ? QPen(kBlue.darker(140), 0.8) : Qt::NoPen);
        p.setBrush(rings[i]);
        p.drawEllipse(c, radii[i], radii[i]);
    }
    // Petals between the outer rings.
    p.setBrush(kGreenInk);
    p.setPen(Qt::NoPen);
    for (int k = 0; k < 8; ++k) {
        p.save();
        p.translate(c);
        p.rotate(45.0 * k);
        p.drawEllipse(QPointF(0, -10.75), 1.4, 1.2);
        p.restore();
    }
}

void Dots(QPainter& p, int rank)
{
    struct D {
        double x, y, r;
        QColor c;
    };
    std::vector<D> dots;
    switch (rank) {
    case 1:
        BigDot(p);
        return;
    case 2:
        dots = {{20, 13, 8.5, kGreenInk}, {20, 37, 8.5, kBlue}};
        break;
    case 3:
        dots = {{9, 9, 6.8, kBlue}, {20, 25, 6.8, kRed}, {31, 41, 6.8, kGreenInk}};
        break;
    case 4:
        dots = {{11, 14, 7.5, kBlue}, {29, 14, 7.5, kGreenInk}, {11, 36, 7.5, kGreenInk}, {29, 36, 7.5, kBlue}};
        break;
    case 5:
        dots = {{9.5, 10.5, 6.3, kBlue}, {30.5, 10.5, 6.3, kGreenInk}, {20, 25, 6.3, kRed},
            {9.5, 39.5, 6.3, kGreenInk}, {30.5, 39.5, 6.3, kBlue}};
        break;
    case 6:
        dots = {{11, 9, 6.2, kGreenInk}, {29, 9, 6.2, kGreenInk}, {11, 26.5, 6.2, kRed}, {29, 26.5, 6.2, kRed},
            {11, 41, 6.2, kRed}, {29, 41, 6.2, kRed}};
        break;
    case 7:
        dots = {{7.5, 6.5, 5.0, kGreenInk}, {20, 11, 5.0, kGreenInk}, {32.5, 15.5, 5.0, kGreenInk},
            {12, 29.5, 5.4, kRed}, {28, 29.5, 5.4, kRed}, {12, 42.5, 5.4, kRed}, {28, 42.5, 5.4, kRed}};
        break;
    case 8:
        for (int row = 0; row < 4; ++row)
            for (int col = 0; col < 2; ++col)
                dots.push_back({12.0 + 16.0 * col, 7.0 + 12.0 * row, 5.6, kBlue});
        break;
    default: // 9
        for (int row = 0; row < 3; ++row)
            for (int col = 0; col < 3; ++col)
                dots.push_back({7.5 + 12.5 * col, 9.0 + 16.0 * row, 5.6, row == 0 ? kBlue : row == 1 ? kRed : kGreenInk});
        break;
    }
    for (const D& d : dots)
        Dot(p, QPointF(d.x, d.y), d.r, d.c);
}

// One bamboo stick: a rounded stem with a joint in the middle and at both ends.
void Stick(QPainter& p, double cx, double cy, double length, double width, const QColor& color)
{
    const QRectF stem(cx - width / 2, cy - length / 2, width, length);
    QLinearGradient g(stem.topLeft(), stem.topRight());
    g.setColorAt(0, color.lighter(135));
    g.setColorAt(0.45, color);
    g.setColorAt(1, color.darker(150));
    p.setPen(QPen(color.darker(170), 0.6));
    p.setBrush(g);
    p.drawRoundedRect(stem, width / 2.2, width / 2.2);
    // Joints: a slightly wider dark band.
    p.setPen(Qt::NoPen);
    p.setBrush(color.darker(175));
    const double jw = width + 1.0;
    for (double y : {cy - length / 2 + 1.4, cy, cy + length / 2 - 1.4})
        p.drawRoundedRect(QRectF(cx - jw / 2, y - 0.75, jw, 1.5), 0.7, 0.7);
}

void BigStick(QPainter& p)
{
    // The one of bamboo: a single large stick with leaves.
    p.setPen(Qt::NoPen);
    p.setBrush(kGreenInk.lighter(120));
    QPainterPath leaf;
    leaf.moveTo(20, 22);
    leaf.cubicTo(27, 12, 34, 12, 37, 9);
    leaf.cubicTo(34, 18, 28, 22, 20, 24);
    p.drawPath(leaf);
    QPainterPath leaf2;
    leaf2.moveTo(20, 32);
    leaf2.cubicTo(13, 24, 6, 24, 3, 21);
    leaf2.cubicTo(6, 30, 12, 33, 20, 34);
    p.drawPath(leaf2);
    Stick(p, 20, 25, 44, 9, kGreen);
    p.setBrush(kRed);
    p.setPen(Qt::NoPen);
    for (double y : {4.4, 25.0, 45.6})
        p.drawRoundedRect(QRectF(15, y - 1.1, 10, 2.2), 1, 1);
}

void Bamboo(QPainter& p, int rank)
{
    const double w = 5.6;
    const QColor g = kGreen;
    const QColor b = QColor(0x1C, 0x6C, 0x8C); // blue-green, for variety
    switch (rank) {
    case 1:
        BigStick(p);
        break;
    case 2:
        Stick(p, 20, 13, 19, w, g);
        Stick(p, 20, 37, 19, w, b);
        break;
    case 3:
        Stick(p, 20, 13, 19, w, g);
        Stick(p, 12, 37, 19, w, b);
        Stick(p, 28, 37, 19, w, b);
        break;
    case 4:
        Stick(p, 12, 13, 19, w, g);
        Stick(p, 28, 13, 19, w, b);
        Stick(p, 12, 37, 19, w, b);
        Stick(p, 28, 37, 19, w, g);
        break;
    case 5:
        Stick(p, 9, 13, 19, w, g);
        Stick(p, 31, 13, 19, w, b);
        Stick(p, 20, 25, 19, w, kRed);
        Stick(p, 9, 37, 19, w, b);
        Stick(p, 31, 37, 19, w, g);
        break;
    case 6:
        for (double y : {13.0, 37.0})
            for (double x : {9.0, 20.0, 31.0})
                Stick(p, x, y, 19, w, y < 20 ? g : b);
        break;
    case 7:
        Stick(p, 20, 8, 13, w, kRed);
        for (double y : {25.0, 42.0})
            for (double x : {9.0, 20.0, 31.0})
                Stick(p, x, y, 13, w, y < 30 ? g : b);
        break;
    case 8:
        for (double y : {13.0, 37.0})
            for (double x : {6.0, 15.3, 24.7, 34.0})
                Stick(p, x, y, 19, 4.8, (x < 20) == (y < 20) ? g : b);
        break;
    default: // 9
        for (double y : {8.0, 25.0, 42.0})
            for (double x : {9.0, 20.0, 31.0})
                Stick(p, x, y, 13, w, x == 20.0 ? kRed : (y < 20 ? g : b));
        break;
    }
}

void Characters(QPainter& p, int rank)
{
    static const QString numerals = QStringLiteral("一二三四五六七八九");
    Glyphs(p, QRectF(2, 0.5, 36, 24), numerals.mid(rank - 1, 1), kInk, 25, 1.4);
    Glyphs(p, QRectF(4, 26.5, 32, 23), QStringLiteral("万"), kRed, 23, 1.1);
}

void Honour(QPainter& p, int rank)
{
    static const QString names = QStringLiteral("东南西北中发");
    if (rank == 7) { // 白: an empty framed face
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kBlue, 2.6, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.drawRect(QRectF(8.5, 7.5, 23, 35));
        p.setPen(QPen(kBlue, 1.0));
        p.drawRect(QRectF(12, 11, 16, 28));
        return;
    }
    const QColor color = rank == 5 ? kRed : rank == 6 ? kGreenInk : kInk;
    Glyphs(p, QRectF(1.5, 4, 37, 42), names.mid(rank - 1, 1), color, 36, 1.4);
}

void FaceDesign(QPainter& p, int suitIndex, int rank)
{
    switch (suitIndex) {
    case 0: Honour(p, rank); break;
    case 1: Bamboo(p, rank); break;
    case 2: Characters(p, rank); break;
    default: Dots(p, rank); break;
    }
}

// ---- tile bodies ------------------------------------------------------------

struct ViewShape {
    double rotation;   // of the face design, degrees clockwise
    bool standing;     // own hand: upright tile with its top edge showing
    double edge;       // lying tiles: height of the near edge below the face
};

ViewShape Shape(int view)
{
    switch (view) {
    case 0: return {0, false, 8};
    case 1: return {90, false, 8};
    case 2: return {180, false, 5};
    case 3: return {-90, false, 8};
    default: return {0, true, 0};
    }
}

double Radius(QSize size)
{
    return std::min(size.width(), size.height()) > 40 ? 5.0 : 3.5;
}

// Paints a lying tile body face up; returns the face area.
QRectF LyingBody(QPainter& p, QSize size, double edge)
{
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    const double r = Radius(size);
    // Green back layer (lowest part of the near edge), ivory layer above it.
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kGreen);
    p.drawRoundedRect(body, r, r);
    const double greenPart = edge * 0.45;
    QRectF ivory = body.adjusted(0.5, 0.5, -0.5, -greenPart);
    p.setPen(Qt::NoPen);
    p.setBrush(kIvoryEdge);
    p.drawRoundedRect(ivory, r - 0.5, r - 0.5);
    QRectF face = body.adjusted(0.5, 0.5, -0.5, -edge);
    QLinearGradient g(face.topLeft(), face.bottomRight());
    g.setColorAt(0, kIvoryTop);
    g.setColorAt(1, kIvoryBottom);
    p.setBrush(g);
    p.setPen(QPen(kIvoryEdge.darker(115), 0.8));
    p.drawRoundedRect(face, r - 0.5, r - 0.5);
    return face.adjusted(1.5, 1.5, -1.5, -1.5);
}

// Paints a standing tile body seen from the front; returns the face area.
QRectF StandingBody(QPainter& p, QSize size)
{
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    const double r = Radius(size);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kGreen);
    p.drawRoundedRect(body, r, r);
    // The top edge: green back layer far, ivory face layer near.
    const double top = 7.0;
    QRectF ivoryTop = body.adjusted(0.5, top * 0.55, -0.5, -0.5);
    p.setPen(Qt::NoPen);
    p.setBrush(kIvoryEdge);
    p.drawRoundedRect(ivoryTop, r - 0.5, r - 0.5);
    QRectF face = body.adjusted(0.5, top, -0.5, -0.5);
    QLinearGradient g(face.topLeft(), face.bottomLeft());
    g.setColorAt(0, kIvoryTop);
    g.setColorAt(1, kIvoryBottom);
    p.setBrush(g);
    p.setPen(QPen(kIvoryEdge.darker(115), 0.8));
    p.drawRoundedRect(face, r - 0.5, r - 0.5);
    return face.adjusted(1.5, 2.0, -1.5, -2.0);
}

void GreenSurface(QPainter& p, const QRectF& r, double radius)
{
    QLinearGradient g(r.topLeft(), r.bottomRight());
    g.setColorAt(0, kGreenLight);
    g.setColorAt(0.5, kGreen);
    g.setColorAt(1, kGreenDark);
    p.setBrush(g);
    p.setPen(QPen(kGreenDark, 0.8));
    p.drawRoundedRect(r, radius, radius);
}

} // namespace

QSize TileViewSize(int view)
{
    switch (view) {
    case 0: return {50, 58};
    case 1: return {59, 46};
    case 2: return {34, 37};
    case 3: return {59, 46};
    default: return {50, 77};
    }
}

QImage TileFace(int view, int suitIndex, int rank)
{
    const QSize size = TileViewSize(view);
    const ViewShape shape = Shape(view);
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const QRectF face = shape.standing ? StandingBody(p, size) : LyingBody(p, size, shape.edge);

    const bool sideways = shape.rotation == 90 || shape.rotation == -90;
    const double availW = sideways ? face.height() : face.width();
    const double availH = sideways ? face.width() : face.height();
    const double scale = std::min(availW / kDesignW, availH / kDesignH);
    p.translate(face.center());
    p.rotate(shape.rotation);
    p.scale(scale, scale);
    p.translate(-kDesignW / 2, -kDesignH / 2);
    FaceDesign(p, suitIndex, rank);
    return image;
}

QImage TileStandingBack(int view, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const double r = Radius(size);
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kIvoryEdge);
    p.drawRoundedRect(body, r, r);
    // The ivory face layer shows on the side that faces the tile's owner:
    // below for the own seat, above for the opposite seat, at the left for the
    // left seat and at the right for the right seat.
    QRectF green = body.adjusted(0.5, 0.5, -0.5, -0.5);
    const double layerW = std::max(4.0, size.width() * 0.16);
    const double layerH = std::max(4.0, size.height() * 0.14);
    switch (view) {
    case 1: green.adjust(layerW, 0, 0, 0); break;
    case 2: green.adjust(0, layerH, 0, 0); break;
    case 3: green.adjust(0, 0, -layerW, 0); break;
    default: green.adjust(0, 0, 0, -layerH); break;
    }
    GreenSurface(p, green, r - 0.5);
    return image;
}

QImage TileLyingBack(int view, QSize size)
{
    QImage image = NewImage(size);
    QPainter p(&image);
    Prepare(p);
    const double r = Radius(size);
    const QRectF body(0.5, 0.5, size.width() - 1.0, size.height() - 1.0);
    // Face down: the green back on top; the near edge shows the green back
    // layer above the ivory face layer.
    const double edge = view == 2 ? 5.0 : std::max(5.0, size.height() * 0.16);
    p.setPen(QPen(kOutline, 1.0));
    p.setBrush(kIvoryEdge);
    p.drawRoundedRect(body, r, r);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreenDark);
    p.drawRoundedRect(body.adjusted(0.5, 0.5, -0.5, -edge * 0.5), r - 0.5, r - 0.5);
    GreenSurface(p, body.adjusted(0.5, 0.5, -0.5, -edge), r - 0.5);
    // A soft highlight so a wall of backs reads as separate tiles.
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(2.5, 2.5, -2.5, -edge - 2), r - 1.5, r - 1.5);
    return image;
}

} // namespace picgen

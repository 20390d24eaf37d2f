// Drawing helpers and the picture painters of the picture generator.
//
// Every picture is painted with QPainter into a QImage; all text uses the
// font "WenQuanYi Zen Hei". Glyphs are painted as outlines (QPainterPath), so
// they scale and rotate cleanly with the painter and are centred by their ink,
// not by the font's line box. Nothing here reads the clock or an unseeded
// random source, so every run draws the same pixels.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>
#include <QString>

#include <cstdint>

namespace picgen {

// ---- helpers (Draw.cpp) -----------------------------------------------------

inline const char* kFontFamily = "WenQuanYi Zen Hei";

QFont Font(double pixelSize);
// A transparent ARGB image ready for painting.
QImage NewImage(int w, int h);
QImage NewImage(QSize size);
// A painter with antialiasing on.
void Prepare(QPainter& p);

// Paints `text` centred (by its ink) in `box`, at `pixelSize`, shrunk when the
// ink does not fit. `weight` thickens the strokes (an outline of that width in
// the fill colour); `outline` > 0 adds a halo of `outlineColor` behind it.
void Glyphs(QPainter& p, const QRectF& box, const QString& text, const QColor& color,
    double pixelSize, double weight = 0.0, double outline = 0.0,
    const QColor& outlineColor = Qt::black);

// A rounded panel with a vertical two-colour gradient and a border.
void Panel(QPainter& p, const QRectF& r, double radius, const QColor& top, const QColor& bottom,
    const QColor& border, double borderWidth = 1.0);

// A small deterministic generator (for textures): the same seed gives the
// same sequence on every machine.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t Next()
    {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    // 0 <= x < n
    int Below(int n) { return static_cast<int>(Next() % static_cast<uint32_t>(n)); }

private:
    uint32_t state_;
};

// ---- tiles (Tiles.cpp) -----------------------------------------------------

// View of a tile picture: 0 own lying face up, 1 left seat, 2 opposite,
// 3 right seat, 4 own hand standing.
QSize TileViewSize(int view);
// A face of `view`: suitIndex 0 honours (rank 1..7 东 南 西 北 中 发 白),
// 1 bamboo, 2 characters, 3 dots (rank 1..9).
QImage TileFace(int view, int suitIndex, int rank);
// The back of a standing tile of `view` (seen from behind or from the side).
QImage TileStandingBack(int view, QSize size);
// The back of a tile lying face down, as seen from `view`.
QImage TileLyingBack(int view, QSize size);

// ---- other pictures (Art.cpp) ----------------------------------------------

enum class ButtonLook { Normal, Hover, Greyed };
QImage ToolbarButton(const QString& caption, QSize size, ButtonLook look);
enum class ClaimLook { Greyed, Lit, Hover };
QImage ClaimButton(const QString& caption, ClaimLook look);
QImage DialogButton(const QString& caption, bool hover);
QImage DieFace(int value, QSize size);
QImage DieTumbling(int frame, QSize size);
QImage ClaimWord(const QString& word, QSize size);
QImage FollowBubble(int side, QSize size);
QImage Avatar(bool male, int number);
QImage Compass(int ownSeat);
enum class VideoIcon { Webcam, Magnifier, Camera, Notes, Friends, Close, Enlarge, Shrink, Album };
QImage VideoIconPicture(VideoIcon icon, bool hover, QSize size);
QImage WarehouseButton(bool hover);
QImage VideoBackground(QSize size, double scale, int fieldLeft, int fieldTop, int fieldW, int fieldH);

// Design pictures of the windows.
QImage TableBackground(QSize size);
QImage WindowSkin();
QImage TitleButton(bool close, int state); // state 1 normal, 2 hover, 3 pressed
QImage ReadyMark();
QImage SpeechBubble(int index);
QImage BankerPlate();
QImage ShufflePlate();
QImage RulePlate(const QString& caption);
QImage TurnClock();
QImage Mascot();
QImage VideoFrame();
QImage PhraseBar();
QImage ReopenIcon();
// The custom mouse cursor of the table's hot spots: a pointing hand (32 x 32).
QImage HandCursor();
QImage DialogBackground(QSize size, const QString& title);
QImage SettingsLabel(const QString& caption);
// The chat and phrase windows: a title strip of `stripHeight` pixels over the list.
QImage ChatWindowBackground(QSize size, const QString& title, int stripHeight);
// The rules page: a band for its title label and a panel behind the text.
QImage RulesBackground(QSize size);
QImage SheetBackground(QSize size, const QString& title, const QRect& button1, const QRect& button2);

} // namespace picgen

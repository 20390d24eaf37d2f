// picgen: draws the client's own picture set and writes it as one pack file,
// which the build embeds in the client (src/platform/pictures.cmake).
//
//   picgen OUTPUT_FILE
//
// Pack format (all integers little-endian):
//   8 bytes   magic "MJPICS01"
//   u32       number of entries
//   per entry:
//     u8      length of the type name, then the type name (ASCII)
//     u16     length of the key, then the key (UTF-8)
//     u32     length of the data, then the data
// Type "GIF" holds the numbered picture resources, keyed by their id in
// decimal; the data are PNG, except ids 870 to 875, which are JPEG. Type
// "DESIGN" holds the pictures that the windows carry in their own design,
// keyed by "Form" (the window's background) or "Form.Control" or
// "Form.Control(index)"; they are not numbered resources.
//
// The set is drawn on Qt's offscreen platform, needs no display, and is the
// same on every run: no clock, no unseeded randomness, fixed fonts.
#include "Draw.h"

#include <QBuffer>
#include <QFontInfo>
#include <QGuiApplication>
#include <QSaveFile>
#include <QtEndian>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

using namespace picgen;

namespace {

QByteArray Encode(const QImage& image, const char* format, int quality = -1)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format, quality)) {
        std::fprintf(stderr, "picgen: cannot encode a picture as %s\n", format);
        std::exit(1);
    }
    return bytes;
}

QByteArray Png(const QImage& image)
{
    return Encode(image, "PNG");
}

QByteArray Jpeg(const QImage& image)
{
    return Encode(image.convertToFormat(QImage::Format_RGB32), "JPEG", 90);
}

class Pack {
public:
    void Add(int id, const QByteArray& data) { numbered_[id] = data; }
    void Design(const QString& name, const QImage& image) { design_[name.toStdString()] = Png(image); }

    QByteArray Bytes() const
    {
        QByteArray out("MJPICS01");
        AppendU32(out, static_cast<uint32_t>(numbered_.size() + design_.size()));
        for (const auto& [id, data] : numbered_)
            AppendEntry(out, "GIF", QByteArray::number(id), data);
        for (const auto& [name, data] : design_)
            AppendEntry(out, "DESIGN", QByteArray::fromStdString(name), data);
        return out;
    }

private:
    static void AppendU32(QByteArray& out, uint32_t v)
    {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    }
    static void AppendEntry(QByteArray& out, const QByteArray& type, const QByteArray& key, const QByteArray& data)
    {
        out.append(static_cast<char>(type.size()));
        out.append(type);
        char k[2];
        qToLittleEndian(static_cast<uint16_t>(key.size()), k);
        out.append(k, 2);
        out.append(key);
        AppendU32(out, static_cast<uint32_t>(data.size()));
        out.append(data);
    }

    std::map<int, QByteArray> numbered_;
    std::map<std::string, QByteArray> design_;
};

// Tile pictures 201 to 380 (entry i of the tile table is 201 + i, entry =
// 36 x view + 9 x suit index + rank - 1) and the sideways backs 501 and 502.
void AddTiles(Pack& pack)
{
    QByteArray ownLyingBack;
    for (int view = 0; view <= 4; ++view) {
        const QSize size = TileViewSize(view);
        for (int entry = 0; entry < 36; ++entry) {
            const int id = 201 + 36 * view + entry;
            if (entry == 7) {
                pack.Add(id, Png(TileStandingBack(view, size)));
            } else if (entry == 8) {
                // The lying backs of the side views are smaller pictures; the
                // own hand's lying back is the same picture as view 0's.
                if (view == 4) {
                    pack.Add(id, ownLyingBack);
                    continue;
                }
                const QSize backSize = view == 1 || view == 3 ? QSize(50, 44) : view == 2 ? QSize(33, 37) : size;
                const QByteArray back = Png(TileLyingBack(view, backSize));
                if (view == 0)
                    ownLyingBack = back;
                pack.Add(id, back);
            } else {
                const int suit = entry / 9;
                const int rank = entry % 9 + 1;
                pack.Add(id, Png(TileFace(view, suit, rank)));
            }
        }
    }
    pack.Add(501, Png(TileLyingBack(1, QSize(59, 46))));
    pack.Add(502, Png(TileLyingBack(3, QSize(59, 46))));
}

void AddButtons(Pack& pack)
{
    static const char* captions[] = {"发送", "聊天", "开始", "继续", "设置", "隐藏", "战绩", "历史", "规则", "退出"};
    // Toolbar 101..120: pairs of normal and hover picture; 发送's second
    // picture is its greyed look. Small copies 381..398 of entries 2..19.
    for (int i = 0; i < 20; ++i) {
        const QString caption = QString::fromUtf8(captions[i / 2]);
        const bool second = i % 2 == 1;
        const ButtonLook look = !second ? ButtonLook::Normal : i == 1 ? ButtonLook::Greyed : ButtonLook::Hover;
        const QSize size = i < 2 ? QSize(48, 30) : QSize(55, 31);
        pack.Add(101 + i, Png(ToolbarButton(caption, size, look)));
        if (i >= 2)
            pack.Add(379 + i, Png(ToolbarButton(caption, QSize(43, 24), look)));
    }
    // Claim buttons 141..155: for 吃 碰 杠 胡 过 the greyed, lit and hover looks.
    static const char* claims[] = {"吃", "碰", "杠", "胡", "过"};
    for (int k = 0; k < 5; ++k) {
        const QString caption = QString::fromUtf8(claims[k]);
        pack.Add(141 + 3 * k, Png(ClaimButton(caption, ClaimLook::Greyed)));
        pack.Add(142 + 3 * k, Png(ClaimButton(caption, ClaimLook::Lit)));
        pack.Add(143 + 3 * k, Png(ClaimButton(caption, ClaimLook::Hover)));
    }
    // Dialog buttons 130..137.
    pack.Add(130, Png(DialogButton(QStringLiteral("确定"), false)));
    pack.Add(131, Png(DialogButton(QStringLiteral("确定"), true)));
    pack.Add(132, Png(DialogButton(QStringLiteral("取消"), false)));
    pack.Add(133, Png(DialogButton(QStringLiteral("取消"), true)));
    pack.Add(134, Png(DialogButton(QStringLiteral("关闭"), false)));
    pack.Add(135, Png(DialogButton(QStringLiteral("开启"), false)));
    pack.Add(136, Png(DialogButton(QStringLiteral("普通话"), false)));
    pack.Add(137, Png(DialogButton(QStringLiteral("方言"), false)));
    // The props warehouse button and its hover picture.
    pack.Add(450, Png(WarehouseButton(false)));
    pack.Add(451, Png(WarehouseButton(true)));
}

void AddTableArt(Pack& pack)
{
    // Compass 126..129, turned for own seat index 0..3.
    for (int seat = 0; seat < 4; ++seat)
        pack.Add(126 + seat, Png(Compass(seat)));
    // Dice: faces 161..166, tumbling frames 167..176, small faces 600..605.
    for (int v = 1; v <= 6; ++v) {
        pack.Add(160 + v, Png(DieFace(v, QSize(50, 56))));
        pack.Add(599 + v, Png(DieFace(v, QSize(24, 24))));
    }
    for (int f = 0; f < 10; ++f)
        pack.Add(167 + f, Png(DieTumbling(f, QSize(50, 56))));
    // Claim words 183..190.
    static const char* words[] = {"吃", "碰", "杠", "暗杠", "红中杠", "琼蔚杠", "开杠", "胡"};
    for (int k = 0; k < 8; ++k)
        pack.Add(183 + k, Png(ClaimWord(QString::fromUtf8(words[k]), QSize(49, 49))));
    // Avatars: m1..m10 are 191..200, w1..w10 are 401..410.
    for (int n = 1; n <= 10; ++n) {
        pack.Add(190 + n, Png(Avatar(true, n)));
        pack.Add(400 + n, Png(Avatar(false, n)));
    }
    // Follow-the-dealer bubbles of sides 1..3.
    pack.Add(418, Png(FollowBubble(1, QSize(85, 85))));
    pack.Add(419, Png(FollowBubble(2, QSize(81, 85))));
    pack.Add(420, Png(FollowBubble(3, QSize(83, 85))));
}

void AddVideo(Pack& pack)
{
    const QSize icon(16, 14);
    const VideoIcon order[] = {VideoIcon::Webcam, VideoIcon::Magnifier, VideoIcon::Camera, VideoIcon::Notes};
    for (int k = 0; k < 4; ++k) {
        pack.Add(850 + k, Png(VideoIconPicture(order[k], false, icon)));
        pack.Add(854 + k, Png(VideoIconPicture(order[k], true, icon)));
    }
    pack.Add(858, Png(VideoIconPicture(VideoIcon::Friends, false, icon)));
    pack.Add(859, Png(VideoIconPicture(VideoIcon::Friends, true, icon)));
    pack.Add(860, Png(VideoIconPicture(VideoIcon::Close, false, QSize(17, 16))));
    pack.Add(861, Png(VideoIconPicture(VideoIcon::Enlarge, false, QSize(17, 16))));
    pack.Add(862, Png(VideoIconPicture(VideoIcon::Shrink, false, QSize(17, 16))));
    pack.Add(863, Png(VideoIconPicture(VideoIcon::Album, false, icon)));
    pack.Add(864, Png(VideoIconPicture(VideoIcon::Album, true, icon)));

    // Pop-out video window backgrounds: small, normal and large, each exactly
    // the window's size, at scale 1 (870..872) and 0.78125 (873..875). The
    // black field lies under the video display (left, top, width, height in
    // pixels at scale 1).
    struct Size {
        int w, h, left, top, fw, fh;
    };
    const Size sizes[] = {{175, 138, 7, 15, 160, 120}, {276, 215, 10, 16, 256, 192}, {434, 341, 16, 32, 400, 300}};
    const QSize small[] = {{137, 108}, {216, 168}, {339, 266}};
    for (int s = 0; s < 3; ++s) {
        const Size& z = sizes[s];
        pack.Add(870 + s, Jpeg(VideoBackground(QSize(z.w, z.h), 1.0, z.left, z.top, z.fw, z.fh)));
        pack.Add(873 + s, Jpeg(VideoBackground(small[s], 0.78125, z.left, z.top, z.fw, z.fh)));
    }
}

void AddDesign(Pack& pack)
{
    pack.Design(QStringLiteral("MainForm.Pic1"), TableBackground(QSize(1024, 768)));
    pack.Design(QStringLiteral("MainForm.Pic2"), TableBackground(QSize(800, 600)));
    pack.Design(QStringLiteral("MainForm.Skin"), WindowSkin());
    for (int state = 1; state <= 3; ++state) {
        pack.Design(QStringLiteral("MainForm.ImgClose(%1)").arg(state), TitleButton(true, state));
        pack.Design(QStringLiteral("MainForm.ImgMin(%1)").arg(state), TitleButton(false, state));
    }
    pack.Design(QStringLiteral("MainForm.OK"), ReadyMark());
    for (int i = 0; i < 3; ++i)
        pack.Design(QStringLiteral("MainForm.Speak(%1)").arg(i), SpeechBubble(i));
    pack.Design(QStringLiteral("MainForm.Host"), BankerPlate());
    pack.Design(QStringLiteral("MainForm.ImgShuffle"), ShufflePlate());
    pack.Design(QStringLiteral("MainForm.imgBeishu"), RulePlate(QStringLiteral("倍数")));
    pack.Design(QStringLiteral("MainForm.Imgwealth"), RulePlate(QStringLiteral("财富")));
    pack.Design(QStringLiteral("MainForm.Time_Img"), TurnClock());
    pack.Design(QStringLiteral("MainForm.Bird"), Mascot());
    pack.Design(QStringLiteral("MainForm.ImgKuang"), VideoFrame());
    pack.Design(QStringLiteral("MainForm.imgLocation"), PhraseBar());
    pack.Design(QStringLiteral("MainForm.ImgShow"), ReopenIcon());
    // The custom mouse cursor that several table controls carry.
    pack.Design(QStringLiteral("MainForm.MouseIcon"), HandCursor());

    pack.Design(QStringLiteral("frmExit"), DialogBackground(QSize(320, 180), QString()));
    pack.Design(QStringLiteral("frmOtherExit"), DialogBackground(QSize(319, 180), QString()));
    pack.Design(QStringLiteral("frmReconnect"), DialogBackground(QSize(278, 200), QString()));
    pack.Design(QStringLiteral("Talk"), ChatWindowBackground(QSize(320, 180), QStringLiteral("聊天"), 16));
    pack.Design(QStringLiteral("huifu"), ChatWindowBackground(QSize(319, 180), QStringLiteral("短语"), 18));
    pack.Design(QStringLiteral("VosSet"), DialogBackground(QSize(220, 363), QStringLiteral("设置")));
    static const char* rows[] = {"背景音乐", "系统声音", "功能声音", "方言选择", "视频功能"};
    for (int i = 0; i < 5; ++i)
        pack.Design(QStringLiteral("VosSet.Image1(%1)").arg(i), SettingsLabel(QString::fromUtf8(rows[i])));
    pack.Design(QStringLiteral("rule"), RulesBackground(QSize(335, 533)));
    pack.Design(QStringLiteral("Score"),
        SheetBackground(QSize(640, 480), QStringLiteral("战绩"), QRect(598, 8, 19, 21), QRect(618, 8, 21, 21)));
    pack.Design(QStringLiteral("Hero"),
        SheetBackground(QSize(655, 454), QStringLiteral("历史"), QRect(608, 8, 17, 17), QRect(628, 8, 21, 17)));
    pack.Design(QStringLiteral("Information"), DialogBackground(QSize(220, 330), QString()));
    // The close, enlarge and shrink buttons of the pop-out video windows.
    pack.Design(QStringLiteral("VideoWindow.ImgCmd(0)"), VideoIconPicture(VideoIcon::Close, false, QSize(17, 16)));
    pack.Design(QStringLiteral("VideoWindow.ImgCmd(1)"), VideoIconPicture(VideoIcon::Enlarge, false, QSize(17, 16)));
    pack.Design(QStringLiteral("VideoWindow.ImgCmd(2)"), VideoIconPicture(VideoIcon::Shrink, false, QSize(17, 16)));
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The font library matches fonts, and names their families, in the
    // language of the user's locale (the font below is "文泉驿正黑" under
    // zh_CN). The pictures are the same whoever builds them: fonts are
    // looked up in one language.
    qputenv("FC_LANG", "en");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: picgen OUTPUT_FILE\n");
        return 2;
    }

    // Every caption is drawn with this one font; a fallback font would change
    // the pictures from machine to machine.
    const QString family = QFontInfo(Font(20)).family();
    if (!family.contains(QLatin1String(kFontFamily), Qt::CaseInsensitive)) {
        std::fprintf(stderr, "picgen: font \"%s\" not found (got \"%s\"); install fonts-wqy-zenhei\n", kFontFamily,
            family.toLocal8Bit().constData());
        return 1;
    }

    Pack pack;
    AddTiles(pack);
    AddButtons(pack);
    AddTableArt(pack);
    AddVideo(pack);
    AddDesign(pack);

    QSaveFile out(QString::fromLocal8Bit(argv[1]));
    if (!out.open(QIODevice::WriteOnly) || out.write(pack.Bytes()) < 0 || !out.commit()) {
        std::fprintf(stderr, "picgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

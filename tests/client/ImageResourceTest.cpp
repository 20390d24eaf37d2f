// The picture id tables, the tile picture rule and the picture loader, run
// against the real embedded picture set.
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "platform/Resources.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace mj;
using namespace mj::Image_Resource;

namespace {

// A stand-in for any control with a Picture property.
struct FakeTarget {
    Picture picture;
    int sets = 0;
    void SetPicture(const Picture& p)
    {
        picture = p;
        ++sets;
    }
};

// A target that refuses every picture.
struct RefusingTarget {
    Picture picture;
    void SetPicture(const Picture&) { throw std::runtime_error("refused"); }
};

// The size of every picture resource, as the table layout and the windows
// rely on it.
QSize ExpectedSize(int id)
{
    struct Range {
        int first, last;
        QSize size;
    };
    static const Range ranges[] = {
        {101, 102, {48, 30}},   // 发送, normal and greyed
        {103, 120, {55, 31}},   // toolbar
        {126, 129, {81, 79}},   // compass
        {130, 137, {65, 30}},   // dialog buttons
        {141, 155, {50, 71}},   // claim buttons
        {161, 176, {50, 56}},   // dice faces and tumbling frames
        {183, 190, {49, 49}},   // claim words
        {191, 200, {85, 90}},   // portraits m1..m10
        {381, 398, {43, 24}},   // small toolbar copies
        {401, 410, {85, 90}},   // portraits w1..w10
        {418, 418, {85, 85}},   // follow bubbles
        {419, 419, {81, 85}},
        {420, 420, {83, 85}},
        {450, 451, {54, 31}},   // props warehouse button
        {501, 502, {59, 46}},   // sideways backs
        {600, 605, {24, 24}},   // small dice
        {850, 859, {16, 14}},   // video icons
        {860, 862, {17, 16}},   // window-frame buttons
        {863, 864, {16, 14}},   // album
        {870, 870, {175, 138}}, // video backgrounds, scale 1
        {871, 871, {276, 215}},
        {872, 872, {434, 341}},
        {873, 873, {137, 108}}, // and at scale 0.78125
        {874, 874, {216, 168}},
        {875, 875, {339, 266}},
    };
    if (id >= 201 && id <= 380) {
        const int view = (id - 201) / 36;
        const int entry = (id - 201) % 36;
        static const QSize views[] = {{50, 58}, {59, 46}, {34, 37}, {59, 46}, {50, 77}};
        if (entry == 8 && (view == 1 || view == 3))
            return {50, 44}; // the side views' lying backs
        if (entry == 8 && view == 2)
            return {33, 37};
        if (entry == 8 && view == 4)
            return views[0]; // the same picture as view 0's lying back
        return views[view];
    }
    for (const Range& r : ranges)
        if (id >= r.first && id <= r.last)
            return r.size;
    return {};
}

bool MustNotExist(int id)
{
    return id >= 156 && id <= 158;
}

// Every id of every table, at the current scale, with the table's name.
std::vector<std::pair<QString, int>> AllTableIds()
{
    std::vector<std::pair<QString, int>> ids;
    auto add = [&](const char* name, const auto& table) {
        for (const QString& entry : table)
            ids.emplace_back(QString::fromLatin1(name), CInt(entry));
    };
    add("ButtonPicture", ButtonPicture);
    add("TilePicture", TilePicture);
    add("ClaimButtonPicture", ClaimButtonPicture);
    add("DicePicture", DicePicture);
    add("WordPicture", WordPicture);
    add("FollowBubblePicture", FollowBubblePicture);
    add("AvatarPicture", AvatarPicture);
    add("DialogButtonPicture", DialogButtonPicture);
    add("CompassPicture", CompassPicture);
    add("VideoIconPicture", VideoIconPicture);
    add("VideoBackPicture", VideoBackPicture);
    add("SmallDicePicture", SmallDicePicture);
    // Used by number outside the tables.
    for (int id : {450, 451, 863, 864})
        ids.emplace_back(QStringLiteral("by number"), id);
    return ids;
}

} // namespace

TEST(TilePicIndex, WorkedExamplesPickTheRightPicture)
{
    InitPictureIds();
    struct Case {
        int16_t view, suit, rank;
        int16_t index;
        const char* resource;
    } cases[] = {
        {4, 2, 5, 166, "367"}, // 5 of characters in the own hand
        {0, 0, 5, 4, "205"},   // red dragon lying face up
        {0, 0, 1, 0, "201"},   // first picture
        {4, 3, 9, 179, "380"}, // last face: 9 of dots standing
        {2, 0, 9, 80, "281"},  // opposite view's lying back (36 x 2 + 8)
        {1, 1, 1, 45, "246"},  // 1 of bamboo, left seat
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.view << "/" << c.suit << "/" << c.rank);
        const int16_t index = TilePicIndex(c.view, c.suit, c.rank);
        EXPECT_EQ(index, c.index);
        EXPECT_EQ(TilePicture[index], QString::fromLatin1(c.resource));
    }
}

TEST(TilePicIndex, OutOfRangeInputRaisesInsteadOfPickingAnotherPicture)
{
    struct Case {
        int16_t view, suit, rank;
    } cases[] = {
        {-1, 0, 1}, {5, 0, 1},   // view
        {0, -1, 1}, {0, 4, 1},   // suit index
        {0, 1, 0}, {0, 1, 10},   // rank 0 would reach the previous suit, 10 the next
        {0, 0, 0}, {4, 3, 10},   // would leave the table at either end
        {0, 2, 15}, {0, 2, -1},  // rank nibble garbage
        {32767, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.view << "/" << c.suit << "/" << c.rank);
        try {
            TilePicIndex(c.view, c.suit, c.rank);
            ADD_FAILURE() << "no error raised";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number, ErrSubscript);
        }
    }
}

TEST(ButtonPicture, SmallLayoutUsesTheSmallCopiesExceptForSend)
{
    ScaleX = ScaleY = 1.0f;
    InitPictureIds();
    for (int i = 0; i <= 19; ++i)
        EXPECT_EQ(ButtonPicture[i], QString::number(101 + i)) << i;

    ScaleX = ScaleY = 0.78125f;
    InitPictureIds();
    EXPECT_EQ(ButtonPicture[0], "101");
    EXPECT_EQ(ButtonPicture[1], "102");
    EXPECT_EQ(ButtonPicture[2], "381");
    EXPECT_EQ(ButtonPicture[4], "383");
    EXPECT_EQ(ButtonPicture[19], "398");
}

TEST(PictureTables, AvatarAndTileTablesMapAsTheFacesAndViewsNeedThem)
{
    InitPictureIds();
    EXPECT_EQ(AvatarPicture[0], "191");  // m1
    EXPECT_EQ(AvatarPicture[9], "200");  // m10
    EXPECT_EQ(AvatarPicture[10], "401"); // w1
    EXPECT_EQ(AvatarPicture[19], "410"); // w10
    EXPECT_EQ(TilePicture[179], "380");
    EXPECT_EQ(TilePicture[180], "501");
    EXPECT_EQ(TilePicture[181], "502");
    EXPECT_EQ(ClaimButtonPicture[15], "156");
    EXPECT_EQ(VideoBackPicture[5], "875");

    ResetState();
    EXPECT_TRUE(ButtonPicture[0].isEmpty());
    EXPECT_TRUE(TilePicture[181].isEmpty());
    EXPECT_TRUE(SmallDicePicture[5].isEmpty());
}

// Every id any table names exists and has the size the layout relies on,
// at both scales; the ids named as missing stay missing.
TEST(PictureTables, EveryNamedPictureLoadsAtItsSize)
{
    for (float scale : {1.0f, 0.78125f}) {
        ScaleX = ScaleY = scale;
        InitPictureIds();
        for (const auto& [table, id] : AllTableIds()) {
            SCOPED_TRACE(testing::Message() << table.toStdString() << " id " << id << " scale " << scale);
            FakeTarget target;
            const int16_t result = LoadGifResource(static_cast<int16_t>(id), QStringLiteral("GIF"), target);
            if (MustNotExist(id)) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(target.sets, 0);
                continue;
            }
            ASSERT_EQ(result, 1);
            EXPECT_EQ(target.picture.Size(), ExpectedSize(id));
            EXPECT_EQ(target.picture.ResourceId(), id);
        }
    }
}

// Pictures are decoded once and handed out again: whatever was loaded before,
// in whatever order, every id still gives exactly its own pixels.
TEST(LoadGifResource, PicturesLoadedAgainAreTheirOwnPixels)
{
    QList<int> ids = Resources::Ids(QStringLiteral("GIF"));
    ASSERT_GT(ids.size(), 100);
    std::vector<Picture> first;
    for (int id : ids) {
        FakeTarget target;
        ASSERT_EQ(LoadGifResource(static_cast<int16_t>(id), QStringLiteral("GIF"), target), 1) << id;
        first.push_back(target.picture);
    }
    // Backwards the second time, so a picture handed out for the wrong id
    // or a stale slot shows up as a difference.
    for (qsizetype k = ids.size() - 1; k >= 0; --k) {
        const int id = ids[k];
        SCOPED_TRACE(testing::Message() << "id " << id);
        FakeTarget target;
        ASSERT_EQ(LoadGifResource(static_cast<int16_t>(id), QStringLiteral("GIF"), target), 1);
        EXPECT_EQ(target.picture.ResourceId(), id);
        const QImage fresh = QImage::fromData(*Resources::Load(id, QStringLiteral("GIF")));
        EXPECT_TRUE(target.picture.Image() == fresh);
        EXPECT_TRUE(first[static_cast<size_t>(k)].Image() == fresh);
    }
}

TEST(LoadGifResource, FailureLeavesTheTargetAsItWas)
{
    FakeTarget target;
    ASSERT_EQ(LoadGifResource(101, QStringLiteral("GIF"), target), 1);
    const Picture before = target.picture;

    struct Case {
        int16_t id;
        const char* type;
    } cases[] = {
        {156, "GIF"},   // named by the claim table, never existed
        {157, "GIF"},
        {158, "GIF"},
        {100, "GIF"},   // below the first id
        {876, "GIF"},   // above the last id
        {-1, "GIF"},
        {101, "JPEG"},  // wrong type
        {101, "DESIGN"},
        {101, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.id << " " << c.type);
        EXPECT_EQ(LoadGifResource(c.id, QString::fromLatin1(c.type), target), 0);
        EXPECT_EQ(target.sets, 1);
        EXPECT_TRUE(target.picture == before);
        EXPECT_TRUE(mjtest::MessageBoxes().isEmpty());
    }

    RefusingTarget refusing;
    EXPECT_EQ(LoadGifResource(101, QStringLiteral("GIF"), refusing), 0);
}

TEST(LoadGifResource, JpegBackgroundsDecode)
{
    for (int16_t id = 870; id <= 875; ++id) {
        const std::optional<QByteArray> data = Resources::Load(id, QStringLiteral("GIF"));
        ASSERT_TRUE(data) << id;
        EXPECT_TRUE(data->startsWith("\xFF\xD8\xFF")) << id; // JPEG
        FakeTarget target;
        ASSERT_EQ(LoadGifResource(id, QStringLiteral("GIF"), target), 1) << id;
        EXPECT_EQ(target.picture.Size(), ExpectedSize(id)) << id;
    }
}

// Lays out the tiles of every view, the sideways backs, the toolbar (both
// sizes), the claim buttons, dice, words, bubbles, compass, avatars and icons
// on a felt-green sheet, for people to look at: test-artifacts/pictures.png.
TEST(PictureSheet, ComposesTheGeneratedSet)
{
    ScaleX = ScaleY = 1.0f;
    InitPictureIds();
    QImage sheet(1480, 2200, QImage::Format_RGB32);
    sheet.fill(QColor(0x1E, 0x6E, 0x40));
    QPainter p(&sheet);
    int x = 10, y = 10, rowHeight = 0, left = 10;
    auto put = [&](int id) {
        const Picture pic = detail::LoadResourcePicture(static_cast<int16_t>(id), QStringLiteral("GIF"));
        ASSERT_FALSE(pic.IsNull()) << id;
        if (x + pic.Size().width() > sheet.width() - 10) {
            x = left;
            y += rowHeight + 4;
            rowHeight = 0;
        }
        p.drawImage(x, y, pic.Image());
        x += pic.Size().width() + 3;
        rowHeight = std::max(rowHeight, pic.Size().height());
    };
    auto newLine = [&](int gap) {
        x = left;
        y += rowHeight + gap;
        rowHeight = 0;
    };
    // Tiles: one block per view, a row per suit (honours with the two backs).
    auto tileBlock = [&](int view, int blockLeft, int blockTop) {
        left = x = blockLeft;
        y = blockTop;
        rowHeight = 0;
        for (int suit = 0; suit < 4; ++suit) {
            for (int entry = 9 * suit; entry < 9 * suit + 9; ++entry)
                put(CInt(TilePicture[36 * view + entry]));
            newLine(4);
        }
        return y;
    };
    const int afterOwn = tileBlock(0, 10, 10);
    tileBlock(4, 500, 10);
    const int top2 = std::max(afterOwn, y) + 8;
    const int afterLeft = tileBlock(1, 10, top2);
    tileBlock(3, 570, top2);
    tileBlock(2, 1130, top2);
    left = 10;
    x = 10;
    y = std::max(afterLeft, y) + 8;
    rowHeight = 0;
    put(501);
    put(502);
    newLine(10);
    for (int id = 101; id <= 120; ++id)
        put(id);
    newLine(6);
    for (int id = 381; id <= 398; ++id)
        put(id);
    newLine(10);
    for (int id = 141; id <= 155; ++id)
        put(id);
    newLine(10);
    for (int id = 161; id <= 176; ++id)
        put(id);
    for (int id = 600; id <= 605; ++id)
        put(id);
    newLine(10);
    for (int id = 183; id <= 190; ++id)
        put(id);
    for (int id = 418; id <= 420; ++id)
        put(id);
    for (int id = 126; id <= 129; ++id)
        put(id);
    newLine(10);
    for (int id = 191; id <= 200; ++id)
        put(id);
    newLine(4);
    for (int id = 401; id <= 410; ++id)
        put(id);
    newLine(10);
    for (int id = 130; id <= 137; ++id)
        put(id);
    put(450);
    put(451);
    for (int id = 850; id <= 864; ++id)
        put(id);
    newLine(10);
    for (int id = 870; id <= 875; ++id)
        put(id);
    newLine(10);
    p.end();
    ASSERT_LE(y, sheet.height());
    const QString file = mjtest::ArtifactDir() + QStringLiteral("/pictures.png");
    EXPECT_TRUE(sheet.copy(0, 0, sheet.width(), y).save(file));
}

// Shows the generated pictures in a real window and keeps a screenshot of it
// in the build folder, so anyone can look at them.
#include "TestSupport.h"

#include "client/Data.h"
#include "client/Image_Resource.h"
#include "platform/Forms.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace mj;

namespace {

class PictureWindow : public Form {
public:
    PictureWindow()
        : Form(QStringLiteral("PictureWindow"))
        , Pic1(*this, QStringLiteral("Pic1"))
        , Img(Pic1, QStringLiteral("Img"))
    {
        SetBorderless(true);
        SetBackColor(0x206020);
        Move(0, 0, 760 * 15, 700 * 15);
        Pic1.Move(0, 0, 760 * 15, 700 * 15);
        Pic1.SetBackColor(0x306030);
    }
    PictureBox Pic1;
    ControlArray<Image> Img;
};

TEST(PicturesWindow, TilesButtonsAndDiceShowInAWindow)
{
    ScaleX = ScaleY = 1.0f;
    Image_Resource::InitPictureIds();
    PictureWindow& w = form<PictureWindow>();
    int next = 0;
    double x = 5, y = 5, rowHeight = 0;
    const auto place = [&](int id) {
        if (next > 0)
            w.Img.Load(next);
        Image& img = w.Img(next++);
        ASSERT_EQ(Image_Resource::LoadGifResource(static_cast<int16_t>(id), QStringLiteral("GIF"), img), 1) << id;
        if (x + img.Width() > 755) {
            x = 5;
            y += rowHeight + 4;
            rowHeight = 0;
        }
        img.Move(x, y);
        img.SetVisible(true);
        x += img.Width() + 2;
        rowHeight = std::max(rowHeight, img.Height());
    };
    const auto newRow = [&] {
        x = 755; // the next picture starts a row
    };

    // The own hand standing: every face of view 4, then the faces lying in the other views.
    for (int suit = 0; suit <= 3; ++suit) {
        for (int rank = 1; rank <= (suit == 0 ? 7 : 9); ++rank)
            place(CInt(Image_Resource::TilePicture[Image_Resource::TilePicIndex(4, suit, rank)]));
    }
    newRow();
    for (int view = 0; view <= 3; ++view) {
        for (int rank = 1; rank <= 9; ++rank)
            place(CInt(Image_Resource::TilePicture[Image_Resource::TilePicIndex(view, 3, rank)]));
        place(CInt(Image_Resource::TilePicture[36 * view + 7])); // backs
        place(CInt(Image_Resource::TilePicture[36 * view + 8]));
    }
    newRow();
    for (int i = 0; i <= 19; i += 2)
        place(CInt(Image_Resource::ButtonPicture[i]));
    newRow();
    for (int i = 0; i <= 14; ++i)
        place(CInt(Image_Resource::ClaimButtonPicture[i]));
    newRow();
    for (int i = 0; i <= 15; ++i)
        place(CInt(Image_Resource::DicePicture[i]));

    w.Show();
    const QString path = mjtest::ArtifactDir() + QStringLiteral("/pictures-window.png");
    ASSERT_TRUE(w.SaveImage(path));
    const QImage shot(path);
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.width(), 760);
    // The window shows the pictures, not just its background.
    const QImage tile = w.Img(0).Picture().Image();
    EXPECT_NE(shot.pixelColor(5 + tile.width() / 2, 5 + tile.height() / 2), QColor(0x30, 0x60, 0x30));
}

} // namespace

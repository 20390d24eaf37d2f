#include "client/Image_Resource.h"

#include "client/Data.h"
#include "platform/Resources.h"

#include <QCache>
#include <QMutex>
#include <QMutexLocker>

#include <algorithm>

namespace mj::Image_Resource {

namespace {

template <typename Table>
void FillFrom(Table& table, int firstId)
{
    for (int i = Table::LBound; i <= Table::UBound; ++i)
        table[i] = QString::number(firstId + i);
}

} // namespace

void InitPictureIds()
{
    FillFrom(ButtonPicture, 101);
    if (ScaleX != 1.0f) {
        // The small layout uses the small copies of the toolbar pictures; 发送
        // has none and keeps its own pair.
        for (int i = 2; i <= 19; ++i)
            ButtonPicture[i] = QString::number(379 + i);
    }

    for (int i = 0; i <= 179; ++i)
        TilePicture[i] = QString::number(201 + i);
    TilePicture[180] = QStringLiteral("501");
    TilePicture[181] = QStringLiteral("502");

    FillFrom(ClaimButtonPicture, 141);
    FillFrom(DicePicture, 161);
    FillFrom(WordPicture, 183);
    FillFrom(FollowBubblePicture, 418);
    for (int i = 0; i <= 19; ++i)
        AvatarPicture[i] = QString::number(i < 10 ? 191 + i : 391 + i);
    FillFrom(DialogButtonPicture, 130);
    FillFrom(CompassPicture, 126);
    FillFrom(VideoIconPicture, 850);
    FillFrom(VideoBackPicture, 870);
    FillFrom(SmallDicePicture, 600);
}

int16_t TilePicIndex(int16_t view, int16_t suitIndex, int16_t rank)
{
    if (view < 0 || view > 4 || suitIndex < 0 || suitIndex > 3 || rank < 1 || rank > 9)
        Raise(ErrSubscript);
    return static_cast<int16_t>(36 * view + 9 * suitIndex + rank - 1);
}

void ResetState()
{
    ButtonPicture.Fill(QString());
    TilePicture.Fill(QString());
    ClaimButtonPicture.Fill(QString());
    DicePicture.Fill(QString());
    WordPicture.Fill(QString());
    FollowBubblePicture.Fill(QString());
    AvatarPicture.Fill(QString());
    DialogButtonPicture.Fill(QString());
    CompassPicture.Fill(QString());
    VideoIconPicture.Fill(QString());
    VideoBackPicture.Fill(QString());
    SmallDicePicture.Fill(QString());
}

namespace detail {

// Resources never change while the program runs, so a decoded picture is kept
// and handed out again: the table shows the same few hundred pictures over and
// over (every tile drawn, every blink of a button), and decoding one costs far
// more than the rest of showing it. The kept pictures are bounded by their
// pixel bytes; the least recently used go first.
constexpr qsizetype KeptPictureKilobytes = 16 * 1024;

Picture LoadResourcePicture(int16_t id, const QString& type)
{
    if (type != QLatin1String("GIF"))
        return Picture();
    static QMutex guard;
    static QCache<int16_t, Picture> kept(KeptPictureKilobytes);
    QMutexLocker lock(&guard);
    if (const Picture* picture = kept.object(id))
        return *picture;
    const std::optional<QByteArray> data = Resources::Load(id, type);
    if (!data)
        return Picture();
    const Picture picture = Picture::FromData(*data, id);
    if (!picture.IsNull())
        kept.insert(id, new Picture(picture), std::max<qsizetype>(1, picture.Image().sizeInBytes() / 1024));
    return picture;
}

} // namespace detail

} // namespace mj::Image_Resource

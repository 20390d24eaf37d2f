#include "platform/Picture.h"

namespace mj {

Picture Picture::FromData(const QByteArray& data, int resourceId)
{
    QImage image;
    if (!image.loadFromData(data))
        return Picture();
    return FromImage(image, resourceId);
}

Picture Picture::FromImage(const QImage& image, int resourceId)
{
    Picture p;
    p.image_ = image;
    p.resourceId_ = image.isNull() ? 0 : resourceId;
    return p;
}

} // namespace mj

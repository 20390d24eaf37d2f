// A picture as the controls hold it: decoded pixels plus, when it came from
// the program's resources, the resource id it was loaded from (so tests can
// see which picture a control shows). An empty Picture is "no picture".
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

#include <cstdint>

namespace mj {

class Picture {
public:
    Picture() = default;
    // Decodes GIF, PNG or JPEG data by content; an empty Picture when the data
    // is not a picture.
    static Picture FromData(const QByteArray& data, int resourceId = 0);
    static Picture FromImage(const QImage& image, int resourceId = 0);

    bool IsNull() const { return image_.isNull(); }
    explicit operator bool() const { return !IsNull(); }
    // Natural size in pixels.
    QSize Size() const { return image_.size(); }
    const QImage& Image() const { return image_; }
    // The resource id it was loaded from; 0 when it came from elsewhere.
    int ResourceId() const { return resourceId_; }

    bool operator==(const Picture& other) const
    {
        return resourceId_ == other.resourceId_ && image_.cacheKey() == other.image_.cacheKey();
    }

private:
    QImage image_;
    int resourceId_ = 0;
};

} // namespace mj

#include "video/Photo.h"

#include "platform/Clock.h"
#include "platform/Program.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryFile>
#include <QUrl>

namespace mj::Photo {

namespace {

// Names tried after the plain one before a photo is given up.
constexpr int MaxSuffix = 999;

FolderOpener& opener()
{
    static FolderOpener o = [](const QString& folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); };
    return o;
}

} // namespace

QString PhotoFolder()
{
    return ProgramFolder() + QStringLiteral("/photo");
}

bool EnsurePhotoFolder()
{
    const QString folder = PhotoFolder();
    const QFileInfo info(folder);
    if (!info.exists() && !info.isSymLink())
        QDir().mkdir(folder);
    return QFileInfo(folder).isDir();
}

QString PhotoName(const QDateTime& moment)
{
    const QDate d = moment.date();
    const QTime t = moment.time();
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(d.year())
        .arg(d.month())
        .arg(d.day())
        .arg(t.hour())
        .arg(t.minute())
        .arg(t.second());
}

QString SavePhoto(const QByteArray& frame)
{
    if (frame.isEmpty())
        return {};
    const QImage picture = QImage::fromData(frame);
    if (picture.isNull())
        return {};
    if (!EnsurePhotoFolder())
        return {};
    const QString folder = PhotoFolder();
    QTemporaryFile part(folder + QStringLiteral("/.photo-XXXXXX.part"));
    if (!part.open())
        return {};
    if (!picture.save(&part, "BMP") || !part.flush()) {
        part.close();
        return {}; // the temporary file goes with `part`
    }
    part.close();
    if (part.error() != QFileDevice::NoError)
        return {};
    const QString base = folder + u'/' + PhotoName(Clock::Now());
    for (int n = 0; n <= MaxSuffix; ++n) {
        const QString name = n == 0 ? base + QStringLiteral(".bmp") : base + QStringLiteral("_%1.bmp").arg(n);
        if (QFileInfo::exists(name))
            continue;
        // Renaming never replaces a file that appeared meanwhile.
        if (QFile::rename(part.fileName(), name)) {
            part.setAutoRemove(false);
            return name;
        }
        if (!QFileInfo::exists(name))
            return {}; // the rename itself failed
    }
    return {};
}

void SetAlbumOpener(FolderOpener o)
{
    opener() = o ? std::move(o) : FolderOpener([](const QString& folder) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    });
}

bool OpenAlbum()
{
    if (!EnsurePhotoFolder())
        return false;
    opener()(PhotoFolder());
    return true;
}

} // namespace mj::Photo

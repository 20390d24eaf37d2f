// Photos of the seats' video and the photo album: the folder "photo" beside
// the program, one bitmap file per photo named from the date and time.
//
// A photo is the kept frame decoded and written as a BMP file: first into a
// temporary file in the folder, then renamed to its name. A name already
// taken (two photos in one second, or moments whose digits run together
// alike, 11 January and 1 November) gets "_1", "_2" ... before ".bmp", so no
// photo is ever overwritten, and a failed write leaves nothing behind.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>

namespace mj::Photo {

// The program folder followed by "/photo".
QString PhotoFolder();
// Creates the folder when nothing named "photo" exists; true when the folder
// is there afterwards (false when a file holds the name or it cannot be made).
bool EnsurePhotoFolder();
// Year, month, day, hour, minute and second, each in decimal without
// leading zeros and without separators.
QString PhotoName(const QDateTime& moment);
// Writes the frame as a photo taken now; the path written, or the empty text
// when no photo was made (no frame, a frame that does not decode, a folder
// or file that cannot be written).
QString SavePhoto(const QByteArray& frame);

// Opens a folder in the desktop's file manager; tests replace it.
using FolderOpener = std::function<void(const QString& folder)>;
void SetAlbumOpener(FolderOpener opener);
// Opens the photo folder, creating it first when it is missing; false when
// there is no folder to open.
bool OpenAlbum();

} // namespace mj::Photo

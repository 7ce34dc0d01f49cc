#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QString>
#include <QtGlobal>

// Every picture that comes from outside is decoded here and nowhere else. libjpeg's default
// error handler ends the process on a damaged file, and the decoders allocate whatever size a
// header claims; so this loader turns every fault into a failure value and refuses a picture
// too large to hold before allocating it. The format is told by the bytes, never by the name.
namespace PictureLoader {

enum class Failure {
    None,
    CannotRead,  // missing, unreadable, or not a regular file
    Unsupported, // not JPEG, GIF or BMP, or a variety of one that is not decoded
    Corrupt,     // damaged or cut short
    TooLarge,    // the file or the picture is over the limits
};

// Sized for one web page's pictures on a desktop: 64 megapixels take 256 MiB decoded.
struct Limits {
    qint64 fileBytes = 64 * 1024 * 1024;
    int side = 16384;
    qint64 pixels = 64 * 1024 * 1024;
};

struct Result {
    QImage image; // null unless ok(); GIF pictures carry alpha, JPEG ones do not
    Failure failure = Failure::None;

    bool ok() const { return failure == Failure::None; }
};

Result load(const QString &path, const Limits &limits = Limits());
Result decode(QByteArrayView bytes, const Limits &limits = Limits());

} // namespace PictureLoader

#include "pictureloader.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstdio> // jpeglib.h needs FILE and size_t declared first
#include <cstring>
#include <memory>
#include <vector>

#include <gif_lib.h>
#include <jpeglib.h>

#include <jerror.h>

namespace PictureLoader {
namespace {

// No encoder writes more than a few dozen scans; each scan is a pass over the whole picture,
// so a crafted file with thousands of them would keep the decoder busy for minutes.
constexpr int maxJpegScans = 100;

Failure sizeFailure(qint64 width, qint64 height, const Limits &limits)
{
    if (width <= 0 || height <= 0)
        return Failure::Corrupt;
    if (width > limits.side || height > limits.side || width * height > limits.pixels)
        return Failure::TooLarge;
    return Failure::None;
}

Result failed(Failure failure)
{
    return Result {QImage(), failure};
}

// JPEG --------------------------------------------------------------------------------------

// libjpeg reports a fatal error by calling error_exit, which must not return; jumping back to
// the decoding call is the way its own documentation gives. The manager comes first so that
// libjpeg's pointer to it is a pointer to the whole.
struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    Failure failure;
};

[[noreturn]] void jpegFail(j_common_ptr info, Failure failure)
{
    auto *errors = reinterpret_cast<JpegErrors *>(info->err);
    errors->failure = failure;
    std::longjmp(errors->jump, 1);
}

Failure jpegFailure(int code)
{
    switch (code) {
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
    case JERR_OUT_OF_MEMORY:
    case JERR_NO_BACKING_STORE:
        return Failure::TooLarge;
    case JERR_BAD_PRECISION:
    case JERR_CONVERSION_NOTIMPL:
    case JERR_NOT_COMPILED:
    case JERR_SOF_UNSUPPORTED:
    case JERR_ARITH_NOTIMPL:
        return Failure::Unsupported;
    default:
        return Failure::Corrupt;
    }
}

void jpegErrorExit(j_common_ptr info)
{
    jpegFail(info, jpegFailure(info->err->msg_code));
}

// libjpeg pads a file that ends early with grey and only warns. A cut-off picture fails here as
// it does in the GIF and BMP readers: it is nearly always an interrupted copy that the user
// should hear about before uploading it, and stopping at once spares decoding up to
// 64 megapixels of padding from a file of a few bytes. Other warnings (stray bytes between
// markers, which some cameras write) leave a picture that browsers show, so they pass.
void jpegMessage(j_common_ptr info, int level)
{
    if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF)
        jpegFail(info, Failure::Corrupt);
}

void jpegSilent(j_common_ptr)
{}

void jpegProgress(j_common_ptr info)
{
    if (info->is_decompressor
        && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > maxJpegScans)
        jpegFail(info, Failure::Corrupt);
}

// Adobe's CMYK JPEGs store the inks inverted, others store them plainly.
void cmykRowToRgba(uchar *row, JDIMENSION width, bool inverted)
{
    for (JDIMENSION x = 0; x < width; ++x) {
        uchar *pixel = row + 4 * x;
        const int k = inverted ? pixel[3] : 255 - pixel[3];
        for (int channel = 0; channel < 3; ++channel) {
            const int ink = inverted ? pixel[channel] : 255 - pixel[channel];
            pixel[channel] = static_cast<uchar>(ink * k / 255);
        }
        pixel[3] = 255;
    }
}

// Only objects without destructors live in this frame, so that longjmp may leave it.
Failure readJpeg(QByteArrayView bytes, const Limits &limits, QImage *image)
{
    jpeg_decompress_struct info {};
    JpegErrors errors {};
    jpeg_progress_mgr progress {};
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jpegErrorExit;
    errors.manager.emit_message = jpegMessage;
    errors.manager.output_message = jpegSilent;
    progress.progress_monitor = jpegProgress;
    if (setjmp(errors.jump) != 0) {
        jpeg_destroy_decompress(&info);
        return errors.failure;
    }
    jpeg_create_decompress(&info);
    info.progress = &progress;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(bytes.data()),
        static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);

    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    if (info.num_components != 1 && info.num_components != 3
        && !(cmyk && info.num_components == 4)) {
        jpeg_destroy_decompress(&info);
        return Failure::Unsupported;
    }
    const Failure size = sizeFailure(info.image_width, info.image_height, limits);
    if (size != Failure::None) {
        jpeg_destroy_decompress(&info);
        return size;
    }
    // RGBA rather than RGBX: libjpeg then sets the fourth byte to 255, as RGBX8888 requires.
    info.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    *image = QImage(static_cast<int>(info.image_width), static_cast<int>(info.image_height),
        QImage::Format_RGBX8888);
    if (image->isNull()) {
        jpeg_destroy_decompress(&info);
        return Failure::TooLarge;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = image->scanLine(static_cast<int>(info.output_scanline));
        // A memory source never suspends; a row not delivered means the decoder is stuck.
        if (jpeg_read_scanlines(&info, &row, 1) != 1) {
            jpeg_destroy_decompress(&info);
            return Failure::Corrupt;
        }
        if (cmyk)
            cmykRowToRgba(row, info.output_width, info.saw_Adobe_marker);
    }
    // The picture is complete; whatever follows its last scan does not matter.
    jpeg_destroy_decompress(&info);
    return Failure::None;
}

Result decodeJpeg(QByteArrayView bytes, const Limits &limits)
{
    QImage image;
    const Failure failure = readJpeg(bytes, limits, &image);
    if (failure != Failure::None)
        return failed(failure);
    return Result {image, Failure::None};
}

// GIF ---------------------------------------------------------------------------------------

struct GifSource {
    const char *data;
    qsizetype size;
    qsizetype at;
};

int readGifBytes(GifFileType *gif, GifByteType *buffer, int wanted)
{
    auto *source = static_cast<GifSource *>(gif->UserData);
    const qsizetype count = std::min<qsizetype>(std::max(wanted, 0), source->size - source->at);
    std::memcpy(buffer, source->data + source->at, static_cast<size_t>(count));
    source->at += count;
    return static_cast<int>(count);
}

// Closing frees everything giflib holds; for a reader of memory it has no error to report
// (giflib fails it only when closing a file of its own).
struct GifCloser {
    void operator()(GifFileType *gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};
using GifFile = std::unique_ptr<GifFileType, GifCloser>;

Failure gifFailure(int error)
{
    return error == D_GIF_ERR_NOT_ENOUGH_MEM ? Failure::TooLarge : Failure::Corrupt;
}

// Rows of an interlaced GIF arrive in four passes: every eighth row from 0, every eighth from
// 4, every fourth from 2, every second from 1.
std::vector<int> gifRowOrder(int height, bool interlaced)
{
    std::vector<int> rows;
    rows.reserve(static_cast<size_t>(height));
    if (!interlaced) {
        for (int y = 0; y < height; ++y)
            rows.push_back(y);
        return rows;
    }
    constexpr std::array<int, 4> starts {0, 4, 2, 1};
    constexpr std::array<int, 4> steps {8, 8, 4, 2};
    for (size_t pass = 0; pass < starts.size(); ++pass) {
        for (int y = starts[pass]; y < height; y += steps[pass])
            rows.push_back(y);
    }
    return rows;
}

// The first frame on the logical screen, transparent around and through it. A frame that
// reaches past the screen (or a screen of size 0, which some encoders write) widens the
// picture rather than losing pixels.
Result readFirstGifFrame(GifFileType *gif, int transparentIndex, const Limits &limits)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return failed(gifFailure(gif->Error));
    const GifImageDesc frame = gif->Image;
    const Failure frameSize = sizeFailure(frame.Width, frame.Height, limits);
    if (frameSize != Failure::None)
        return failed(frameSize);
    const qint64 width = std::max<qint64>(gif->SWidth, qint64(frame.Left) + frame.Width);
    const qint64 height = std::max<qint64>(gif->SHeight, qint64(frame.Top) + frame.Height);
    const Failure canvasSize = sizeFailure(width, height, limits);
    if (canvasSize != Failure::None)
        return failed(canvasSize);

    const ColorMapObject *map = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (map == nullptr)
        return failed(Failure::Corrupt);
    // Indices past the colour table show black, as browsers draw them.
    std::array<QRgb, 256> palette;
    palette.fill(qRgb(0, 0, 0));
    const int colors = std::min(map->ColorCount, 256);
    for (int i = 0; i < colors; ++i)
        palette[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
    if (transparentIndex >= 0 && transparentIndex < 256)
        palette[transparentIndex] = qRgba(0, 0, 0, 0);

    QImage canvas(static_cast<int>(width), static_cast<int>(height), QImage::Format_ARGB32);
    if (canvas.isNull())
        return failed(Failure::TooLarge);
    canvas.fill(Qt::transparent);
    std::vector<GifPixelType> line(static_cast<size_t>(frame.Width));
    for (int y : gifRowOrder(frame.Height, frame.Interlace)) {
        if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
            return failed(gifFailure(gif->Error));
        auto *out = reinterpret_cast<QRgb *>(canvas.scanLine(frame.Top + y)) + frame.Left;
        for (int x = 0; x < frame.Width; ++x)
            out[x] = palette[line[static_cast<size_t>(x)]];
    }
    return Result {canvas, Failure::None};
}

// Reads records only up to the first frame: later frames are never decoded or even read.
Result decodeGif(QByteArrayView bytes, const Limits &limits)
{
    GifSource source {bytes.data(), bytes.size(), 0};
    int error = 0;
    GifFile gif(DGifOpen(&source, readGifBytes, &error));
    if (!gif)
        return failed(gifFailure(error));
    if (gif->SWidth > limits.side || gif->SHeight > limits.side
        || qint64(gif->SWidth) * gif->SHeight > limits.pixels)
        return failed(Failure::TooLarge);

    int transparentIndex = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &record) == GIF_ERROR)
            return failed(gifFailure(gif->Error));
        if (record == IMAGE_DESC_RECORD_TYPE)
            return readFirstGifFrame(gif.get(), transparentIndex, limits);
        if (record != EXTENSION_RECORD_TYPE)
            return failed(Failure::Corrupt); // the trailer before any frame: no picture
        int code = 0;
        GifByteType *block = nullptr;
        if (DGifGetExtension(gif.get(), &code, &block) == GIF_ERROR)
            return failed(gifFailure(gif->Error));
        // A malformed control block is ignored, as browsers do: the frame is then opaque.
        GraphicsControlBlock control;
        if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr
            && DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
            transparentIndex = control.TransparentColor;
        while (block != nullptr) {
            if (DGifGetExtensionNext(gif.get(), &block) == GIF_ERROR)
                return failed(gifFailure(gif->Error));
        }
    }
}

// BMP ---------------------------------------------------------------------------------------

// Run-length data has no length of its own: it is complete when its end-of-bitmap code comes
// before the file ends. Qt's reader would show the rest blank.
bool rleComplete(QByteArrayView data, bool fourBits)
{
    qsizetype at = 0;
    while (at + 2 <= data.size()) {
        const uchar count = uchar(data[at]);
        const uchar code = uchar(data[at + 1]);
        at += 2;
        if (count != 0)
            continue; // a run of one value
        if (code == 1)
            return true; // end of bitmap
        if (code == 2)
            at += 2;       // a move to another place
        else if (code > 2) // literal pixels, padded to an even length
            at += ((fourBits ? (code + 1) / 2 : code) + 1) / 2 * 2;
    }
    return false;
}

// Qt's reader refuses some huge sizes itself, but as a damaged header; reading the size here
// tells the two apart and keeps the limits ours. OS/2 headers (12 bytes) hold 16-bit sizes,
// all later ones 32-bit sizes, with a negative height for rows stored top-down. Qt also
// shows a bitmap cut short with its missing rows blank, where this loader fails a cut-off
// picture of any format; so the length is checked here too.
Failure bmpFailure(QByteArrayView bytes, const Limits &limits)
{
    if (bytes.size() < 30)
        return Failure::Corrupt;
    const auto *data = reinterpret_cast<const uchar *>(bytes.data());
    const qint64 pixelsAt = qFromLittleEndian<quint32>(data + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(data + 14);
    const bool os2 = headerSize == 12;
    const qint64 width
        = os2 ? qFromLittleEndian<quint16>(data + 18) : qFromLittleEndian<qint32>(data + 18);
    const qint64 signedHeight
        = os2 ? qFromLittleEndian<quint16>(data + 20) : qFromLittleEndian<qint32>(data + 22);
    const qint64 height = signedHeight < 0 ? -signedHeight : signedHeight;
    const Failure size = sizeFailure(width, height, limits);
    if (size != Failure::None)
        return size;

    const int bitsPerPixel = qFromLittleEndian<quint16>(data + (os2 ? 24 : 28));
    const quint32 compression
        = os2 || bytes.size() < 34 ? 0 : qFromLittleEndian<quint32>(data + 30);
    constexpr quint32 plain = 0;
    constexpr quint32 rle8 = 1;
    constexpr quint32 rle4 = 2;
    constexpr quint32 bitFields = 3;
    constexpr quint32 alphaBitFields = 6;
    if (compression == rle8 || compression == rle4) {
        if (pixelsAt > bytes.size() || !rleComplete(bytes.sliced(pixelsAt), compression == rle4))
            return Failure::Corrupt;
        return Failure::None;
    }
    if (compression != plain && compression != bitFields && compression != alphaBitFields)
        return Failure::None; // any other kind is for Qt's reader to accept or refuse
    if (bitsPerPixel < 1 || bitsPerPixel > 32)
        return Failure::Corrupt;
    const qint64 rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    return bytes.size() < pixelsAt + rowBytes * height ? Failure::Corrupt : Failure::None;
}

Result decodeBmp(QByteArrayView bytes, const Limits &limits)
{
    const Failure failure = bmpFailure(bytes, limits);
    if (failure != Failure::None)
        return failed(failure);
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    const QImage image = reader.read();
    if (image.isNull())
        return failed(Failure::Corrupt);
    return Result {image, Failure::None};
}

bool startsWith(QByteArrayView bytes, QByteArrayView magic)
{
    return bytes.size() >= magic.size() && bytes.first(magic.size()) == magic;
}

} // namespace

Result decode(QByteArrayView bytes, const Limits &limits)
{
    if (bytes.size() > limits.fileBytes)
        return failed(Failure::TooLarge);
    if (startsWith(bytes, QByteArrayView("\xFF\xD8\xFF", 3)))
        return decodeJpeg(bytes, limits);
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a"))
        return decodeGif(bytes, limits);
    if (startsWith(bytes, "BM"))
        return decodeBmp(bytes, limits);
    return failed(Failure::Unsupported);
}

Result load(const QString &path, const Limits &limits)
{
    // A pipe or a device would block or never end; only a regular file is read.
    const QFileInfo info(path);
    if (!info.isFile())
        return failed(Failure::CannotRead);
    if (info.size() > limits.fileBytes)
        return failed(Failure::TooLarge);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failed(Failure::CannotRead);
    // One byte past the measured size, so that a file grown past the limit since is caught.
    const QByteArray bytes = file.read(std::min(info.size(), limits.fileBytes) + 1);
    if (file.error() != QFileDevice::NoError)
        return failed(Failure::CannotRead);
    return decode(bytes, limits);
}

} // namespace PictureLoader

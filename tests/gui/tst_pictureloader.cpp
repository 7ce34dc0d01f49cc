#include "pictureloader.h"

#include <QBuffer>
#include <QColor>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <initializer_list>
#include <vector>

#include <jpeglib.h>

#include <gtest/gtest.h>

using PictureLoader::Failure;

namespace PictureLoader {
void PrintTo(Failure failure, std::ostream *os)
{
    constexpr const char *names[] = {"None", "CannotRead", "Unsupported", "Corrupt", "TooLarge"};
    *os << names[int(failure)];
}
} // namespace PictureLoader

namespace {

QImage filled(int width, int height, const QColor &color, QImage::Format format)
{
    QImage image(width, height, format);
    image.fill(color);
    return image;
}

QByteArray qtEncoded(const QImage &image, const char *format, bool progressive = false)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setQuality(95);
    writer.setProgressiveScanWrite(progressive);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return bytes;
}

QByteArray jpeg(const QColor &color)
{
    return qtEncoded(filled(16, 8, color, QImage::Format_RGB32), "jpeg");
}

// libjpeg itself writes what Qt's writer cannot: CMYK with Adobe's marker, and scan scripts.
QByteArray libjpegEncoded(int width, int height, J_COLOR_SPACE space, int components,
    const std::vector<JSAMPLE> &pixel, const std::vector<jpeg_scan_info> &scans = {})
{
    jpeg_compress_struct info {};
    jpeg_error_mgr errors {};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &out, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = components;
    info.in_color_space = space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (!scans.empty()) {
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    std::vector<JSAMPLE> row;
    for (int x = 0; x < width; ++x)
        row.insert(row.end(), pixel.begin(), pixel.end());
    while (info.next_scanline < info.image_height) {
        JSAMPROW rows[] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(out), static_cast<qsizetype>(size));
    std::free(out);
    return bytes;
}

// A grey progressive JPEG with the DC scan and one scan for each AC band; split bands are
// sent in two halves (successive approximation), giving 1 + 63 * 2 scans.
QByteArray jpegWithScans(bool splitBands)
{
    std::vector<jpeg_scan_info> scans {{1, {0}, 0, 0, 0, 0}};
    for (int band = 1; band < 64; ++band) {
        if (splitBands) {
            scans.push_back({1, {0}, band, band, 0, 1});
            scans.push_back({1, {0}, band, band, 1, 0});
        } else {
            scans.push_back({1, {0}, band, band, 0, 0});
        }
    }
    return libjpegEncoded(8, 8, JCS_GRAYSCALE, 1, {128}, scans);
}

// Offset of the first segment of a JPEG with one of the markers, found by walking its segments.
qsizetype segment(const QByteArray &bytes, std::initializer_list<uchar> markers)
{
    qsizetype at = 2;
    while (at + 4 <= bytes.size() && uchar(bytes[at]) == 0xFF) {
        if (std::find(markers.begin(), markers.end(), uchar(bytes[at + 1])) != markers.end())
            return at;
        at += 2 + qFromBigEndian<quint16>(bytes.constData() + at + 2);
    }
    ADD_FAILURE() << "no such segment";
    return 0;
}

// SOF0 or SOF2.
qsizetype frameHeader(const QByteArray &bytes)
{
    return segment(bytes, {0xC0, 0xC2});
}

// Where the entropy-coded data of the first scan begins.
qsizetype scanData(const QByteArray &bytes)
{
    const qsizetype sos = segment(bytes, {0xDA});
    return sos + 2 + qFromBigEndian<quint16>(bytes.constData() + sos + 2);
}

QByteArray jpegClaiming(int width, int height)
{
    QByteArray bytes = jpeg(Qt::red);
    const qsizetype sof = frameHeader(bytes);
    qToBigEndian<quint16>(quint16(height), bytes.data() + sof + 5);
    qToBigEndian<quint16>(quint16(width), bytes.data() + sof + 7);
    return bytes;
}

QByteArray jpegPatched(qsizetype offsetInFrameHeader, const QByteArray &with)
{
    QByteArray bytes = jpeg(Qt::red);
    bytes.replace(frameHeader(bytes) + offsetInFrameHeader, with.size(), with);
    return bytes;
}

QByteArray le16(int value)
{
    QByteArray bytes(2, '\0');
    qToLittleEndian<quint16>(quint16(value), bytes.data());
    return bytes;
}

QByteArray le32(qint64 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian<quint32>(quint32(value), bytes.data());
    return bytes;
}

// GIF LZW data that starts afresh (a clear code) before every second pixel, so the code
// width never grows and no string table is needed.
QByteArray gifPixelData(const std::vector<int> &indices, int minCodeSize)
{
    const int clear = 1 << minCodeSize;
    const int width = minCodeSize + 1;
    QByteArray packed;
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](int code) {
        bits |= quint32(code) << count;
        count += width;
        while (count >= 8) {
            packed.append(char(bits & 0xFF));
            bits >>= 8;
            count -= 8;
        }
    };
    for (size_t i = 0; i < indices.size(); ++i) {
        if (i % 2 == 0)
            put(clear);
        put(indices[i]);
    }
    put(clear + 1);
    if (count > 0)
        packed.append(char(bits & 0xFF));

    QByteArray data(1, char(minCodeSize));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const QByteArray block = packed.mid(at, 255);
        data.append(char(block.size())).append(block);
    }
    return data.append('\0');
}

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::vector<int> indices; // row by row, top to bottom; missing ones are 0
    int transparent = -1;
    bool interlaced = false;
};

// Two or four colours in the global table; no table at all when the palette is empty.
QByteArray gif(int screenWidth, int screenHeight, const std::vector<QRgb> &palette,
    const std::vector<GifFrame> &frames)
{
    QByteArray bytes("GIF89a");
    bytes += le16(screenWidth) + le16(screenHeight);
    const int tableBits = palette.size() > 2 ? 2 : 1;
    bytes.append(char(palette.empty() ? 0 : 0x80 | (tableBits - 1))).append(2, '\0');
    for (size_t i = 0; !palette.empty() && i < (1u << tableBits); ++i) {
        const QRgb color = i < palette.size() ? palette[i] : 0;
        bytes.append(char(qRed(color))).append(char(qGreen(color))).append(char(qBlue(color)));
    }
    for (const GifFrame &frame : frames) {
        if (frame.transparent >= 0)
            bytes += QByteArray("\x21\xF9\x04\x01\x00\x00", 6) + char(frame.transparent) + '\0';
        bytes += '\x2C' + le16(frame.left) + le16(frame.top) + le16(frame.width)
            + le16(frame.height) + char(frame.interlaced ? 0x40 : 0);
        std::vector<int> rows;
        if (frame.interlaced) {
            for (const auto &[start, step] : {std::pair {0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
                for (int y = start; y < frame.height; y += step)
                    rows.push_back(y);
            }
        } else {
            for (int y = 0; y < frame.height; ++y)
                rows.push_back(y);
        }
        std::vector<int> stored;
        for (int y : rows) {
            for (int x = 0; x < frame.width; ++x) {
                const size_t i = size_t(y) * frame.width + x;
                stored.push_back(i < frame.indices.size() ? frame.indices[i] : 0);
            }
        }
        bytes += gifPixelData(stored, 2);
    }
    return bytes.append(';');
}

GifFrame solidFrame(int width, int height, int index)
{
    return GifFrame {0, 0, width, height, std::vector<int>(size_t(width) * height, index)};
}

const QRgb red = qRgb(255, 0, 0);
const QRgb blue = qRgb(0, 0, 255);
const QRgb clear = qRgba(0, 0, 0, 0);

QByteArray redGif()
{
    return gif(2, 2, {red, blue}, {solidFrame(2, 2, 0)});
}

QByteArray bmp(const QColor &color)
{
    return qtEncoded(filled(4, 3, color, QImage::Format_RGB32), "bmp");
}

QByteArray bmpHeader(qint64 width, qint64 height)
{
    return "BM" + le32(54) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) + le16(1)
        + le16(24) + le32(0) + le32(0) + le32(2835) + le32(2835) + le32(0) + le32(0);
}

// A 2x2 bitmap of 8-bit run-length data: a row of blue (bottom), a row of red (top).
QByteArray runLengthBmp(const QByteArray &runs)
{
    const QByteArray palette("\xFF\x00\x00\x00\x00\x00\xFF\x00", 8); // blue, red
    const int pixelsAt = 14 + 40 + int(palette.size());
    return "BM" + le32(pixelsAt + runs.size()) + le32(0) + le32(pixelsAt) + le32(40) + le32(2)
        + le32(2) + le16(1) + le16(8) + le32(1) + le32(runs.size()) + le32(2835) + le32(2835)
        + le32(2) + le32(0) + palette + runs;
}

const QByteArray blueThenRedRuns("\x02\x00\x00\x00\x02\x01\x00\x01", 8);

bool near(QRgb actual, QRgb expected, int tolerance)
{
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance
        && std::abs(qGreen(actual) - qGreen(expected)) <= tolerance
        && std::abs(qBlue(actual) - qBlue(expected)) <= tolerance
        && qAlpha(actual) == qAlpha(expected);
}

struct Pixel {
    QPoint at;
    QRgb color;
};

struct DecodeCase {
    const char *name;
    std::function<QByteArray()> bytes;
    QSize size;
    std::vector<Pixel> pixels;
    int tolerance; // JPEG is lossy
};

void PrintTo(const DecodeCase &c, std::ostream *os)
{
    *os << c.name;
}

class PictureLoaderDecodes : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(PictureLoaderDecodes, ToItsSizeAndColours)
{
    const DecodeCase &c = GetParam();
    const PictureLoader::Result result = PictureLoader::decode(c.bytes());
    ASSERT_TRUE(result.ok()) << int(result.failure);
    EXPECT_EQ(result.image.size(), c.size);
    for (const Pixel &pixel : c.pixels) {
        const QRgb actual = result.image.pixel(pixel.at);
        EXPECT_TRUE(near(actual, pixel.color, c.tolerance))
            << "at " << pixel.at.x() << "," << pixel.at.y() << ": " << std::hex << actual;
    }
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureLoaderDecodes,
    ::testing::Values(
        DecodeCase {"JpegBaseline", [] { return jpeg(Qt::red); }, {16, 8}, {{{3, 5}, red}}, 8},
        DecodeCase {"JpegProgressive",
            [] { return qtEncoded(filled(16, 8, Qt::green, QImage::Format_RGB32), "jpeg", true); },
            {16, 8}, {{{15, 7}, qRgb(0, 255, 0)}}, 8},
        DecodeCase {"JpegGrey",
            [] {
                return qtEncoded(
                    filled(8, 8, QColor(128, 128, 128), QImage::Format_Grayscale8), "jpeg");
            },
            {8, 8}, {{{2, 2}, qRgb(128, 128, 128)}}, 2},
        DecodeCase {"JpegCmykFromAdobe",
            // Adobe stores inks inverted: no cyan, full magenta and yellow, no black.
            [] {
                return libjpegEncoded(8, 8, JCS_CMYK, 4, {255, 0, 0, 255});
            },
            {8, 8}, {{{4, 4}, red}}, 8},
        DecodeCase {"JpegOfSixtyFourScans", [] { return jpegWithScans(false); }, {8, 8},
            {{{1, 1}, qRgb(128, 128, 128)}}, 2},
        DecodeCase {"GifOneColour", redGif, {2, 2}, {{{0, 0}, red}, {{1, 1}, red}}, 0},
        DecodeCase {"GifInterlaced",
            [] {
                GifFrame frame = solidFrame(1, 9, 0);
                frame.indices[5] = 1;
                frame.interlaced = true;
                return gif(1, 9, {red, blue}, {frame});
            },
            {1, 9}, {{{0, 5}, blue}, {{0, 7}, red}, {{0, 4}, red}}, 0},
        DecodeCase {"GifFrameAtOffsetWithTransparency",
            [] {
                GifFrame frame {1, 2, 2, 1, {1, 0}, 1};
                return gif(4, 4, {red, blue}, {frame});
            },
            {4, 4}, {{{0, 0}, clear}, {{1, 2}, clear}, {{2, 2}, red}, {{3, 3}, clear}}, 0},
        DecodeCase {"GifTakesTheFirstFrameOnly",
            [] {
                return gif(2, 2, {red, blue}, {solidFrame(2, 2, 0), solidFrame(2, 2, 1)});
            },
            {2, 2}, {{{1, 0}, red}}, 0},
        DecodeCase {"GifNeverReadsADamagedSecondFrame",
            [] { return redGif().chopped(1) + "\x2C\x00\x00\x00\x00\xFF\xFF\xFF\xFF\x00\x08"; },
            {2, 2}, {{{0, 1}, red}}, 0},
        DecodeCase {"GifFrameBeyondTheScreenWidensIt",
            [] {
                GifFrame frame {2, 0, 2, 1, {1, 1}};
                return gif(2, 2, {red, blue}, {frame});
            },
            {4, 2}, {{{3, 0}, blue}, {{0, 0}, clear}}, 0},
        DecodeCase {"GifColourPastTheTableIsBlack",
            [] {
                return gif(1, 1, {red, blue}, {GifFrame {0, 0, 1, 1, {3}}});
            },
            {1, 1}, {{{0, 0}, qRgb(0, 0, 0)}}, 0},
        DecodeCase {"Bmp", [] { return bmp(Qt::blue); }, {4, 3}, {{{3, 2}, blue}}, 0},
        DecodeCase {"BmpRunLength", [] { return runLengthBmp(blueThenRedRuns); }, {2, 2},
            {{{1, 0}, red}, {{0, 1}, blue}}, 0}),
    [](const auto &info) { return std::string(info.param.name); });

struct FailCase {
    const char *name;
    std::function<QByteArray()> bytes;
    Failure expected;
};

void PrintTo(const FailCase &c, std::ostream *os)
{
    *os << c.name;
}

class PictureLoaderRefuses : public ::testing::TestWithParam<FailCase> {};

TEST_P(PictureLoaderRefuses, WithAFailureValue)
{
    const FailCase &c = GetParam();
    const PictureLoader::Result result = PictureLoader::decode(c.bytes());
    EXPECT_EQ(result.failure, c.expected);
    EXPECT_TRUE(result.image.isNull());
}

INSTANTIATE_TEST_SUITE_P(Pictures, PictureLoaderRefuses,
    ::testing::Values(FailCase {"Empty", [] { return QByteArray(); }, Failure::Unsupported},
        FailCase {"Text", [] { return QByteArray("GIF? no, text"); }, Failure::Unsupported},
        FailCase {"Png",
            [] { return qtEncoded(filled(2, 2, Qt::red, QImage::Format_RGB32), "png"); },
            Failure::Unsupported},
        FailCase {"JpegMagicOnly", [] { return QByteArray("\xFF\xD8\xFF"); }, Failure::Corrupt},
        FailCase {"JpegCutInItsHeader", [] { return jpeg(Qt::red).left(40); }, Failure::Corrupt},
        FailCase {"JpegCutInItsScan",
            [] {
                const QByteArray whole = jpeg(Qt::red);
                return whole.left(scanData(whole) + (whole.size() - 2 - scanData(whole)) / 2);
            },
            Failure::Corrupt},
        FailCase {"JpegProgressiveCut",
            [] {
                return qtEncoded(filled(64, 64, Qt::green, QImage::Format_RGB32), "jpeg", true)
                    .chopped(40);
            },
            Failure::Corrupt},
        FailCase {"JpegBadFrameLength", [] { return jpegPatched(2, QByteArray("\x00\x02", 2)); },
            Failure::Corrupt},
        FailCase {"JpegTwelveBit", [] { return jpegPatched(4, QByteArray(1, 12)); },
            Failure::Unsupported},
        FailCase {"JpegOfTooManyScans", [] { return jpegWithScans(true); }, Failure::Corrupt},
        FailCase {"JpegOverTheSideLimit", [] { return jpegClaiming(16385, 8); }, Failure::TooLarge},
        FailCase {
            "JpegOverThePixelLimit", [] { return jpegClaiming(10000, 10000); }, Failure::TooLarge},
        FailCase {
            "JpegLargestHeader", [] { return jpegClaiming(65535, 65535); }, Failure::TooLarge},
        FailCase {"GifSignatureOnly", [] { return QByteArray("GIF89a"); }, Failure::Corrupt},
        FailCase {"GifCutInItsFrame", [] { return redGif().chopped(5); }, Failure::Corrupt},
        FailCase {"GifCodeNotYetDefined",
            [] {
                QByteArray bytes = redGif();
                // The first code after the clear code names a table entry not yet made.
                const qsizetype data = bytes.indexOf('\x2C') + 10;
                bytes[data + 2] = char(0x3C); // codes 4 (clear), 7
                return bytes;
            },
            Failure::Corrupt},
        FailCase {"GifWithoutColourTable", [] { return gif(2, 2, {}, {solidFrame(2, 2, 0)}); },
            Failure::Corrupt},
        FailCase {"GifWithoutFrame",
            [] {
                return gif(2, 2, {red, blue}, {});
            },
            Failure::Corrupt},
        FailCase {"GifLargestScreen",
            [] {
                return gif(65535, 65535, {red, blue}, {});
            },
            Failure::TooLarge},
        FailCase {"GifScreenOverThePixelLimit",
            [] {
                return gif(10000, 10000, {red, blue}, {solidFrame(1, 1, 0)});
            },
            Failure::TooLarge},
        FailCase {"GifFrameOverTheSideLimit",
            [] {
                return gif(1, 1, {red, blue}, {GifFrame {0, 0, 16385, 1, {}}});
            },
            Failure::TooLarge},
        FailCase {"GifFrameReachingPastTheSideLimit",
            [] {
                return gif(1, 1, {red, blue}, {GifFrame {16384, 0, 1, 1, {0}}});
            },
            Failure::TooLarge},
        FailCase {"BmpMagicOnly", [] { return QByteArray("BM"); }, Failure::Corrupt},
        FailCase {"BmpCutInItsPixels", [] { return bmp(Qt::blue).chopped(10); }, Failure::Corrupt},
        FailCase {"BmpRunLengthCut", [] { return runLengthBmp(blueThenRedRuns.chopped(2)); },
            Failure::Corrupt},
        FailCase {"BmpUnknownHeader", [] { return bmp(Qt::blue).replace(14, 4, le32(7)); },
            Failure::Corrupt},
        FailCase {"BmpHugeHeader", [] { return bmpHeader(100000, 100000); }, Failure::TooLarge},
        FailCase {
            "BmpTopDownOverTheSideLimit", [] { return bmpHeader(1, -16385); }, Failure::TooLarge}),
    [](const auto &info) { return std::string(info.param.name); });

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
}

} // namespace

TEST(PictureLoader, ChoosesTheFormatByContentNotByName)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PictureLoader::Result photo
        = PictureLoader::load(writeFile(dir, QStringLiteral("photo.gif"), jpeg(Qt::red)));
    ASSERT_TRUE(photo.ok());
    EXPECT_TRUE(near(photo.image.pixel(0, 0), red, 8));
    EXPECT_EQ(PictureLoader::load(writeFile(dir, QStringLiteral("button.bmp"), redGif()))
                  .image.pixel(1, 1),
        red);
    const PictureLoader::Result notes
        = PictureLoader::load(writeFile(dir, QStringLiteral("notes.jpg"), "a text, not a photo"));
    EXPECT_EQ(notes.failure, Failure::Unsupported);
}

TEST(PictureLoader, CannotReadWhatIsNoFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    EXPECT_EQ(PictureLoader::load(dir.filePath(QStringLiteral("missing.jpg"))).failure,
        Failure::CannotRead);
    EXPECT_EQ(PictureLoader::load(dir.path()).failure, Failure::CannotRead);
    EXPECT_EQ(PictureLoader::load(QString()).failure, Failure::CannotRead);
}

TEST(PictureLoader, KeepsToTheCallersLimits)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray bytes = bmp(Qt::blue);
    const QString path = writeFile(dir, QStringLiteral("blue.bmp"), bytes);
    ASSERT_TRUE(PictureLoader::load(path).ok());

    PictureLoader::Limits small;
    small.fileBytes = bytes.size() - 1;
    EXPECT_EQ(PictureLoader::load(path, small).failure, Failure::TooLarge);
    EXPECT_EQ(PictureLoader::decode(bytes, small).failure, Failure::TooLarge);

    PictureLoader::Limits narrow;
    narrow.side = 3;
    EXPECT_EQ(PictureLoader::decode(bytes, narrow).failure, Failure::TooLarge);
    PictureLoader::Limits few;
    few.pixels = 11;
    EXPECT_EQ(PictureLoader::decode(bytes, few).failure, Failure::TooLarge);
    few.pixels = 12;
    EXPECT_TRUE(PictureLoader::decode(bytes, few).ok());
}

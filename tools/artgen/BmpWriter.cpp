#include "BmpWriter.h"

#include <QFile>

#include <stdexcept>

namespace artgen {
namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int32_t kPixelsPerMetre = 3780; // 96 dpi
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;

void put16(QByteArray &out, std::uint16_t v)
{
    out.append(char(v & 0xff));
    out.append(char(v >> 8));
}

void put32(QByteArray &out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.append(char((v >> (8 * i)) & 0xff));
}

std::uint32_t paddedRow(std::uint32_t bytes) { return (bytes + 3u) & ~3u; }

QByteArray headers(int width, int height, std::uint16_t bitCount, std::uint32_t compression,
                   std::uint32_t paletteEntries, std::uint32_t imageSize)
{
    const std::uint32_t offBits = kFileHeaderSize + kInfoHeaderSize + 4 * paletteEntries;
    QByteArray out;
    out.append("BM");
    put32(out, offBits + imageSize);
    put16(out, 0);
    put16(out, 0);
    put32(out, offBits);

    put32(out, kInfoHeaderSize);
    put32(out, std::uint32_t(width));
    put32(out, std::uint32_t(height)); // positive: bottom-up rows
    put16(out, 1);
    put16(out, bitCount);
    put32(out, compression);
    put32(out, imageSize);
    put32(out, std::uint32_t(kPixelsPerMetre));
    put32(out, std::uint32_t(kPixelsPerMetre));
    put32(out, paletteEntries);
    put32(out, 0);
    return out;
}

void appendPalette(QByteArray &out, const std::vector<QRgb> &palette)
{
    for (std::size_t i = 0; i < 256; ++i) {
        const QRgb c = i < palette.size() ? palette[i] : qRgb(0, 0, 0);
        out.append(char(qBlue(c)));
        out.append(char(qGreen(c)));
        out.append(char(qRed(c)));
        out.append(char(0));
    }
}

// One row in RLE8: runs of two or more equal bytes become encoded runs;
// stretches without runs become absolute blocks (at least three bytes, since
// escapes 0..2 mean end of line, end of bitmap and delta), padded to a
// 16-bit boundary.
void encodeRow(QByteArray &out, const std::uint8_t *row, int width)
{
    int i = 0;
    auto runAt = [&](int p) {
        int n = 1;
        while (p + n < width && n < 255 && row[p + n] == row[p])
            ++n;
        return n;
    };
    while (i < width) {
        const int run = runAt(i);
        if (run >= 2) {
            out.append(char(run));
            out.append(char(row[i]));
            i += run;
            continue;
        }
        int end = i;
        while (end < width && end - i < 255 && runAt(end) < 2)
            ++end;
        const int literal = end - i;
        if (literal < 3) {
            for (int k = i; k < end; ++k) {
                out.append(char(1));
                out.append(char(row[k]));
            }
        } else {
            out.append(char(0));
            out.append(char(literal));
            out.append(reinterpret_cast<const char *>(row + i), literal);
            if (literal & 1)
                out.append(char(0));
        }
        i = end;
    }
}

} // namespace

QByteArray encodeRle8(const IndexedImage &image)
{
    QByteArray out;
    for (int y = image.height - 1; y >= 0; --y) {
        encodeRow(out, image.pixels.data() + std::size_t(y) * std::size_t(image.width), image.width);
        out.append(char(0));
        out.append(char(y == 0 ? 1 : 0)); // the last row ends the bitmap
    }
    return out;
}

QByteArray encodeBmp8(const IndexedImage &image, bool rle)
{
    if (image.palette.size() > 256 || image.pixels.size() != std::size_t(image.width) * std::size_t(image.height))
        throw std::logic_error("bad indexed image");
    QByteArray data;
    if (rle) {
        data = encodeRle8(image);
    } else {
        const std::uint32_t stride = paddedRow(std::uint32_t(image.width));
        data.reserve(qsizetype(stride) * image.height);
        for (int y = image.height - 1; y >= 0; --y) {
            data.append(reinterpret_cast<const char *>(image.pixels.data() + std::size_t(y) * std::size_t(image.width)),
                        image.width);
            data.append(qsizetype(stride) - image.width, char(0));
        }
    }
    QByteArray out = headers(image.width, image.height, 8, rle ? kBiRle8 : kBiRgb, 256, std::uint32_t(data.size()));
    appendPalette(out, image.palette);
    out.append(data);
    return out;
}

namespace {

// The pixel rows of a 24- or 32-bit BMP: bottom-up, B G R (A), each row
// padded to 4 bytes.
QByteArray directRows(const QImage &image, bool alpha)
{
    const unsigned bytesPerPixel = alpha ? 4 : 3;
    const std::uint32_t stride = paddedRow(std::uint32_t(image.width()) * bytesPerPixel);
    QByteArray data;
    data.reserve(qsizetype(stride) * image.height());
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            data.append(char(qBlue(line[x])));
            data.append(char(qGreen(line[x])));
            data.append(char(qRed(line[x])));
            if (alpha)
                data.append(char(qAlpha(line[x])));
        }
        data.append(qsizetype(stride) - image.width() * qsizetype(bytesPerPixel), char(0));
    }
    return data;
}

} // namespace

QByteArray encodeBmp24(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    const QByteArray data = directRows(image, false);
    QByteArray out = headers(image.width(), image.height(), 24, kBiRgb, 0, std::uint32_t(data.size()));
    out.append(data);
    return out;
}

QByteArray encodeBmp32Alpha(const QImage &source)
{
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const QByteArray data = directRows(image, true);
    constexpr std::uint32_t kV5HeaderSize = 124;
    constexpr std::uint32_t kBiBitfields = 3;
    const std::uint32_t offBits = kFileHeaderSize + kV5HeaderSize;
    QByteArray out;
    out.append("BM");
    put32(out, offBits + std::uint32_t(data.size()));
    put16(out, 0);
    put16(out, 0);
    put32(out, offBits);
    put32(out, kV5HeaderSize);
    put32(out, std::uint32_t(image.width()));
    put32(out, std::uint32_t(image.height())); // positive: bottom-up rows
    put16(out, 1);
    put16(out, 32);
    put32(out, kBiBitfields);
    put32(out, std::uint32_t(data.size()));
    put32(out, std::uint32_t(kPixelsPerMetre));
    put32(out, std::uint32_t(kPixelsPerMetre));
    put32(out, 0);
    put32(out, 0);
    for (const std::uint32_t mask : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u})
        put32(out, mask);
    put32(out, 0x73524742u); // 'sRGB'
    out.append(36 + 12, char(0)); // endpoints and gamma, unused with sRGB
    put32(out, 4);                // LCS_GM_IMAGES
    out.append(12, char(0));      // no profile, reserved
    out.append(data);
    return out;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("cannot write " + path.toStdString());
}

} // namespace artgen

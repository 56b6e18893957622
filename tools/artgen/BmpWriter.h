#pragma once

#include <QByteArray>
#include <QImage>
#include <QRgb>

#include <cstdint>
#include <vector>

namespace artgen {

// A palette picture, rows top-down as drawn; the encoder flips them.
struct IndexedImage {
    int width = 0;
    int height = 0;
    std::vector<QRgb> palette; // at most 256 entries
    std::vector<std::uint8_t> pixels; // width * height indices

    std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)]; }
};

// 8-bit palette BMP, uncompressed (BI_RGB) or run-length encoded (BI_RLE8).
// The colour table always has 256 entries, unused ones black.
QByteArray encodeBmp8(const IndexedImage &image, bool rle);

// 24-bit BI_RGB BMP of an opaque picture.
QByteArray encodeBmp24(const QImage &image);

// 32-bit BMP with an alpha channel (BITMAPV5HEADER, BI_BITFIELDS with an
// alpha mask), straight (not premultiplied) alpha.
QByteArray encodeBmp32Alpha(const QImage &image);

// The RLE8 stream alone, one picture row after another bottom-up, ending in
// the end-of-bitmap escape. Exposed for the self-check in main.
QByteArray encodeRle8(const IndexedImage &image);

void writeFile(const QString &path, const QByteArray &bytes);

} // namespace artgen

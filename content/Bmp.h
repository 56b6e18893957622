#pragma once
// Windows bitmap (BMP) decoding into opaque 32-bit pixels. Pure C++, no image
// library: every picture the program shows passes through decodeBmp.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace pikora {

// Decoded pixels, rows top-down, each 0xFFRRGGBB: the memory layout of
// QImage::Format_RGB32 on a little-endian machine, so the UI can wrap the
// buffer without copying it. A 0 x 0 bitmap is the empty picture.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    bool isEmpty() const { return width <= 0 || height <= 0; }
};

// What the headers of a decoded file said.
struct BmpInfo {
    std::uint32_t headerSize = 0;    // info header size in bytes: 12, 16, 40, 52, 56, 64, 108 or 124
    std::string_view headerName;     // "BITMAPCOREHEADER", "OS/2 2.x", "BITMAPINFOHEADER", ...
    int bitsPerPixel = 0;
    std::string_view compression;    // "RGB", "RLE8", "RLE4", "BITFIELDS" or "ALPHABITFIELDS"
    int width = 0;
    int height = 0;                  // always positive; see topDown
    bool topDown = false;
    int paletteSize = 0;             // colour table entries used (indexed images only)
};

// The largest picture we build is kMaxBitmapSide pixels on each side
// (16384 x 16384 = 1 GiB of pixels). Every header variant passes through the
// one check that enforces it, before anything is allocated.
inline constexpr std::int64_t kMaxBitmapSide = 16384;

// Decodes a whole BMP file held in memory. An empty span is the empty picture.
// Throws EReadError (texts::StreamRead) when the bytes end inside the file
// header, the info header or the colour table, and EInvalidGraphic
// (texts::InvalidBitmap) when they do not describe a bitmap we can build.
// Pixel data shorter than announced is no error: missing bytes read as zero,
// i.e. palette entry 0 or black. info, when given, is filled on success.
// maxSide lowers the size cap (the fuzzers use it to stay fast); it can never
// raise it above kMaxBitmapSide.
Bitmap decodeBmp(std::span<const std::uint8_t> bytes, BmpInfo* info = nullptr,
                 std::int64_t maxSide = kMaxBitmapSide);

} // namespace pikora

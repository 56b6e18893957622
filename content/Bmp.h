#pragma once
// Windows bitmap (BMP) decoding into opaque 32-bit pixels. Pure C++, no image
// library: every picture the program shows passes through decodeBmp.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>
#include <span>
#include <string_view>
#include <vector>

namespace pikora {

// A vector whose resize() leaves new elements uninitialised: a decoder that
// writes every byte anyway need not pay for zeroing (and faulting in) the
// buffer first.
template <typename T>
struct UninitialisedAllocator : std::allocator<T> {
    template <typename U>
    struct rebind {
        using other = UninitialisedAllocator<U>;
    };
    using std::allocator<T>::allocator;
    template <typename U>
    void construct(U* p) noexcept
    {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args)
    {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

// A decoded picture, rows top-down. Files of up to 8 bits a pixel stay
// indexed, one byte a pixel and a 256-entry colour table, as the file holds
// them: a quarter of the memory, and decoding is little more than a copy.
// Deeper files become opaque 32-bit pixels. Both layouts match a QImage
// format on a little-endian machine (Indexed8, RGB32), so the UI wraps the
// buffer without copying it. A 0 x 0 bitmap is the empty picture.
struct Bitmap {
    enum class Format { Rgb32, Indexed8 };

    int width = 0;
    int height = 0;
    Format format = Format::Rgb32;
    // Rgb32: width * height pixels, each 0xFFRRGGBB.
    std::vector<std::uint32_t> pixels;
    // Indexed8: stride bytes a row (width rounded up to a multiple of 4, as
    // QImage wants; the padding is zero), and a table with an entry for every
    // index the depth allows: entries the file does not give are black.
    std::vector<std::uint8_t, UninitialisedAllocator<std::uint8_t>> indices;
    std::size_t stride = 0;
    std::array<std::uint32_t, 256> colours {};
    int colourCount = 0; // 2^depth: every index the file can hold has an entry

    bool isEmpty() const { return width <= 0 || height <= 0; }

    // The pixel at (x, y) as 0xFFRRGGBB, whichever the layout.
    std::uint32_t pixel(int x, int y) const
    {
        return format == Format::Indexed8 ? colours[indices[std::size_t(y) * stride + std::size_t(x)]]
                                          : pixels[std::size_t(y) * std::size_t(width) + std::size_t(x)];
    }
};

// All pixels as 0xFFRRGGBB, row by row: for tools and tests that want one
// layout.
std::vector<std::uint32_t> rgb32Pixels(const Bitmap& bitmap);

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

#include "content/Bmp.h"

#include "content/Errors.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <string>
#include <type_traits>

#if defined(__x86_64__) || defined(__i386__)
#define PIKORA_BMP_SSSE3 1
#include <immintrin.h>
#else
#define PIKORA_BMP_SSSE3 0
#endif

// Decoding runs in stages: file header, info header, bit masks, colour table,
// then the pixel data, one row at a time with a loop chosen once per image,
// from the file's bytes into the final buffer. Every read is bounds-checked
// against the file's bytes, all size arithmetic is 64-bit, and the one size
// cap is checked before anything is allocated.

namespace pikora {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kOpaque = 0xFF000000u;

[[noreturn]] void throwStreamRead()
{
    throw EReadError(std::string(texts::StreamRead));
}

[[noreturn]] void throwInvalid()
{
    throw EInvalidGraphic(std::string(texts::InvalidBitmap));
}

inline std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

inline std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16
        | std::uint32_t(p[3]) << 24;
}

enum class Compression { Rgb, Rle8, Rle4, Bitfields, AlphaBitfields };

std::string_view compressionName(Compression c)
{
    switch (c) {
    case Compression::Rgb: return "RGB";
    case Compression::Rle8: return "RLE8";
    case Compression::Rle4: return "RLE4";
    case Compression::Bitfields: return "BITFIELDS";
    case Compression::AlphaBitfields: return "ALPHABITFIELDS";
    }
    return {};
}

// The three families of info header differ in field widths and meaning:
// OS/2 1.x (12 bytes) has 16-bit unsigned sizes and RGB triples, OS/2 2.x
// (16 or 64 bytes) has 32-bit unsigned sizes and its own compression codes
// (3 is Huffman, not bit fields), Windows (40 and up) has signed sizes.
enum class Family { Os2v1, Os2v2, Windows };

struct Header {
    std::uint32_t size = 0;
    std::string_view name;
    Family family = Family::Windows;
    std::int64_t width = 0;
    std::int64_t height = 0; // as stored; negative means top-down (Windows only)
    unsigned planes = 0;
    unsigned bitsPerPixel = 0;
    std::uint32_t compressionCode = 0;
    std::uint32_t colorsUsed = 0;
    std::array<std::uint32_t, 4> masks {}; // red, green, blue, alpha as stored in the header
};

Header readInfoHeader(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kFileHeaderSize + 4)
        throwStreamRead();
    Header h;
    h.size = le32(bytes.data() + kFileHeaderSize);
    switch (h.size) {
    case 12: h.family = Family::Os2v1; h.name = "BITMAPCOREHEADER"; break;
    case 16:
    case 64: h.family = Family::Os2v2; h.name = "OS/2 2.x"; break;
    case 40: h.name = "BITMAPINFOHEADER"; break;
    case 52: h.name = "BITMAPV2INFOHEADER"; break;
    case 56: h.name = "BITMAPV3INFOHEADER"; break;
    case 108: h.name = "BITMAPV4HEADER"; break;
    case 124: h.name = "BITMAPV5HEADER"; break;
    default: throwInvalid();
    }
    if (bytes.size() < kFileHeaderSize + h.size)
        throwStreamRead();

    const std::uint8_t* p = bytes.data() + kFileHeaderSize;
    if (h.family == Family::Os2v1) {
        h.width = le16(p + 4);
        h.height = le16(p + 6);
        h.planes = le16(p + 8);
        h.bitsPerPixel = le16(p + 10);
        return h;
    }
    if (h.family == Family::Os2v2) {
        h.width = le32(p + 4);
        h.height = le32(p + 8);
    } else {
        h.width = static_cast<std::int32_t>(le32(p + 4));
        h.height = static_cast<std::int32_t>(le32(p + 8));
    }
    h.planes = le16(p + 12);
    h.bitsPerPixel = le16(p + 14);
    if (h.size >= 40) { // the 16-byte OS/2 header stops after the bit count
        h.compressionCode = le32(p + 16);
        h.colorsUsed = le32(p + 32);
    }
    if (h.family == Family::Windows) {
        if (h.size >= 52) {
            h.masks[0] = le32(p + 40);
            h.masks[1] = le32(p + 44);
            h.masks[2] = le32(p + 48);
        }
        if (h.size >= 56)
            h.masks[3] = le32(p + 52);
    }
    return h;
}

Compression compressionOf(const Header& h)
{
    switch (h.family) {
    case Family::Os2v1:
        return Compression::Rgb;
    case Family::Os2v2:
        switch (h.compressionCode) {
        case 0: return Compression::Rgb;
        case 1: return Compression::Rle8;
        case 2: return Compression::Rle4;
        default: throwInvalid(); // Huffman 1D, RLE24
        }
    case Family::Windows:
        switch (h.compressionCode) {
        case 0: return Compression::Rgb;
        case 1: return Compression::Rle8;
        case 2: return Compression::Rle4;
        case 3: return Compression::Bitfields;
        case 6: return Compression::AlphaBitfields;
        default: throwInvalid(); // JPEG, PNG, CMYK variants
        }
    }
    throwInvalid();
}

bool depthAllowed(Family family, Compression c, unsigned bpp)
{
    switch (c) {
    case Compression::Rgb:
        if (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 24)
            return true;
        return family == Family::Windows && (bpp == 16 || bpp == 32);
    case Compression::Rle8: return bpp == 8;
    case Compression::Rle4: return bpp == 4;
    case Compression::Bitfields:
    case Compression::AlphaBitfields: return bpp == 16 || bpp == 32;
    }
    return false;
}

// A mask that names a colour channel: its bits must be contiguous, lie
// within the pixel, and not be shared with another channel.
bool masksValid(const std::array<std::uint32_t, 4>& m, unsigned bpp)
{
    const std::uint64_t pixelBits = bpp >= 32 ? 0xFFFFFFFFull : (1ull << bpp) - 1;
    std::uint32_t seen = 0;
    for (int i = 0; i < 4; ++i) {
        const std::uint32_t mask = m[i];
        if (mask == 0) {
            if (i < 3)
                return false;
            continue;
        }
        if ((mask & ~pixelBits) != 0 || (mask & seen) != 0)
            return false;
        const std::uint32_t low = mask >> std::countr_zero(mask);
        if ((low & (low + 1)) != 0)
            return false;
        seen |= mask;
    }
    return true;
}

// Converts one masked channel to 8 bits as round(v * 255 / max).
class Channel {
public:
    Channel(std::uint32_t mask, unsigned outShift)
        : m_shift(static_cast<unsigned>(std::countr_zero(mask)))
        , m_max(mask >> m_shift)
        , m_outShift(outShift)
    {
        if (m_max <= kLutMax) {
            m_lut.resize(m_max + 1);
            for (std::uint32_t v = 0; v <= m_max; ++v)
                m_lut[v] = scale(v) << m_outShift;
        }
    }

    bool hasLut() const { return !m_lut.empty(); }
    bool isByte() const { return m_max == 0xFF; }
    unsigned shift() const { return m_shift; }

    std::uint32_t operator()(std::uint32_t pixel) const
    {
        const std::uint32_t v = (pixel >> m_shift) & m_max;
        return hasLut() ? m_lut[v] : scale(v) << m_outShift;
    }

private:
    static constexpr std::uint32_t kLutMax = 0xFFFF;

    std::uint32_t scale(std::uint32_t v) const
    {
        return static_cast<std::uint32_t>((std::uint64_t(v) * 255 + m_max / 2) / m_max);
    }

    unsigned m_shift;
    std::uint32_t m_max;
    unsigned m_outShift;
    std::vector<std::uint32_t> m_lut;
};

using Palette = std::array<std::uint32_t, 256>;

// Runs rowFn(src, dst) for each row, in the picture's top-down order whichever
// way the file stores them, and appends the result to the (reserved, empty)
// buffer, outStride elements a row. Decoding into a small row that stays in
// cache and appending it writes each element of the final buffer once,
// without first zeroing it. A row whose pixel bytes are cut short is decoded
// from a zero-padded copy; rows wholly past the end of the data are zero.
template <typename Out, typename RowFn>
void decodeRows(std::span<const std::uint8_t> data, Out& out, const Bitmap& bmp, std::size_t outStride,
                bool topDown, unsigned bpp, typename Out::value_type zero, RowFn rowFn)
{
    using T = typename Out::value_type;
    const std::uint64_t width = static_cast<std::uint64_t>(bmp.width);
    const std::uint64_t height = static_cast<std::uint64_t>(bmp.height);
    const std::uint64_t rowBytes = (width * bpp + 7) / 8;
    const std::uint64_t stride = (width * bpp + 31) / 32 * 4;
    std::vector<T> row(outStride, zero); // the padding past width stays zero
    std::vector<std::uint8_t> padded;

    for (std::uint64_t y = 0; y < height; ++y) {
        const std::uint64_t stored = topDown ? y : height - 1 - y;
        const std::uint64_t offset = stored * stride;
        const std::uint64_t available = offset < data.size() ? data.size() - offset : 0;
        if (available >= rowBytes) {
            rowFn(data.data() + offset, row.data());
        } else if (available > 0) {
            padded.assign(rowBytes, 0);
            std::memcpy(padded.data(), data.data() + offset, available);
            rowFn(padded.data(), row.data());
        } else {
            out.insert(out.end(), outStride, zero);
            continue;
        }
        out.insert(out.end(), row.begin(), row.end());
    }
}

// Index rows of 1, 2 or 4 bits a pixel spread to a byte a pixel, a whole
// source byte at a time through a table of its 8, 4 or 2 indices.
template <unsigned Bpp>
struct Spread {
    static constexpr unsigned perByte = 8 / Bpp;
    using Word = std::conditional_t<Bpp == 1, std::uint64_t, std::uint16_t>;
    static constexpr std::array<Word, 256> table = [] {
        std::array<Word, 256> t {};
        for (unsigned b = 0; b < 256; ++b)
            for (unsigned k = 0; k < perByte; ++k) // first pixel in the high bits, stored first
                t[b] |= Word((b >> (8 - Bpp * (k + 1))) & ((1u << Bpp) - 1)) << (8 * k);
        return t;
    }();

    static void row(const std::uint8_t* s, std::uint8_t* d, int w)
    {
        int x = 0;
        for (; x + int(perByte) <= w; x += perByte, ++s)
            std::memcpy(d + x, &table[*s], sizeof(Word)); // little-endian: byte k is pixel k
        for (unsigned k = 0; x < w; ++x, ++k)
            d[x] = std::uint8_t((*s >> (8 - Bpp * (k + 1))) & ((1u << Bpp) - 1));
    }
};

void decodeIndexed(std::span<const std::uint8_t> data, Bitmap& bmp, bool topDown, unsigned bpp)
{
    const int w = bmp.width;
    switch (bpp) {
    case 1:
        decodeRows(data, bmp.indices, bmp, bmp.stride, topDown, bpp, 0,
                                 [w](const std::uint8_t* s, std::uint8_t* d) { Spread<1>::row(s, d, w); });
        break;
    case 4:
        decodeRows(data, bmp.indices, bmp, bmp.stride, topDown, bpp, 0,
                                 [w](const std::uint8_t* s, std::uint8_t* d) { Spread<4>::row(s, d, w); });
        break;
    default: {
        // A byte a pixel already: the file's rows are copied as they stand.
        const std::size_t stride = (std::size_t(w) + 3) / 4 * 4; // same rounding in the file
        const std::size_t height = std::size_t(bmp.height);
        for (std::size_t y = 0; y < height; ++y) {
            const std::size_t offset = (topDown ? y : height - 1 - y) * stride;
            const std::size_t available = offset < data.size() ? data.size() - offset : 0;
            const std::size_t present = std::min(available, std::size_t(w));
            if (present > 0)
                bmp.indices.insert(bmp.indices.end(), data.data() + offset, data.data() + offset + present);
            bmp.indices.insert(bmp.indices.end(), stride - present, 0);
        }
        break;
    }
    }
}

void row24(const std::uint8_t* s, std::uint32_t* d, int w)
{
    int x = 0;
    // Four pixels from three little-endian words: B0G0R0B1 G1R1B2G2 R2B3G3R3.
    for (; x + 4 <= w; x += 4, s += 12) {
        const std::uint32_t a = le32(s), b = le32(s + 4), c = le32(s + 8);
        d[x] = kOpaque | a;
        d[x + 1] = kOpaque | a >> 24 | b << 8;
        d[x + 2] = kOpaque | b >> 16 | c << 16;
        d[x + 3] = kOpaque | c >> 8;
    }
    for (; x < w; ++x, s += 3)
        d[x] = kOpaque | std::uint32_t(s[2]) << 16 | std::uint32_t(s[1]) << 8 | s[0];
}

#if PIKORA_BMP_SSSE3
// One byte shuffle spreads four BGR pixels to BGRX. Each 16-byte load uses 12
// bytes and stays inside the row's pixel bytes (x + 6 <= w).
__attribute__((target("ssse3"))) void row24Ssse3(const std::uint8_t* s, std::uint32_t* d, int w)
{
    const __m128i spread = _mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    const __m128i opaque = _mm_set1_epi32(static_cast<int>(kOpaque));
    int x = 0;
    for (; x + 6 <= w; x += 4, s += 12) {
        const __m128i bgr = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + x), _mm_or_si128(_mm_shuffle_epi8(bgr, spread), opaque));
    }
    row24(s, d + x, w - x);
}
#endif

void decode24(std::span<const std::uint8_t> data, Bitmap& bmp, bool topDown)
{
    const int w = bmp.width;
#if PIKORA_BMP_SSSE3
    if (__builtin_cpu_supports("ssse3")) {
        decodeRows(data, bmp.pixels, bmp, w, topDown, 24, kOpaque,
                   [w](const std::uint8_t* s, std::uint32_t* d) { row24Ssse3(s, d, w); });
        return;
    }
#endif
    decodeRows(data, bmp.pixels, bmp, w, topDown, 24, kOpaque,
               [w](const std::uint8_t* s, std::uint32_t* d) { row24(s, d, w); });
}

void decodeMasked(std::span<const std::uint8_t> data, Bitmap& bmp, bool topDown, unsigned bpp,
                  const std::array<std::uint32_t, 4>& masks)
{
    const int w = bmp.width;
    if (bpp == 32 && masks[0] == 0x00FF0000u && masks[1] == 0x0000FF00u && masks[2] == 0x000000FFu) {
        decodeRows(data, bmp.pixels, bmp, w, topDown, 32, kOpaque, [w](const std::uint8_t* s, std::uint32_t* d) {
            for (int x = 0; x < w; ++x, s += 4)
                d[x] = kOpaque | le32(s);
        });
        return;
    }
    const Channel red(masks[0], 16), green(masks[1], 8), blue(masks[2], 0);
    if (bpp == 16) { // 16-bit masks are at most 16 bits wide, so every channel has a table
        decodeRows(data, bmp.pixels, bmp, w, topDown, 16, kOpaque, [&](const std::uint8_t* s, std::uint32_t* d) {
            for (int x = 0; x < w; ++x, s += 2) {
                const std::uint32_t v = le16(s);
                d[x] = kOpaque | red(v) | green(v) | blue(v);
            }
        });
        return;
    }
    decodeRows(data, bmp.pixels, bmp, w, topDown, 32, kOpaque, [&](const std::uint8_t* s, std::uint32_t* d) {
        for (int x = 0; x < w; ++x, s += 4) {
            const std::uint32_t v = le32(s);
            d[x] = kOpaque | red(v) | green(v) | blue(v);
        }
    });
}

// Writes run-length indices in the stream's order (bottom row first) into
// an uninitialised buffer, and fills every pixel the stream skips or never
// reaches, and each row's padding, with index 0. Only the pixels ahead of the
// cursor in its row may be written early (by the short-run fast path); the
// cursor reaches them later and writes them again, or clears them as it
// leaves the row.
class RleCanvas {
public:
    explicit RleCanvas(Bitmap& bmp)
        : m_pixels(bmp.indices.data()), m_w(bmp.width), m_h(bmp.height), m_stride(std::int64_t(bmp.stride))
        , m_row(rowPtr(0))
    {
    }

    bool done() const { return m_y >= m_h; }

    // The bulk of a stream: a sequence of encoded runs that fit in the row,
    // handled with the cursor in registers and fixed-size stores of the run's
    // repeating pattern, 32 bytes at a time. Returns where the sequence ends.
    template <bool Four>
    std::size_t encodedRuns(const std::uint8_t* s, std::size_t i, std::size_t n)
    {
        std::uint8_t* const row = m_row;
        const std::uint8_t* p = s + i;
        const std::uint8_t* const end = s + n;
        const std::int64_t w = m_w;
        std::int64_t x = m_x;
        while (end - p >= 2) {
            const unsigned count = p[0];
            const std::int64_t span = (std::int64_t(count) + 31) & ~std::int64_t(31);
            if (count == 0 || x + span > w)
                break;
            const unsigned value = p[1];
            const std::uint64_t pattern = Four ? 0x0001000100010001ull * ((value >> 4) | (value & 0x0F) << 8)
                                               : 0x0101010101010101ull * value;
            std::uint8_t* d = row + x;
            for (std::int64_t k = 0; k < span; k += 32) {
#if defined(__SSE2__)
                const __m128i wide = _mm_set1_epi64x(static_cast<long long>(pattern));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k), wide);
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + k + 16), wide);
#else
                for (int b = 0; b < 32; b += 8)
                    std::memcpy(d + k + b, &pattern, 8);
#endif
            }
            x += count;
            p += 2;
        }
        m_x = x;
        return std::size_t(p - s);
    }

    // n copies of one index; the part past the row's end is dropped.
    void run(std::int64_t n, std::uint8_t index)
    {
        std::uint8_t* p = m_row + m_x;
        const std::int64_t room = m_w - m_x;
        if (n <= 32 && room >= 32) { // most runs are short: one fixed-size store
            std::memset(p, index, 32);
            m_x += n;
            return;
        }
        const std::int64_t k = std::min(n, room);
        std::memset(p, index, std::size_t(k));
        m_x += k;
    }

    // n indices given by indexAt(i); the part past the row's end is dropped.
    template <typename IndexAt>
    void put(std::int64_t n, IndexAt indexAt)
    {
        std::uint8_t* p = m_row + m_x;
        const std::int64_t k = std::min(n, m_w - m_x);
        for (std::int64_t i = 0; i < k; ++i)
            p[i] = indexAt(i);
        m_x += k;
    }

    void endOfLine() { moveTo(0, m_y + 1); }

    void delta(unsigned dx, unsigned dy) { moveTo(std::min<std::int64_t>(m_x + dx, m_w), m_y + dy); }

    void finish() { moveTo(0, m_h); }

private:
    std::uint8_t* rowPtr(std::int64_t y) const { return m_pixels + (m_h - 1 - y) * m_stride; }

    void clear(std::int64_t y, std::int64_t from, std::int64_t to)
    {
        if (from < to)
            std::memset(rowPtr(y) + from, 0, std::size_t(to - from));
    }

    // Moves the cursor forward, clearing what it passes over.
    void moveTo(std::int64_t x, std::int64_t y)
    {
        if (m_y >= m_h)
            return;
        if (y >= m_h) {
            y = m_h;
            x = 0;
        }
        if (y == m_y) {
            clear(m_y, m_x, x);
        } else {
            clear(m_y, m_x, m_stride);
            for (std::int64_t r = m_y + 1; r < y; ++r)
                clear(r, 0, m_stride);
            if (y < m_h)
                clear(y, 0, x);
        }
        m_x = x;
        m_y = y;
        if (y < m_h)
            m_row = rowPtr(y);
    }

    std::uint8_t* m_pixels;
    std::int64_t m_w;
    std::int64_t m_h;
    std::int64_t m_stride;
    std::uint8_t* m_row;
    std::int64_t m_x = 0;
    std::int64_t m_y = 0;
};

// BI_RLE8 / BI_RLE4: pairs of (count, value); count 0 escapes to end of line
// (0), end of bitmap (1), delta (2, dx, dy) or an absolute run of n pixels
// padded to a 16-bit boundary. A stream that ends early or runs past the image
// just stops there.
template <bool Four>
void decodeRle(std::span<const std::uint8_t> data, Bitmap& bmp)
{
    RleCanvas canvas(bmp);
    const std::uint8_t* s = data.data();
    const std::size_t n = data.size();
    std::size_t i = 0;
    while (!canvas.done()) {
        i = canvas.encodedRuns<Four>(s, i, n);
        if (n - i < 2)
            break;
        const unsigned count = s[i];
        const unsigned value = s[i + 1];
        i += 2;
        if (count > 0) {
            if constexpr (Four) {
                const auto hi = std::uint8_t(value >> 4), lo = std::uint8_t(value & 0x0F);
                if (hi == lo)
                    canvas.run(count, hi);
                else
                    canvas.put(count, [hi, lo](std::int64_t k) { return (k & 1) ? lo : hi; });
            } else {
                canvas.run(count, std::uint8_t(value));
            }
            continue;
        }
        if (value == 0) {
            canvas.endOfLine();
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (n - i < 2)
                break;
            canvas.delta(s[i], s[i + 1]);
            i += 2;
        } else {
            const std::size_t bytes = Four ? (value + 1) / 2 : value;
            const std::size_t present = std::min(bytes, n - i);
            const std::uint8_t* run = s + i;
            if constexpr (Four) {
                canvas.put(std::min<std::int64_t>(value, std::int64_t(present) * 2), [&](std::int64_t k) {
                    const unsigned b = run[k >> 1];
                    return std::uint8_t((k & 1) ? (b & 0x0F) : (b >> 4));
                });
            } else {
                canvas.put(std::int64_t(present), [&](std::int64_t k) { return run[k]; });
            }
            if (present < bytes)
                break;
            i += bytes + (bytes & 1);
            if (i > n)
                break;
        }
    }
    canvas.finish();
}

} // namespace

Bitmap decodeBmp(std::span<const std::uint8_t> bytes, BmpInfo* info, std::int64_t maxSide)
{
    if (bytes.empty())
        return {};
    if (bytes.size() < kFileHeaderSize)
        throwStreamRead();
    if (bytes[0] != 'B' || bytes[1] != 'M')
        throwInvalid();
    const std::uint32_t pixelOffset = le32(bytes.data() + 10);

    const Header h = readInfoHeader(bytes);
    if (h.planes != 1)
        throwInvalid();
    const Compression compression = compressionOf(h);
    const unsigned bpp = h.bitsPerPixel;
    if (!depthAllowed(h.family, compression, bpp))
        throwInvalid();

    // The one size cap, shared by every header variant.
    const std::int64_t cap = std::clamp<std::int64_t>(maxSide, 1, kMaxBitmapSide);
    const bool topDown = h.height < 0;
    const std::int64_t width = h.width;
    const std::int64_t height = topDown ? -h.height : h.height;
    if (width <= 0 || height <= 0 || width > cap || height > cap)
        throwInvalid();
    // Top-down bitmaps cannot be compressed.
    if (topDown && compression != Compression::Rgb && compression != Compression::Bitfields
        && compression != Compression::AlphaBitfields)
        throwInvalid();

    // Bit masks: after a 40-byte header they follow it (and count as part of
    // the colour table); later Windows headers carry them inside.
    std::size_t tableOffset = kFileHeaderSize + h.size;
    std::array<std::uint32_t, 4> masks {};
    if (compression == Compression::Bitfields || compression == Compression::AlphaBitfields) {
        masks = h.masks;
        if (h.size == 40) {
            const std::size_t count = compression == Compression::AlphaBitfields ? 4 : 3;
            if (bytes.size() < tableOffset + 4 * count)
                throwStreamRead();
            for (std::size_t i = 0; i < count; ++i)
                masks[i] = le32(bytes.data() + tableOffset + 4 * i);
            tableOffset += 4 * count;
        }
        if (!masksValid(masks, bpp))
            throwInvalid();
    } else if (bpp == 16) {
        masks = {0x7C00u, 0x03E0u, 0x001Fu, 0};
    } else if (bpp == 32) {
        masks = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0};
    }

    // Colour table: 2^bpp entries unless the header asks for fewer. Indices
    // past its end are black.
    Palette lut;
    lut.fill(kOpaque);
    int paletteSize = 0;
    if (bpp <= 8) {
        const std::uint32_t full = 1u << bpp;
        const std::uint32_t entries =
            h.colorsUsed != 0 && h.colorsUsed < full ? h.colorsUsed : full;
        const std::size_t entrySize = h.family == Family::Os2v1 ? 3 : 4;
        if ((bytes.size() - tableOffset) / entrySize < entries)
            throwStreamRead();
        const std::uint8_t* p = bytes.data() + tableOffset;
        for (std::uint32_t i = 0; i < entries; ++i, p += entrySize)
            lut[i] = kOpaque | std::uint32_t(p[2]) << 16 | std::uint32_t(p[1]) << 8 | p[0];
        paletteSize = static_cast<int>(entries);
    }

    Bitmap bmp;
    bmp.width = static_cast<int>(width);
    bmp.height = static_cast<int>(height);

    const std::span<const std::uint8_t> data =
        bytes.subspan(std::min<std::size_t>(pixelOffset, bytes.size()));
    if (bpp <= 8) {
        bmp.format = Bitmap::Format::Indexed8;
        bmp.colours = lut;
        bmp.colourCount = 1 << bpp;
        bmp.stride = static_cast<std::size_t>((width + 3) / 4 * 4);
        const auto size = bmp.stride * static_cast<std::size_t>(height);
        if (compression == Compression::Rgb) {
            bmp.indices.reserve(size);
            decodeIndexed(data, bmp, topDown, bpp);
        } else {
            bmp.indices.resize(size);
            if (compression == Compression::Rle8)
                decodeRle<false>(data, bmp);
            else
                decodeRle<true>(data, bmp);
        }
    } else {
        bmp.pixels.reserve(static_cast<std::size_t>(width * height));
        if (bpp == 24)
            decode24(data, bmp, topDown);
        else
            decodeMasked(data, bmp, topDown, bpp, masks);
    }

    if (info) {
        info->headerSize = h.size;
        info->headerName = h.name;
        info->bitsPerPixel = static_cast<int>(bpp);
        info->compression = compressionName(compression);
        info->width = bmp.width;
        info->height = bmp.height;
        info->topDown = topDown;
        info->paletteSize = paletteSize;
    }
    return bmp;
}

std::vector<std::uint32_t> rgb32Pixels(const Bitmap& bitmap)
{
    if (bitmap.format == Bitmap::Format::Rgb32)
        return bitmap.pixels;
    std::vector<std::uint32_t> out;
    out.reserve(std::size_t(bitmap.width) * std::size_t(bitmap.height));
    for (int y = 0; y < bitmap.height; ++y) {
        const std::uint8_t* row = bitmap.indices.data() + std::size_t(y) * bitmap.stride;
        for (int x = 0; x < bitmap.width; ++x)
            out.push_back(bitmap.colours[row[x]]);
    }
    return out;
}

} // namespace pikora

// libFuzzer target: the BMP decoder. Any input either decodes to a complete,
// opaque picture of the size its info reports, in the layout its depth calls
// for, or raises one of the two
// decoding errors; anything else (a crash, a sanitizer report, another
// exception, a broken invariant) is a finding.

#include "content/Bmp.h"
#include "content/Errors.h"

#include <cstdint>
#include <cstdlib>

namespace {
// Keeps the worst-case picture at 4 MiB so that a header announcing a huge
// image costs milliseconds, not seconds. The full cap is covered by tests.
constexpr std::int64_t kFuzzMaxSide = 1024;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    pikora::BmpInfo info;
    pikora::Bitmap bitmap;
    try {
        bitmap = pikora::decodeBmp({data, size}, &info, kFuzzMaxSide);
    } catch (const pikora::EReadError&) {
        return 0;
    } catch (const pikora::EInvalidGraphic&) {
        return 0;
    }
    using Format = pikora::Bitmap::Format;
    if (size == 0) {
        if (!bitmap.isEmpty() || !bitmap.pixels.empty() || !bitmap.indices.empty())
            std::abort();
        return 0;
    }
    if (bitmap.width != info.width || bitmap.height != info.height || bitmap.width <= 0
        || bitmap.height <= 0 || bitmap.width > kFuzzMaxSide || bitmap.height > kFuzzMaxSide)
        std::abort();
    const std::size_t w = std::size_t(bitmap.width), h = std::size_t(bitmap.height);
    if (bitmap.format != (info.bitsPerPixel <= 8 ? Format::Indexed8 : Format::Rgb32))
        std::abort();
    if (bitmap.format == Format::Indexed8) {
        if (!bitmap.pixels.empty() || bitmap.stride != (w + 3) / 4 * 4 || bitmap.indices.size() != bitmap.stride * h)
            std::abort();
        for (const std::uint32_t colour : bitmap.colours)
            if ((colour >> 24) != 0xFF)
                std::abort();
        // Row padding is never left as whatever the file held there.
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = w; x < bitmap.stride; ++x)
                if (bitmap.indices[y * bitmap.stride + x] != 0)
                    std::abort();
        // Only the indices the depth can express.
        const unsigned limit = 1u << info.bitsPerPixel;
        for (std::size_t y = 0; y < h; ++y)
            for (std::size_t x = 0; x < w; ++x)
                if (bitmap.indices[y * bitmap.stride + x] >= limit)
                    std::abort();
    } else {
        if (!bitmap.indices.empty() || bitmap.pixels.size() != w * h)
            std::abort();
        for (const std::uint32_t pixel : bitmap.pixels)
            if ((pixel >> 24) != 0xFF)
                std::abort();
    }
    return 0;
}

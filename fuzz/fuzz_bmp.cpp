// libFuzzer target: the BMP decoder. Any input either decodes to a complete,
// opaque picture of the size its info reports, or raises one of the two
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
    if (size == 0) {
        if (!bitmap.isEmpty() || !bitmap.pixels.empty())
            std::abort();
        return 0;
    }
    if (bitmap.width != info.width || bitmap.height != info.height || bitmap.width <= 0
        || bitmap.height <= 0 || bitmap.width > kFuzzMaxSide || bitmap.height > kFuzzMaxSide)
        std::abort();
    if (bitmap.pixels.size() != std::size_t(bitmap.width) * std::size_t(bitmap.height))
        std::abort();
    for (const std::uint32_t pixel : bitmap.pixels)
        if ((pixel >> 24) != 0xFF)
            std::abort();
    return 0;
}

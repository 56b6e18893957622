#pragma once
// The picture-loading rule's file half: the UI swaps in the result only after
// this returns, so a failed load leaves the old picture in place.

#include "content/Bmp.h"

#include <cstdint>
#include <string>

namespace pikora {

// No bitmap we build needs a file larger than an uncompressed 32-bit picture
// of the largest size plus room for headers and colour table (RLE at worst
// doubles 8-bit data, which stays below this). Bigger files are refused
// without being read.
inline constexpr std::uint64_t kMaxPictureFileBytes =
    std::uint64_t(kMaxBitmapSide) * kMaxBitmapSide * 4 + (1u << 20);

// Loads the picture file fileName (a bare name, relative to the working
// directory). The kind comes from the extension, the text after the last dot,
// in any case: ".bmp" is a bitmap, anything else throws EInvalidGraphic. The
// file is read by readContentFile's open rule, then decoded by decodeBmp; a
// 0-byte file gives the empty picture. Throws EFOpenError, EReadError or
// EInvalidGraphic with the user's texts.
Bitmap loadPicture(const std::string& fileName, BmpInfo* info = nullptr);

} // namespace pikora

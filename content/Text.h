#pragma once
// The text-loading rule's file half: Shift-JIS (Windows code page 932) text
// files decoded into the UTF-16 the text box holds.

#include <cstdint>
#include <span>
#include <string>

namespace pikora {

// The text box holds at most the text of a 1 MiB file (about half a million
// Japanese characters, far more than a story's world text). Larger files are
// refused from their size, before anything is read.
inline constexpr std::uint64_t kMaxTextFileBytes = 1u << 20;

// Decodes code page 932 bytes as Windows' MultiByteToWideChar(932) does and
// turns each line break (CR LF, a lone CR, a lone LF) into one u'\n'.
// Where Windows would substitute silently, we show U+FFFD instead:
//  - a lead byte followed by a byte that cannot be a trail byte, or by nothing
//    at the end of the text, is one U+FFFD and the following byte is decoded
//    on its own;
//  - an unassigned lead/trail pair is one U+FFFD; when its trail byte is ASCII
//    (0x40-0x7E) that byte is decoded on its own, so no letter is swallowed.
// Bytes 0x80, 0xA0 and 0xFD-0xFF map to U+0080, U+F8F0 and U+F8F1-U+F8F3,
// and the user-defined area 0xF040-0xF9FC to U+E000-U+E757, as on Windows.
std::u16string decodeCp932Text(std::span<const std::uint8_t> bytes);

// Reads fileName by readContentFile's open rule and decodes it. Throws
// EFOpenError when it cannot be opened and EOutOfResources
// (texts::MemoTooLarge) when it is larger than kMaxTextFileBytes.
std::u16string loadText(const std::string& fileName);

} // namespace pikora

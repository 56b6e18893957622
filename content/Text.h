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

// Decodes code page 932 bytes into UTF-16 with the character table of
// Windows' MultiByteToWideChar(932): ASCII, half-width katakana 0xA1-0xDF,
// JIS X 0208, NEC row 13, the NEC-selected IBM extensions (rows 89-92), the
// IBM extensions (0xFA-0xFC), the user-defined area 0xF040-0xF9FC as
// U+E000-U+E757, and the lone bytes 0x80, 0xA0 and 0xFD-0xFF as U+0080,
// U+F8F0 and U+F8F1-U+F8F3. Each line break (CR LF, a lone CR, a lone LF)
// becomes one u'\n'; a trail byte is never a CR or LF, so no double-byte
// character is split.
//
// Where the table has no character, the text shows U+FFFD (Windows would put
// its default character there), one for each broken sequence, and nothing
// after it is lost:
//  - a lead byte followed by a byte that cannot be a trail byte, or by nothing
//    at the end of the text, is one U+FFFD, and that next byte is decoded on
//    its own;
//  - an unassigned lead/trail pair is one U+FFFD; when its trail byte is ASCII
//    (0x40-0x7E) that byte is decoded on its own, so no letter is swallowed.
std::u16string decodeCp932Text(std::span<const std::uint8_t> bytes);

// Reads fileName by readContentFile's open rule and decodes it. Throws
// EFOpenError when it cannot be opened and EOutOfResources
// (texts::MemoTooLarge) when it is larger than kMaxTextFileBytes.
std::u16string loadText(const std::string& fileName);

} // namespace pikora

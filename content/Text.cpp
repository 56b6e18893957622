#include "content/Text.h"

#include "content/ContentFile.h"
#include "content/Cp932Table.h"
#include "content/Errors.h"

namespace pikora {

std::u16string decodeCp932Text(std::span<const std::uint8_t> bytes)
{
    constexpr char16_t kReplacement = u'\uFFFD';
    std::u16string text;
    text.resize(bytes.size()); // never more characters than bytes
    char16_t* out = text.data();
    const std::uint8_t* s = bytes.data();
    const std::size_t n = bytes.size();

    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            if (b == '\r') {
                *out++ = u'\n';
                i += (i + 1 < n && s[i + 1] == '\n') ? 2 : 1;
            } else {
                *out++ = b;
                ++i;
            }
            continue;
        }
        if (const char16_t single = cp932::kHighSingle[b - 0x80]) {
            *out++ = single;
            ++i;
            continue;
        }
        // A lead byte.
        const int trail = i + 1 < n ? cp932::trailIndex(s[i + 1]) : -1;
        if (trail < 0) {
            *out++ = kReplacement;
            ++i;
            continue;
        }
        const std::uint8_t row = cp932::kLeadRow[cp932::leadIndex(b)];
        const char16_t c = row == 0xFF ? 0 : cp932::kDouble[row][trail];
        if (c != 0) {
            *out++ = c;
            i += 2;
        } else {
            *out++ = kReplacement;
            i += s[i + 1] < 0x80 ? 1 : 2;
        }
    }
    text.resize(static_cast<std::size_t>(out - text.data()));
    return text;
}

std::u16string loadText(const std::string& fileName)
{
    const auto bytes = readContentFile(fileName, kMaxTextFileBytes);
    if (!bytes)
        throw EOutOfResources(std::string(texts::MemoTooLarge));
    return decodeCp932Text(*bytes);
}

} // namespace pikora

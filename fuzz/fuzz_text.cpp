// libFuzzer target: the code page 932 text decoder. Whatever the bytes, it
// yields at most one character per byte, only '\n' line breaks, and a NUL
// only where the input has one.

#include "content/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::u16string text = pikora::decodeCp932Text({data, size});
    if (text.size() > size)
        std::abort();
    if (text.find(u'\r') != std::u16string::npos)
        std::abort();
    const bool inputHasNul = std::find(data, data + size, 0) != data + size;
    if (!inputHasNul && text.find(u'\0') != std::u16string::npos)
        std::abort();
    const auto breaksIn = std::count(data, data + size, '\n') + std::count(data, data + size, '\r');
    if (std::count(text.begin(), text.end(), u'\n') > breaksIn)
        std::abort();
    return 0;
}

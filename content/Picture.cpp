#include "content/Picture.h"

#include "content/ContentFile.h"
#include "content/Errors.h"

#include <string_view>

namespace pikora {
namespace {

bool hasBitmapExtension(std::string_view fileName)
{
    const std::size_t slash = fileName.rfind('/');
    const std::string_view base = slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const std::size_t dot = base.rfind('.');
    if (dot == std::string_view::npos)
        return false;
    const std::string_view ext = base.substr(dot + 1);
    constexpr std::string_view bmp = "bmp";
    if (ext.size() != bmp.size())
        return false;
    for (std::size_t i = 0; i < ext.size(); ++i) {
        const char c = ext[i] >= 'A' && ext[i] <= 'Z' ? static_cast<char>(ext[i] - 'A' + 'a') : ext[i];
        if (c != bmp[i])
            return false;
    }
    return true;
}

} // namespace

Bitmap loadPicture(const std::string& fileName, BmpInfo* info)
{
    if (!hasBitmapExtension(fileName))
        throw EInvalidGraphic(std::string(texts::InvalidBitmap));
    const auto bytes = readContentFile(fileName, kMaxPictureFileBytes);
    if (!bytes)
        throw EInvalidGraphic(std::string(texts::InvalidBitmap));
    return decodeBmp(*bytes, info);
}

} // namespace pikora

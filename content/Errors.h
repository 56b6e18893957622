#pragma once
// The failures that loading and media operations raise. Their what() is the
// UTF-8 text the user sees; the error box adds the final full stop.

#include <stdexcept>
#include <string>
#include <string_view>

namespace pikora {

class Exception : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A content file cannot be opened (missing, locked by another program, not a
// regular file, no access).
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A stream ended before a structure the reader needs was complete.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// The bytes do not describe a bitmap that can be built.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A system resource (a timer, the text box's capacity) is exhausted.
class EOutOfResources : public Exception {
public:
    using Exception::Exception;
};

namespace texts {
inline constexpr std::string_view CannotOpenFile = "ﾌｧｲﾙ %s は開けません";
inline constexpr std::string_view StreamRead = "ｽﾄﾘｰﾑからの読み込みｴﾗｰ";
inline constexpr std::string_view InvalidBitmap = "ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です";
inline constexpr std::string_view MemoTooLarge = "文字列の大きさが ﾒﾓ の制限を越えました";
inline constexpr std::string_view NoTimers = "ﾀｲﾏｰを取得できません";
inline constexpr std::string_view UnknownError = "原因不明のｴﾗｰ";
} // namespace texts

// "ﾌｧｲﾙ %s は開けません" with the name as it was passed to the loader.
inline std::string cannotOpenText(std::string_view fileName)
{
    // Built by appending: string::replace here trips g++ 12's -Wrestrict.
    constexpr std::string_view pattern = texts::CannotOpenFile;
    constexpr std::size_t at = pattern.find("%s");
    std::string text;
    text.reserve(pattern.size() - 2 + fileName.size());
    text.append(pattern.substr(0, at)).append(fileName).append(pattern.substr(at + 2));
    return text;
}

// The text as the error box shows it (UTF-8): a final "." is added unless the
// text is empty or already ends in "." or a character with a lower code. The
// last byte of a multi-byte character is never below 0x80, so looking at the
// last byte is enough.
inline std::string errorBoxText(std::string text)
{
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.')
        text += '.';
    return text;
}

} // namespace pikora

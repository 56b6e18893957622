#include "media/MciError.h"

#include <string_view>

namespace pikora {

namespace {

struct Description {
    int code;
    std::string_view text;
};

// The one table of descriptions. Short sentences as the layer gives them;
// the error box adds the final full stop.
constexpr Description descriptions[] = {
    {mci::InvalidDeviceId, "ﾃﾞﾊﾞｲｽが開かれていません"},
    {mci::Hardware, "ﾃﾞﾊﾞｲｽでﾊｰﾄﾞｳｪｱｴﾗｰが発生しました"},
    {mci::OutOfMemory, "ﾒﾓﾘが不足しています"},
    {mci::FileNotFound, "指定されたﾌｧｲﾙが見つかりません"},
    {mci::DeviceNotReady, "ﾃﾞﾊﾞｲｽの準備ができていません"},
    {mci::ExtensionNotFound, "ﾌｧｲﾙの拡張子からﾃﾞﾊﾞｲｽの種類を選べません"},
    {mci::InvalidFile, "このﾌｧｲﾙはﾃﾞﾊﾞｲｽで再生できない形式です"},
    {mci::FilenameRequired, "ﾌｧｲﾙ名が指定されていません"},
    {mci::OutputsUnsuitable, "この形式を再生できる出力ﾃﾞﾊﾞｲｽがありません"},
    {mci::FileRead, "ﾌｧｲﾙを開けないか、読み込めません"},
};

} // namespace

std::string mciErrorText(int code)
{
    for (const Description &d : descriptions) {
        if (d.code == code)
            return std::string(d.text);
    }
    return std::string(texts::UnknownError);
}

EMCIDeviceError::EMCIDeviceError(int code)
    : Exception(mciErrorText(code))
    , code_(code)
{
}

} // namespace pikora

#pragma once
// Small helpers shared by the content tests.

#include "content/Errors.h"

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <typeinfo>
#include <vector>

namespace testsupport {

inline QString fixturePath(const QString& name)
{
    return QStringLiteral(PIKORA_FIXTURES "/") + name;
}

inline QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

inline void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

inline std::span<const std::uint8_t> bytesOf(const QByteArray& data)
{
    return {reinterpret_cast<const std::uint8_t*>(data.constData()), static_cast<std::size_t>(data.size())};
}

struct Ppm {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels; // 0xFFRRGGBB
    bool ok = false;                   // a well-formed binary PPM
};

inline Ppm parsePpm(const QByteArray& data)
{
    static const QRegularExpression header(QStringLiteral("^P6\\s+(\\d+)\\s+(\\d+)\\s+255\\s"));
    const auto match = header.match(QString::fromLatin1(data.left(32)));
    if (!match.hasMatch())
        return {};
    Ppm ppm;
    ppm.width = match.captured(1).toInt();
    ppm.height = match.captured(2).toInt();
    const auto* p = reinterpret_cast<const std::uint8_t*>(data.constData()) + match.capturedLength(0);
    if (data.size() - match.capturedLength(0) < qsizetype(ppm.width) * ppm.height * 3)
        return {};
    for (int i = 0; i < ppm.width * ppm.height; ++i, p += 3)
        ppm.pixels.push_back(0xFF000000u | std::uint32_t(p[0]) << 16 | std::uint32_t(p[1]) << 8 | p[2]);
    ppm.ok = true;
    return ppm;
}

inline Ppm readPpm(const QString& path)
{
    return parsePpm(readAll(path));
}

// "read: <text>", "invalid: <text>", "open: <text>", "resources: <text>" for
// the error that fn raises, "" when it raises none.
inline QString errorOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const pikora::EReadError& e) {
        return QStringLiteral("read: ") + QString::fromUtf8(e.what());
    } catch (const pikora::EInvalidGraphic& e) {
        return QStringLiteral("invalid: ") + QString::fromUtf8(e.what());
    } catch (const pikora::EFOpenError& e) {
        return QStringLiteral("open: ") + QString::fromUtf8(e.what());
    } catch (const pikora::EOutOfResources& e) {
        return QStringLiteral("resources: ") + QString::fromUtf8(e.what());
    } catch (const std::exception& e) {
        return QStringLiteral("unexpected %1: %2").arg(QString::fromUtf8(typeid(e).name()), QString::fromUtf8(e.what()));
    }
    return {};
}

// The user's error texts, spelt out here rather than taken from the code.
inline const QString kStreamRead = QStringLiteral("read: ") + QString::fromUtf8("ｽﾄﾘｰﾑからの読み込みｴﾗｰ");
inline const QString kInvalidBitmap = QStringLiteral("invalid: ") + QString::fromUtf8("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です");
inline const QString kMemoTooLarge =
    QStringLiteral("resources: ") + QString::fromUtf8("文字列の大きさが ﾒﾓ の制限を越えました");
inline QString cannotOpenText(const QString& name)
{
    return QStringLiteral("open: ") + QString::fromUtf8("ﾌｧｲﾙ %1 は開けません").arg(name);
}

} // namespace testsupport

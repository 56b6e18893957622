#include "tests/support/Fixtures.h"

#include <QFile>

#include <cmath>
#include <numbers>
#include <stdexcept>

namespace pikora::test {

namespace {

void put16(QByteArray& out, unsigned v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, unsigned v)
{
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

} // namespace

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write fixture " + path.toStdString());
}

void writeSolidBmp(const QString& path, int width, int height, QColor colour)
{
    const unsigned stride = (unsigned(width) * 3 + 3) & ~3u;
    const unsigned pixelBytes = stride * unsigned(height);
    QByteArray out;
    out.append("BM");
    put32(out, 54 + pixelBytes);
    put32(out, 0);
    put32(out, 54);
    put32(out, 40);
    put32(out, unsigned(width));
    put32(out, unsigned(height));
    put16(out, 1);
    put16(out, 24);
    put32(out, 0);
    put32(out, pixelBytes);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    QByteArray row(int(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[3 * x] = char(colour.blue());
        row[3 * x + 1] = char(colour.green());
        row[3 * x + 2] = char(colour.red());
    }
    for (int y = 0; y < height; ++y)
        out.append(row);
    writeBytes(path, out);
}

void writeToneWav(const QString& path, int milliseconds, int frequency, int rate)
{
    const unsigned frames = unsigned(qint64(rate) * milliseconds / 1000);
    QByteArray out;
    out.append("RIFF");
    put32(out, 36 + frames * 2);
    out.append("WAVEfmt ");
    put32(out, 16);
    put16(out, 1);
    put16(out, 1);
    put32(out, unsigned(rate));
    put32(out, unsigned(rate) * 2);
    put16(out, 2);
    put16(out, 16);
    out.append("data");
    put32(out, frames * 2);
    for (unsigned i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        put16(out, unsigned(qint16(std::lround(12000 * std::sin(2 * std::numbers::pi * frequency * t)))) & 0xFFFF);
    }
    writeBytes(path, out);
}

} // namespace pikora::test

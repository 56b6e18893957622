#include "Quantise.h"

#include <algorithm>
#include <limits>
#include <map>
#include <stdexcept>
#include <unordered_map>

namespace artgen {
namespace {

// Weighted so that errors in green, which the eye sees best, count most.
int distance(QRgb a, QRgb b)
{
    const int dr = qRed(a) - qRed(b);
    const int dg = qGreen(a) - qGreen(b);
    const int db = qBlue(a) - qBlue(b);
    return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
}

} // namespace

IndexedImage quantise(const QImage &source, const std::vector<QRgb> &designed, int maxColours)
{
    if (maxColours < 1 || maxColours > 256 || int(designed.size()) > maxColours)
        throw std::logic_error("bad palette size");
    const QImage image = source.convertToFormat(QImage::Format_RGB32);

    std::unordered_map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            ++counts[line[x] | 0xff000000u];
    }

    IndexedImage out;
    out.width = image.width();
    out.height = image.height();
    for (QRgb c : designed) {
        c |= 0xff000000u;
        if (std::find(out.palette.begin(), out.palette.end(), c) == out.palette.end())
            out.palette.push_back(c);
    }
    std::vector<std::pair<int, QRgb>> others;
    for (const auto &[colour, count] : counts)
        if (std::find(out.palette.begin(), out.palette.end(), colour) == out.palette.end())
            others.emplace_back(count, colour);
    std::sort(others.begin(), others.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    for (const auto &entry : others) {
        if (int(out.palette.size()) >= maxColours)
            break;
        out.palette.push_back(entry.second);
    }

    std::map<QRgb, std::uint8_t> nearest;
    for (const auto &entry : counts) {
        int best = 0;
        int bestDistance = std::numeric_limits<int>::max();
        for (std::size_t i = 0; i < out.palette.size(); ++i) {
            const int d = distance(entry.first, out.palette[i]);
            if (d < bestDistance) {
                bestDistance = d;
                best = int(i);
            }
        }
        nearest[entry.first] = std::uint8_t(best);
    }

    out.pixels.resize(std::size_t(out.width) * std::size_t(out.height));
    for (int y = 0; y < out.height; ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < out.width; ++x)
            out.pixels[std::size_t(y) * std::size_t(out.width) + std::size_t(x)] = nearest[line[x] | 0xff000000u];
    }
    return out;
}

QImage expand(const IndexedImage &image)
{
    QImage out(image.width, image.height, QImage::Format_RGB32);
    for (int y = 0; y < image.height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < image.width; ++x)
            line[x] = image.palette[image.at(x, y)];
    }
    return out;
}

} // namespace artgen

// Picture decoding, ours against Qt's BMP reader and stb_image on the same
// files in one run, beside the machine's floor: a plain copy of the file's
// pixel bytes into a freshly allocated image of the decoded size (a byte a
// pixel for files of up to 8 bits, which ours keeps indexed, as Qt does; four
// bytes a pixel for the others, and for comparison with every file).
//
//   pikora-bench-decode --fixtures=DIR [--memory=fresh|reused] [benchmark flags]
//
// Every candidate ends in a QImage that can be drawn as it is, and is timed
// from the file's bytes in memory to that image and its release. The label of
// each result names the pixel format it ended in.
//
// For the story's own formats (8-bit and RLE8 at 640 x 400) it also times
// what the user waits for: decoding plus the first stretched draw into the
// scene area, and a redraw alone. The picture component draws an indexed
// picture from a 32-bit copy it makes at the first draw; Qt's own indexed
// image, drawn as it is, is filtered through its colour table every time.
//
// --memory=fresh (the default) fixes malloc's mmap threshold at 128 KiB, so
// every picture of 640 x 400 and up lands in new pages, as a picture loaded
// into a long-running program does; --memory=reused leaves glibc's sliding
// threshold alone, which soon recycles the previous iteration's pages.

#include "bench/Flags.h"
#include "components/Image.h"
#include "content/Bmp.h"

#include <QImage>
#include <QMetaEnum>
#include <QPainter>

#include <benchmark/benchmark.h>
#include <stb/stb_image.h>

#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct Fixture {
    std::string name;
    std::vector<std::uint8_t> bytes;
    int width = 0;
    int height = 0;
    std::size_t pixelOffset = 0;
    int bitsPerPixel = 0;

    std::span<const std::uint8_t> span() const { return bytes; }
    std::int64_t pixels() const { return std::int64_t(width) * height; }
};

// The files bench/make-fixtures writes, smallest first.
constexpr const char* kFixtureNames[] = {
    "icon-64x64-4bit",
    "scene-640x400-8bit",
    "scene-640x400-rle8",
    "scene-1920x1080-24bit",
    "scene-1920x1080-32bit-bitfields",
};

std::uint32_t le32(const std::uint8_t* p)
{
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}

Fixture loadFixture(const std::string& dir, const std::string& name)
{
    Fixture f;
    f.name = name;
    std::ifstream in(dir + "/" + name + ".bmp", std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + dir + "/" + name + ".bmp (run bench/make-fixtures)");
    f.bytes.assign(std::istreambuf_iterator<char>(in), {});
    if (f.bytes.size() < 54)
        throw std::runtime_error(name + ": too short");
    f.pixelOffset = le32(f.bytes.data() + 10);
    f.width = int(le32(f.bytes.data() + 18));
    f.height = std::abs(int(le32(f.bytes.data() + 22)));
    f.bitsPerPixel = f.bytes[28] | f.bytes[29] << 8;
    return f;
}

const char* formatName(QImage::Format format)
{
    return QMetaEnum::fromType<QImage::Format>().valueToKey(format);
}

// The candidates. Each returns the drawable image it made; the caller drops it
// inside the timed loop, so freeing is paid for too.

QImage decodeOurs(const Fixture& f)
{
    return pikora::toImage(pikora::decodeBmp(f.span()));
}

// Ours expanded to 32 bits (indexed files only), to compare with Qt's.
QImage decodeOursTo32(const Fixture& f)
{
    QImage image = decodeOurs(f);
    if (image.depth() < 32)
        image.convertTo(QImage::Format_RGB32);
    return image;
}

QImage decodeQt(const Fixture& f)
{
    QImage image;
    image.loadFromData(f.bytes.data(), int(f.bytes.size()), "BMP");
    return image;
}

// Qt's result in a 32-bit format, as ours always is (indexed files only).
QImage decodeQtTo32(const Fixture& f)
{
    QImage image = decodeQt(f);
    if (image.depth() < 32)
        image.convertTo(QImage::Format_RGB32);
    return image;
}

QImage wrapStb(stbi_uc* pixels, int width, int height, int channels)
{
    if (!pixels)
        return {};
    const QImage::Format format = channels == 4 ? QImage::Format_RGBA8888
        : channels == 3                         ? QImage::Format_RGB888
                                                : QImage::Format_Grayscale8;
    return QImage(pixels, width, height, qsizetype(width) * channels, format, stbi_image_free, pixels);
}

// stb_image as it comes: as many channels as the file has (RGB for indexed
// and 24-bit files, RGBA for 32-bit ones).
QImage decodeStb(const Fixture& f)
{
    int w = 0, h = 0, n = 0;
    stbi_uc* p = stbi_load_from_memory(f.bytes.data(), int(f.bytes.size()), &w, &h, &n, 0);
    return wrapStb(p, w, h, n);
}

// stb_image asked for four bytes a pixel, the size ours writes.
QImage decodeStbTo32(const Fixture& f)
{
    int w = 0, h = 0, n = 0;
    stbi_uc* p = stbi_load_from_memory(f.bytes.data(), int(f.bytes.size()), &w, &h, &n, 4);
    return wrapStb(p, w, h, 4);
}

// The floor: fresh memory for a decoded image of bytesPerPixel bytes a pixel
// (rows padded to 4 bytes, as ours and Qt's are), filled by copying the
// file's pixel bytes (again from their start where the file holds fewer bytes
// than the image, so every page of the image is written once).
void floorCopy(benchmark::State& state, const Fixture& f, int bytesPerPixel)
{
    const std::size_t stride = (std::size_t(f.width) * std::size_t(bytesPerPixel) + 3) / 4 * 4;
    const std::size_t outBytes = stride * std::size_t(f.height);
    const std::uint8_t* src = f.bytes.data() + f.pixelOffset;
    const std::size_t srcBytes = f.bytes.size() - f.pixelOffset;
    for (auto _ : state) {
        std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[outBytes]); // not value-initialised
        for (std::size_t done = 0; done < outBytes;) {
            const std::size_t n = std::min(srcBytes, outBytes - done);
            std::memcpy(out.get() + done, src, n);
            done += n;
        }
        benchmark::DoNotOptimize(out.get());
        benchmark::ClobberMemory();
    }
    state.SetLabel(bytesPerPixel == 1 ? "raw 8-bit buffer" : "raw 32-bit buffer");
    state.SetItemsProcessed(state.iterations() * f.pixels());
    state.SetBytesProcessed(state.iterations() * std::int64_t(f.bytes.size()));
}

using Decoder = QImage (*)(const Fixture&);

void timeDecoder(benchmark::State& state, const Fixture& f, Decoder decode)
{
    QImage::Format format = QImage::Format_Invalid;
    for (auto _ : state) {
        QImage image = decode(f);
        benchmark::DoNotOptimize(image.constBits());
        format = image.format();
    }
    if (format == QImage::Format_Invalid) {
        state.SkipWithError("cannot read this file");
        return;
    }
    state.SetLabel(formatName(format));
    state.SetItemsProcessed(state.iterations() * f.pixels());
    state.SetBytesProcessed(state.iterations() * std::int64_t(f.bytes.size()));
}

// The scene area of the designed main window, drawn as the picture component
// draws: stretched, with smooth filtering.
constexpr int kSceneWidth = 304;
constexpr int kSceneHeight = 201;

void drawStretched(const QImage& picture, QImage& canvas)
{
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(canvas.rect(), picture);
}

void timeDecodeAndDraw(benchmark::State& state, const Fixture& f, Decoder decode)
{
    QImage canvas(kSceneWidth, kSceneHeight, QImage::Format_RGB32);
    QImage::Format format = QImage::Format_Invalid;
    for (auto _ : state) {
        const QImage picture = decode(f);
        drawStretched(picture, canvas);
        benchmark::DoNotOptimize(canvas.constBits());
        format = picture.format();
    }
    state.SetLabel(formatName(format));
    state.SetItemsProcessed(state.iterations() * f.pixels());
}

void timeRedraw(benchmark::State& state, const Fixture& f, Decoder decode)
{
    QImage canvas(kSceneWidth, kSceneHeight, QImage::Format_RGB32);
    const QImage picture = decode(f);
    for (auto _ : state) {
        drawStretched(picture, canvas);
        benchmark::DoNotOptimize(canvas.constBits());
    }
    state.SetLabel(formatName(picture.format()));
    state.SetItemsProcessed(state.iterations() * f.pixels());
}

// Pixels as 0xAARRGGBB, whatever the candidate's own format, for checking
// that the candidates agree before they are timed.
QImage normalised(const QImage& image)
{
    return image.isNull() ? image : image.convertToFormat(QImage::Format_ARGB32);
}

int countDifferences(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return -1;
    int differences = 0;
    for (int y = 0; y < a.height(); ++y) {
        const auto* pa = reinterpret_cast<const std::uint32_t*>(a.constScanLine(y));
        const auto* pb = reinterpret_cast<const std::uint32_t*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            differences += (pa[x] | 0xFF000000u) != (pb[x] | 0xFF000000u);
    }
    return differences;
}

bool checkAgreement(const Fixture& f)
{
    const QImage ours = normalised(decodeOurs(f));
    bool ok = true;
    const std::pair<const char*, Decoder> peers[] = {{"qt", decodeQt}, {"stb", decodeStb}};
    for (const auto& [name, decode] : peers) {
        const QImage theirs = normalised(decode(f));
        if (theirs.isNull()) {
            std::fprintf(stderr, "%-34s %-4s cannot read it\n", f.name.c_str(), name);
            continue;
        }
        const int d = countDifferences(ours, theirs);
        std::fprintf(stderr, "%-34s %-4s %s\n", f.name.c_str(), name,
                     d == 0 ? "same pixels as ours" : d < 0 ? "DIFFERENT SIZE" : "DIFFERENT PIXELS");
        ok = ok && d == 0;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    const char* env = std::getenv("PIKORA_BENCH_FIXTURES");
    const std::string dir = takeFlag(argc, argv, "fixtures", env ? env : "bench-fixtures");
    const std::string memory = takeFlag(argc, argv, "memory", "fresh");
    if (memory == "fresh") {
        // A fixed threshold also stops glibc from raising it after each free.
        mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    } else if (memory != "reused") {
        std::fprintf(stderr, "--memory is fresh or reused\n");
        return 2;
    }
    benchmark::AddCustomContext("memory", memory);

    std::vector<std::unique_ptr<Fixture>> fixtures;
    try {
        for (const char* name : kFixtureNames)
            fixtures.push_back(std::make_unique<Fixture>(loadFixture(dir, name)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 2;
    }
    bool agree = true;
    for (const auto& f : fixtures)
        agree = checkAgreement(*f) && agree;
    if (!agree) {
        std::fprintf(stderr, "the decoders disagree; not timing them\n");
        return 1;
    }

    const std::pair<const char*, Decoder> candidates[] = {
        {"pikora", decodeOurs}, {"pikora-to-32bit", decodeOursTo32}, {"qt", decodeQt},
        {"qt-to-32bit", decodeQtTo32}, {"stb", decodeStb}, {"stb-to-32bit", decodeStbTo32},
    };
    for (const auto& f : fixtures) {
        const Fixture* fixture = f.get();
        const bool indexed = f->bitsPerPixel <= 8;
        for (const auto& [name, decode] : candidates) {
            const std::string_view n = name;
            if (!indexed && (n == "pikora-to-32bit" || n == "qt-to-32bit"))
                continue; // the same as without
            benchmark::RegisterBenchmark(("decode/" + f->name + "/" + name).c_str(),
                                         [fixture, decode = decode](benchmark::State& state) {
                                             timeDecoder(state, *fixture, decode);
                                         })
                ->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
        }
        // "floor" is the size ours decodes to; "floor-32bit" the expanded one.
        benchmark::RegisterBenchmark(("decode/" + f->name + "/floor").c_str(),
                                     [fixture, indexed](benchmark::State& state) {
                                         floorCopy(state, *fixture, indexed ? 1 : 4);
                                     })
            ->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
        if (indexed)
            benchmark::RegisterBenchmark(("decode/" + f->name + "/floor-32bit").c_str(),
                                         [fixture](benchmark::State& state) { floorCopy(state, *fixture, 4); })
                ->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
    }

    for (const auto& f : fixtures) {
        if (f->name != "scene-640x400-8bit" && f->name != "scene-640x400-rle8")
            continue;
        const Fixture* fixture = f.get();
        // Ours as the picture component draws it: from a 32-bit copy made once.
        for (const auto& [name, decode] :
             {std::pair<const char*, Decoder>{"pikora", decodeOursTo32}, {"qt", decodeQt}}) {
            benchmark::RegisterBenchmark(("decode-and-draw/" + f->name + "/" + name).c_str(),
                                         [fixture, decode = decode](benchmark::State& state) {
                                             timeDecodeAndDraw(state, *fixture, decode);
                                         })
                ->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark(("redraw/" + f->name + "/" + name).c_str(),
                                         [fixture, decode = decode](benchmark::State& state) {
                                             timeRedraw(state, *fixture, decode);
                                         })
                ->MeasureProcessCPUTime()->Unit(benchmark::kMicrosecond);
        }
    }

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

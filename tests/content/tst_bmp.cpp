// The BMP decoder against one table of fixtures: ImageMagick's files (an
// encoder that is not ours) with ImageMagick's own decode as the expected
// pixels, hand-built odd variants and cut-short files with the pixels they
// were built from, and one file per refusal with its error text.

#include "TestSupport.h"

#include "content/Bmp.h"

#include <QDir>
#include <QTest>
#include <QtEndian>

#include <set>

using namespace testsupport;

namespace {

enum class Expect { Pixels, StreamRead, Invalid };

struct Fixture {
    const char* name;
    Expect expect;
    const char* info; // "header bpp compression rows palette" for decoded files
};

// clang-format off
const Fixture kFixtures[] = {
    // ImageMagick: BMP2 (12-byte header), BMP3 (40), BMP (108 / 124).
    {"im_core_1bit",            Expect::Pixels, "12 1 RGB bottom-up 2"},
    {"im_core_4bit",            Expect::Pixels, "12 4 RGB bottom-up 16"},
    {"im_core_8bit",            Expect::Pixels, "12 8 RGB bottom-up 256"},
    {"im_core_24bit",           Expect::Pixels, "12 24 RGB bottom-up 0"},
    {"im_v3_1bit",              Expect::Pixels, "40 1 RGB bottom-up 2"},
    {"im_v3_4bit",              Expect::Pixels, "40 4 RGB bottom-up 16"},
    {"im_v3_8bit",              Expect::Pixels, "40 8 RGB bottom-up 256"},
    {"im_v3_rle8",              Expect::Pixels, "40 8 RLE8 bottom-up 256"},
    {"im_v3_rle8_noisy",        Expect::Pixels, "40 8 RLE8 bottom-up 256"},
    {"im_v3_24bit",             Expect::Pixels, "40 24 RGB bottom-up 0"},
    {"im_v4_1bit",              Expect::Pixels, "108 1 RGB bottom-up 2"},
    {"im_v5_4bit",              Expect::Pixels, "124 4 RGB bottom-up 16"},
    {"im_v5_8bit",              Expect::Pixels, "124 8 RGB bottom-up 256"},
    {"im_v5_rle8",              Expect::Pixels, "124 8 RLE8 bottom-up 256"},
    {"im_v5_24bit",             Expect::Pixels, "124 24 RGB bottom-up 0"},
    {"im_v5_32bit_alpha",       Expect::Pixels, "124 32 BITFIELDS bottom-up 0"},
    {"im_v5_16bit_555",         Expect::Pixels, "124 16 BITFIELDS bottom-up 0"},
    {"im_v5_16bit_565",         Expect::Pixels, "124 16 BITFIELDS bottom-up 0"},
    {"im_v5_16bit_4444",        Expect::Pixels, "124 16 BITFIELDS bottom-up 0"},
    {"im_v5_16bit_1555",        Expect::Pixels, "124 16 BITFIELDS bottom-up 0"},
    // Hand-built variants.
    {"hand_os2v2_16_8bit",      Expect::Pixels, "16 8 RGB bottom-up 256"},
    {"hand_os2v2_64_4bit",      Expect::Pixels, "64 4 RGB bottom-up 10"},
    {"hand_os2v2_64_rle8",      Expect::Pixels, "64 8 RLE8 bottom-up 16"},
    {"hand_core_8bit_w1",       Expect::Pixels, "12 8 RGB bottom-up 256"},
    {"hand_1bit_w9",            Expect::Pixels, "40 1 RGB bottom-up 2"},
    {"hand_4bit_w5",            Expect::Pixels, "40 4 RGB bottom-up 16"},
    {"hand_8bit_short_palette", Expect::Pixels, "40 8 RGB bottom-up 3"},
    {"hand_4bit_colors_used_300", Expect::Pixels, "40 4 RGB bottom-up 16"},
    {"hand_8bit_palette_reserved", Expect::Pixels, "40 8 RGB bottom-up 2"},
    {"hand_8bit_gap",           Expect::Pixels, "40 8 RGB bottom-up 16"},
    {"hand_v5_8bit_offset_inside_header", Expect::Pixels, "124 8 RGB bottom-up 16"},
    {"hand_24bit_top_down",     Expect::Pixels, "40 24 RGB top-down 0"},
    {"hand_8bit_top_down",      Expect::Pixels, "40 8 RGB top-down 16"},
    {"hand_32bit_rgb_high_byte", Expect::Pixels, "40 32 RGB bottom-up 0"},
    {"hand_16bit_rgb_555",      Expect::Pixels, "40 16 RGB bottom-up 0"},
    {"hand_v3_bitfields_565",   Expect::Pixels, "40 16 BITFIELDS bottom-up 0"},
    {"hand_v2_bitfields_444",   Expect::Pixels, "52 16 BITFIELDS bottom-up 0"},
    {"hand_v3_bitfields_1010102", Expect::Pixels, "56 32 BITFIELDS bottom-up 0"},
    {"hand_v3_alphabitfields_rgba", Expect::Pixels, "40 32 ALPHABITFIELDS bottom-up 0"},
    {"hand_v4_alphabitfields_5551", Expect::Pixels, "108 16 ALPHABITFIELDS bottom-up 0"},
    {"hand_v3_bitfields_top_down", Expect::Pixels, "40 32 BITFIELDS top-down 0"},
    {"hand_rle8_escapes",       Expect::Pixels, "40 8 RLE8 bottom-up 16"},
    {"hand_rle4",               Expect::Pixels, "40 4 RLE4 bottom-up 16"},
    {"hand_rle8_clipped",       Expect::Pixels, "40 8 RLE8 bottom-up 16"},
    {"hand_rle8_runs_past_image", Expect::Pixels, "40 8 RLE8 bottom-up 16"},
    // Pixel data shorter than announced.
    {"trunc_8bit_mid_row",      Expect::Pixels, "40 8 RGB bottom-up 16"},
    {"trunc_24bit_mid_pixel",   Expect::Pixels, "40 24 RGB bottom-up 0"},
    {"trunc_4bit_no_pixels",    Expect::Pixels, "40 4 RGB bottom-up 16"},
    {"trunc_24bit_offset_past_end", Expect::Pixels, "40 24 RGB bottom-up 0"},
    {"trunc_rle8_in_absolute",  Expect::Pixels, "40 8 RLE8 bottom-up 16"},
    {"trunc_rle4_mid_pair",     Expect::Pixels, "40 4 RLE4 bottom-up 16"},
    // Ends before a structure is complete.
    {"bad_short_1_byte",            Expect::StreamRead, ""},
    {"bad_short_13_bytes",          Expect::StreamRead, ""},
    {"bad_short_not_bm_5_bytes",    Expect::StreamRead, ""},
    {"bad_short_file_header_only",  Expect::StreamRead, ""},
    {"bad_short_in_header_size",    Expect::StreamRead, ""},
    {"bad_short_in_info_header",    Expect::StreamRead, ""},
    {"bad_short_in_core_header",    Expect::StreamRead, ""},
    {"bad_short_in_masks",          Expect::StreamRead, ""},
    {"bad_short_in_palette",        Expect::StreamRead, ""},
    {"bad_short_in_core_palette",   Expect::StreamRead, ""},
    // Not a bitmap that can be built.
    {"bad_signature_ba",            Expect::Invalid, ""},
    {"bad_signature_mb",            Expect::Invalid, ""},
    {"bad_planes_0",                Expect::Invalid, ""},
    {"bad_planes_2",                Expect::Invalid, ""},
    {"bad_header_size_0",           Expect::Invalid, ""},
    {"bad_header_size_20",          Expect::Invalid, ""},
    {"bad_header_size_41",          Expect::Invalid, ""},
    {"bad_bpp_0",                   Expect::Invalid, ""},
    {"bad_bpp_2",                   Expect::Invalid, ""},
    {"bad_bpp_3",                   Expect::Invalid, ""},
    {"bad_bpp_64",                  Expect::Invalid, ""},
    {"bad_compression_jpeg",        Expect::Invalid, ""},
    {"bad_compression_png",         Expect::Invalid, ""},
    {"bad_compression_7",           Expect::Invalid, ""},
    {"bad_rle8_at_4bit",            Expect::Invalid, ""},
    {"bad_rle4_at_8bit",            Expect::Invalid, ""},
    {"bad_bitfields_at_24bit",      Expect::Invalid, ""},
    {"bad_bitfields_at_8bit",       Expect::Invalid, ""},
    {"bad_width_0",                 Expect::Invalid, ""},
    {"bad_width_negative",          Expect::Invalid, ""},
    {"bad_height_0",                Expect::Invalid, ""},
    {"bad_width_16385",             Expect::Invalid, ""},
    {"bad_height_16385",            Expect::Invalid, ""},
    {"bad_height_minus_16385",      Expect::Invalid, ""},
    {"bad_height_int_min",          Expect::Invalid, ""},
    {"bad_width_int_max",           Expect::Invalid, ""},
    {"bad_top_down_rle8",           Expect::Invalid, ""},
    {"bad_mask_zero_red",           Expect::Invalid, ""},
    {"bad_mask_overlap",            Expect::Invalid, ""},
    {"bad_mask_alpha_overlap",      Expect::Invalid, ""},
    {"bad_mask_not_contiguous",     Expect::Invalid, ""},
    {"bad_mask_beyond_16_bits",     Expect::Invalid, ""},
    {"bad_os2v2_huffman",           Expect::Invalid, ""},
    {"bad_os2v2_16bit",             Expect::Invalid, ""},
    {"bad_os2v2_height_above_2g",   Expect::Invalid, ""},
    {"bad_core_32bit",              Expect::Invalid, ""},
    {"bad_core_width_0",            Expect::Invalid, ""},
    {"bad_im_core_16bit",           Expect::Invalid, ""},
};
// clang-format on

QString describe(const pikora::BmpInfo& info)
{
    return QStringLiteral("%1 %2 %3 %4 %5")
        .arg(info.headerSize)
        .arg(info.bitsPerPixel)
        .arg(QString::fromLatin1(info.compression.data(), qsizetype(info.compression.size())))
        .arg(info.topDown ? QStringLiteral("top-down") : QStringLiteral("bottom-up"))
        .arg(info.paletteSize);
}

// The first pixel where two pictures differ, as a readable message.
QString firstDifference(const std::vector<std::uint32_t>& got, const Ppm& want)
{
    for (int i = 0; i < want.width * want.height; ++i)
        if (got[std::size_t(i)] != want.pixels[std::size_t(i)])
            return QStringLiteral("pixel (%1, %2) is %3, expected %4")
                .arg(i % want.width)
                .arg(i / want.width)
                .arg(got[std::size_t(i)], 8, 16, QLatin1Char('0'))
                .arg(want.pixels[std::size_t(i)], 8, 16, QLatin1Char('0'));
    return {};
}

// A 40-byte-header, 8-bit file of the given size with a two-entry palette and
// no pixel data at all.
QByteArray headerOnly(std::int32_t width, std::int32_t height)
{
    QByteArray b(14 + 40 + 8, '\0');
    auto put32 = [&](int at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            b[at + i] = char(v >> (8 * i));
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(10, 14 + 40 + 8);
    put32(14, 40);
    put32(18, std::uint32_t(width));
    put32(22, std::uint32_t(height));
    b[26] = 1;  // planes
    b[28] = 8;  // bits per pixel
    put32(46, 2); // colours used
    put32(54, 0x00112233); // entry 0
    put32(58, 0x00FFFFFF);
    return b;
}

} // namespace

class TestBmp : public QObject {
    Q_OBJECT

private slots:
    void fixtures_data();
    void fixtures();
    void everyFixtureIsInTheTable();
    void emptyInputIsTheEmptyPicture();
    void sizeCap_data();
    void sizeCap();
    void cutAtEveryLength_data();
    void cutAtEveryLength();
};

void TestBmp::fixtures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("expect");
    QTest::addColumn<QString>("info");
    for (const Fixture& f : kFixtures)
        QTest::newRow(f.name) << QString::fromLatin1(f.name) << int(f.expect) << QString::fromLatin1(f.info);
}

void TestBmp::fixtures()
{
    QFETCH(QString, name);
    QFETCH(int, expect);
    QFETCH(QString, info);

    const QByteArray bytes = readAll(fixturePath(name + QStringLiteral(".bmp")));
    pikora::Bitmap bitmap;
    pikora::BmpInfo found;
    const QString error = errorOf([&] { bitmap = pikora::decodeBmp(bytesOf(bytes), &found); });

    switch (Expect(expect)) {
    case Expect::StreamRead:
        QCOMPARE(error, kStreamRead);
        return;
    case Expect::Invalid:
        QCOMPARE(error, kInvalidBitmap);
        return;
    case Expect::Pixels:
        break;
    }
    QCOMPARE(error, QString());
    const Ppm want = readPpm(fixturePath(name + QStringLiteral(".ppm")));
    QVERIFY(want.ok);
    QCOMPARE(bitmap.width, want.width);
    QCOMPARE(bitmap.height, want.height);
    // Indexed files stay indexed; the colours are the same either way.
    QCOMPARE(bitmap.format, found.bitsPerPixel <= 8 ? pikora::Bitmap::Format::Indexed8 : pikora::Bitmap::Format::Rgb32);
    const std::vector<std::uint32_t> pixels = pikora::rgb32Pixels(bitmap);
    QCOMPARE(pixels.size(), want.pixels.size());
    for (int y = 0; y < want.height; y += std::max(1, want.height - 1))
        QCOMPARE(bitmap.pixel(want.width - 1, y), pixels[std::size_t(y * want.width + want.width - 1)]);
    const QString difference = firstDifference(pixels, want);
    QVERIFY2(difference.isEmpty(), qPrintable(difference));
    QCOMPARE(describe(found), info);
    QCOMPARE(found.width, want.width);
    QCOMPARE(found.height, want.height);
}

void TestBmp::everyFixtureIsInTheTable()
{
    std::set<QString> listed;
    for (const Fixture& f : kFixtures)
        listed.insert(QString::fromLatin1(f.name));
    const QStringList files = QDir(fixturePath(QString())).entryList({QStringLiteral("*.bmp")}, QDir::Files);
    QVERIFY(files.size() > 50);
    for (const QString& file : files) {
        const QString name = file.chopped(4);
        QVERIFY2(listed.count(name), qPrintable(name + QStringLiteral(" has no row")));
    }
}

void TestBmp::emptyInputIsTheEmptyPicture()
{
    pikora::BmpInfo info;
    const pikora::Bitmap bitmap = pikora::decodeBmp({}, &info);
    QVERIFY(bitmap.isEmpty());
    QCOMPARE(bitmap.width, 0);
    QCOMPARE(bitmap.height, 0);
    QVERIFY(bitmap.pixels.empty());
    QVERIFY(bitmap.indices.empty());
}

void TestBmp::sizeCap_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<qint64>("maxSide");
    QTest::addColumn<bool>("accepted");
    const qint64 cap = pikora::kMaxBitmapSide;
    QTest::newRow("16384 wide") << 16384 << 1 << cap << true;
    QTest::newRow("16384 high") << 1 << 16384 << cap << true;
    QTest::newRow("16384 high, top-down") << 1 << -16384 << cap << true;
    QTest::newRow("16385 wide") << 16385 << 1 << cap << false;
    QTest::newRow("16385 high, top-down") << 1 << -16385 << cap << false;
    QTest::newRow("lowered cap, at it") << 1024 << 2 << qint64(1024) << true;
    QTest::newRow("lowered cap, above it") << 1025 << 2 << qint64(1024) << false;
    QTest::newRow("cap cannot be raised") << 16385 << 1 << (qint64(1) << 40) << false;
}

void TestBmp::sizeCap()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(qint64, maxSide);
    QFETCH(bool, accepted);
    const QByteArray bytes = headerOnly(width, height);
    pikora::Bitmap bitmap;
    const QString error = errorOf([&] { bitmap = pikora::decodeBmp(bytesOf(bytes), nullptr, maxSide); });
    if (!accepted) {
        QCOMPARE(error, kInvalidBitmap);
        return;
    }
    QCOMPARE(error, QString());
    QCOMPARE(bitmap.width, width);
    QCOMPARE(bitmap.height, std::abs(height));
    // No pixel data at all: every pixel is palette entry 0.
    const std::vector<std::uint32_t> pixels = pikora::rgb32Pixels(bitmap);
    QCOMPARE(pixels.size(), std::size_t(width) * std::size_t(std::abs(height)));
    QVERIFY(std::all_of(pixels.begin(), pixels.end(), [](std::uint32_t p) { return p == 0xFF112233u; }));
}

// Every prefix of a good file either fails with the stream error (it ends in
// a header or the colour table) or decodes; a decoded prefix keeps every
// pixel whose bytes it holds and shows missing bytes as zero.
void TestBmp::cutAtEveryLength_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("8-bit, 40-byte header") << QStringLiteral("im_v3_8bit");
    QTest::newRow("24-bit, 124-byte header") << QStringLiteral("im_v5_24bit");
    QTest::newRow("4-bit, 12-byte header") << QStringLiteral("im_core_4bit");
    QTest::newRow("16-bit bit fields") << QStringLiteral("im_v5_16bit_565");
    QTest::newRow("RLE8") << QStringLiteral("im_v3_rle8");
    QTest::newRow("RLE4") << QStringLiteral("hand_rle4");
}

void TestBmp::cutAtEveryLength()
{
    QFETCH(QString, name);
    const QByteArray full = readAll(fixturePath(name + QStringLiteral(".bmp")));
    pikora::BmpInfo info;
    const std::vector<std::uint32_t> whole = pikora::rgb32Pixels(pikora::decodeBmp(bytesOf(full), &info));
    const auto offset = qFromLittleEndian<quint32>(full.constData() + 10);
    // Where the headers, masks and colour table end, from the file itself.
    const auto headerSize = qFromLittleEndian<quint32>(full.constData() + 14);
    qsizetype tableEnd = 14 + headerSize;
    if (info.paletteSize > 0)
        tableEnd += qsizetype(info.paletteSize) * (headerSize == 12 ? 3 : 4);
    if (info.compression == "BITFIELDS" && headerSize == 40)
        tableEnd += 12;
    const bool rle = info.compression.starts_with("RLE");

    int previousKept = -1;
    for (qsizetype length = 1; length < full.size(); ++length) {
        const QByteArray cut = full.left(length);
        pikora::Bitmap decoded;
        const QString error = errorOf([&] { decoded = pikora::decodeBmp(bytesOf(cut)); });
        if (length < tableEnd) {
            QVERIFY2(error == kStreamRead, qPrintable(QStringLiteral("%1 bytes: %2").arg(length).arg(error)));
            continue;
        }
        QVERIFY2(error.isEmpty(), qPrintable(QStringLiteral("%1 bytes: %2").arg(length).arg(error)));
        QCOMPARE(decoded.width, info.width);
        QCOMPARE(decoded.height, info.height);
        const std::vector<std::uint32_t> part = pikora::rgb32Pixels(decoded);
        // What a pixel turns into when its bytes are missing: decode the file
        // with every pixel byte zeroed.
        QByteArray blank = full;
        if (!rle)
            std::fill(blank.begin() + offset, blank.end(), '\0');
        else
            blank.truncate(offset);
        const std::vector<std::uint32_t> empty = pikora::rgb32Pixels(pikora::decodeBmp(bytesOf(blank)));
        int kept = 0;
        for (std::size_t i = 0; i < part.size(); ++i) {
            if (part[i] == whole[i]) {
                ++kept;
                continue;
            }
            if (rle) {
                QVERIFY2(part[i] == empty[i],
                         qPrintable(QStringLiteral("%1 bytes: pixel %2 is neither kept nor entry 0").arg(length).arg(i)));
                continue;
            }
            // Uncompressed: this pixel's bytes must reach past the cut.
            const int bpp = info.bitsPerPixel;
            const qsizetype stride = (qsizetype(info.width) * bpp + 31) / 32 * 4;
            const qsizetype x = qsizetype(i) % info.width;
            const qsizetype row = qsizetype(i) / info.width;
            const qsizetype stored = info.topDown ? row : info.height - 1 - row;
            const qsizetype lastByte = offset + stored * stride + (x * bpp + bpp - 1) / 8;
            QVERIFY2(lastByte >= length,
                     qPrintable(QStringLiteral("%1 bytes: pixel %2 changed though its bytes are there").arg(length).arg(i)));
            if (offset + stored * stride + x * bpp / 8 >= length)
                QVERIFY2(part[i] == empty[i],
                         qPrintable(QStringLiteral("%1 bytes: missing pixel %2 is not zero").arg(length).arg(i)));
        }
        QVERIFY2(kept >= previousKept, qPrintable(QStringLiteral("%1 bytes keep fewer pixels").arg(length)));
        previousKept = kept;
    }
}

QTEST_APPLESS_MAIN(TestBmp)
#include "tst_bmp.moc"

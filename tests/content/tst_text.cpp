// The code page 932 text decoder: line breaks, the NEC and IBM extensions,
// half-width katakana, what Windows maps beyond JIS, and every way a byte
// sequence can be broken. The whole table is also held against glibc's own
// CP932 converter, which shares no data with ours.

#include "TestSupport.h"

#include "content/Text.h"

#include <QTest>

#include <cerrno>
#include <iconv.h>

using namespace testsupport;

namespace {

QString decode(const QByteArray& bytes)
{
    return QString::fromStdU16String(pikora::decodeCp932Text(bytesOf(bytes)));
}

QString hex(const QString& text)
{
    QStringList units;
    for (const QChar c : text)
        units << QStringLiteral("%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    return units.join(QLatin1Char(' '));
}

// glibc's converter: the one character a byte sequence stands for, or -1.
class Iconv {
public:
    Iconv() : m_cd(iconv_open("UTF-32LE", "CP932")) {}
    ~Iconv()
    {
        if (valid())
            iconv_close(m_cd);
    }
    bool valid() const { return m_cd != iconv_t(-1); }

    long convert(const QByteArray& bytes)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        QByteArray in = bytes;
        char* src = in.data();
        std::size_t srcLeft = std::size_t(in.size());
        char32_t out[4] = {};
        char* dst = reinterpret_cast<char*>(out);
        std::size_t dstLeft = sizeof out;
        if (iconv(m_cd, &src, &srcLeft, &dst, &dstLeft) == std::size_t(-1) || srcLeft != 0)
            return -1;
        if (sizeof out - dstLeft != sizeof(char32_t))
            return -1;
        return long(out[0]);
    }

private:
    iconv_t m_cd;
};

bool isLead(int b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

} // namespace

class TestText : public QObject {
    Q_OBJECT

private slots:
    void decoding_data();
    void decoding();
    void agreesWithGlibcCp932();
};

void TestText::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");

    const QString fffd = QStringLiteral("\uFFFD");
    QTest::newRow("empty") << QByteArray() << QString();
    QTest::newRow("ascii") << QByteArray("Pikora! ~\\") << QStringLiteral("Pikora! ~\\");
    QTest::newRow("nul kept") << QByteArray("a\0b", 3) << (QStringLiteral("a") + QChar(0) + QStringLiteral("b"));

    // Line breaks: each form is one '\n'.
    QTest::newRow("CR LF") << QByteArray("a\r\nb") << QStringLiteral("a\nb");
    QTest::newRow("lone CR") << QByteArray("a\rb") << QStringLiteral("a\nb");
    QTest::newRow("lone LF") << QByteArray("a\nb") << QStringLiteral("a\nb");
    QTest::newRow("LF CR is two") << QByteArray("a\n\rb") << QStringLiteral("a\n\nb");
    QTest::newRow("CR CR LF is two") << QByteArray("a\r\r\nb") << QStringLiteral("a\n\nb");
    QTest::newRow("CR LF CR LF") << QByteArray("\r\n\r\n") << QStringLiteral("\n\n");
    QTest::newRow("final CR") << QByteArray("a\r") << QStringLiteral("a\n");
    QTest::newRow("mixed") << QByteArray("1\r\n2\r3\n4") << QStringLiteral("1\n2\n3\n4");

    // Half-width katakana are single bytes.
    QTest::newRow("half-width katakana") << QByteArray("\xBD\xC4\xD8\xB0\xD1\xA1\xDF")
                                         << QStringLiteral("ｽﾄﾘｰﾑ\uFF61\uFF9F");
    // JIS X 0208, including a trail byte that is ASCII '\'.
    QTest::newRow("JIS X 0208") << QByteArray("\x93\xFA\x96\x7B\x8C\xEA") << QStringLiteral("日本語");
    QTest::newRow("trail byte 0x5C") << QByteArray("\x95\x5C\x8E\xA6") << QStringLiteral("表示");
    // Windows' own choices in row 1.
    QTest::newRow("row 1 as Windows") << QByteArray("\x81\x5F\x81\x60\x81\x61\x81\x7C\x81\x91\x81\x92\x81\xCA")
                                      << QStringLiteral("\uFF3C\uFF5E\u2225\uFF0D\uFFE0\uFFE1\uFFE2");
    // NEC row 13.
    QTest::newRow("NEC row 13") << QByteArray("\x87\x40\x87\x54\x87\x8A\x87\x90\x87\x9A")
                                << QStringLiteral("①Ⅰ㈱≒∵");
    // NEC-selected IBM extensions (rows 89-92).
    QTest::newRow("NEC-selected IBM") << QByteArray("\xED\x40\xEE\xE0\xEE\xF9") << QStringLiteral("纊髙￢");
    // IBM extensions (0xFA-0xFC), with the same characters at their IBM codes.
    QTest::newRow("IBM extensions") << QByteArray("\xFA\x40\xFA\x4A\xFA\x54\xFA\x58\xFA\x5B\xFA\x5C\xFB\xFC\xFC\x4B")
                                    << QStringLiteral("ⅰⅠ￢㈱∵纊髙黑");
    // User-defined area and Windows' single bytes outside JIS.
    QTest::newRow("user-defined area") << QByteArray("\xF0\x40\xF1\x40\xF9\xFC")
                                       << QStringLiteral("\uE000\uE0BC\uE757");
    QTest::newRow("Windows single bytes") << QByteArray("\x80\xA0\xFD\xFE\xFF")
                                          << QStringLiteral("\u0080\uF8F0\uF8F1\uF8F2\uF8F3");

    // Broken sequences: one U+FFFD each, and the next character survives.
    QTest::newRow("final lead byte") << QByteArray("A\x82") << (QStringLiteral("A") + fffd);
    QTest::newRow("only a lead byte") << QByteArray("\xE0") << fffd;
    QTest::newRow("lead then LF") << QByteArray("\x82\nB") << (fffd + QStringLiteral("\nB"));
    QTest::newRow("lead then CR LF") << QByteArray("\x82\r\nB") << (fffd + QStringLiteral("\nB"));
    QTest::newRow("lead then space") << QByteArray("\x82 B") << (fffd + QStringLiteral(" B"));
    QTest::newRow("lead then 0x7F") << QByteArray("\x82\x7F") << (fffd + QStringLiteral("\u007F"));
    QTest::newRow("lead then 0xFD") << QByteArray("\x82\xFD") << (fffd + QStringLiteral("\uF8F1"));
    QTest::newRow("unassigned pair, ASCII trail") << QByteArray("\x85\x40" "A") << (fffd + QStringLiteral("@A"));
    QTest::newRow("empty lead row, ASCII trail") << QByteArray("\xEB\x41") << (fffd + QStringLiteral("A"));
    QTest::newRow("past the IBM extensions") << QByteArray("\xFC\x4C") << (fffd + QStringLiteral("L"));
    QTest::newRow("unassigned pair, other trail") << QByteArray("\x81\xAD" "B") << (fffd + QStringLiteral("B"));
    QTest::newRow("unassigned pair, kana trail") << QByteArray("\x85\xB1") << fffd;
    QTest::newRow("double-byte after broken") << QByteArray("\x82\x0A\x82\xA0") << (fffd + QStringLiteral("\nあ"));
}

void TestText::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    const QString got = decode(bytes);
    QVERIFY2(got == text, qPrintable(QStringLiteral("got [%1], expected [%2]").arg(hex(got), hex(text))));
}

// Every single byte and every (lead, any byte) pair: where glibc's converter
// knows the sequence we give the same character; where it refuses it we give
// U+FFFD and then decode a non-trail or ASCII second byte on its own.
void TestText::agreesWithGlibcCp932()
{
    Iconv iconv;
    QVERIFY2(iconv.valid(), "glibc's CP932 converter is not installed");

    const QHash<int, char16_t> windowsOnly = {
        {0x80, u'\u0080'}, {0xA0, u'\uF8F0'}, {0xFD, u'\uF8F1'}, {0xFE, u'\uF8F2'}, {0xFF, u'\uF8F3'}};
    auto alone = [&](int b) -> QString {
        if (b == '\r' || b == '\n')
            return QStringLiteral("\n");
        if (isLead(b))
            return QStringLiteral("\uFFFD");
        if (windowsOnly.contains(b))
            return QString(QChar(windowsOnly.value(b)));
        const long c = iconv.convert(QByteArray(1, char(b)));
        return c < 0 ? QStringLiteral("?") : QString(QChar(char16_t(c)));
    };

    for (int b = 0; b < 256; ++b)
        QCOMPARE(decode(QByteArray(1, char(b))), alone(b));

    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isLead(lead))
            continue;
        for (int trail = 0; trail < 256; ++trail) {
            const QByteArray pair = QByteArray(1, char(lead)) + char(trail);
            const long c = iconv.convert(pair);
            QString want;
            if (c >= 0) {
                want = QString(QChar(char16_t(c)));
                ++mapped;
            } else {
                const bool trailByte = (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC);
                want = QStringLiteral("\uFFFD");
                if (!trailByte || trail < 0x80)
                    want += alone(trail);
            }
            const QString got = decode(pair);
            if (got != want)
                QFAIL(qPrintable(QStringLiteral("%1 %2: got [%3], expected [%4]")
                                     .arg(lead, 2, 16)
                                     .arg(trail, 2, 16, QLatin1Char('0'))
                                     .arg(hex(got), hex(want))));
        }
    }
    // JIS X 0208 (6879), NEC row 13 (83), NEC-selected IBM (374), IBM (388)
    // and the user-defined area (1880): glibc's table is the full code page.
    QCOMPARE(mapped, 6879 + 83 + 374 + 388 + 1880);
}

QTEST_APPLESS_MAIN(TestText)
#include "tst_text.moc"

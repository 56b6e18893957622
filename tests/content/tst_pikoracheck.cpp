// pikora-check run as a program over scratch story folders of good and bad
// files: one line per content file in the story's order, the exact texts the
// program would show, and the exit status; then --decode.

#include "TestSupport.h"

#include "media/Clip.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace testsupport;

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

Run runCheck(const QStringList& arguments, const QString& workingDirectory = QString())
{
    QProcess process;
    if (!workingDirectory.isEmpty())
        process.setWorkingDirectory(workingDirectory);
    process.start(QStringLiteral(PIKORA_CHECK), arguments);
    if (!process.waitForFinished(60000))
        qFatal("pikora-check did not finish");
    Run run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.lines = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    run.errors = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QByteArray fixture(const char* name)
{
    return readAll(fixturePath(QString::fromLatin1(name) + QStringLiteral(".bmp")));
}

// A mono 16-bit PCM WAV file of a tenth of a second.
QByteArray wav()
{
    const quint32 rate = 8000, frames = 800, dataBytes = frames * 2;
    QByteArray b;
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) b += char(v >> (8 * i)); };
    auto u16 = [&](quint16 v) { b += char(v); b += char(v >> 8); };
    b += "RIFF";
    u32(36 + dataBytes);
    b += "WAVEfmt ";
    u32(16);
    u16(1);        // PCM
    u16(1);        // mono
    u32(rate);
    u32(rate * 2); // bytes per second
    u16(2);        // block align
    u16(16);       // bits per sample
    b += "data";
    u32(dataBytes);
    for (quint32 i = 0; i < frames; ++i)
        u16(quint16(qint16((i % 40) * 400 - 8000)));
    return b;
}

const char* const kClips[] = {"start.wav", "he.wav", "hanashi.wav", "himei1.wav", "himei2.wav", "eat1.wav", "end.wav"};

// The clip line the voice layer's own answer calls for, found by asking it
// from inside the folder.
QString clipLine(const QString& folder, const char* name)
{
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder);
    QString line = QString::fromLatin1(name) + QStringLiteral("  ");
    try {
        line += QStringLiteral("OK  ") + QString::fromStdString(pikora::describe(pikora::probeClip(name)));
    } catch (const pikora::Exception& e) {
        line += QString::fromUtf8(e.what()) + QLatin1Char('.');
    }
    QDir::setCurrent(previous);
    return line;
}

void writeGoodStory(const QString& dir)
{
    const char* const pictures[] = {"ver.bmp", "s_1.bmp", "s_2.bmp", "s_3.bmp", "d_1.bmp", "d_2.bmp",
                                    "eat.bmp", "1.bmp", "2.bmp", "start.bmp"};
    for (const char* name : pictures)
        writeAll(dir + QLatin1Char('/') + QLatin1String(name), fixture("im_v3_8bit"));
    writeAll(dir + QStringLiteral("/v_1.txt"), QByteArray("\x90\xA2\x8A\x45\r\n"));
    for (const char* name : kClips)
        writeAll(dir + QLatin1Char('/') + QLatin1String(name), wav());
}

} // namespace

class TestPikoraCheck : public QObject {
    Q_OBJECT

private slots:
    void folderOfGoodAndBadFiles();
    void goodFolderFromTheWorkingDirectory();
    void missingFolder();
    void decode_data();
    void decode();
    void usage_data();
    void usage();
};

void TestPikoraCheck::folderOfGoodAndBadFiles()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString d = dir.path() + QLatin1Char('/');
    writeAll(d + QStringLiteral("ver.bmp"), fixture("im_v3_rle8"));
    writeAll(d + QStringLiteral("s_1.bmp"), fixture("hand_24bit_top_down"));
    writeAll(d + QStringLiteral("v_1.txt"), QByteArray("\x90\xA2\x8A\x45\r\n\xBD\xC4\xD8\xB0\xD1\x82"));
    writeAll(d + QStringLiteral("s_2.bmp"), QByteArray());
    writeAll(d + QStringLiteral("s_3.bmp"), fixture("bad_signature_ba"));
    writeAll(d + QStringLiteral("d_1.bmp"), fixture("bad_short_13_bytes"));
    // d_2.bmp is missing.
    writeAll(d + QStringLiteral("eat.bmp"), fixture("im_v3_24bit"));
    writeAll(d + QStringLiteral("1.bmp"), fixture("im_v5_16bit_565"));
    QVERIFY(QDir(d).mkdir(QStringLiteral("2.bmp")));
    writeAll(d + QStringLiteral("start.bmp"), fixture("trunc_8bit_mid_row"));
    writeAll(d + QStringLiteral("start.wav"), wav());
    writeAll(d + QStringLiteral("he.wav"), QByteArray("not a wave file at all, just text"));
    writeAll(d + QStringLiteral("end.wav"), wav());

    // eat.bmp is held by another program while the checker runs.
    const int held = ::open(qPrintable(d + QStringLiteral("eat.bmp")), O_RDONLY);
    QVERIFY(held >= 0 && ::flock(held, LOCK_EX | LOCK_NB) == 0);
    const Run run = runCheck({dir.path()});
    ::close(held);

    QStringList expected = {
        QStringLiteral("ver.bmp  OK  24x6, 8-bit, RLE8"),
        QStringLiteral("s_1.bmp  OK  3x3, 24-bit, RGB, top-down"),
        QStringLiteral("v_1.txt  OK  9 characters, 2 lines, 1 undecodable (shown as U+FFFD)"),
        QStringLiteral("s_2.bmp  OK  empty picture"),
        QStringLiteral("s_3.bmp  ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です."),
        QStringLiteral("d_1.bmp  ｽﾄﾘｰﾑからの読み込みｴﾗｰ."),
        QStringLiteral("d_2.bmp  ﾌｧｲﾙ d_2.bmp は開けません."),
        QStringLiteral("eat.bmp  ﾌｧｲﾙ eat.bmp は開けません."),
        QStringLiteral("1.bmp  OK  13x7, 16-bit, BITFIELDS"),
        QStringLiteral("2.bmp  ﾌｧｲﾙ 2.bmp は開けません."),
        QStringLiteral("start.bmp  OK  4x3, 8-bit, RGB"),
    };
    for (const char* clip : kClips)
        expected << clipLine(dir.path(), clip);
    QVERIFY(expected.at(11).startsWith(QStringLiteral("start.wav  OK  ")));
    QVERIFY(!expected.at(12).contains(QStringLiteral("  OK  ")));
    QVERIFY(!expected.at(13).contains(QStringLiteral("  OK  ")));

    QCOMPARE(run.lines, expected);
    QCOMPARE(run.exitCode, 1);
}

void TestPikoraCheck::goodFolderFromTheWorkingDirectory()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    writeGoodStory(dir.path());
    const Run run = runCheck({}, dir.path());
    QCOMPARE(run.lines.size(), 18);
    for (const QString& line : run.lines)
        QVERIFY2(line.contains(QStringLiteral("  OK  ")), qPrintable(line));
    QCOMPARE(run.lines.at(0), QStringLiteral("ver.bmp  OK  13x7, 8-bit, RGB"));
    QCOMPARE(run.lines.at(2), QStringLiteral("v_1.txt  OK  3 characters, 1 line"));
    QCOMPARE(run.exitCode, 0);

    // One bad file turns the status to 1.
    writeAll(dir.path() + QStringLiteral("/2.bmp"), fixture("bad_planes_0"));
    QCOMPARE(runCheck({}, dir.path()).exitCode, 1);
}

void TestPikoraCheck::missingFolder()
{
    const Run run = runCheck({QStringLiteral("/nonexistent/story")});
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.lines.isEmpty());
    QVERIFY(run.errors.contains(QStringLiteral("/nonexistent/story")));
}

void TestPikoraCheck::decode_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("RLE8") << QStringLiteral("im_v3_rle8") << QString() << 0;
    QTest::newRow("16-bit") << QStringLiteral("im_v5_16bit_565") << QString() << 0;
    QTest::newRow("invalid") << QStringLiteral("bad_planes_2") << QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です.") << 1;
    QTest::newRow("short") << QStringLiteral("bad_short_in_palette") << QStringLiteral("ｽﾄﾘｰﾑからの読み込みｴﾗｰ.") << 1;
}

void TestPikoraCheck::decode()
{
    QFETCH(QString, fixture);
    QFETCH(QString, output);
    QFETCH(int, exitCode);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString in = dir.path() + QStringLiteral("/picture.bmp");
    const QString out = dir.path() + QStringLiteral("/picture.ppm");
    writeAll(in, readAll(fixturePath(fixture + QStringLiteral(".bmp"))));

    const Run run = runCheck({QStringLiteral("--decode"), in, out});
    QCOMPARE(run.exitCode, exitCode);
    if (exitCode != 0) {
        QCOMPARE(run.lines, QStringList{output});
        QVERIFY(!QFile::exists(out));
        return;
    }
    QVERIFY(run.lines.isEmpty());
    const Ppm got = readPpm(out);
    const Ppm want = readPpm(fixturePath(fixture + QStringLiteral(".ppm")));
    QVERIFY(got.ok && want.ok);
    QCOMPARE(got.width, want.width);
    QCOMPARE(got.height, want.height);
    QVERIFY(got.pixels == want.pixels);
}

void TestPikoraCheck::usage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("two folders") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
    QTest::newRow("decode without output") << QStringList{QStringLiteral("--decode"), QStringLiteral("x.bmp")};
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")};
}

void TestPikoraCheck::usage()
{
    QFETCH(QStringList, arguments);
    const Run run = runCheck(arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY(run.errors.contains(QStringLiteral("usage:")));
}

QTEST_GUILESS_MAIN(TestPikoraCheck)
#include "tst_pikoracheck.moc"

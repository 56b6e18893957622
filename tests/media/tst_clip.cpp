// The waveform device's decoding half: what it opens, what it refuses and
// with which code and text, and what it reads back.

#include "Analysis.h"
#include "Fixtures.h"

#include "media/Clip.h"

#include <QtCore/QDir>
#include <QtCore/QFile>
#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>

#include <sndfile.h>

#include <sys/stat.h>
#include <unistd.h>

using pikora::ClipInfo;
using pikora::ClipReader;
using pikora::DeviceSelection;
using pikora::EMCIDeviceError;

namespace {

constexpr double toneHz = 600.0;
constexpr double toneSeconds = 0.5;

std::vector<float> readAll(ClipReader &clip)
{
    std::vector<float> samples;
    std::vector<float> block(std::size_t(1000 * clip.outputChannels()));
    while (std::size_t got = clip.read(block.data(), 1000))
        samples.insert(samples.end(), block.begin(), block.begin() + std::ptrdiff_t(got) * clip.outputChannels());
    return samples;
}

std::vector<float> channel(const std::vector<float> &interleaved, int channels, int which)
{
    std::vector<float> out;
    for (std::size_t i = std::size_t(which); i < interleaved.size(); i += std::size_t(channels))
        out.push_back(interleaved[i]);
    return out;
}

QByteArray le32(quint32 v)
{
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (8 * i)) & 0xff);
    return b;
}

QByteArray le16(quint16 v)
{
    return le32(v).left(2);
}

} // namespace

class tst_Clip : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void probe_data();
    void probe();
    void decode_data();
    void decode();
    void mixdown_data();
    void mixdown();
    void truncatedData();
    void deviceChoice_data();
    void deviceChoice();
    void rejected_data();
    void rejected();
    void unknownCodeHasTheUnknownText();
    void describe_data();
    void describe();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void tst_Clip::initTestCase()
{
    QVERIFY(dir.isValid());
}

void tst_Clip::probe_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("container");
    for (const fixtures::Encoding &e : fixtures::encodings())
        QTest::newRow(e.tag) << e.format << e.rate << e.channels << QString::fromUtf8(e.encoding)
                             << QString::fromUtf8(e.container);
}

void tst_Clip::probe()
{
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QString, encoding);
    QFETCH(QString, container);

    const QString file = path("probe.wav");
    const auto frames = std::int64_t(toneSeconds * rate);
    QVERIFY(fixtures::writeClip(file, format, rate, channels, frames, fixtures::tone(toneHz, rate)));

    const ClipInfo info = pikora::probeClip(QFile::encodeName(file).toStdString());
    QCOMPARE(info.sampleRate, rate);
    QCOMPARE(info.channels, channels);
    QCOMPARE(QString::fromStdString(info.encoding), encoding);
    QCOMPARE(QString::fromStdString(info.container), container);
    // Block codecs round the length up to whole blocks.
    QVERIFY2(info.frames >= frames && info.frames < frames + 2048, qPrintable(QString::number(info.frames)));
    QVERIFY(std::fabs(info.seconds - double(info.frames) / rate) < 1e-9);
}

void tst_Clip::decode_data()
{
    probe_data();
}

void tst_Clip::decode()
{
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);

    const QString file = path("decode.wav");
    const auto frames = std::int64_t(toneSeconds * rate);
    QVERIFY(fixtures::writeClip(file, format, rate, channels, frames, fixtures::tone(toneHz, rate)));

    ClipReader clip(QFile::encodeName(file).toStdString());
    const int out = clip.outputChannels();
    QCOMPARE(out, channels == 1 ? 1 : 2);
    const std::vector<float> samples = readAll(clip);
    QCOMPARE(std::int64_t(samples.size()) / out, clip.info().frames);
    QCOMPARE(clip.read(nullptr, 0), std::size_t(0));

    const bool lossy = (format & SF_FORMAT_SUBMASK) == SF_FORMAT_GSM610;
    for (int c = 0; c < out; ++c) {
        const std::vector<float> wave = channel(samples, out, c);
        const double hz = analysis::toneFrequency(wave.data(), std::size_t(frames), rate);
        QVERIFY2(std::fabs(hz - toneHz) < toneHz * 0.005, qPrintable(QString::number(hz)));
        // The tone is at half scale in every stored channel, so a mixdown
        // that keeps the level shows 0.5 too.
        const double level = analysis::peak(wave.data(), std::size_t(frames));
        QVERIFY2(std::fabs(level - 0.5) < (lossy ? 0.15 : 0.03), qPrintable(QString::number(level)));
    }

    // A second play starts from the first frame again.
    QVERIFY(clip.rewind());
    std::vector<float> again(std::size_t(256 * out));
    QCOMPARE(clip.read(again.data(), 256), std::size_t(256));
    QVERIFY(std::equal(again.begin(), again.end(), samples.begin()));
}

void tst_Clip::mixdown_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("loud");       // the only stored channel with the tone
    QTest::addColumn<double>("left");    // expected peak on each side
    QTest::addColumn<double>("right");

    // A PCM file names no speakers: they are front left, front right, front
    // centre, LFE, ... A centre voice must reach both sides.
    const int pcm = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    QTest::newRow("front left") << pcm << 4 << 0 << 0.5 / 1.7071 << 0.0;
    QTest::newRow("front right") << pcm << 4 << 1 << 0.0 << 0.5 / 1.7071;
    QTest::newRow("centre") << pcm << 3 << 2 << 0.5 * 0.7071 / 1.7071 << 0.5 * 0.7071 / 1.7071;
    QTest::newRow("LFE only") << pcm << 4 << 3 << 0.0 << 0.0;
    QTest::newRow("extensible centre") << (SF_FORMAT_WAVEX | SF_FORMAT_FLOAT) << 6 << 2
                                       << 0.5 * 0.7071 / 2.7071 << 0.5 * 0.7071 / 2.7071;
}

void tst_Clip::mixdown()
{
    QFETCH(int, format);
    QFETCH(int, channels);
    QFETCH(int, loud);
    QFETCH(double, left);
    QFETCH(double, right);

    const QString file = path("mixdown.wav");
    const int rate = 22050;
    const auto signal = fixtures::tone(toneHz, rate);
    QVERIFY(fixtures::writeClip(file, format, rate, channels, rate / 4, [&](std::int64_t f, int c) {
        return c == loud ? signal(f, c) : 0.0;
    }));

    ClipReader clip(QFile::encodeName(file).toStdString());
    QCOMPARE(clip.outputChannels(), 2);
    const std::vector<float> samples = readAll(clip);
    const std::vector<float> l = channel(samples, 2, 0);
    const std::vector<float> r = channel(samples, 2, 1);
    QVERIFY2(std::fabs(analysis::peak(l.data(), l.size()) - left) < 0.01, qPrintable(QString::number(analysis::peak(l.data(), l.size()))));
    QVERIFY2(std::fabs(analysis::peak(r.data(), r.size()) - right) < 0.01, qPrintable(QString::number(analysis::peak(r.data(), r.size()))));
}

void tst_Clip::truncatedData()
{
    // The header promises a second; the file holds half of it.
    const QString whole = path("whole.wav");
    QVERIFY(fixtures::writeTone(whole, toneHz, 1.0));
    QFile file(whole);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const QString cut = path("cut.wav");
    QVERIFY(fixtures::writeBytes(cut, bytes.left(44 + 22050)));

    ClipReader clip(QFile::encodeName(cut).toStdString());
    const std::vector<float> samples = readAll(clip);
    QVERIFY(samples.size() <= 22050 / 2 + 1);
    QVERIFY(samples.size() >= 22050 / 2 - 1);
}

void tst_Clip::deviceChoice_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("selection");
    QTest::addColumn<int>("code");  // 0: opens

    const int automatic = int(DeviceSelection::automatic);
    const int wave = int(DeviceSelection::waveAudio);
    QTest::newRow("lower case") << "clip.wav" << automatic << 0;
    QTest::newRow("upper case") << "CLIP.WAV" << automatic << 0;
    QTest::newRow("mixed case") << "clip.Wav" << automatic << 0;
    QTest::newRow("folder with a dot") << "sub.mp3/clip.wav" << automatic << 0;
    QTest::newRow("other extension") << "clip.mp3" << automatic << 281;
    QTest::newRow("wav then more") << "clip.wav.bak" << automatic << 281;
    QTest::newRow("no extension") << "clip" << automatic << 281;
    QTest::newRow("only the folder says wav") << "sub.wav/clip" << automatic << 281;
    QTest::newRow("waveform device named") << "clip.mp3" << wave << 0;
    QTest::newRow("waveform device, no extension") << "clip" << wave << 0;
}

void tst_Clip::deviceChoice()
{
    QFETCH(QString, name);
    QFETCH(int, selection);
    QFETCH(int, code);

    // Every name holds the same good WAV content.
    const QString file = path(name);
    QVERIFY(QDir().mkpath(QFileInfo(file).path()));
    QVERIFY(fixtures::writeTone(file, toneHz, 0.1));
    try {
        const ClipInfo info = pikora::probeClip(QFile::encodeName(file).toStdString(), DeviceSelection(selection));
        QCOMPARE(0, code);
        QCOMPARE(info.sampleRate, 22050);
    } catch (const EMCIDeviceError &e) {
        QCOMPARE(e.code(), code);
    }
}

void tst_Clip::rejected_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    const QString missing = QStringLiteral("指定されたﾌｧｲﾙが見つかりません");
    const QString unreadable = QStringLiteral("ﾌｧｲﾙを開けないか、読み込めません");
    const QString notPlayable = QStringLiteral("このﾌｧｲﾙはﾃﾞﾊﾞｲｽで再生できない形式です");
    const QString noDevice = QStringLiteral("ﾌｧｲﾙの拡張子からﾃﾞﾊﾞｲｽの種類を選べません");

    QTest::newRow("no name") << "" << 304 << QStringLiteral("ﾌｧｲﾙ名が指定されていません");
    QTest::newRow("missing") << "missing.wav" << 275 << missing;
    QTest::newRow("missing folder") << "nowhere/missing.wav" << 275 << missing;
    QTest::newRow("file as folder") << "plain.wav/missing.wav" << 275 << missing;
    QTest::newRow("missing, other extension") << "missing.mp3" << 281 << noDevice;
    QTest::newRow("directory") << "folder.wav" << 348 << unreadable;
    QTest::newRow("FIFO") << "fifo.wav" << 348 << unreadable;
    QTest::newRow("no permission") << "locked.wav" << 348 << unreadable;
    QTest::newRow("empty file") << "empty.wav" << 296 << notPlayable;
    QTest::newRow("four bytes") << "short.wav" << 296 << notPlayable;
    QTest::newRow("text") << "text.wav" << 296 << notPlayable;
    QTest::newRow("FLAC") << "flac.wav" << 296 << notPlayable;
    QTest::newRow("AIFF") << "aiff.wav" << 296 << notPlayable;
    QTest::newRow("big-endian RIFX") << "rifx.wav" << 296 << notPlayable;
    QTest::newRow("RIFF AVI") << "avi.wav" << 296 << notPlayable;
    QTest::newRow("header only") << "header.wav" << 296 << notPlayable;
    QTest::newRow("unknown format tag") << "tag.wav" << 296 << notPlayable;
    QTest::newRow("4 kHz") << "rate4000.wav" << 296 << notPlayable;
    QTest::newRow("384 kHz") << "rate384000.wav" << 296 << notPlayable;
}

void tst_Clip::rejected()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(QString, text);

    const QString file = name.isEmpty() ? QString() : path(name);
    const QByteArray local = QFile::encodeName(file);
    const QString tag = QString::fromLatin1(QTest::currentDataTag());
    const int pcm16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    auto silence = [](std::int64_t, int) { return 0.0; };

    if (tag == "file as folder") {
        QVERIFY(fixtures::writeTone(path("plain.wav"), toneHz, 0.1));
    } else if (tag == "directory") {
        QVERIFY(QDir().mkpath(file));
    } else if (tag == "FIFO") {
        QVERIFY(::mkfifo(local.constData(), 0600) == 0);
    } else if (tag == "no permission") {
        if (::geteuid() == 0)
            QSKIP("root reads files without permission");
        QVERIFY(fixtures::writeTone(file, toneHz, 0.1));
        QVERIFY(::chmod(local.constData(), 0) == 0);
    } else if (tag == "empty file") {
        QVERIFY(fixtures::writeBytes(file, {}));
    } else if (tag == "four bytes") {
        QVERIFY(fixtures::writeBytes(file, "RIFF"));
    } else if (tag == "text") {
        QVERIFY(fixtures::writeBytes(file, QStringLiteral("これは音声ではありません\n").toUtf8()));
    } else if (tag == "FLAC") {
        QVERIFY(fixtures::writeClip(file, SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 22050, 1, 2205, silence));
    } else if (tag == "AIFF") {
        QVERIFY(fixtures::writeClip(file, SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 1, 2205, silence));
    } else if (tag == "big-endian RIFX") {
        QVERIFY(fixtures::writeClip(file, pcm16 | SF_ENDIAN_BIG, 22050, 1, 2205, silence));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.read(4), QByteArray("RIFX"));
    } else if (tag == "RIFF AVI") {
        QVERIFY(fixtures::writeBytes(file, "RIFF" + le32(12) + "AVI LIST" + le32(0)));
    } else if (tag == "header only") {
        QVERIFY(fixtures::writeBytes(file, "RIFF" + le32(4) + "WAVE"));
    } else if (tag == "unknown format tag") {
        QByteArray fmt = le16(0x7777) + le16(1) + le32(22050) + le32(44100) + le16(2) + le16(16);
        QByteArray data(200, '\0');
        QByteArray body = "WAVE" + QByteArray("fmt ") + le32(quint32(fmt.size())) + fmt + "data" + le32(quint32(data.size())) + data;
        QVERIFY(fixtures::writeBytes(file, "RIFF" + le32(quint32(body.size())) + body));
    } else if (tag == "4 kHz") {
        QVERIFY(fixtures::writeClip(file, pcm16, 4000, 1, 400, fixtures::tone(toneHz, 4000)));
    } else if (tag == "384 kHz") {
        QVERIFY(fixtures::writeClip(file, pcm16, 384000, 1, 3840, fixtures::tone(toneHz, 384000)));
    }

    try {
        pikora::probeClip(local.toStdString());
        QFAIL("the clip was opened");
    } catch (const EMCIDeviceError &e) {
        QCOMPARE(e.code(), code);
        QCOMPARE(QString::fromUtf8(e.what()), text);
    }
}

void tst_Clip::unknownCodeHasTheUnknownText()
{
    // A driver's own codes have no description in the layer.
    const EMCIDeviceError error(pikora::mci::CustomDriverBase + 7);
    QCOMPARE(error.code(), 519);
    QCOMPARE(QString::fromUtf8(error.what()), QStringLiteral("原因不明のｴﾗｰ"));
    QCOMPARE(QString::fromStdString(pikora::mciErrorText(0)), QStringLiteral("原因不明のｴﾗｰ"));
}

void tst_Clip::describe_data()
{
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("container");
    QTest::addColumn<qint64>("frames");
    QTest::addColumn<QString>("text");

    QTest::newRow("story clip") << 22050 << 1 << "PCM 16-bit" << "RIFF" << qint64(30870)
                                << "22050 Hz, mono, PCM 16-bit, 1.4 s";
    QTest::newRow("stereo, rounded up") << 44100 << 2 << "IMA ADPCM" << "RIFF" << qint64(44100 * 5 / 4 + 1)
                                        << "44100 Hz, stereo, IMA ADPCM, 1.3 s";
    QTest::newRow("many channels") << 48000 << 6 << "float 32-bit" << "WAVE_FORMAT_EXTENSIBLE" << qint64(48000 * 60)
                                   << "48000 Hz, 6 channels, float 32-bit (WAVE_FORMAT_EXTENSIBLE), 60.0 s";
    QTest::newRow("RF64, empty") << 8000 << 1 << "A-law" << "RF64" << qint64(0) << "8000 Hz, mono, A-law (RF64), 0.0 s";
}

void tst_Clip::describe()
{
    QFETCH(int, rate);
    QFETCH(int, channels);
    QFETCH(QString, encoding);
    QFETCH(QString, container);
    QFETCH(qint64, frames);
    QFETCH(QString, text);

    ClipInfo info;
    info.sampleRate = rate;
    info.channels = channels;
    info.encoding = encoding.toStdString();
    info.container = container.toStdString();
    info.frames = frames;
    info.seconds = double(frames) / rate;
    QCOMPARE(QString::fromStdString(pikora::describe(info)), text);
}

QTEST_GUILESS_MAIN(tst_Clip)
#include "tst_clip.moc"

// The voice operation through the real output and a real sound server: the
// PulseAudio null sink that tests/session starts, recorded at its monitor.
// Under the session (PIKORA_SESSION=1) a server that cannot be used is a
// failure; run bare, the test skips.

#include "Analysis.h"
#include "Fixtures.h"
#include "Recorder.h"

#include "media/Clip.h"
#include "media/TMediaPlayer.h"
#include "media/Voice.h"

#include <QtCore/QEventLoop>
#include <QtCore/QTemporaryDir>
#include <QtCore/QTimer>
#include <QtMultimedia/QAudioDevice>
#include <QtMultimedia/QMediaDevices>
#include <QtTest/QTest>

#include <sndfile.h>

using namespace std::chrono_literals;
using Clock = Recorder::Clock;

namespace {

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double ms(std::size_t samples)
{
    return 1000.0 * double(samples) / Recorder::rate;
}

// Waits in a plain event loop, as the program does between clicks (qWait
// sleeps between its rounds of events, which starves the output).
void run(std::chrono::milliseconds time)
{
    QEventLoop loop;
    QTimer::singleShot(time, &loop, &QEventLoop::quit);
    loop.exec();
}

// How long a clip sounds as the decoder gives it back: block codecs end on
// a whole block, and what libsndfile writes into the last one is heard too.
double decodedMs(const QString &file)
{
    pikora::ClipReader clip(QFile::encodeName(file).toStdString());
    std::vector<float> block(std::size_t(4096 * clip.outputChannels()));
    std::vector<float> first;
    while (std::size_t got = clip.read(block.data(), 4096))
        for (std::size_t i = 0; i < got; ++i)
            first.push_back(block[i * std::size_t(clip.outputChannels())]);
    const analysis::Span span = analysis::soundSpan(first, 0, first.size());
    return 1000.0 * double(span.end - span.begin) / clip.info().sampleRate;
}

// Runs that last at least three windows; shorter ones are the mixed windows
// where one tone gives way to the next.
std::vector<analysis::Run> lasting(std::vector<analysis::Run> runs, std::size_t window)
{
    std::vector<analysis::Run> kept;
    for (const analysis::Run &r : runs) {
        if (r.end - r.begin < 3 * window)
            continue;
        if (!kept.empty() && kept.back().hz == r.hz)
            kept.back().end = r.end;
        else
            kept.push_back(r);
    }
    return kept;
}

QString describeRuns(const std::vector<analysis::Run> &runs)
{
    QStringList parts;
    for (const analysis::Run &r : runs)
        parts << QStringLiteral("%1 Hz for %2 ms").arg(r.hz).arg(ms(r.end - r.begin), 0, 'f', 1);
    return parts.join(QStringLiteral(", "));
}

} // namespace

class tst_Audio : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void clipIsHeard();
    void secondVoiceCutsOffTheFirstAndStartsOver();
    void destructionStopsTheSound();
    void emptyClipFinishes();
    void encodings_data();
    void encodings();
    void voiceOperation();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    // What was recorded from t on, for the given time.
    std::vector<float> section(Clock::time_point from, std::size_t *offset);

    QTemporaryDir dir;
    Recorder recorder;
};

void tst_Audio::initTestCase()
{
    const bool session = qgetenv("PIKORA_SESSION") == "1";
    auto unusable = [&](const QString &why) {
        if (session)
            QFAIL(qPrintable(QStringLiteral("the session's sound server cannot be used: ") + why));
        QSKIP(qPrintable(QStringLiteral("no sound server (run inside tests/session): ") + why));
    };

    const QString sink = QString::fromLocal8Bit(qgetenv("PIKORA_SINK"));
    if (sink.isEmpty() || qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return unusable(QStringLiteral("PIKORA_SINK or PULSE_SERVER is not set"));
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    if (output.isNull())
        return unusable(QStringLiteral("Qt finds no audio output"));
    if (output.id() != sink.toLocal8Bit())
        return unusable(QStringLiteral("the default output is %1, not %2").arg(QString::fromLocal8Bit(output.id()), sink));

    QString why;
    if (!recorder.start(sink + QStringLiteral(".monitor"), &why))
        return unusable(why);
    if (!recorder.waitForData(5s))
        return unusable(QStringLiteral("parec records nothing from %1.monitor").arg(sink));
    QVERIFY(dir.isValid());
}

void tst_Audio::cleanupTestCase()
{
    recorder.stop();
}

std::vector<float> tst_Audio::section(Clock::time_point from, std::size_t *offset)
{
    const std::vector<float> all = recorder.samples();
    *offset = recorder.indexAt(from);
    return std::vector<float>(all.begin() + std::ptrdiff_t(*offset), all.end());
}

void tst_Audio::clipIsHeard()
{
    // The story's kind of clip: 22050 Hz mono 16-bit.
    QVERIFY(fixtures::writeTone(path("tone.wav"), 600, 1.0));
    TMediaPlayer player;

    const Clock::time_point called = Clock::now();
    voice(player, path("tone.wav"));
    const Clock::time_point returned = Clock::now();
    QCOMPARE(player.Error(), 0);
    QCOMPARE(player.Mode(), TMediaPlayer::mpPlaying);
    run(1500ms);

    // The clip ended on its own; its device stays open.
    QCOMPARE(player.Mode(), TMediaPlayer::mpStopped);
    QVERIFY(player.DeviceID() != 0);

    std::size_t offset = 0;
    const std::vector<float> heard = section(called - 100ms, &offset);
    const analysis::Span span = analysis::soundSpan(heard, 0, heard.size());
    QVERIFY2(!span.empty(), "nothing was recorded");
    const double length = ms(span.end - span.begin);
    const double hz = analysis::toneFrequency(heard.data() + span.begin, span.end - span.begin, Recorder::rate);
    QVERIFY2(std::fabs(length - 1000.0) < 20.0, qPrintable(QString::number(length)));
    QVERIFY2(std::fabs(hz - 600.0) < 3.0, qPrintable(QString::number(hz)));

    const Clock::time_point first = recorder.timeOf(offset + span.begin);
    QVERIFY2(first > called, "the clip was heard before it was played");
    qInfo("voice operation returned after %.2f ms; first sample recorded at the server %.1f ms after the call",
          ms(returned - called), ms(first - called));
}

void tst_Audio::secondVoiceCutsOffTheFirstAndStartsOver()
{
    // 300 ms at 600 Hz, then 1200 Hz: where the second play starts shows in
    // the recording.
    const int rate = 22050;
    QVERIFY(fixtures::writeClip(path("steps.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, rate, 1, rate * 2,
                                fixtures::steps({{600.0, 0.3}, {1200.0, 1.7}}, rate)));
    TMediaPlayer player;

    const Clock::time_point first = Clock::now();
    voice(player, path("steps.wav"));
    run(700ms);
    const Clock::time_point second = Clock::now();
    voice(player, path("steps.wav"));
    run(2300ms);

    std::size_t offset = 0;
    const std::vector<float> heard = section(first - 100ms, &offset);
    constexpr std::size_t window = Recorder::rate / 200;  // 5 ms
    std::vector<analysis::Run> runs = lasting(analysis::runs(heard, Recorder::rate, {600.0, 1200.0}, window), window);
    while (!runs.empty() && runs.front().hz == 0.0)
        runs.erase(runs.begin());
    while (!runs.empty() && runs.back().hz == 0.0)
        runs.pop_back();
    // Between the two plays there may be a moment of silence, never overlap.
    std::vector<analysis::Run> tones;
    for (const analysis::Run &r : runs)
        if (r.hz != 0.0)
            tones.push_back(r);
    const QString seen = describeRuns(runs);
    QVERIFY2(tones.size() == 4, qPrintable(seen));
    QVERIFY2(tones[0].hz == 600.0 && tones[1].hz == 1200.0 && tones[2].hz == 600.0 && tones[3].hz == 1200.0,
             qPrintable(seen));

    // The first play was heard until the second voice closed it, and nothing
    // of it 50 ms after that.
    const Clock::time_point cut = recorder.timeOf(offset + tones[1].end);
    QVERIFY2(cut < second + 50ms, qPrintable(QStringLiteral("%1 ms after the close; %2").arg(ms(cut - second)).arg(seen)));
    QVERIFY2(cut > second - 50ms, qPrintable(QStringLiteral("stopped %1 ms early; %2").arg(ms(second - cut)).arg(seen)));
    // The second play started from its beginning and ran to its end.
    QVERIFY2(std::fabs(ms(tones[2].end - tones[2].begin) - 300.0) < 20.0, qPrintable(seen));
    QVERIFY2(std::fabs(ms(tones[3].end - tones[3].begin) - 1700.0) < 20.0, qPrintable(seen));

    qInfo("first clip heard until %.1f ms after the second voice; second clip heard from %.1f ms after it",
          ms(cut - second), ms(recorder.timeOf(offset + tones[2].begin) - second));
}

void tst_Audio::destructionStopsTheSound()
{
    QVERIFY(fixtures::writeTone(path("long.wav"), 600, 3.0));
    auto player = std::make_unique<TMediaPlayer>();

    const Clock::time_point played = Clock::now();
    voice(*player, path("long.wav"));
    run(500ms);
    const Clock::time_point destroyed = Clock::now();
    player.reset();
    run(500ms);

    std::size_t offset = 0;
    const std::vector<float> heard = section(played, &offset);
    const analysis::Span span = analysis::soundSpan(heard, 0, heard.size());
    QVERIFY2(!span.empty(), "nothing was recorded");
    const Clock::time_point end = recorder.timeOf(offset + span.end);
    QVERIFY2(end < destroyed + 50ms, qPrintable(QStringLiteral("heard until %1 ms after the destruction").arg(ms(end - destroyed))));
    QVERIFY2(end > destroyed - 50ms, qPrintable(QStringLiteral("stopped %1 ms early").arg(ms(destroyed - end))));
    qInfo("heard until %.1f ms after the player was destroyed", ms(end - destroyed));
}

void tst_Audio::emptyClipFinishes()
{
    QVERIFY(fixtures::writeClip(path("empty.wav"), SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050, 1, 0,
                                [](std::int64_t, int) { return 0.0; }));
    TMediaPlayer player;
    const Clock::time_point played = Clock::now();
    voice(player, path("empty.wav"));
    QCOMPARE(player.Error(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(player.Mode(), TMediaPlayer::mpStopped, 1000);
    run(200ms);
    std::size_t offset = 0;
    const std::vector<float> heard = section(played, &offset);
    QVERIFY(analysis::soundSpan(heard, 0, heard.size()).empty());
}

void tst_Audio::encodings_data()
{
    QTest::addColumn<int>("format");
    QTest::addColumn<int>("rate");
    QTest::addColumn<int>("channels");
    for (const fixtures::Encoding &e : fixtures::encodings())
        QTest::newRow(e.tag) << e.format << e.rate << e.channels;
}

void tst_Audio::encodings()
{
    QFETCH(int, format);
    QFETCH(int, rate);
    QFETCH(int, channels);

    const QString file = path("encoding.wav");
    QVERIFY(fixtures::writeClip(file, format, rate, channels, std::int64_t(rate * 0.4), fixtures::tone(600.0, rate)));
    TMediaPlayer player;
    const Clock::time_point played = Clock::now();
    voice(player, file);
    QCOMPARE(player.Error(), 0);
    run(700ms);

    std::size_t offset = 0;
    const std::vector<float> heard = section(played, &offset);
    const analysis::Span span = analysis::soundSpan(heard, 0, heard.size());
    QVERIFY2(!span.empty(), "nothing was recorded");
    const double length = ms(span.end - span.begin);
    // Pitch and level from the part every encoding holds cleanly.
    const std::size_t part = std::min<std::size_t>(span.end - span.begin, Recorder::rate * 3 / 10);
    const double hz = analysis::toneFrequency(heard.data() + span.begin, part, Recorder::rate);
    const double level = analysis::peak(heard.data() + span.begin, part);
    // The whole clip, at its pitch and level.
    const double expected = decodedMs(file);
    QVERIFY2(std::fabs(expected - 400.0) < 60.0, qPrintable(QString::number(expected)));
    QVERIFY2(std::fabs(length - expected) < 20.0, qPrintable(QStringLiteral("%1 ms of %2").arg(length).arg(expected)));
    QVERIFY2(std::fabs(hz - 600.0) < 3.0, qPrintable(QString::number(hz)));
    QVERIFY2(level > 0.35 && level < 0.65, qPrintable(QString::number(level)));
}

void tst_Audio::voiceOperation()
{
    // What one voice operation costs on the event thread with the real
    // output: close the previous clip, open, start the stream.
    QVERIFY(fixtures::writeTone(path("typical.wav"), 600, 2.0));
    TMediaPlayer player;
    QBENCHMARK {
        voice(player, path("typical.wav"));
    }
    player.Close();
}

QTEST_GUILESS_MAIN(tst_Audio)
#include "tst_audio.moc"

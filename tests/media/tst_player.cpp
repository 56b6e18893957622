// The player and the voice operation over a fake output: the order of close,
// open and play, what a failure leaves behind, and each error text.

#include "FakeOutput.h"
#include "Fixtures.h"

#include "media/Clip.h"
#include "media/MciError.h"
#include "media/TMediaPlayer.h"
#include "media/Voice.h"

#include <QtCore/QDir>
#include <QtCore/QTemporaryDir>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

#include <sndfile.h>

#include <cstring>

using pikora::EMCIDeviceError;

namespace {

// The first frames of a clip as the decoder gives them, for comparing with
// what the output was fed.
QByteArray firstBytes(const QString &file, std::size_t frames)
{
    pikora::ClipReader clip(QFile::encodeName(file).toStdString());
    std::vector<float> samples(frames * std::size_t(clip.outputChannels()));
    const std::size_t got = clip.read(samples.data(), frames);
    return QByteArray(reinterpret_cast<const char *>(samples.data()),
                      qsizetype(got * std::size_t(clip.outputChannels()) * sizeof(float)));
}

} // namespace

class tst_Player : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void voiceOpensAndPlaysFromTheStart();
    void secondVoiceClosesTheFirstFirst();
    void sameClipAgainStartsOver_data();
    void sameClipAgainStartsOver();
    void failedOpen_data();
    void failedOpen();
    void failedPlayIsOnlyRecorded();
    void playBreakingOffIsOnlyRecorded();
    void finishedClipStaysOpenUntilTheNextVoice();
    void playAfterTheEndStartsOver_data();
    void playAfterTheEndStartsOver();
    void deviceTypeNamesTheDevice();
    void playWithoutAnOpenDevice();
    void destructionClosesTheClip();

private:
    QString path(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    std::shared_ptr<QStringList> log;
    FakeOutput *output = nullptr;
    std::unique_ptr<TMediaPlayer> player;
};

void tst_Player::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(fixtures::writeTone(path("a.wav"), 400, 1.0));
    QVERIFY(fixtures::writeTone(path("b.wav"), 800, 0.5, 44100));
    QVERIFY(fixtures::writeTone(path("c.mp3"), 400, 0.2));
    QVERIFY(fixtures::writeBytes(path("text.wav"), "not a clip\n"));
}

void tst_Player::init()
{
    log = std::make_shared<QStringList>();
    auto fake = std::make_unique<FakeOutput>(log);
    output = fake.get();
    player = std::make_unique<TMediaPlayer>(std::move(fake));
}

void tst_Player::cleanup()
{
    player.reset();
    output = nullptr;
}

void tst_Player::voiceOpensAndPlaysFromTheStart()
{
    QCOMPARE(player->Mode(), TMediaPlayer::mpNotReady);
    QCOMPARE(player->DeviceID(), 0u);

    voice(*player, path("a.wav"));

    // Returned while the clip plays on, before a single sample was decoded:
    // the output pulls the clip as it plays it.
    QCOMPARE(player->Mode(), TMediaPlayer::mpPlaying);
    QCOMPARE(player->Error(), 0);
    QVERIFY(player->DeviceID() != 0);
    QCOMPARE(*log, QStringList{"start"});
    QVERIFY(output->playing());
    QCOMPARE(output->source()->bytesAvailable(), qint64(22050) * 4);

    const QAudioFormat format = output->format();
    QCOMPARE(format.sampleRate(), 22050);
    QCOMPARE(format.channelCount(), 1);
    QCOMPARE(format.sampleFormat(), QAudioFormat::Float);
    QCOMPARE(output->pull(4000), firstBytes(path("a.wav"), 1000));
}

void tst_Player::secondVoiceClosesTheFirstFirst()
{
    voice(*player, path("a.wav"));
    const unsigned first = player->DeviceID();
    output->pull(4000);

    voice(*player, path("b.wav"));
    QCOMPARE(*log, (QStringList{"start", "stop", "start"}));
    QVERIFY(player->DeviceID() != first);
    QCOMPARE(player->Mode(), TMediaPlayer::mpPlaying);
    QCOMPARE(output->format().sampleRate(), 44100);
    QCOMPARE(output->pull(8000), firstBytes(path("b.wav"), 2000));
}

void tst_Player::sameClipAgainStartsOver_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("PCM 16") << (SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    QTest::newRow("IMA ADPCM") << (SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM);
    QTest::newRow("GSM 6.10") << (SF_FORMAT_WAV | SF_FORMAT_GSM610);
}

void tst_Player::sameClipAgainStartsOver()
{
    QFETCH(int, format);
    const QString file = path("again.wav");
    QVERIFY(fixtures::writeClip(file, format, 8000, 1, 8000, fixtures::tone(300, 8000)));

    voice(*player, file);
    const QByteArray start = output->pull(4000);
    output->pull(12000);
    voice(*player, file);
    QCOMPARE(output->pull(4000), start);
}

void tst_Player::failedOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");

    QTest::newRow("missing file") << "missing.wav" << 275 << QStringLiteral("指定されたﾌｧｲﾙが見つかりません");
    QTest::newRow("not a clip") << "text.wav" << 296 << QStringLiteral("このﾌｧｲﾙはﾃﾞﾊﾞｲｽで再生できない形式です");
    QTest::newRow("unknown device type") << "c.mp3" << 281 << QStringLiteral("ﾌｧｲﾙの拡張子からﾃﾞﾊﾞｲｽの種類を選べません");
    QTest::newRow("a folder") << "." << 281 << QStringLiteral("ﾌｧｲﾙの拡張子からﾃﾞﾊﾞｲｽの種類を選べません");
    QTest::newRow("no file name") << "" << 304 << QStringLiteral("ﾌｧｲﾙ名が指定されていません");
}

void tst_Player::failedOpen()
{
    QFETCH(QString, name);
    QFETCH(int, code);
    QFETCH(QString, text);

    voice(*player, path("a.wav"));
    QSignalSpy notices(player.get(), &TMediaPlayer::Notify);
    try {
        voice(*player, name.isEmpty() ? name : path(name));
        QFAIL("the voice operation went through");
    } catch (const EMCIDeviceError &e) {
        QCOMPARE(e.code(), code);
        QCOMPARE(QString::fromUtf8(e.what()), text);
    }
    // The earlier clip was closed before the open was tried: it is silent,
    // and the failed open left nothing open and played nothing.
    QCOMPARE(*log, (QStringList{"start", "stop"}));
    QVERIFY(!output->playing());
    QCOMPARE(player->Mode(), TMediaPlayer::mpNotReady);
    QCOMPARE(player->DeviceID(), 0u);
    QCOMPARE(player->Error(), code);
    QCOMPARE(player->ErrorMessage(), text);
    QCOMPARE(notices.count(), 0);

    // The player goes on working.
    voice(*player, path("b.wav"));
    QCOMPARE(player->Mode(), TMediaPlayer::mpPlaying);
    QCOMPARE(player->Error(), 0);
}

void tst_Player::failedPlayIsOnlyRecorded()
{
    output->startResult = pikora::mci::DeviceNotReady;
    QSignalSpy notices(player.get(), &TMediaPlayer::Notify);

    voice(*player, path("a.wav"));  // raises nothing

    QCOMPARE(player->Error(), 276);
    QCOMPARE(player->ErrorMessage(), QStringLiteral("ﾃﾞﾊﾞｲｽの準備ができていません"));
    QCOMPARE(player->Mode(), TMediaPlayer::mpStopped);
    QVERIFY(player->DeviceID() != 0);
    QCOMPARE(notices.count(), 0);

    output->startResult = pikora::mci::OutputsUnsuitable;
    voice(*player, path("b.wav"));
    QCOMPARE(player->Error(), 326);
    QCOMPARE(player->ErrorMessage(), QStringLiteral("この形式を再生できる出力ﾃﾞﾊﾞｲｽがありません"));

    output->startResult = pikora::mci::NoError;
    voice(*player, path("a.wav"));
    QCOMPARE(player->Error(), 0);
    QCOMPARE(player->Mode(), TMediaPlayer::mpPlaying);
}

void tst_Player::playBreakingOffIsOnlyRecorded()
{
    QSignalSpy notices(player.get(), &TMediaPlayer::Notify);
    voice(*player, path("a.wav"));
    const unsigned device = player->DeviceID();

    output->fail(pikora::mci::Hardware);

    QCOMPARE(player->Error(), 262);
    QCOMPARE(player->ErrorMessage(), QStringLiteral("ﾃﾞﾊﾞｲｽでﾊｰﾄﾞｳｪｱｴﾗｰが発生しました"));
    QCOMPARE(player->Mode(), TMediaPlayer::mpStopped);
    QCOMPARE(player->DeviceID(), device);
    QCOMPARE(notices.count(), 1);
}

void tst_Player::finishedClipStaysOpenUntilTheNextVoice()
{
    QSignalSpy notices(player.get(), &TMediaPlayer::Notify);
    voice(*player, path("b.wav"));
    const unsigned device = player->DeviceID();
    while (!output->pull(1 << 16).isEmpty()) {
    }
    QVERIFY(output->source()->atEnd());
    output->finish();

    QCOMPARE(player->Mode(), TMediaPlayer::mpStopped);
    QCOMPARE(player->DeviceID(), device);
    QCOMPARE(player->Error(), 0);
    QCOMPARE(notices.count(), 1);
    QCOMPARE(*log, QStringList{"start"});

    voice(*player, path("a.wav"));
    QCOMPARE(*log, (QStringList{"start", "stop", "start"}));
    QVERIFY(player->DeviceID() != device);
    QCOMPARE(player->Mode(), TMediaPlayer::mpPlaying);
    QCOMPARE(output->pull(400), firstBytes(path("a.wav"), 100));
}

void tst_Player::playAfterTheEndStartsOver_data()
{
    sameClipAgainStartsOver_data();
}

void tst_Player::playAfterTheEndStartsOver()
{
    QFETCH(int, format);
    const QString file = path("replay.wav");
    QVERIFY(fixtures::writeClip(file, format, 8000, 1, 4000, fixtures::tone(300, 8000)));

    player->setFileName(file);
    player->Open();
    player->Play();
    const QByteArray start = output->pull(2000);
    while (!output->pull(1 << 16).isEmpty()) {
    }
    output->finish();

    player->Play();
    QCOMPARE(player->Mode(), TMediaPlayer::mpPlaying);
    QCOMPARE(output->pull(2000), start);
}

void tst_Player::deviceTypeNamesTheDevice()
{
    // Named explicitly, the waveform device opens whatever the name says...
    player->setDeviceType(TMediaPlayer::dtWaveAudio);
    player->setFileName(path("c.mp3"));
    player->Open();
    QCOMPARE(player->Mode(), TMediaPlayer::mpStopped);

    // ...but the voice operation always lets the extension choose.
    player->setDeviceType(TMediaPlayer::dtWaveAudio);
    QVERIFY_THROWS_EXCEPTION(EMCIDeviceError, voice(*player, path("c.mp3")));
    QCOMPARE(player->DeviceType(), TMediaPlayer::dtAutoSelect);
    QCOMPARE(player->FileName(), path("c.mp3"));
    QCOMPARE(player->Error(), 281);
}

void tst_Player::playWithoutAnOpenDevice()
{
    player->Play();
    QCOMPARE(player->Error(), 257);
    QCOMPARE(player->ErrorMessage(), QStringLiteral("ﾃﾞﾊﾞｲｽが開かれていません"));
    QCOMPARE(player->Mode(), TMediaPlayer::mpNotReady);
    QVERIFY(log->isEmpty());
}

void tst_Player::destructionClosesTheClip()
{
    voice(*player, path("a.wav"));
    player.reset();
    QCOMPARE(*log, (QStringList{"start", "stop"}));
}

QTEST_GUILESS_MAIN(tst_Player)
#include "tst_player.moc"

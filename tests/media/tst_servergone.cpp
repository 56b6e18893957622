// The sound server going away under a playing clip: the play breaks off into
// the last-error code, later voices still open their clips, and nothing
// hangs. The test runs its own PulseAudio server so that it can kill it.

#include "Fixtures.h"

#include "media/MciError.h"
#include "media/TMediaPlayer.h"
#include "media/Voice.h"

#include <QtCore/QProcess>
#include <QtCore/QTemporaryDir>
#include <QtMultimedia/QAudioDevice>
#include <QtMultimedia/QMediaDevices>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

class tst_ServerGone : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void playBreaksOffWhenTheServerGoes();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
    void startServer();

    QProcess server;
    QProcessEnvironment serverEnvironment;
    QString socket;
};

void tst_ServerGone::startServer()
{
    QFile::remove(socket);
    server.setProcessEnvironment(serverEnvironment);
    server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    server.start(QStringLiteral("pulseaudio"),
                 {QStringLiteral("-n"), QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                  QStringLiteral("--disallow-exit"), QStringLiteral("--log-level=error"),
                  QStringLiteral("-L"), QStringLiteral("module-null-sink sink_name=gone_null"),
                  QStringLiteral("-L"), QStringLiteral("module-native-protocol-unix auth-anonymous=1 socket=") + socket});
}

void tst_ServerGone::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(fixtures::writeTone(path("long.wav"), 600, 5.0));
    QVERIFY(fixtures::writeTone(path("next.wav"), 900, 0.5));

    const bool session = qgetenv("PIKORA_SESSION") == "1";
    auto unusable = [&](const QString &why) {
        if (session)
            QFAIL(qPrintable(QStringLiteral("cannot run a sound server of our own: ") + why));
        QSKIP(qPrintable(QStringLiteral("cannot run a sound server of our own: ") + why));
    };

    // A private runtime folder keeps it apart from the session's server.
    socket = path(QStringLiteral("native"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    env.insert(QStringLiteral("PULSE_RUNTIME_PATH"), path(QStringLiteral("pulse")));
    env.insert(QStringLiteral("PULSE_STATE_PATH"), path(QStringLiteral("state")));
    env.remove(QStringLiteral("PULSE_SERVER"));
    serverEnvironment = env;
    startServer();
    if (!server.waitForStarted(5000))
        return unusable(server.errorString());

    // Point libpulse at it before Qt first asks for a device.
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(socket));
    for (int i = 0; i < 100 && !QFile::exists(socket); ++i)
        QTest::qSleep(50);
    if (!QFile::exists(socket) || server.state() != QProcess::Running)
        return unusable(QStringLiteral("pulseaudio did not come up"));
    if (QMediaDevices::defaultAudioOutput().isNull())
        return unusable(QStringLiteral("Qt finds no output on it"));
}

void tst_ServerGone::cleanupTestCase()
{
    if (server.state() != QProcess::NotRunning) {
        server.kill();
        server.waitForFinished(5000);
    }
}

void tst_ServerGone::playBreaksOffWhenTheServerGoes()
{
    TMediaPlayer player;
    QSignalSpy notices(&player, &TMediaPlayer::Notify);
    voice(player, path("long.wav"));
    QCOMPARE(player.Error(), 0);
    QCOMPARE(player.Mode(), TMediaPlayer::mpPlaying);
    QTest::qWait(300);

    server.kill();
    QVERIFY(server.waitForFinished(5000));

    // Nothing is raised; the play ends with the code of a failed device.
    QTRY_COMPARE_WITH_TIMEOUT(player.Mode(), TMediaPlayer::mpStopped, 3000);
    QCOMPARE(player.Error(), pikora::mci::Hardware);
    QCOMPARE(notices.count(), 1);
    QVERIFY(player.DeviceID() != 0);

    // The next voice still opens its clip; only its play fails.
    voice(player, path("next.wav"));
    QCOMPARE(player.Error(), pikora::mci::DeviceNotReady);
    QCOMPARE(player.Mode(), TMediaPlayer::mpStopped);
    QVERIFY(player.DeviceID() != 0);

    // Still so after Qt's attempts to reconnect.
    QTest::qWait(3500);
    voice(player, path("next.wav"));
    QCOMPARE(player.Error(), pikora::mci::DeviceNotReady);
}

QTEST_GUILESS_MAIN(tst_ServerGone)
#include "tst_servergone.moc"

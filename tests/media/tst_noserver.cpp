// The real output with no sound server at all: clips still open, plays fail
// silently into the last-error code, and nothing waits for a server.

#include "Fixtures.h"

#include "media/MciError.h"
#include "media/TMediaPlayer.h"
#include "media/Voice.h"

#include <QtCore/QCoreApplication>
#include <QtCore/QTemporaryDir>
#include <QtTest/QSignalSpy>
#include <QtTest/QTest>

class tst_NoServer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void clipsOpenAndPlaysFailSilently();
    void openFailuresStillRaise();
    void destructionDoesNotWait();

private:
    QString path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

void tst_NoServer::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(fixtures::writeTone(path("a.wav"), 600, 0.5));
    QVERIFY(fixtures::writeTone(path("b.wav"), 900, 0.5, 44100));
}

void tst_NoServer::clipsOpenAndPlaysFailSilently()
{
    TMediaPlayer player;
    QSignalSpy notices(&player, &TMediaPlayer::Notify);

    voice(player, path("a.wav"));
    QCOMPARE(player.Error(), pikora::mci::DeviceNotReady);
    QCOMPARE(player.Mode(), TMediaPlayer::mpStopped);
    QVERIFY(player.DeviceID() != 0);

    // Another voice closes the silent clip and opens the next one the same way.
    const unsigned first = player.DeviceID();
    voice(player, path("b.wav"));
    QCOMPARE(player.Error(), pikora::mci::DeviceNotReady);
    QVERIFY(player.DeviceID() != first);

    QTest::qWait(100);
    QCOMPARE(notices.count(), 0);
    QCOMPARE(player.Mode(), TMediaPlayer::mpStopped);
}

void tst_NoServer::openFailuresStillRaise()
{
    TMediaPlayer player;
    voice(player, path("a.wav"));
    try {
        voice(player, path("missing.wav"));
        QFAIL("a missing clip was opened");
    } catch (const pikora::EMCIDeviceError &e) {
        QCOMPARE(e.code(), pikora::mci::FileNotFound);
    }
    QCOMPARE(player.Mode(), TMediaPlayer::mpNotReady);
}

void tst_NoServer::destructionDoesNotWait()
{
    auto player = std::make_unique<TMediaPlayer>();
    voice(*player, path("a.wav"));
    player.reset();
    // Reaching this line is the test: a player with no server to talk to is
    // destroyed without waiting for one. The CTest timeout catches a hang.
}

int main(int argc, char **argv)
{
    // A server address where nothing listens, set before Qt first looks for
    // one; libpulse then neither finds the session's server nor starts its own.
    QTemporaryDir nowhere;
    qputenv("PULSE_SERVER", "unix:" + QFile::encodeName(nowhere.filePath(QStringLiteral("no-server"))));
    QCoreApplication app(argc, argv);
    tst_NoServer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_noserver.moc"

// What opening a clip costs: the story's kind of clip, and one that plays
// for ten minutes, which must open just as fast since nothing is decoded.

#include "Fixtures.h"

#include "media/Clip.h"

#include <QtCore/QTemporaryDir>
#include <QtTest/QTest>

class bench_Open : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void open_data();
    void open();

private:
    QTemporaryDir dir;
};

void bench_Open::initTestCase()
{
    QVERIFY(dir.isValid());
    QVERIFY(fixtures::writeTone(dir.filePath("typical.wav"), 600, 2.0));
    QVERIFY(fixtures::writeTone(dir.filePath("ten-minutes.wav"), 600, 600.0));
}

void bench_Open::open_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("2 s, 22050 Hz mono PCM 16") << "typical.wav";
    QTest::newRow("10 min, 22050 Hz mono PCM 16") << "ten-minutes.wav";
}

void bench_Open::open()
{
    QFETCH(QString, name);
    const std::string file = QFile::encodeName(dir.filePath(name)).toStdString();
    QBENCHMARK {
        pikora::ClipReader clip(file);
        float first[64];
        QCOMPARE(clip.read(first, 32), std::size_t(32));
    }
}

QTEST_GUILESS_MAIN(bench_Open)
#include "bench_open.moc"

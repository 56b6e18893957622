// The story: Next through the seven scenes, Back to the title, the failures
// each row can meet, and the two-frame ending animation.

#include "components/Image.h"
#include "components/Panel.h"
#include "components/SystemColors.h"
#include "components/Timer.h"
#include "media/TMediaPlayer.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/TestMain.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <memory>

using namespace pikora;
using pikora::test::ModalWatcher;

namespace {

// Each picture of the story in a colour of its own.
const std::map<QString, QColor> kPictures = {
    {"s_1.bmp", QColor(255, 0, 0)},     {"s_2.bmp", QColor(0, 160, 0)},   {"s_3.bmp", QColor(0, 0, 255)},
    {"d_1.bmp", QColor(255, 255, 0)},   {"d_2.bmp", QColor(255, 0, 255)}, {"eat.bmp", QColor(0, 128, 128)},
    {"1.bmp", QColor(128, 0, 0)},       {"2.bmp", QColor(0, 0, 128)},     {"start.bmp", QColor(128, 128, 0)},
    {"ver.bmp", QColor(64, 64, 64)},
};
const QStringList kClips = {"start.wav", "he.wav", "hanashi.wav", "himei1.wav", "himei2.wav", "eat1.wav", "end.wav"};

int failingTimerAllocator(QObject*, int)
{
    return 0;
}

struct RowExpectation {
    QString picture;     // whose colour fills the scene area; empty: the background
    bool image1Visible;
    QString clip;        // the clip last given to the player
    bool backVisible;
    int interval;
};

} // namespace

Q_DECLARE_METATYPE(RowExpectation)

class TestStory : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousDir;
    std::unique_ptr<TForm1> m_form;

    TForm1& form() { return *m_form; }

    QString path(const QString& name) const { return m_dir->filePath(name); }

    void remove(const QString& name) { QVERIFY(QFile::remove(path(name))); }

    // The colour a user sees in the middle of the area above the bar.
    QColor sceneColour()
    {
        const QImage shot = form().grab().toImage();
        return shot.pixelColor(form().width() / 2, (form().height() - 25) / 2);
    }

    void next(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            QTest::mouseClick(form().ui.Panel4, Qt::LeftButton);
    }

    void back() { QTest::mouseClick(form().ui.Panel2, Qt::LeftButton); }

    void tick() { emit form().Timer1->OnTimer(); }

    void verifyScene(const QString& picture)
    {
        const QColor expected = picture.isEmpty() ? clBtnFace() : kPictures.at(picture);
        QCOMPARE(sceneColour(), expected);
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        for (const auto& [name, colour] : kPictures) {
            // The title and the ending's frames as 8-bit files, which stay
            // indexed once loaded; the scenes as 24-bit files.
            if (name == "start.bmp" || name == "1.bmp" || name == "2.bmp") {
                QImage indexed(16, 10, QImage::Format_Indexed8);
                indexed.setColorTable({QColor(1, 2, 3).rgb(), colour.rgb()});
                indexed.fill(1);
                QVERIFY(indexed.save(path(name), "BMP"));
            } else {
                test::writeSolidBmp(path(name), 16, 10, colour);
            }
        }
        for (const QString& clip : kClips)
            test::writeToneWav(path(clip), 300);
        m_previousDir = QDir::currentPath();
        QDir::setCurrent(m_dir->path());
        m_form = std::make_unique<TForm1>();
        Form1 = m_form.get();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanup()
    {
        m_form.reset();
        Form1 = nullptr;
        TTimer::setAllocator(nullptr);
        QDir::setCurrent(m_previousDir);
        m_dir.reset();
    }

    void rows_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<RowExpectation>("expected");
        QTest::newRow("1 start") << 1 << RowExpectation{"s_1.bmp", true, "start.wav", false, 0};
        QTest::newRow("2 he") << 2 << RowExpectation{"s_2.bmp", true, "he.wav", false, 0};
        QTest::newRow("3 talk") << 3 << RowExpectation{"s_3.bmp", true, "hanashi.wav", false, 0};
        QTest::newRow("4 scream") << 4 << RowExpectation{"d_1.bmp", true, "himei1.wav", false, 0};
        QTest::newRow("5 scream") << 5 << RowExpectation{"d_2.bmp", true, "himei2.wav", false, 0};
        QTest::newRow("6 eat") << 6 << RowExpectation{"eat.bmp", true, "eat1.wav", false, 0};
        QTest::newRow("7 ending") << 7 << RowExpectation{"", false, "end.wav", true, 1000};
        QTest::newRow("8 nothing") << 8 << RowExpectation{"", false, "end.wav", true, 1000};
        QTest::newRow("12 nothing") << 12 << RowExpectation{"", false, "end.wav", true, 1000};
    }

    void rows()
    {
        QFETCH(int, count);
        QFETCH(RowExpectation, expected);
        ModalWatcher watcher;
        next(count);
        QVERIFY2(watcher.seen().empty(), "every content file is present");
        TForm1& f = form();
        QCOMPARE(f.StepCount, count);
        verifyScene(expected.picture);
        QCOMPARE(f.ui.Image1->isVisible(), expected.image1Visible);
        QVERIFY(!f.ui.Image2->isVisible());
        QCOMPARE(f.MediaPlayer1->FileName(), expected.clip);
        QVERIFY(f.MediaPlayer1->Mode() != TMediaPlayer::mpNotReady);
        QCOMPARE(f.ui.Panel2->isVisible(), expected.backVisible);
        QCOMPARE(f.Timer1->Interval(), expected.interval);
        QCOMPARE(f.Timer1->isRunning(), expected.interval != 0);
        if (count >= 7) {
            // Both frames are loaded, though neither component is shown.
            QCOMPARE(f.ui.Image1->Picture().pixelColor(0, 0), kPictures.at("1.bmp"));
            QCOMPARE(f.ui.Image2->Picture().pixelColor(0, 0), kPictures.at("2.bmp"));
            // 8-bit files are held at a byte a pixel.
            QCOMPARE(f.ui.Image1->Picture().format(), QImage::Format_Indexed8);
        }
    }

    void backReturnsToTheTitle()
    {
        TForm1& f = form();
        next(8);
        QCOMPARE(f.StepCount, 8);
        tick();
        back();
        QCOMPARE(f.StepCount, 0);
        QCOMPARE(f.Timer1->Interval(), 0);
        QVERIFY(!f.Timer1->isRunning());
        QVERIFY(f.ui.Image1->isVisible());
        QVERIFY(!f.ui.Image2->isVisible());
        QVERIFY(!f.ui.Panel2->isVisible());
        verifyScene("start.bmp");
        // Back leaves the voice alone: the end clip is still the open one.
        QCOMPARE(f.MediaPlayer1->FileName(), QStringLiteral("end.wav"));
        QVERIFY(f.MediaPlayer1->Mode() != TMediaPlayer::mpNotReady);

        next();
        QCOMPARE(f.StepCount, 1);
        verifyScene("s_1.bmp");
        QCOMPARE(f.MediaPlayer1->FileName(), QStringLiteral("start.wav"));
    }

    void secondPassWorksLikeTheFirst()
    {
        TForm1& f = form();
        next(7);
        back();
        // A picture changed on disk between the passes is read afresh.
        test::writeSolidBmp(path("s_2.bmp"), 8, 8, QColor(10, 20, 30));
        next(2);
        QCOMPARE(sceneColour(), QColor(10, 20, 30));
        next(5);
        QCOMPARE(f.Timer1->Interval(), 1000);
        QVERIFY(f.Timer1->isRunning());
        QVERIFY(f.ui.Panel2->isVisible());
        tick();
        verifyScene(f.FrameFlag ? "1.bmp" : "2.bmp");
    }

    void failures_data()
    {
        QTest::addColumn<QString>("missing");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("boxText");
        QTest::addColumn<RowExpectation>("expected");
        QTest::addColumn<bool>("timerRunning");

        // Row 2 voices before it loads: the clip starts, the old picture stays.
        QTest::newRow("s_2.bmp") << "s_2.bmp" << 2 << "ﾌｧｲﾙ s_2.bmp は開けません."
                                 << RowExpectation{"s_1.bmp", true, "he.wav", false, 0} << false;
        // Every other row loads first: a failed picture means no new clip.
        QTest::newRow("s_3.bmp") << "s_3.bmp" << 3 << "ﾌｧｲﾙ s_3.bmp は開けません."
                                 << RowExpectation{"s_2.bmp", true, "he.wav", false, 0} << false;
        QTest::newRow("eat.bmp") << "eat.bmp" << 6 << "ﾌｧｲﾙ eat.bmp は開けません."
                                 << RowExpectation{"d_2.bmp", true, "himei2.wav", false, 0} << false;
        // No first frame: no timer, no Back; only Exit remains.
        QTest::newRow("1.bmp") << "1.bmp" << 7 << "ﾌｧｲﾙ 1.bmp は開けません."
                               << RowExpectation{"", false, "eat1.wav", false, 0} << false;
        QTest::newRow("2.bmp") << "2.bmp" << 7 << "ﾌｧｲﾙ 2.bmp は開けません."
                               << RowExpectation{"", false, "eat1.wav", false, 1000} << true;
        QTest::newRow("end.wav") << "end.wav" << 7 << QString()
                                 << RowExpectation{"", false, "end.wav", false, 1000} << true;
    }

    void failures()
    {
        QFETCH(QString, missing);
        QFETCH(int, count);
        QFETCH(QString, boxText);
        QFETCH(RowExpectation, expected);
        QFETCH(bool, timerRunning);

        remove(missing);
        ModalWatcher watcher;
        next(count);
        TForm1& f = form();
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        QCOMPARE(watcher.seen()[0].icon, QMessageBox::Critical);
        if (!boxText.isEmpty())
            QCOMPARE(watcher.seen()[0].text, boxText);
        else
            QVERIFY(!watcher.seen()[0].text.isEmpty()); // the media layer's own words
        QCOMPARE(f.StepCount, count);
        verifyScene(expected.picture);
        QCOMPARE(f.ui.Image1->isVisible(), expected.image1Visible);
        QCOMPARE(f.MediaPlayer1->FileName(), expected.clip);
        QCOMPARE(f.ui.Panel2->isVisible(), expected.backVisible);
        QCOMPARE(f.Timer1->Interval(), expected.interval);
        QCOMPARE(f.Timer1->isRunning(), timerRunning);
        if (missing == "2.bmp")
            QVERIFY2(f.ui.Image2->Picture().isNull(), "frame 2 holds no picture on the first pass");

        // Whatever failed, the next Next runs the following row.
        next();
        QCOMPARE(f.StepCount, count + 1);
    }

    void missingVoiceKeepsThePictureOfTheScene()
    {
        remove("he.wav");
        ModalWatcher watcher;
        next(2);
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        verifyScene("s_1.bmp");
        QCOMPARE(form().MediaPlayer1->Mode(), TMediaPlayer::mpNotReady);
        next();
        verifyScene("s_3.bmp");
        QCOMPARE(form().MediaPlayer1->FileName(), QStringLiteral("hanashi.wav"));
    }

    void noTimerLeft()
    {
        TTimer::setAllocator(failingTimerAllocator);
        ModalWatcher watcher;
        next(7);
        TForm1& f = form();
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        QCOMPARE(watcher.seen()[0].text, QStringLiteral("ﾀｲﾏｰを取得できません."));
        QVERIFY(!f.Timer1->isRunning());
        QVERIFY2(f.ui.Image2->Picture().isNull(), "the rest of the row is skipped: no second frame");
        QCOMPARE(f.MediaPlayer1->FileName(), QStringLiteral("eat1.wav"));
        QVERIFY(!f.ui.Panel2->isVisible());
    }

    void failedBackKeepsTheEnding()
    {
        TForm1& f = form();
        next(7);
        tick();
        remove("start.bmp");
        ModalWatcher watcher;
        back();
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        QCOMPARE(watcher.seen()[0].text, QStringLiteral("ﾌｧｲﾙ start.bmp は開けません."));
        QCOMPARE(f.StepCount, 0);
        QVERIFY(!f.Timer1->isRunning());
        QVERIFY(f.ui.Image1->isVisible());
        verifyScene("1.bmp"); // Image1 still holds the first ending frame
        QVERIFY(f.ui.Panel2->isVisible());
    }

    void framesAlternate()
    {
        next(7);
        verifyScene(""); // nothing is drawn before the first tick
        const QStringList expected = {"1.bmp", "2.bmp", "1.bmp", "2.bmp"};
        for (const QString& frame : expected) {
            tick();
            verifyScene(frame);
        }
    }

    // Frames larger than the scene area are drawn from a kept, stretched copy:
    // a new picture, a new size or a repaint must never show a stale one.
    void largeFramesNeverShowAStaleCopy()
    {
        TForm1& f = form();
        const auto writeFrame = [this](const char* name, QColor colour) {
            QImage frame(640, 400, QImage::Format_Indexed8);
            frame.setColorTable({colour.rgb()});
            frame.fill(0);
            QVERIFY(frame.save(path(name), "BMP"));
        };
        writeFrame("1.bmp", QColor(200, 10, 10));
        writeFrame("2.bmp", QColor(10, 200, 10));
        next(7);
        for (const QColor expected : {QColor(200, 10, 10), QColor(10, 200, 10), QColor(200, 10, 10)}) {
            tick();
            QCOMPARE(sceneColour(), expected);
            f.repaint();
            QCOMPARE(sceneColour(), expected);
        }
        f.resize(250, 180);
        QCOMPARE(sceneColour(), QColor(200, 10, 10));
        const QImage shot = f.grab().toImage();
        for (QPoint p : {QPoint(0, 0), QPoint(249, 0), QPoint(0, 154), QPoint(249, 154)})
            QCOMPARE(shot.pixelColor(p), QColor(200, 10, 10));

        // A second pass with other files: the same sizes, other pictures.
        back();
        writeFrame("1.bmp", QColor(10, 10, 200));
        writeFrame("2.bmp", QColor(200, 200, 10));
        next(7);
        tick(); // FrameFlag was true: this tick draws frame 2
        QCOMPARE(sceneColour(), QColor(200, 200, 10));
        tick();
        QCOMPARE(sceneColour(), QColor(10, 10, 200));
    }

    void framePhaseCarriesAcrossPasses()
    {
        TForm1& f = form();
        next(7);
        tick();
        tick();
        tick(); // three ticks: frame 1 was drawn last, FrameFlag is true
        QCOMPARE(f.FrameFlag, true);
        back();
        QCOMPARE(f.FrameFlag, true);
        next(7);
        verifyScene("");
        tick();
        verifyScene("2.bmp");
    }

    void resizeDuringTheEnding()
    {
        TForm1& f = form();
        next(7);
        tick();
        f.resize(400, 300);
        tick();
        const QImage shot = f.grab().toImage();
        // The frame fills the new area above the bar, corner to corner.
        for (QPoint p : {QPoint(0, 0), QPoint(399, 0), QPoint(0, 274), QPoint(399, 274), QPoint(200, 137)})
            QCOMPARE(shot.pixelColor(p), kPictures.at("2.bmp"));
        QCOMPARE(shot.pixelColor(200, 290), f.ui.Panel1->grab().toImage().pixelColor(200, 15));
    }

    void repaintBetweenTicksKeepsTheFrame()
    {
        TForm1& f = form();
        next(7);
        tick();
        f.repaint();
        verifyScene("1.bmp");
        f.resize(360, 260);
        verifyScene("1.bmp");
    }

    void frameWithoutPicture()
    {
        // Frame 2 missing on the first pass: its first tick copies 0 x 0 and
        // leaves frame 1 on screen; later ticks copy an empty background bitmap.
        remove("2.bmp");
        ModalWatcher watcher;
        next(7);
        TForm1& f = form();
        tick();
        verifyScene("1.bmp");
        tick();
        verifyScene("1.bmp");
        QVERIFY(!f.ui.Image2->Picture().isNull());
        tick();
        verifyScene("1.bmp");
        tick();
        verifyScene("");
    }

    void ticksOnceASecond()
    {
        // The one real-time check: frames change about every 1000 ms.
        TForm1& f = form();
        next(7);
        QElapsedTimer clock;
        clock.start();
        QTRY_VERIFY_WITH_TIMEOUT(f.FrameFlag, 3000);
        const qint64 first = clock.elapsed();
        verifyScene("1.bmp");
        QTRY_VERIFY_WITH_TIMEOUT(!f.FrameFlag, 3000);
        const qint64 second = clock.elapsed();
        verifyScene("2.bmp");
        QVERIFY2(first >= 900 && first <= 1500, qPrintable(QString::number(first)));
        QVERIFY2(second - first >= 800 && second - first <= 1300, qPrintable(QString::number(second - first)));
    }
};

PIKORA_TEST_MAIN(TestStory)
#include "tst_story.moc"

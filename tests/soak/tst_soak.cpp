// The story played over and over on the sample story's real files: seven
// Nexts, a few ticks of the ending, Back. Nothing may fail, every clip must be
// opened and handed to the output, and resident memory must stop growing
// once the first passes have warmed every cache.
//
// PIKORA_SOAK_PASSES (default 300) passes are played. Resident memory is
// taken after every pass; its growth is the median of the last few passes
// less the median of as many passes right after the first
// PIKORA_SOAK_BASELINE (default 100), so that the sanitizer allocator's ebb
// and flow does not pass for growth. tests/soak/run-long plays 1,000 with the
// baseline after 100 in the sanitizer build, where LeakSanitizer checks for
// leaks when the test exits.

#include "components/Image.h"
#include "components/Panel.h"
#include "components/Timer.h"
#include "media/AudioOutput.h"
#include "media/MciError.h"
#include "media/TMediaPlayer.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/TestMain.h"
#include "ui/Unit1.h"

#include <QAudioFormat>
#include <QDir>
#include <QFile>
#include <QIODevice>
#include <QPointer>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

using pikora::test::ModalWatcher;

namespace {

// Plays nothing, but pulls each clip as a sound card would, a buffer at a
// time from the event loop, and reports its end; a stop cancels all of that.
class DrainingOutput final : public pikora::AudioOutput {
public:
    int start(QIODevice* source, const QAudioFormat& format) override
    {
        stop();
        ++starts;
        m_source = source;
        m_chunk = format.bytesForDuration(1000000); // a second at a time
        pullSoon();
        return pikora::mci::NoError;
    }

    void stop() override
    {
        ++m_generation;
        m_source = nullptr;
    }

    int starts = 0;
    qint64 bytesPulled = 0;
    int clipsFinished = 0;

private:
    void pullSoon()
    {
        const unsigned generation = m_generation;
        QTimer::singleShot(0, this, [this, generation] {
            if (generation != m_generation || !m_source)
                return;
            const QByteArray got = m_source->read(m_chunk);
            bytesPulled += got.size();
            if (got.isEmpty() || m_source->atEnd()) {
                m_source = nullptr;
                ++clipsFinished;
                emit finished();
                return;
            }
            pullSoon();
        });
    }

    QIODevice* m_source = nullptr;
    qint64 m_chunk = 0;
    unsigned m_generation = 0;
};

int envInt(const char* name, int fallback)
{
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// Resident set size in bytes, as the kernel counts it now.
qint64 residentBytes()
{
    std::ifstream statm("/proc/self/statm");
    qint64 size = 0, resident = 0;
    statm >> size >> resident;
    return resident * qint64(sysconf(_SC_PAGESIZE));
}

qint64 median(std::vector<qint64> values)
{
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

} // namespace

class TestSoak : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_previousDir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        const QDir story(QStringLiteral(PIKORA_STORY_DIR));
        const QStringList names = story.entryList({"*.bmp", "*.wav", "*.txt"}, QDir::Files);
        QCOMPARE(names.size(), 18);
        for (const QString& name : names)
            QVERIFY(QFile::copy(story.filePath(name), m_dir.filePath(name)));
        m_previousDir = QDir::currentPath();
        QDir::setCurrent(m_dir.path());
    }

    void cleanupTestCase() { QDir::setCurrent(m_previousDir); }

    void playsTheStoryOverAndOver()
    {
        const int passes = envInt("PIKORA_SOAK_PASSES", 300);
        const int baselineAfter = envInt("PIKORA_SOAK_BASELINE", 100);
        QVERIFY2(passes > baselineAfter, "more passes than the baseline");
        const int window = std::clamp((passes - baselineAfter) / 4, 1, 20);
        constexpr int kTicks = 3;

        auto form = std::make_unique<TForm1>();
        Form1 = form.get();
        delete form->MediaPlayer1;
        auto output = std::make_unique<DrainingOutput>();
        QPointer<DrainingOutput> drain = output.get();
        form->MediaPlayer1 = new TMediaPlayer(std::move(output), form.get());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));

        ModalWatcher watcher;
        std::vector<qint64> resident; // after each pass
        for (int pass = 1; pass <= passes; ++pass) {
            for (int i = 0; i < 7; ++i) {
                QTest::mouseClick(form->ui.Panel4, Qt::LeftButton);
                QCoreApplication::processEvents(); // the output pulls; deferred deletes run
            }
            QCOMPARE(form->StepCount, 7);
            QVERIFY(form->ui.Panel2->isVisible());
            QVERIFY(form->Timer1->isRunning());
            for (int i = 0; i < kTicks; ++i) {
                emit form->Timer1->OnTimer();
                QCoreApplication::processEvents(); // and the end voice plays on
            }
            QTest::mouseClick(form->ui.Panel2, Qt::LeftButton);
            QCoreApplication::processEvents();
            QCOMPARE(form->StepCount, 0);
            QVERIFY(!form->Timer1->isRunning());
            QVERIFY(form->ui.Image1->isVisible());
            QVERIFY(!form->ui.Image1->Picture().isNull());
            if (!watcher.seen().empty())
                QFAIL(qPrintable(QStringLiteral("pass %1: a box said \"%2\"").arg(pass).arg(watcher.seen()[0].text)));
            resident.push_back(residentBytes());
        }
        const auto first = resident.begin() + baselineAfter;
        const qint64 baseline = median({first, first + window});
        const qint64 last = median({resident.end() - window, resident.end()});
        const qint64 grown = last - baseline;
        std::fprintf(stderr, "soak: %d passes; resident %.1f MiB after pass %d, %.1f MiB at the end (%+.0f KiB)\n",
                     passes, double(baseline) / (1 << 20), baselineAfter, double(last) / (1 << 20),
                     double(grown) / 1024);

        QVERIFY(drain);
        QCOMPARE(drain->starts, 7 * passes);
        QVERIFY(drain->bytesPulled > 0);
        QVERIFY(drain->clipsFinished > 0);
        QVERIFY2(grown < 1024 * 1024, qPrintable(QStringLiteral("resident memory grew by %1 KiB").arg(grown / 1024)));

        form.reset();
        Form1 = nullptr;
    }
};

PIKORA_TEST_MAIN(TestSoak)

#include "tst_soak.moc"

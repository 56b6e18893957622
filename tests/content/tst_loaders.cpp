// The loading rules on real files in a scratch working directory: the kind
// from the extension, the open rule (locked files, FIFOs, directories and
// devices fail with the can't-open text without blocking), fresh reads, the
// empty picture, and the size limits checked before anything is read.

#include "TestSupport.h"

#include "content/Picture.h"
#include "content/Text.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace testsupport;

namespace {

QByteArray fixture(const char* name)
{
    return readAll(fixturePath(QString::fromLatin1(name) + QStringLiteral(".bmp")));
}

QByteArray pixelsOf(const pikora::Bitmap& bitmap)
{
    const std::vector<std::uint32_t> pixels = pikora::rgb32Pixels(bitmap);
    return QByteArray(reinterpret_cast<const char*>(pixels.data()), qsizetype(pixels.size() * sizeof(std::uint32_t)));
}

// Holds an flock on a file through its own open file description, as another
// program would.
class HeldLock {
public:
    HeldLock(const char* name, int operation) : m_fd(::open(name, O_RDONLY))
    {
        if (m_fd < 0 || ::flock(m_fd, operation | LOCK_NB) != 0)
            qFatal("cannot lock %s", name);
    }
    ~HeldLock() { ::close(m_fd); }

private:
    int m_fd;
};

bool canLockExclusively(const char* name)
{
    const int fd = ::open(name, O_RDONLY);
    const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    if (fd >= 0)
        ::close(fd);
    return locked;
}

// A sparse file of the given size that starts with the given bytes.
void writeSparse(const char* name, const QByteArray& start, qint64 size)
{
    writeAll(QString::fromLatin1(name), start);
    if (::truncate(name, size) != 0)
        qFatal("cannot size %s", name);
}

} // namespace

class TestLoaders : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void pictureLoadsFromTheWorkingDirectory();
    void pictureKindFromExtension_data();
    void pictureKindFromExtension();
    void cannotOpen_data();
    void cannotOpen();
    void lockedByAnotherProgram_data();
    void lockedByAnotherProgram();
    void lockIsReleasedAfterLoading();
    void unreadableFile();
    void zeroBytePictureIsEmpty();
    void replacedOnDiskGivesTheNewPicture();
    void hugePictureFileIsRefusedUnread();
    void textLoads();
    void textLimit_data();
    void textLimit();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_previous;
};

void TestLoaders::init()
{
    m_dir = new QTemporaryDir;
    QVERIFY(m_dir->isValid());
    m_previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_dir->path()));
}

void TestLoaders::cleanup()
{
    QDir::setCurrent(m_previous);
    delete m_dir;
    m_dir = nullptr;
}

void TestLoaders::pictureLoadsFromTheWorkingDirectory()
{
    const QByteArray bytes = fixture("im_v3_rle8");
    writeAll(QStringLiteral("s_1.bmp"), bytes);
    pikora::BmpInfo info;
    const pikora::Bitmap loaded = pikora::loadPicture("s_1.bmp", &info);
    const pikora::Bitmap decoded = pikora::decodeBmp(bytesOf(bytes));
    QCOMPARE(loaded.width, decoded.width);
    QCOMPARE(loaded.height, decoded.height);
    QCOMPARE(pixelsOf(loaded), pixelsOf(decoded));
    QCOMPARE(info.compression, std::string_view("RLE8"));
}

void TestLoaders::pictureKindFromExtension_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("written");
    QTest::addColumn<bool>("loads");
    QTest::newRow("upper case") << QStringLiteral("S_1.BMP") << true << true;
    QTest::newRow("mixed case") << QStringLiteral("s_1.Bmp") << true << true;
    QTest::newRow("only an extension") << QStringLiteral(".bmp") << true << true;
    QTest::newRow("last dot decides") << QStringLiteral("s.png.bmp") << true << true;
    QTest::newRow("other extension") << QStringLiteral("s_1.png") << true << false;
    QTest::newRow("after the last dot") << QStringLiteral("s_1.bmp.bak") << true << false;
    QTest::newRow("no extension") << QStringLiteral("s_1") << true << false;
    QTest::newRow("bmp without dot") << QStringLiteral("s_1bmp") << true << false;
    // The kind is chosen before the file is opened.
    QTest::newRow("missing, other extension") << QStringLiteral("missing.png") << false << false;
}

void TestLoaders::pictureKindFromExtension()
{
    QFETCH(QString, name);
    QFETCH(bool, written);
    QFETCH(bool, loads);
    if (written)
        writeAll(name, fixture("im_v3_24bit"));
    pikora::Bitmap bitmap;
    const QString error = errorOf([&] { bitmap = pikora::loadPicture(name.toStdString()); });
    if (loads) {
        QCOMPARE(error, QString());
        QCOMPARE(bitmap.width, 13);
    } else {
        QCOMPARE(error, kInvalidBitmap);
    }
}

void TestLoaders::cannotOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("text");
    QTest::newRow("missing picture") << QStringLiteral("s_2.bmp") << false;
    QTest::newRow("missing text") << QStringLiteral("v_1.txt") << true;
    QTest::newRow("named as passed") << QStringLiteral("./s_2.bmp") << false;
    QTest::newRow("directory picture") << QStringLiteral("dir.bmp") << false;
    QTest::newRow("directory text") << QStringLiteral("dir.txt") << true;
    QTest::newRow("FIFO picture") << QStringLiteral("fifo.bmp") << false;
    QTest::newRow("FIFO text") << QStringLiteral("fifo.txt") << true;
    QTest::newRow("device picture") << QStringLiteral("null.bmp") << false;
    QTest::newRow("device text") << QStringLiteral("null.txt") << true;
    QTest::newRow("dangling link") << QStringLiteral("gone.bmp") << false;
}

void TestLoaders::cannotOpen()
{
    QFETCH(QString, name);
    QFETCH(bool, text);
    QVERIFY(QDir().mkdir(QStringLiteral("dir.bmp")) && QDir().mkdir(QStringLiteral("dir.txt")));
    // Nobody ever writes to these FIFOs: opening one to read would block.
    QCOMPARE(::mkfifo("fifo.bmp", 0600), 0);
    QCOMPARE(::mkfifo("fifo.txt", 0600), 0);
    QCOMPARE(::symlink("/dev/null", "null.bmp"), 0);
    QCOMPARE(::symlink("/dev/zero", "null.txt"), 0);
    QCOMPARE(::symlink("nowhere.bmp", "gone.bmp"), 0);

    const std::string fileName = name.toStdString();
    const QString error = text ? errorOf([&] { pikora::loadText(fileName); })
                               : errorOf([&] { pikora::loadPicture(fileName); });
    QCOMPARE(error, cannotOpenText(name));
}

void TestLoaders::lockedByAnotherProgram_data()
{
    QTest::addColumn<int>("operation");
    QTest::addColumn<bool>("text");
    QTest::newRow("exclusive, picture") << LOCK_EX << false;
    QTest::newRow("shared, picture") << LOCK_SH << false;
    QTest::newRow("exclusive, text") << LOCK_EX << true;
}

void TestLoaders::lockedByAnotherProgram()
{
    QFETCH(int, operation);
    QFETCH(bool, text);
    const char* name = text ? "v_1.txt" : "start.bmp";
    writeAll(QString::fromLatin1(name), text ? QByteArray("text\r\n") : fixture("im_v3_8bit"));
    auto load = [&] {
        return errorOf([&] {
            if (text)
                pikora::loadText(name);
            else
                pikora::loadPicture(name);
        });
    };
    {
        HeldLock lock(name, operation);
        QCOMPARE(load(), cannotOpenText(QString::fromLatin1(name)));
    }
    QCOMPARE(load(), QString());
}

void TestLoaders::lockIsReleasedAfterLoading()
{
    writeAll(QStringLiteral("good.bmp"), fixture("im_v3_8bit"));
    writeAll(QStringLiteral("bad.bmp"), fixture("bad_planes_2"));
    writeAll(QStringLiteral("v_1.txt"), QByteArray("text"));
    pikora::loadPicture("good.bmp");
    QVERIFY(canLockExclusively("good.bmp"));
    QCOMPARE(errorOf([] { pikora::loadPicture("bad.bmp"); }), kInvalidBitmap);
    QVERIFY(canLockExclusively("bad.bmp"));
    pikora::loadText("v_1.txt");
    QVERIFY(canLockExclusively("v_1.txt"));
}

void TestLoaders::unreadableFile()
{
    if (::geteuid() == 0)
        QSKIP("permissions do not bind root");
    writeAll(QStringLiteral("ver.bmp"), fixture("im_v3_8bit"));
    QCOMPARE(::chmod("ver.bmp", 0), 0);
    QCOMPARE(errorOf([] { pikora::loadPicture("ver.bmp"); }), cannotOpenText(QStringLiteral("ver.bmp")));
}

void TestLoaders::zeroBytePictureIsEmpty()
{
    writeAll(QStringLiteral("s_2.bmp"), QByteArray());
    pikora::Bitmap bitmap;
    QCOMPARE(errorOf([&] { bitmap = pikora::loadPicture("s_2.bmp"); }), QString());
    QVERIFY(bitmap.isEmpty());
    QVERIFY(pixelsOf(bitmap).isEmpty());
}

void TestLoaders::replacedOnDiskGivesTheNewPicture()
{
    const QByteArray first = fixture("im_v3_8bit");
    const QByteArray second = fixture("im_v3_rle8");
    const QByteArray third = fixture("hand_1bit_w9");

    writeAll(QStringLiteral("s_2.bmp"), first);
    QCOMPARE(pikora::loadPicture("s_2.bmp").width, 13);

    // Replaced by a new file renamed over it.
    writeAll(QStringLiteral("new.bmp"), second);
    QCOMPARE(::rename("new.bmp", "s_2.bmp"), 0);
    const pikora::Bitmap replaced = pikora::loadPicture("s_2.bmp");
    QCOMPARE(pixelsOf(replaced), pixelsOf(pikora::decodeBmp(bytesOf(second))));

    // Rewritten in place.
    writeAll(QStringLiteral("s_2.bmp"), third);
    const pikora::Bitmap rewritten = pikora::loadPicture("s_2.bmp");
    QCOMPARE(rewritten.width, 9);
    QCOMPARE(pixelsOf(rewritten), pixelsOf(pikora::decodeBmp(bytesOf(third))));
}

// A valid picture followed by a hole that makes the file larger than any
// picture we build: refused from its size. Were it read, the picture at its
// start would decode.
void TestLoaders::hugePictureFileIsRefusedUnread()
{
    writeSparse("eat.bmp", fixture("im_v3_8bit"), qint64(pikora::kMaxPictureFileBytes) + 1);
    QCOMPARE(errorOf([] { pikora::loadPicture("eat.bmp"); }), kInvalidBitmap);
}

void TestLoaders::textLoads()
{
    writeAll(QStringLiteral("v_1.txt"), QByteArray("\x90\xA2\x8A\x45\r\n\xBD\xC4\xD8\xB0\xD1\r\x87\x40\n"));
    QCOMPARE(QString::fromStdU16String(pikora::loadText("v_1.txt")), QStringLiteral("世界\nｽﾄﾘｰﾑ\n①\n"));
    writeAll(QStringLiteral("empty.txt"), QByteArray());
    QCOMPARE(QString::fromStdU16String(pikora::loadText("empty.txt")), QString());
}

void TestLoaders::textLimit_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<bool>("sparse");
    QTest::addColumn<bool>("loads");
    const qint64 limit = qint64(pikora::kMaxTextFileBytes);
    QTest::newRow("at the limit") << limit << false << true;
    QTest::newRow("one byte over") << limit + 1 << false << false;
    // 64 GiB: only refusing it from its size gets through this at all.
    QTest::newRow("far over, unread") << (qint64(1) << 36) << true << false;
}

void TestLoaders::textLimit()
{
    QFETCH(qint64, size);
    QFETCH(bool, sparse);
    QFETCH(bool, loads);
    if (sparse)
        writeSparse("v_1.txt", QByteArray("a"), size);
    else
        writeAll(QStringLiteral("v_1.txt"), QByteArray(size, 'a'));
    std::u16string text;
    const QString error = errorOf([&] { text = pikora::loadText("v_1.txt"); });
    if (loads) {
        QCOMPARE(error, QString());
        QCOMPARE(qint64(text.size()), size);
    } else {
        QCOMPARE(error, kMemoTooLarge);
    }
}

QTEST_GUILESS_MAIN(TestLoaders)
#include "tst_loaders.moc"

// The kept, stretched copy the ending draws its frames from: it must look
// exactly like drawing the picture directly, and follow every change.

#include "components/PictureCache.h"
#include "tests/support/TestMain.h"

#include <QPainter>

using pikora::PictureCache;

namespace {

// A picture with a different colour at every pixel, so that filtering,
// scaling and the source rectangle all show.
QImage pattern(QSize size, QImage::Format format, int seed)
{
    QImage rgb(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            rgb.setPixel(x, y, qRgba((x * 7 + seed) & 0xFF, (y * 5 + seed * 3) & 0xFF, (x * y + seed) & 0xFF,
                                     format == QImage::Format_ARGB32 ? (x + y) & 0xFF : 0xFF));
    return format == QImage::Format_ARGB32 ? rgb : rgb.convertToFormat(format);
}

QImage drawnDirectly(const QImage& source, const QRect& sourceRect, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::darkGray);
    QPainter painter(&out);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), size), source, sourceRect);
    return out;
}

QImage drawnFromCache(PictureCache& cache, const QImage& source, const QRect& sourceRect, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::darkGray);
    QPainter painter(&out);
    painter.drawImage(QPoint(0, 0), cache.stretched(source, sourceRect, size, 1.0));
    return out;
}

} // namespace

class TestPictureCache : public QObject {
    Q_OBJECT

private slots:
    void looksLikeDrawingDirectly_data()
    {
        QTest::addColumn<QImage>("source");
        QTest::addColumn<QRect>("sourceRect");
        QTest::addColumn<QSize>("size");
        const QImage indexed = pattern(QSize(640, 400), QImage::Format_Indexed8, 1);
        QTest::newRow("indexed, shrunk into the scene area") << indexed << indexed.rect() << QSize(304, 201);
        QTest::newRow("indexed, part of it") << indexed << QRect(0, 0, 300, 200) << QSize(304, 201);
        const QImage small = pattern(QSize(16, 10), QImage::Format_Indexed8, 2);
        QTest::newRow("indexed, enlarged") << small << small.rect() << QSize(100, 80);
        const QImage rgb = pattern(QSize(640, 400), QImage::Format_RGB32, 3);
        QTest::newRow("32-bit, shrunk") << rgb << rgb.rect() << QSize(250, 155);
        const QImage alpha = pattern(QSize(64, 64), QImage::Format_ARGB32, 4);
        QTest::newRow("with alpha: blended over what is below") << alpha << alpha.rect() << QSize(50, 40);
    }

    void looksLikeDrawingDirectly()
    {
        QFETCH(QImage, source);
        QFETCH(QRect, sourceRect);
        QFETCH(QSize, size);
        PictureCache cache;
        QCOMPARE(drawnFromCache(cache, source, sourceRect, size), drawnDirectly(source, sourceRect, size));
    }

    void followsEveryChange()
    {
        PictureCache cache;
        QImage picture = pattern(QSize(320, 200), QImage::Format_Indexed8, 5);
        QRect part = picture.rect();
        QSize size(160, 100);
        const auto check = [&](const char* step) {
            QVERIFY2(drawnFromCache(cache, picture, part, size) == drawnDirectly(picture, part, size), step);
        };
        check("first draw");
        check("drawn again");
        picture = pattern(QSize(320, 200), QImage::Format_Indexed8, 6);
        check("another picture of the same size");
        picture.setPixel(0, 0, 200);
        picture.setPixel(1, 0, 200);
        check("the same picture, changed in place");
        size = QSize(170, 90);
        check("another size");
        part = QRect(0, 0, 160, 100);
        check("another part of the picture");
        cache.clear();
        check("after clear");
    }

    void emptyAreaDrawsNothing()
    {
        PictureCache cache;
        const QImage picture = pattern(QSize(8, 8), QImage::Format_RGB32, 7);
        QVERIFY(cache.stretched(picture, picture.rect(), QSize(0, 30), 1.0).isNull());
    }
};

PIKORA_TEST_MAIN(TestPictureCache)

#include "tst_picturecache.moc"

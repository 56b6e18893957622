#include "components/PictureCache.h"

#include <QPainter>

namespace pikora {

const QImage& PictureCache::stretched(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr)
{
    if (!matches(source, sourceRect, size, dpr, true)) {
        render(source, size, dpr, [&](QPainter& painter) {
            painter.drawImage(QRect(QPoint(0, 0), size), source, sourceRect);
        });
        remember(source, sourceRect, size, dpr, true);
    }
    return m_image;
}

const QImage& PictureCache::clipped(const QImage& source, const QSize& size, qreal dpr)
{
    const QRect sourceRect = source.rect();
    if (!matches(source, sourceRect, size, dpr, false)) {
        // Only the part of the picture the area shows is kept.
        const QSize shown = size.boundedTo((QSizeF(source.size()) / source.devicePixelRatio()).toSize());
        render(source, shown, dpr, [&](QPainter& painter) { painter.drawImage(QPoint(0, 0), source); });
        remember(source, sourceRect, size, dpr, false);
    }
    return m_image;
}

template <typename Draw>
void PictureCache::render(const QImage& source, const QSize& size, qreal dpr, Draw draw)
{
    // Opaque pictures stay opaque, so the copy is drawn without blending.
    const bool alpha = source.hasAlphaChannel();
    QImage image(size * dpr, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    if (!image.isNull()) {
        if (alpha)
            image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        draw(painter);
    }
    m_image = std::move(image);
}

void PictureCache::clear()
{
    m_image = QImage();
    m_sourceKey = 0;
}

bool PictureCache::matches(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr,
                           bool stretch) const
{
    return m_sourceKey != 0 && m_sourceKey == source.cacheKey() && m_sourceRect == sourceRect && m_size == size
        && m_dpr == dpr && m_stretch == stretch;
}

void PictureCache::remember(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr, bool stretch)
{
    m_sourceKey = source.cacheKey();
    m_sourceRect = sourceRect;
    m_size = size;
    m_dpr = dpr;
    m_stretch = stretch;
}

} // namespace pikora

#include "components/PictureCache.h"

#include <QPainter>

namespace pikora {

const QImage& PictureCache::stretched(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr)
{
    // The cache key changes whenever an image's pixels do.
    if (m_sourceKey != 0 && m_sourceKey == source.cacheKey() && m_sourceRect == sourceRect && m_size == size
        && m_dpr == dpr)
        return m_image;

    // Opaque pictures stay opaque, so the copy is drawn without blending.
    const bool alpha = source.hasAlphaChannel();
    QImage image(size * dpr, alpha ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    image.setDevicePixelRatio(dpr);
    if (!image.isNull()) {
        if (alpha)
            image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRect(QPoint(0, 0), size), source, sourceRect);
    }
    m_image = std::move(image);
    m_sourceKey = source.cacheKey();
    m_sourceRect = sourceRect;
    m_size = size;
    m_dpr = dpr;
    return m_image;
}

void PictureCache::clear()
{
    m_image = QImage();
    m_sourceKey = 0;
}

} // namespace pikora

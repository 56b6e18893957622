#pragma once
// A picture as it was last drawn into an area. Stretching with smooth
// filtering, and expanding an indexed picture to colours, then happen once per
// picture and size instead of on every paint: an indexed 640 x 400 picture
// costs Qt about a millisecond a draw, its cached copy a plain blit.

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSize>

namespace pikora {

class PictureCache {
public:
    // sourceRect of source stretched over an area of the given size, as a
    // painter draws it with smooth filtering.
    const QImage& stretched(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr);
    // source at its own size from the top-left corner, cut to the given size.
    const QImage& clipped(const QImage& source, const QSize& size, qreal dpr);
    void clear();

private:
    bool matches(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr, bool stretch) const;
    template <typename Draw>
    void render(const QImage& source, const QSize& size, qreal dpr, Draw draw);
    void remember(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr, bool stretch);

    QImage m_image;
    qint64 m_sourceKey = 0;
    QRect m_sourceRect;
    QSize m_size;
    qreal m_dpr = 0;
    bool m_stretch = false;
};

} // namespace pikora

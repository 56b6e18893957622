#pragma once
// A picture as it was last drawn, stretched with smooth filtering, into an
// area of a given size. Drawing it again is then a plain copy: filtering an
// indexed picture costs Qt about a millisecond at 640 x 400, every time.

#include <QImage>
#include <QRect>
#include <QSize>

namespace pikora {

class PictureCache {
public:
    // sourceRect of source stretched over an area of the given size, as a
    // painter draws it with smooth filtering; made again only when the
    // picture, the part of it or the size differs from the last call.
    const QImage& stretched(const QImage& source, const QRect& sourceRect, const QSize& size, qreal dpr);
    void clear();

private:
    QImage m_image;
    qint64 m_sourceKey = 0;
    QRect m_sourceRect;
    QSize m_size;
    qreal m_dpr = 0;
};

} // namespace pikora

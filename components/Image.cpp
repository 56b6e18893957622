#include "components/Image.h"

#include "components/SystemColors.h"
#include "content/Picture.h"

#include <QImageReader>
#include <QPainter>

#include <memory>

namespace pikora {

QImage toImage(Bitmap&& bitmap)
{
    if (bitmap.isEmpty())
        return {};
    if (bitmap.format == Bitmap::Format::Indexed8) {
        using Indices = decltype(bitmap.indices);
        auto* indices = new Indices(std::move(bitmap.indices));
        QImage image(indices->data(), bitmap.width, bitmap.height, qsizetype(bitmap.stride), QImage::Format_Indexed8,
                     [](void* p) { delete static_cast<Indices*>(p); }, indices);
        image.setColorTable(QList<QRgb>(bitmap.colours.begin(), bitmap.colours.begin() + bitmap.colourCount));
        return image;
    }
    auto* pixels = new std::vector<std::uint32_t>(std::move(bitmap.pixels));
    return QImage(reinterpret_cast<uchar*>(pixels->data()), bitmap.width, bitmap.height,
                  qsizetype(bitmap.width) * 4, QImage::Format_RGB32,
                  [](void* p) { delete static_cast<std::vector<std::uint32_t>*>(p); }, pixels);
}

QImage readBuiltInImage(const QString& path, const char* format)
{
    QImageReader reader(path, format);
    reader.setAutoDetectImageFormat(false);
    return reader.read();
}

TImage::TImage(QWidget* parent)
    : TControl(parent)
{
}

void TImage::setStretch(bool stretch)
{
    m_stretch = stretch;
    update();
}

void TImage::setPicture(QImage picture)
{
    m_picture = std::move(picture);
    m_drawable = QImage();
    update();
}

const QImage& TImage::Canvas()
{
    if (m_picture.isNull()) {
        QImage empty(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
        empty.fill(clBtnFace());
        setPicture(std::move(empty));
    }
    return m_picture;
}

void TImage::LoadFromFile(const QString& fileName)
{
    setPicture(toImage(loadPicture(fileName.toStdString())));
}

void TImage::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    // An indexed picture is drawn from a 32-bit copy made at its first paint.
    // Filtered straight from the colour table, every draw of a 640 x 400
    // picture took about 1 ms instead of 0.2, and the transient memory of
    // those draws made the resident size wander by a megabyte. Pictures never
    // shown (the frames, the world-view picture until it opens) stay indexed.
    if (m_drawable.isNull())
        m_drawable = m_picture.depth() < 32 ? m_picture.convertToFormat(QImage::Format_RGB32) : m_picture;
    QPainter painter(this);
    // Scene pictures are usually larger than the window: filter, don't drop pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (m_stretch)
        painter.drawImage(rect(), m_drawable);
    else
        painter.drawImage(0, 0, m_drawable);
}

} // namespace pikora

#include "components/Image.h"

#include "content/Picture.h"

#include <QPainter>

#include <memory>

namespace pikora {

QImage toImage(Bitmap&& bitmap)
{
    if (bitmap.isEmpty())
        return {};
    auto* pixels = new std::vector<std::uint32_t>(std::move(bitmap.pixels));
    return QImage(reinterpret_cast<uchar*>(pixels->data()), bitmap.width, bitmap.height,
                  qsizetype(bitmap.width) * 4, QImage::Format_RGB32,
                  [](void* p) { delete static_cast<std::vector<std::uint32_t>*>(p); }, pixels);
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
    update();
}

void TImage::LoadFromFile(const QString& fileName)
{
    setPicture(toImage(loadPicture(fileName.toStdString())));
}

void TImage::paintEvent(QPaintEvent*)
{
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    if (m_stretch)
        painter.drawImage(rect(), m_picture);
    else
        painter.drawImage(0, 0, m_picture);
}

} // namespace pikora

#pragma once
// A rectangle that holds at most one picture. Stretched, the picture fills
// the rectangle; otherwise it is drawn at its own size from the top-left
// corner and clipped. An empty picture draws nothing.

#include "components/Control.h"

#include <QImage>
#include <QString>

namespace pikora {

struct Bitmap;

// Wraps a decoded bitmap as a drawable image without copying its pixels.
QImage toImage(Bitmap&& bitmap);

// Reads a picture built into the program or Qt, of a format Qt reads itself
// ("bmp", "png"). QImage's own loading first loads every image-format
// plug-in to ask whether it reads the format (half a megabyte of code, a
// millisecond); we know the format.
QImage readBuiltInImage(const QString& path, const char* format);

class TImage : public TControl {
    Q_OBJECT
    Q_PROPERTY(bool stretch READ Stretch WRITE setStretch)

public:
    explicit TImage(QWidget* parent = nullptr);

    bool Stretch() const { return m_stretch; }
    void setStretch(bool stretch);

    const QImage& Picture() const { return m_picture; }
    void setPicture(QImage picture);

    // The picture's drawing surface. A component without a picture is given
    // an empty one of its own size, in the button-face colour, and that is used.
    const QImage& Canvas();

    // Reads the named content file; the old picture stays unless it succeeds.
    void LoadFromFile(const QString& fileName);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
    QImage m_drawable; // what paintEvent draws: the picture, at 32 bits
    bool m_stretch = false;
};

} // namespace pikora

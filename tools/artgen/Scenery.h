#pragma once

#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <initializer_list>

class QPainter;

namespace artgen {

void drawSun(QPainter &p, QPointF centre, qreal r);
void drawCloud(QPainter &p, QPointF centre, qreal scale);
void drawHouse(QPainter &p, QPointF groundCentre, qreal scale, const QColor &roofColour);
void drawTree(QPainter &p, QPointF root, qreal scale);
void drawFlower(QPainter &p, QPointF at, qreal scale, const QColor &petals);
void drawGrassTuft(QPainter &p, QPointF at, qreal scale);

// A rolling hill: the area under a smooth curve through the given heights,
// spread evenly across the width.
void drawHill(QPainter &p, qreal width, qreal bottom, std::initializer_list<qreal> heights, const QColor &colour,
              bool outline = true);

// Rays of a manga-style burst from `centre` over the whole picture.
void drawBurst(QPainter &p, QPointF centre, int rays, const QColor &a, const QColor &b);

// A rounded speech bubble with a tail to `tail` and centred text.
void drawBubble(QPainter &p, const QRectF &box, QPointF tail, const QString &text, qreal pixelSize,
                const QColor &textColour);

// A spiky shout bubble.
void drawShout(QPainter &p, const QRectF &box, const QString &text, qreal pixelSize, const QColor &textColour,
               const QColor &fill);

// Big lettering with a thick outline, for sound words and titles.
void drawSticker(QPainter &p, const QString &text, QPointF centre, qreal pixelSize, const QColor &fill,
                 const QColor &outline, qreal outlineWidth, qreal rotation = 0);

} // namespace artgen

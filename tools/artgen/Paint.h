#pragma once

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QRectF>
#include <QString>

class QPainter;

namespace artgen {

// IPAGothic at the given pixel size; throws when the font is not installed,
// because a substitute would change every picture.
QFont japaneseFont(qreal pixelSize);

// The outline of a text, with its ink box moved to the origin. Text drawn as
// paths is filled by the rasteriser like any shape, independent of hinting
// and of the glyph cache.
QPainterPath textPath(const QString &text, qreal pixelSize);

// Scales a path (non-uniformly when sx != sy) so that its ink box is centred
// on `centre`.
QPainterPath placed(const QPainterPath &path, QPointF centre, qreal sx, qreal sy);

// Fills a text centred on `centre`, optionally with an outline of width
// `outlineWidth` drawn beneath the fill (a sticker look that keeps text
// readable on any ground).
void drawText(QPainter &p, const QString &text, QPointF centre, qreal pixelSize, const QColor &fill,
              const QColor &outline = Qt::transparent, qreal outlineWidth = 0);

} // namespace artgen

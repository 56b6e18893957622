#include "Paint.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPainter>
#include <QPen>
#include <QTransform>

#include <stdexcept>

namespace artgen {

QFont japaneseFont(qreal pixelSize)
{
    static const bool checked = [] {
        QFont probe(QStringLiteral("IPAGothic"));
        probe.setPixelSize(20);
        if (QFontInfo(probe).family() != QStringLiteral("IPAGothic"))
            throw std::runtime_error("font IPAGothic is missing (Debian package fonts-ipafont-gothic)");
        return true;
    }();
    (void)checked;
    QFont font(QStringLiteral("IPAGothic"));
    font.setPixelSize(int(pixelSize + 0.5));
    font.setStyleStrategy(QFont::NoFontMerging);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(false);
    return font;
}

QPainterPath textPath(const QString &text, qreal pixelSize)
{
    QPainterPath path;
    path.addText(0, 0, japaneseFont(pixelSize), text);
    const QRectF box = path.boundingRect();
    return path.translated(-box.topLeft());
}

QPainterPath placed(const QPainterPath &path, QPointF centre, qreal sx, qreal sy)
{
    const QRectF box = path.boundingRect();
    QTransform t;
    t.translate(centre.x() - box.width() * sx / 2, centre.y() - box.height() * sy / 2);
    t.scale(sx, sy);
    t.translate(-box.left(), -box.top());
    return t.map(path);
}

void drawText(QPainter &p, const QString &text, QPointF centre, qreal pixelSize, const QColor &fill,
              const QColor &outline, qreal outlineWidth)
{
    const QPainterPath path = placed(textPath(text, pixelSize), centre, 1, 1);
    p.save();
    if (outlineWidth > 0) {
        p.setPen(QPen(outline, outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(outline);
        p.drawPath(path);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawPath(path);
    p.restore();
}

} // namespace artgen

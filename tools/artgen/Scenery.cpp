#include "Scenery.h"

#include "Colours.h"
#include "Paint.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>
#include <numbers>
#include <vector>

namespace artgen {
namespace {

namespace c = colour;

QPen inkPen(qreal width)
{
    return QPen(c::ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

void drawSun(QPainter &p, QPointF centre, qreal r)
{
    p.save();
    p.setPen(QPen(c::sun, 8, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 12; ++i) {
        const qreal a = qDegreesToRadians(i * 30.0 + 15);
        p.drawLine(centre + QPointF(std::cos(a), std::sin(a)) * (r + 12),
                   centre + QPointF(std::cos(a), std::sin(a)) * (r + 30));
    }
    p.setPen(inkPen(5));
    p.setBrush(c::sun);
    p.drawEllipse(centre, r, r);
    p.restore();
}

void drawCloud(QPainter &p, QPointF centre, qreal scale)
{
    QPainterPath cloud;
    cloud.addEllipse(centre + QPointF(-40, 0) * scale, 30 * scale, 22 * scale);
    cloud.addEllipse(centre + QPointF(0, -14) * scale, 36 * scale, 30 * scale);
    cloud.addEllipse(centre + QPointF(40, 0) * scale, 30 * scale, 22 * scale);
    cloud.addRoundedRect(QRectF(centre + QPointF(-60, -4) * scale, QSizeF(120, 26) * scale), 13 * scale, 13 * scale);
    cloud.setFillRule(Qt::WindingFill);
    cloud = cloud.simplified();
    p.save();
    p.setPen(inkPen(4));
    p.setBrush(c::cloud);
    p.drawPath(cloud);
    p.restore();
}

void drawHouse(QPainter &p, QPointF g, qreal s, const QColor &roofColour)
{
    p.save();
    p.translate(g);
    p.scale(s, s);
    p.setPen(inkPen(4));
    p.setBrush(c::wall);
    p.drawRect(QRectF(-40, -60, 80, 60));
    p.setBrush(roofColour);
    QPainterPath roof(QPointF(-52, -56));
    roof.lineTo(QPointF(0, -100));
    roof.lineTo(QPointF(52, -56));
    roof.closeSubpath();
    p.drawPath(roof);
    p.setBrush(c::wood);
    p.drawRoundedRect(QRectF(-12, -36, 24, 36), 6, 6);
    p.setBrush(c::window);
    p.drawRect(QRectF(-33, -46, 16, 16));
    p.drawRect(QRectF(17, -46, 16, 16));
    p.restore();
}

void drawTree(QPainter &p, QPointF root, qreal s)
{
    p.save();
    p.translate(root);
    p.scale(s, s);
    p.setPen(inkPen(4));
    p.setBrush(c::trunk);
    p.drawRect(QRectF(-10, -70, 20, 70));
    QPainterPath crown;
    crown.addEllipse(QPointF(0, -110), 50, 44);
    crown.addEllipse(QPointF(-38, -84), 34, 28);
    crown.addEllipse(QPointF(38, -84), 34, 28);
    crown.setFillRule(Qt::WindingFill);
    crown = crown.simplified();
    p.setBrush(c::leaf);
    p.drawPath(crown);
    p.restore();
}

void drawFlower(QPainter &p, QPointF at, qreal s, const QColor &petals)
{
    p.save();
    p.translate(at);
    p.scale(s, s);
    p.setPen(QPen(c::leaf, 3));
    p.drawLine(QPointF(0, 0), QPointF(0, 16));
    p.setPen(inkPen(2.5));
    p.setBrush(petals);
    for (int i = 0; i < 5; ++i) {
        const qreal a = qDegreesToRadians(i * 72.0 - 90);
        p.drawEllipse(QPointF(std::cos(a), std::sin(a)) * 7, 5.5, 5.5);
    }
    p.setBrush(c::sun);
    p.drawEllipse(QPointF(0, 0), 4, 4);
    p.restore();
}

void drawGrassTuft(QPainter &p, QPointF at, qreal s)
{
    p.save();
    p.setPen(QPen(c::grassDark, 3 * s, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(at, at + QPointF(-6, -12) * s);
    p.drawLine(at, at + QPointF(0, -16) * s);
    p.drawLine(at, at + QPointF(6, -12) * s);
    p.restore();
}

void drawHill(QPainter &p, qreal width, qreal bottom, std::initializer_list<qreal> heights, const QColor &colour,
              bool outline)
{
    const std::vector<qreal> h(heights);
    const qreal step = width / qreal(h.size() - 1);
    QPainterPath hill(QPointF(-10, bottom + 10));
    hill.lineTo(QPointF(-10, h[0]));
    QPointF prev(-10, h[0]);
    for (std::size_t i = 1; i < h.size(); ++i) {
        const QPointF next(i + 1 == h.size() ? width + 10 : qreal(i) * step, h[i]);
        const qreal mid = (prev.x() + next.x()) / 2;
        hill.cubicTo(QPointF(mid, prev.y()), QPointF(mid, next.y()), next);
        prev = next;
    }
    hill.lineTo(QPointF(width + 10, bottom + 10));
    hill.closeSubpath();
    p.save();
    p.setPen(outline ? inkPen(4) : QPen(Qt::NoPen));
    p.setBrush(colour);
    p.drawPath(hill);
    p.restore();
}

void drawBurst(QPainter &p, QPointF centre, int rays, const QColor &a, const QColor &b)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(a);
    p.drawRect(QRectF(-10, -10, 700, 500));
    p.setBrush(b);
    const qreal far = 1000;
    for (int i = 0; i < rays; i += 2) {
        const qreal a0 = 2 * std::numbers::pi * i / rays, a1 = 2 * std::numbers::pi * (i + 1) / rays;
        QPainterPath ray(centre);
        ray.lineTo(centre + QPointF(std::cos(a0), std::sin(a0)) * far);
        ray.lineTo(centre + QPointF(std::cos(a1), std::sin(a1)) * far);
        ray.closeSubpath();
        p.drawPath(ray);
    }
    p.restore();
}

void drawBubble(QPainter &p, const QRectF &box, QPointF tail, const QString &text, qreal pixelSize,
                const QColor &textColour)
{
    QPainterPath bubble;
    bubble.addRoundedRect(box, box.height() / 2.2, box.height() / 2.2);
    const QPointF c0 = box.center();
    const QPointF d = tail - c0;
    const qreal len = std::hypot(d.x(), d.y());
    const QPointF n(-d.y() / len, d.x() / len);
    const qreal base = std::min(box.width(), box.height()) * 0.16;
    QPainterPath t(c0 + n * base);
    t.lineTo(tail);
    t.lineTo(c0 - n * base);
    t.closeSubpath();
    bubble = bubble.united(t).simplified();
    p.save();
    p.setPen(inkPen(4));
    p.setBrush(c::white);
    p.drawPath(bubble);
    p.restore();
    drawText(p, text, box.center(), pixelSize, textColour);
}

void drawShout(QPainter &p, const QRectF &box, const QString &text, qreal pixelSize, const QColor &textColour,
               const QColor &fill)
{
    const int spikes = 18;
    QPainterPath shout;
    const QPointF c0 = box.center();
    for (int i = 0; i < spikes * 2; ++i) {
        const qreal a = std::numbers::pi * i / spikes;
        const qreal k = (i % 2 == 0) ? 1.0 : 0.78;
        const QPointF pt = c0 + QPointF(std::cos(a) * box.width() / 2 * k, std::sin(a) * box.height() / 2 * k);
        if (i == 0)
            shout.moveTo(pt);
        else
            shout.lineTo(pt);
    }
    shout.closeSubpath();
    p.save();
    p.setPen(inkPen(4));
    p.setBrush(fill);
    p.drawPath(shout);
    p.restore();
    drawText(p, text, c0, pixelSize, textColour);
}

void drawSticker(QPainter &p, const QString &text, QPointF centre, qreal pixelSize, const QColor &fill,
                 const QColor &outline, qreal outlineWidth, qreal rotation)
{
    p.save();
    p.translate(centre);
    p.rotate(rotation);
    drawText(p, text, QPointF(0, 0), pixelSize, fill, outline, outlineWidth);
    p.restore();
}

} // namespace artgen

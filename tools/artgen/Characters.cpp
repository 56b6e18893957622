#include "Characters.h"

#include "Colours.h"

#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <cmath>

namespace artgen {
namespace {

namespace c = colour;

constexpr qreal kOutline = 5;

QPen inkPen(qreal width = kOutline)
{
    return QPen(c::ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void fill(QPainter &p, const QColor &colour, qreal outline = kOutline)
{
    p.setPen(outline > 0 ? inkPen(outline) : QPen(Qt::NoPen));
    p.setBrush(colour);
}

// A limb as a thick ink stroke with a round white hand at its end.
void arm(QPainter &p, QPointF shoulder, QPointF elbow, QPointF hand)
{
    QPainterPath path(shoulder);
    path.quadTo(elbow, hand);
    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(15));
    p.drawPath(path);
    p.setPen(QPen(c::shirt, 7, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(path);
    fill(p, c::white, 4);
    p.drawEllipse(hand, 10, 10);
}

void sweatDrop(QPainter &p, QPointF tip, qreal size)
{
    QPainterPath drop(tip);
    drop.cubicTo(tip + QPointF(size * 0.9, size * 1.1), tip + QPointF(size * 0.7, size * 1.9), tip + QPointF(0, size * 1.9));
    drop.cubicTo(tip + QPointF(-size * 0.7, size * 1.9), tip + QPointF(-size * 0.9, size * 1.1), tip);
    fill(p, c::sweat, 3);
    p.drawPath(drop);
}

void glasses(QPainter &p, QPointF centre, qreal r)
{
    const QPointF left = centre + QPointF(-23, 0), right = centre + QPointF(23, 0);
    p.setPen(inkPen(5));
    p.drawLine(left + QPointF(r - 2, -2), right + QPointF(-r + 2, -2));
    p.drawLine(left + QPointF(-r, -1), left + QPointF(-r - 12, -4));
    p.drawLine(right + QPointF(r, -1), right + QPointF(r + 12, -4));
    fill(p, c::cyan, 5);
    p.drawEllipse(left, r, r);
    p.drawEllipse(right, r, r);
    fill(p, c::white, 0);
    p.drawEllipse(left + QPointF(-r * 0.38, -r * 0.38), r * 0.26, r * 0.26);
    p.drawEllipse(right + QPointF(-r * 0.38, -r * 0.38), r * 0.26, r * 0.26);
}

} // namespace

void draw(QPainter &p, const Pikora &k)
{
    p.save();
    p.translate(k.feet);
    p.rotate(-k.lean);
    p.scale(k.scale, k.scale);

    // Legs and shoes.
    p.setPen(inkPen(12));
    p.drawLine(QPointF(-15, -40), QPointF(-17, -12));
    p.drawLine(QPointF(15, -40), QPointF(17, -12));
    fill(p, c::shoe, 4);
    p.drawEllipse(QPointF(-22, -8), 16, 9);
    p.drawEllipse(QPointF(22, -8), 16, 9);

    // Body: a round orange shirt.
    fill(p, c::shirt);
    p.drawRoundedRect(QRectF(-36, -98, 72, 64), 24, 24);
    fill(p, c::white, 3);
    p.drawEllipse(QPointF(0, -60), 4, 4);
    p.drawEllipse(QPointF(0, -76), 4, 4);

    // Arms, from the shoulders.
    const QPointF ls(-30, -82), rs(30, -82);
    // The waving hand stays clear of the face whichever way it tilts.
    const qreal w = qDegreesToRadians(k.waveAngle);
    const QPointF waveHand(86 + 30 * std::sin(w), -172 + 14 * std::fabs(std::sin(w)) + 8 * std::sin(w));
    switch (k.arms) {
    case Arms::Down:
        arm(p, ls, QPointF(-46, -66), QPointF(-50, -44));
        arm(p, rs, QPointF(46, -66), QPointF(50, -44));
        break;
    case Arms::Up:
        arm(p, ls, QPointF(-60, -100), QPointF(-66, -150));
        arm(p, rs, QPointF(60, -100), QPointF(66, -150));
        break;
    case Arms::Wave:
        arm(p, ls, QPointF(-46, -66), QPointF(-50, -44));
        arm(p, rs, QPointF(64, -100), waveHand);
        break;
    case Arms::Spread:
        arm(p, ls, QPointF(-64, -86), QPointF(-84, -118));
        arm(p, rs, QPointF(64, -86), QPointF(84, -118));
        break;
    case Arms::Hold:
        arm(p, ls, QPointF(-44, -60), QPointF(-16, -66));
        arm(p, rs, QPointF(44, -60), QPointF(16, -66));
        break;
    case Arms::Knock:
        arm(p, ls, QPointF(-46, -66), QPointF(-50, -44));
        arm(p, rs, QPointF(62, -70), QPointF(78, -108));
        break;
    }

    // Head: the icon's face.
    const QPointF head(0, -152);
    fill(p, c::white, 6);
    p.drawEllipse(head, 52, 62);
    if (k.blush) {
        fill(p, c::blush, 0);
        p.drawEllipse(head + QPointF(-33, 30), 10, 6);
        p.drawEllipse(head + QPointF(33, 30), 10, 6);
    }
    glasses(p, head + QPointF(0, k.glassesJump ? -34 : -6), 18);
    if (k.glassesJump) {
        // The spot where the glasses were: two wide white eyes.
        fill(p, c::white, 4);
        p.drawEllipse(head + QPointF(-19, 0), 9, 11);
        p.drawEllipse(head + QPointF(19, 0), 9, 11);
        fill(p, c::ink, 0);
        p.drawEllipse(head + QPointF(-19, 1), 3, 3);
        p.drawEllipse(head + QPointF(19, 1), 3, 3);
    }

    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(4));
    const QPointF brow = head + QPointF(0, k.glassesJump ? -18 : -38);
    switch (k.brows) {
    case Brows::None:
        break;
    case Brows::Raised:
        p.drawArc(QRectF(brow + QPointF(-38, -8), QSizeF(26, 14)), 20 * 16, 140 * 16);
        p.drawArc(QRectF(brow + QPointF(12, -8), QSizeF(26, 14)), 20 * 16, 140 * 16);
        break;
    case Brows::Worried:
        p.drawLine(brow + QPointF(-36, -2), brow + QPointF(-12, -10));
        p.drawLine(brow + QPointF(36, -2), brow + QPointF(12, -10));
        break;
    case Brows::Happy:
        p.drawArc(QRectF(brow + QPointF(-36, -10), QSizeF(24, 14)), 30 * 16, 120 * 16);
        p.drawArc(QRectF(brow + QPointF(12, -10), QSizeF(24, 14)), 30 * 16, 120 * 16);
        break;
    }

    const QPointF m = head + QPointF(0, 34);
    switch (k.mouth) {
    case Mouth::Flat:
        p.setPen(QPen(c::ink, 5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(m + QPointF(-13, 0), m + QPointF(13, 0));
        break;
    case Mouth::Smile:
        p.setPen(inkPen(5));
        p.drawArc(QRectF(m + QPointF(-15, -12), QSizeF(30, 20)), 200 * 16, 140 * 16);
        break;
    case Mouth::Grin: {
        QPainterPath grin(m + QPointF(-17, -4));
        grin.cubicTo(m + QPointF(-12, 16), m + QPointF(12, 16), m + QPointF(17, -4));
        grin.closeSubpath();
        fill(p, c::mouthInside, 4);
        p.drawPath(grin);
        break;
    }
    case Mouth::SmallO:
        fill(p, c::mouthInside, 4);
        p.drawEllipse(m + QPointF(0, 2), 6, 8);
        break;
    case Mouth::Scream: {
        fill(p, c::mouthInside, 5);
        p.drawEllipse(m + QPointF(0, 4), 17, 20);
        p.save();
        QPainterPath clip;
        clip.addEllipse(m + QPointF(0, 4), 15, 18);
        p.setClipPath(clip);
        fill(p, c::tongue, 0);
        p.drawEllipse(m + QPointF(0, 20), 12, 9);
        p.restore();
        break;
    }
    case Mouth::Chew:
        // Puffed cheeks and a small "ω".
        p.setPen(inkPen(4));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(m + QPointF(-14, -6), QSizeF(14, 12)), 180 * 16, 180 * 16);
        p.drawArc(QRectF(m + QPointF(0, -6), QSizeF(14, 12)), 180 * 16, 180 * 16);
        break;
    case Mouth::Talk: {
        QPainterPath talk(m + QPointF(-12, -2));
        talk.lineTo(m + QPointF(12, -2));
        talk.cubicTo(m + QPointF(10, 12), m + QPointF(-10, 12), m + QPointF(-12, -2));
        fill(p, c::mouthInside, 4);
        p.drawPath(talk);
        break;
    }
    }

    if (k.sweat) {
        sweatDrop(p, head + QPointF(58, -40), 9);
        sweatDrop(p, head + QPointF(-64, -22), 7);
    }
    p.restore();
}

void draw(QPainter &p, const Piyo &k)
{
    p.save();
    p.translate(k.feet);
    p.rotate(-k.lean);
    p.scale(k.scale, k.scale);

    // Feet.
    p.setPen(QPen(c::beak, 6, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {-24.0, 24.0}) {
        p.setPen(inkPen(11));
        p.drawLine(QPointF(x, -14), QPointF(x, -2));
        p.drawLine(QPointF(x, -2), QPointF(x - 12, 0));
        p.drawLine(QPointF(x, -2), QPointF(x + 12, 0));
        p.setPen(QPen(c::beak, 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(x, -14), QPointF(x, -2));
        p.drawLine(QPointF(x, -2), QPointF(x - 12, 0));
        p.drawLine(QPointF(x, -2), QPointF(x + 12, 0));
    }

    const QPointF body(0, -76);
    // Wings behind the body when down, above it when raised.
    auto wing = [&](qreal side) {
        p.save();
        p.translate(body + QPointF(side * (k.wingsUp ? 72 : 62), k.wingsUp ? -14 : 10));
        p.rotate(side * (k.wingsUp ? 48 : -20));
        fill(p, c::yellowShade);
        p.drawEllipse(QPointF(0, 0), 16, 28);
        p.restore();
    };
    wing(-1);
    wing(1);

    // Tuft.
    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(5));
    QPainterPath tuft(body + QPointF(-4, -62));
    tuft.cubicTo(body + QPointF(-22, -92), body + QPointF(6, -104), body + QPointF(4, -84));
    tuft.moveTo(body + QPointF(4, -62));
    tuft.cubicTo(body + QPointF(18, -90), body + QPointF(34, -80), body + QPointF(22, -72));
    p.drawPath(tuft);

    fill(p, c::yellow);
    p.drawEllipse(body, 66, 64);
    fill(p, c::white, 0);
    p.setBrush(QColor(255, 240, 170));
    p.drawEllipse(body + QPointF(0, 24), 40, 30);

    if (k.blush) {
        fill(p, c::blush, 0);
        p.drawEllipse(body + QPointF(-40, 4), 10, 6);
        p.drawEllipse(body + QPointF(40, 4), 10, 6);
    }

    // Eyes.
    if (k.happyEyes) {
        p.setBrush(Qt::NoBrush);
        p.setPen(inkPen(5));
        p.drawArc(QRectF(body + QPointF(-34, -22), QSizeF(20, 16)), 20 * 16, 140 * 16);
        p.drawArc(QRectF(body + QPointF(14, -22), QSizeF(20, 16)), 20 * 16, 140 * 16);
    } else {
        fill(p, c::ink, 0);
        p.drawEllipse(body + QPointF(-24, -14), 7, 10);
        p.drawEllipse(body + QPointF(24, -14), 7, 10);
        fill(p, c::white, 0);
        p.drawEllipse(body + QPointF(-26, -18), 2.5, 3);
        p.drawEllipse(body + QPointF(22, -18), 2.5, 3);
    }

    // Beak.
    if (k.beakOpen) {
        QPainterPath upper(body + QPointF(-14, -2));
        upper.lineTo(body + QPointF(14, -2));
        upper.lineTo(body + QPointF(0, 8));
        upper.closeSubpath();
        QPainterPath inside(body + QPointF(-13, 0));
        inside.lineTo(body + QPointF(13, 0));
        inside.lineTo(body + QPointF(0, 30));
        inside.closeSubpath();
        fill(p, c::mouthInside, 4);
        p.drawPath(inside);
        fill(p, c::beak, 4);
        QPainterPath lower(body + QPointF(-10, 16));
        lower.lineTo(body + QPointF(10, 16));
        lower.lineTo(body + QPointF(0, 32));
        lower.closeSubpath();
        p.drawPath(lower);
        p.drawPath(upper);
    } else {
        QPainterPath beakShape(body + QPointF(-13, -2));
        beakShape.lineTo(body + QPointF(13, -2));
        beakShape.lineTo(body + QPointF(0, 14));
        beakShape.closeSubpath();
        fill(p, c::beak, 4);
        p.drawPath(beakShape);
        p.drawLine(body + QPointF(-10, 3), body + QPointF(10, 3));
    }
    p.restore();
}

void drawEgg(QPainter &p, QPointF bottom, qreal scale, qreal crackAmount, qreal lean)
{
    p.save();
    p.translate(bottom);
    p.rotate(-lean);
    p.scale(scale, scale);
    QPainterPath egg(QPointF(0, 0));
    egg.cubicTo(QPointF(124, 0), QPointF(100, -262), QPointF(0, -262));
    egg.cubicTo(QPointF(-100, -262), QPointF(-124, 0), QPointF(0, 0));
    fill(p, c::egg, 6);
    p.drawPath(egg);

    p.save();
    // Intersect, so that a caller's clip (the broken halves) still holds.
    p.setClipPath(egg, Qt::IntersectClip);
    fill(p, c::eggShade, 0);
    p.drawEllipse(QPointF(96, -110), 50, 160);
    const struct { QPointF at; qreal r; bool pink; } spots[] = {
        {{-40, -190}, 16, true}, {{24, -160}, 22, false}, {{-50, -96}, 20, false},
        {{42, -70}, 18, true}, {{-8, -40}, 14, true}, {{-14, -122}, 11, true}, {{52, -214}, 12, false},
    };
    for (const auto &s : spots) {
        fill(p, s.pink ? c::spotPink : c::spotCyan, 0);
        p.drawEllipse(s.at, s.r, s.r * 0.85);
    }
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(6));
    p.drawPath(egg);

    if (crackAmount > 0) {
        QPainterPath crack(QPointF(-86, -120));
        const QPointF zig[] = {{-64, -140}, {-46, -112}, {-22, -142}, {0, -110}, {22, -144}, {44, -114}, {64, -138}, {88, -118}};
        const int n = int(std::lround(crackAmount * 8));
        for (int i = 0; i < n && i < 8; ++i)
            crack.lineTo(zig[i]);
        p.setPen(inkPen(5));
        p.drawPath(crack);
    }
    p.restore();
}

void drawOnigiri(QPainter &p, QPointF centre, qreal scale, bool bitten)
{
    p.save();
    p.translate(centre);
    p.scale(scale, scale);
    QPainterPath rice(QPointF(0, -26));
    rice.cubicTo(QPointF(14, -26), QPointF(30, 2), QPointF(28, 14));
    rice.cubicTo(QPointF(26, 24), QPointF(-26, 24), QPointF(-28, 14));
    rice.cubicTo(QPointF(-30, 2), QPointF(-14, -26), QPointF(0, -26));
    if (bitten) {
        QPainterPath bite;
        bite.addEllipse(QPointF(18, -16), 12, 12);
        rice = rice.subtracted(bite);
    }
    fill(p, c::rice, 4);
    p.drawPath(rice);
    p.save();
    p.setClipPath(rice);
    fill(p, c::nori, 0);
    p.drawRect(QRectF(-14, 2, 28, 24));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(inkPen(4));
    p.drawPath(rice);
    p.restore();
}

} // namespace artgen

#include "Story.h"

#include "BmpWriter.h"
#include "Characters.h"
#include "Colours.h"
#include "Paint.h"
#include "Quantise.h"
#include "Scenery.h"

#include <QDir>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <stdexcept>

namespace artgen {
namespace {

namespace c = colour;

constexpr int kW = 640, kH = 400;

// Pictures are shown stretched to about 304 x 201, roughly half size: keep
// lettering at 28 px or more and the faces away from the edges.

QImage canvas(int w = kW, int h = kH)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c::white);
    return image;
}

void begin(QPainter &p, QImage &image)
{
    p.begin(&image);
    p.setRenderHint(QPainter::Antialiasing, true);
}

void flat(QPainter &p, const QColor &colour, const QRectF &r = QRectF(0, 0, kW, kH))
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawRect(r);
    p.restore();
}

void sea(QPainter &p, qreal horizon, qreal bottom)
{
    flat(p, c::sea, QRectF(0, horizon, kW, bottom - horizon));
    p.save();
    p.setPen(QPen(c::seaLight, 4, Qt::SolidLine, Qt::RoundCap));
    const QPointF waves[] = {{80, horizon + 18}, {250, horizon + 34}, {430, horizon + 14}, {560, horizon + 40},
                             {140, horizon + 56}, {350, horizon + 62}};
    for (const QPointF &w : waves) {
        p.drawArc(QRectF(w - QPointF(14, 6), QSizeF(14, 12)), 20 * 16, 140 * 16);
        p.drawArc(QRectF(w - QPointF(0, 6), QSizeF(14, 12)), 20 * 16, 140 * 16);
    }
    p.setPen(QPen(c::ink, 4));
    p.drawLine(QPointF(-5, horizon), QPointF(kW + 5, horizon));
    p.restore();
}

void island(QPainter &p, qreal left, qreal right, qreal base, qreal top)
{
    QPainterPath land(QPointF(left, base));
    land.cubicTo(QPointF(left + 40, top), QPointF(right - 60, top - 8), QPointF(right, base));
    land.closeSubpath();
    p.save();
    p.setPen(QPen(c::ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c::hillFar);
    p.drawPath(land);
    p.restore();
}

// The village of ルミカータ on its far hill.
void village(QPainter &p, qreal base)
{
    drawHouse(p, QPointF(420, base - 6), 0.42, c::roof);
    drawHouse(p, QPointF(478, base - 14), 0.5, c::roofBlue);
    drawHouse(p, QPointF(540, base - 8), 0.42, c::roof);
    drawTree(p, QPointF(596, base - 2), 0.32);
}

void meadowFlowers(QPainter &p, std::initializer_list<QPointF> spots)
{
    int i = 0;
    for (const QPointF &s : spots) {
        if (i % 3 == 2)
            drawGrassTuft(p, s, 1.2);
        else
            drawFlower(p, s, 1.1, i % 2 ? c::flowerRed : c::flowerWhite);
        ++i;
    }
}

QImage scene1()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    flat(p, c::sky);
    // The upper left quarter doubles as the world-view picture, shown there
    // unscaled: sun, cloud and ピコラ's face sit inside 305 x 209.
    drawSun(p, QPointF(58, 56), 28);
    drawCloud(p, QPointF(244, 40), 0.5);
    drawCloud(p, QPointF(560, 150), 0.45);
    sea(p, 232, 400);
    island(p, 360, 660, 262, 188);
    village(p, 232);
    drawHill(p, kW, kH, {288, 296, 332, 352, 346}, c::grass);
    meadowFlowers(p, {{40, 346}, {92, 370}, {292, 350}, {520, 378}, {588, 366}, {420, 390}, {236, 372}, {350, 384},
                      {612, 392}, {170, 390}});

    Pikora hero;
    hero.feet = QPointF(150, 304);
    hero.scale = 1.08;
    hero.arms = Arms::Wave;
    hero.mouth = Mouth::Grin;
    hero.brows = Brows::Happy;
    hero.blush = true;
    draw(p, hero);

    drawBubble(p, QRectF(326, 50, 280, 70), QPointF(310, 110), QStringLiteral("いい てんき！"), 36, c::ink);

    // A signpost naming the island.
    p.setPen(QPen(c::ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c::wood);
    p.drawRect(QRectF(452, 318, 12, 66));
    p.setBrush(c::path);
    p.drawRoundedRect(QRectF(376, 286, 164, 48), 8, 8);
    drawText(p, QStringLiteral("ルミカータ"), QPointF(458, 310), 30, c::ink);
    return image;
}

QImage scene2()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    flat(p, c::sky);
    drawCloud(p, QPointF(548, 60), 0.5);
    drawHill(p, kW, kH, {296, 300, 312, 306, 300}, c::grass);
    meadowFlowers(p, {{44, 350}, {300, 380}, {590, 370}, {250, 340}, {560, 336}, {110, 388}});

    drawEgg(p, QPointF(440, 372), 1.0, 0);

    Pikora hero;
    hero.feet = QPointF(160, 372);
    hero.scale = 1.05;
    hero.lean = 8;
    hero.arms = Arms::Spread;
    hero.mouth = Mouth::SmallO;
    hero.brows = Brows::Raised;
    draw(p, hero);

    drawSticker(p, QStringLiteral("へ？"), QPointF(270, 92), 84, c::ink, c::white, 14, -6);
    drawSticker(p, QStringLiteral("？"), QPointF(352, 60), 44, c::ink, c::white, 10, 12);
    return image;
}

QImage scene3()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    flat(p, c::sky);
    drawCloud(p, QPointF(330, 54), 0.5);
    drawHill(p, kW, kH, {334, 330, 340, 336, 332}, c::grass);
    meadowFlowers(p, {{40, 372}, {300, 390}, {612, 380}, {340, 352}});

    drawEgg(p, QPointF(456, 392), 1.12, 0, -3);

    Pikora hero;
    hero.feet = QPointF(196, 392);
    hero.scale = 1.2;
    hero.arms = Arms::Knock;
    hero.mouth = Mouth::Talk;
    hero.brows = Brows::Raised;
    draw(p, hero);
    // Knock, knock.
    p.setPen(QPen(c::ink, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(318, 250), QPointF(332, 240));
    p.drawLine(QPointF(320, 268), QPointF(338, 266));

    drawBubble(p, QRectF(36, 24, 250, 64), QPointF(150, 118), QStringLiteral("もしもし？"), 34, c::ink);
    drawBubble(p, QRectF(420, 20, 190, 58), QPointF(470, 112), QStringLiteral("…ピヨ？"), 30, c::ink);
    return image;
}

// The egg split along its crack; the chick pops out of the lower shell.
void brokenEgg(QPainter &p, QPointF bottom, qreal s)
{
    QPainterPath lower(QPointF(-200, 0));
    const QPointF zig[] = {{-86, -120}, {-64, -140}, {-46, -112}, {-22, -142}, {0, -110},
                           {22, -144}, {44, -114}, {64, -138}, {88, -118}};
    for (const QPointF &z : zig)
        lower.lineTo(z);
    lower.lineTo(QPointF(200, -118));
    lower.lineTo(QPointF(200, 10));
    lower.lineTo(QPointF(-200, 10));
    lower.closeSubpath();
    QPainterPath upper;
    upper.addRect(QRectF(-200, -300, 400, 300));
    upper = upper.subtracted(lower);

    p.save();
    p.translate(bottom);
    p.scale(s, s);

    // The top of the shell flies off to the upper right.
    p.save();
    p.translate(40, -92);
    p.rotate(30);
    p.setClipPath(upper);
    drawEgg(p, QPointF(0, 0), 1.0, 0);
    p.setClipping(false);
    p.setPen(QPen(c::ink, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath topEdge(zig[0]);
    for (const QPointF &z : zig)
        topEdge.lineTo(z);
    p.drawPath(topEdge);
    p.restore();

    Piyo chick;
    chick.feet = QPointF(0, -92);
    chick.scale = 0.95;
    chick.wingsUp = true;
    chick.beakOpen = true;
    draw(p, chick);

    p.save();
    p.setClipPath(lower);
    drawEgg(p, QPointF(0, 0), 1.0, 0);
    p.restore();
    p.setPen(QPen(c::ink, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath edge(zig[0]);
    for (const QPointF &z : zig)
        edge.lineTo(z);
    p.drawPath(edge);
    p.restore();

    // Shell crumbs in the air.
    p.save();
    p.setPen(QPen(c::ink, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c::egg);
    const QPointF bits[] = {{bottom.x() - 130, bottom.y() - 250}, {bottom.x() + 140, bottom.y() - 300},
                            {bottom.x() - 90, bottom.y() - 330}, {bottom.x() + 150, bottom.y() - 120}};
    int i = 0;
    for (const QPointF &b : bits) {
        QPainterPath bit(b);
        bit.lineTo(b + QPointF(16, -4 + i * 2));
        bit.lineTo(b + QPointF(8, 12));
        bit.closeSubpath();
        p.drawPath(bit);
        ++i;
    }
    p.restore();
}

QImage scene4()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    drawBurst(p, QPointF(450, 190), 36, c::burst, c::burstDeep);
    drawHill(p, kW, kH, {352, 348, 356, 350, 352}, c::grass);

    brokenEgg(p, QPointF(460, 384), 1.0);

    Pikora hero;
    hero.feet = QPointF(154, 370);
    hero.scale = 1.08;
    hero.lean = 10;
    hero.arms = Arms::Up;
    hero.mouth = Mouth::Scream;
    hero.brows = Brows::Worried;
    hero.sweat = true;
    hero.glassesJump = true;
    draw(p, hero);

    drawSticker(p, QStringLiteral("うわあああ！"), QPointF(186, 40), 44, c::red, c::white, 12, -5);
    drawSticker(p, QStringLiteral("パカーン！"), QPointF(470, 36), 38, c::ink, c::white, 10, 6);
    return image;
}

QImage scene5()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    drawBurst(p, QPointF(470, 160), 28, c::purple, c::purpleDark);
    drawHill(p, kW, kH, {360, 356, 364, 358, 360}, c::grassDark);

    Piyo chick;
    chick.feet = QPointF(470, 392);
    chick.scale = 2.05;
    chick.beakOpen = true;
    chick.wingsUp = true;
    chick.blush = false;
    chick.lean = 6;
    draw(p, chick);

    Pikora hero;
    hero.feet = QPointF(136, 384);
    hero.scale = 0.95;
    hero.lean = 12;
    hero.arms = Arms::Up;
    hero.mouth = Mouth::Scream;
    hero.brows = Brows::Worried;
    hero.sweat = true;
    draw(p, hero);
    // Dust from his running feet.
    p.setPen(QPen(c::ink, 3));
    p.setBrush(c::white);
    p.drawEllipse(QPointF(196, 384), 14, 9);
    p.drawEllipse(QPointF(224, 376), 10, 7);

    drawSticker(p, QStringLiteral("たべられるー！"), QPointF(176, 58), 42, c::red, c::white, 12, -4);
    drawShout(p, QRectF(440, 6, 196, 82), QStringLiteral("ピヨー！"), 34, c::ink, c::sun);
    return image;
}

QImage sceneEat()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    // The one true-colour picture: a smooth evening sky and the sun's glow
    // on the sea.
    QLinearGradient skyGradient(0, 0, 0, 230);
    skyGradient.setColorAt(0, QColor(255, 140, 150));
    skyGradient.setColorAt(0.55, QColor(255, 190, 130));
    skyGradient.setColorAt(1, QColor(255, 236, 160));
    p.fillRect(QRectF(0, 0, kW, 230), skyGradient);
    QRadialGradient glow(QPointF(500, 210), 120);
    glow.setColorAt(0, QColor(255, 255, 210, 220));
    glow.setColorAt(1, QColor(255, 255, 210, 0));
    p.fillRect(QRectF(0, 0, kW, 230), glow);
    p.setPen(QPen(c::ink, 4));
    p.setBrush(QColor(255, 222, 90));
    p.drawEllipse(QPointF(500, 206), 34, 34);
    QLinearGradient seaGradient(0, 226, 0, 320);
    seaGradient.setColorAt(0, QColor(70, 170, 210));
    seaGradient.setColorAt(1, QColor(30, 110, 170));
    p.fillRect(QRectF(0, 226, kW, 110), seaGradient);
    p.setPen(QPen(QColor(255, 230, 150), 5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 5; ++i)
        p.drawLine(QPointF(470 - i * 6, 240 + i * 14), QPointF(530 + i * 6, 240 + i * 14));
    p.setPen(QPen(c::ink, 4));
    p.drawLine(QPointF(-5, 226), QPointF(kW + 5, 226));

    drawHill(p, kW, kH, {292, 286, 300, 310, 304}, c::grass);
    drawTree(p, QPointF(60, 312), 1.15);

    // The picnic blanket, chequered.
    QPolygonF cloth({QPointF(150, 350), QPointF(560, 350), QPointF(610, 398), QPointF(100, 398)});
    p.setPen(QPen(c::ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(c::white);
    p.drawPolygon(cloth);
    p.save();
    QPainterPath clothPath;
    clothPath.addPolygon(cloth);
    p.setClipPath(clothPath);
    p.setPen(QPen(c::blanket, 12));
    for (int x = 80; x < 640; x += 34)
        p.drawLine(QPointF(x + 20, 350), QPointF(x - 10, 400));
    p.drawLine(QPointF(0, 372), QPointF(640, 372));
    p.drawLine(QPointF(0, 394), QPointF(640, 394));
    p.restore();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(c::ink, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolygon(cloth);

    Pikora hero;
    hero.feet = QPointF(210, 372);
    hero.scale = 1.02;
    hero.arms = Arms::Hold;
    hero.mouth = Mouth::Chew;
    hero.brows = Brows::Happy;
    hero.blush = true;
    draw(p, hero);
    drawOnigiri(p, QPointF(210, 304), 1.0, true);

    Piyo chick;
    chick.feet = QPointF(450, 374);
    chick.scale = 1.05;
    chick.happyEyes = true;
    chick.beakOpen = true;
    chick.lean = 8;
    draw(p, chick);

    // A plate of rice balls between them.
    p.setPen(QPen(c::ink, 4));
    p.setBrush(c::white);
    p.drawEllipse(QPointF(330, 382), 56, 14);
    drawOnigiri(p, QPointF(306, 366), 0.8, false);
    drawOnigiri(p, QPointF(352, 366), 0.8, false);

    drawSticker(p, QStringLiteral("もぐもぐ"), QPointF(128, 64), 36, c::ink, c::white, 10, -8);
    drawBubble(p, QRectF(350, 34, 250, 62), QPointF(440, 170), QStringLiteral("おいしいね！"), 34, c::ink);
    return image;
}

// The two frames of the ending alternate once a second: ピコラ waves, ピヨ
// flaps and hops, and "おわり" blinks between two colours.
QImage ending(int frame)
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    flat(p, c::dusk);
    flat(p, c::duskHigh, QRectF(0, 0, kW, 70));
    flat(p, QColor(255, 170, 130), QRectF(0, 70, kW, 50));
    drawSun(p, QPointF(320, 236), 44);
    sea(p, 236, 400);
    island(p, 470, 680, 268, 212);
    drawHill(p, kW, kH, {330, 322, 334, 330, 336}, c::grass);
    meadowFlowers(p, {{40, 372}, {600, 380}, {318, 388}, {560, 350}, {76, 346}});

    Pikora hero;
    hero.feet = QPointF(210, 378);
    hero.scale = 1.05;
    hero.arms = Arms::Wave;
    hero.waveAngle = frame == 1 ? -50 : 50;
    hero.mouth = Mouth::Grin;
    hero.brows = Brows::Happy;
    hero.blush = true;
    hero.lean = frame == 1 ? 3 : -3;
    draw(p, hero);

    Piyo chick;
    chick.feet = QPointF(436, frame == 1 ? 380 : 362);
    chick.scale = 1.0;
    chick.happyEyes = true;
    chick.wingsUp = frame == 1;
    chick.lean = frame == 1 ? -6 : 6;
    draw(p, chick);
    if (frame == 2) {
        p.setPen(QPen(c::ink, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(404, 372), QPointF(394, 384));
        p.drawLine(QPointF(436, 374), QPointF(436, 388));
        p.drawLine(QPointF(468, 372), QPointF(478, 384));
    }

    if (frame == 1)
        drawSticker(p, QStringLiteral("おわり"), QPointF(320, 66), 76, c::red, c::white, 16);
    else
        drawSticker(p, QStringLiteral("おわり"), QPointF(320, 66), 76, c::white, c::red, 16);
    // Twinkles swap places between the frames.
    const QPointF twinkles1[] = {{96, 60}, {548, 96}, {520, 30}};
    const QPointF twinkles2[] = {{120, 104}, {574, 50}, {470, 120}};
    p.setPen(QPen(c::white, 5, Qt::SolidLine, Qt::RoundCap));
    for (const QPointF &t : frame == 1 ? twinkles1 : twinkles2) {
        p.drawLine(t + QPointF(-12, 0), t + QPointF(12, 0));
        p.drawLine(t + QPointF(0, -12), t + QPointF(0, 12));
    }
    return image;
}

// The title screen after Back: the built-in title's cyan and black, with
// the two friends peeking up from below.
QImage startScreen()
{
    QImage image = canvas();
    QPainter p;
    begin(p, image);
    flat(p, c::cyan);
    const QPainterPath text = textPath(QStringLiteral("ルミカータ"), 100);
    const QRectF box = text.boundingRect();
    const QPainterPath shape = placed(text, QPointF(320, 126), 560.0 / box.width(), 176.0 / box.height());
    p.setPen(QPen(c::ink, 7, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(c::ink);
    p.drawPath(shape);

    Pikora hero;
    hero.feet = QPointF(246, 506);
    hero.scale = 1.2;
    hero.arms = Arms::Up;
    hero.mouth = Mouth::Smile;
    hero.blush = true;
    draw(p, hero);
    Piyo chick;
    chick.feet = QPointF(420, 420);
    chick.scale = 1.0;
    chick.wingsUp = true;
    chick.happyEyes = true;
    draw(p, chick);
    return image;
}

QImage portrait()
{
    QImage image = canvas(146, 130);
    QPainter p;
    begin(p, image);
    flat(p, c::cyan, QRectF(0, 0, 146, 130));
    p.setPen(Qt::NoPen);
    p.setBrush(c::sun);
    p.drawEllipse(QPointF(73, 66), 62, 62);
    Pikora hero;
    hero.feet = QPointF(73, 178);
    hero.scale = 0.75;
    hero.mouth = Mouth::Smile;
    hero.blush = true;
    draw(p, hero);
    return image;
}

enum class Kind { Indexed, Rle8, TrueColour };

void write(const QString &dir, const QString &name, const QImage &image, Kind kind)
{
    const QString path = dir + QLatin1Char('/') + name;
    if (kind == Kind::TrueColour) {
        const QByteArray bmp = encodeBmp24(image);
        if (QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32) != image.convertToFormat(QImage::Format_RGB32))
            throw std::runtime_error(name.toStdString() + " does not decode to what was drawn");
        writeFile(path, bmp);
        return;
    }
    const IndexedImage indexed = quantise(image, colour::designed());
    const QByteArray bmp = encodeBmp8(indexed, kind == Kind::Rle8);
    if (QImage::fromData(bmp, "BMP").convertToFormat(QImage::Format_RGB32) != expand(indexed))
        throw std::runtime_error(name.toStdString() + " does not decode to what was drawn");
    writeFile(path, bmp);
}

} // namespace

void writeStoryPictures(const QString &dir)
{
    QDir().mkpath(dir);
    write(dir, QStringLiteral("ver.bmp"), portrait(), Kind::Indexed);
    write(dir, QStringLiteral("s_1.bmp"), scene1(), Kind::Indexed);
    write(dir, QStringLiteral("s_2.bmp"), scene2(), Kind::Rle8);
    write(dir, QStringLiteral("s_3.bmp"), scene3(), Kind::Indexed);
    write(dir, QStringLiteral("d_1.bmp"), scene4(), Kind::Indexed);
    write(dir, QStringLiteral("d_2.bmp"), scene5(), Kind::Indexed);
    write(dir, QStringLiteral("eat.bmp"), sceneEat(), Kind::TrueColour);
    write(dir, QStringLiteral("1.bmp"), ending(1), Kind::Indexed);
    write(dir, QStringLiteral("2.bmp"), ending(2), Kind::Rle8);
    write(dir, QStringLiteral("start.bmp"), startScreen(), Kind::Indexed);
}

} // namespace artgen

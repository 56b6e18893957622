#include "Builtins.h"

#include "Paint.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace artgen {
namespace {

const QRgb kCyan = qRgb(0, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kWhite = qRgb(255, 255, 255);

// Icon geometry on a 64-unit grid, shared by the PNG and the SVG.
struct IconShape {
    QPointF faceCentre{32, 32.5};
    qreal faceRx = 25, faceRy = 29;
    qreal outline = 3;
    QPointF leftLens{21.5, 29}, rightLens{42.5, 29};
    qreal lensR = 8.5;
    qreal frame = 3;
    QLineF bridge{30, 28.5, 34, 28.5};
    QLineF leftTemple{13.5, 28, 8, 27};
    QLineF rightTemple{50.5, 28, 56, 27};
    qreal templeWidth = 2.5;
    qreal glintR = 2.2;
    QPointF glintOffset{-3.2, -3.2};
    QLineF mouth{26, 46.5, 38, 46.5};
    qreal mouthWidth = 3;
};
const IconShape kIcon;

void drawIcon(QPainter &p)
{
    const IconShape &s = kIcon;
    p.setPen(QPen(QColor(kBlack), s.outline));
    p.setBrush(QColor(kWhite));
    p.drawEllipse(s.faceCentre, s.faceRx, s.faceRy);

    p.setPen(QPen(QColor(kBlack), s.templeWidth, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(s.leftTemple);
    p.drawLine(s.rightTemple);
    p.drawLine(s.bridge);

    p.setPen(QPen(QColor(kBlack), s.frame));
    p.setBrush(QColor(kCyan));
    p.drawEllipse(s.leftLens, s.lensR, s.lensR);
    p.drawEllipse(s.rightLens, s.lensR, s.lensR);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(kWhite));
    p.drawEllipse(s.leftLens + s.glintOffset, s.glintR, s.glintR);
    p.drawEllipse(s.rightLens + s.glintOffset, s.glintR, s.glintR);

    // Flat caps on whole pixels keep the mouth a crisp black bar.
    p.setPen(QPen(QColor(kBlack), s.mouthWidth, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(s.mouth);
}

int nearestOpaque(const std::vector<QRgb> &palette, QRgb c)
{
    int best = 1;
    int bestD = 1 << 30;
    for (std::size_t i = 1; i < palette.size(); ++i) {
        const int dr = qRed(c) - qRed(palette[i]);
        const int dg = qGreen(c) - qGreen(palette[i]);
        const int db = qBlue(c) - qBlue(palette[i]);
        const int d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (d < bestD) {
            bestD = d;
            best = int(i);
        }
    }
    return best;
}

QString num(qreal v) { return QString::number(v, 'g', 6); }

} // namespace

IndexedImage titlePicture()
{
    constexpr int W = 300, H = 200;
    // Coverage of the letters, from the rasteriser's antialiasing; four
    // steps between cyan and black keep the edges smooth yet crisp.
    QImage mask(W, H, QImage::Format_Grayscale8);
    mask.fill(0);
    {
        QPainter p(&mask);
        p.setRenderHint(QPainter::Antialiasing, true);
        const QPainterPath text = textPath(QStringLiteral("ルミカータ"), 100);
        const QRectF box = text.boundingRect();
        // Tall poster letters: the five glyphs fill the width, stretched
        // vertically to use the height of the picture.
        const qreal sx = 272.0 / box.width();
        const qreal sy = 118.0 / box.height();
        const QPainterPath shape = placed(text, QPointF(W / 2.0, H / 2.0), sx, sy);
        p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        p.setBrush(Qt::white);
        p.drawPath(shape);
    }
    IndexedImage out;
    out.width = W;
    out.height = H;
    out.palette = {kCyan, qRgb(0, 191, 191), qRgb(0, 128, 128), qRgb(0, 64, 64), kBlack};
    out.pixels.resize(std::size_t(W) * H);
    for (int y = 0; y < H; ++y) {
        const uchar *line = mask.constScanLine(y);
        for (int x = 0; x < W; ++x)
            out.pixels[std::size_t(y) * W + std::size_t(x)] = std::uint8_t((line[x] * 4 + 127) / 255);
    }
    return out;
}

QImage iconPicture()
{
    constexpr int kSize = 64, kScale = 8;
    QImage big(kSize * kScale, kSize * kScale, QImage::Format_ARGB32_Premultiplied);
    big.fill(Qt::transparent);
    {
        QPainter p(&big);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.scale(kScale, kScale);
        drawIcon(p);
    }

    const std::vector<QRgb> palette = {
        qRgba(0, 0, 0, 0),
        kBlack, kWhite, kCyan,
        qRgb(64, 64, 64), qRgb(128, 128, 128), qRgb(192, 192, 192),
        qRgb(0, 64, 64), qRgb(0, 128, 128), qRgb(0, 192, 192),
        qRgb(128, 255, 255), qRgb(192, 255, 255),
    };
    QImage icon(kSize, kSize, QImage::Format_Indexed8);
    icon.setColorTable(QList<QRgb>(palette.begin(), palette.end()));
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            int a = 0, r = 0, g = 0, b = 0;
            for (int sy = 0; sy < kScale; ++sy) {
                const auto *line = reinterpret_cast<const QRgb *>(big.constScanLine(y * kScale + sy));
                for (int sx = 0; sx < kScale; ++sx) {
                    const QRgb c = line[x * kScale + sx];
                    a += qAlpha(c);
                    r += qRed(c);
                    g += qGreen(c);
                    b += qBlue(c);
                }
            }
            constexpr int n = kScale * kScale;
            int index = 0;
            // A hard edge against the transparent ground: a pixel is either
            // part of the icon or not, like a classic 16-colour icon.
            if (a >= n * 128) {
                const auto unpremultiply = [a](int v) { return std::min(255, (v * 255 + a / 2) / a); };
                index = nearestOpaque(palette, qRgb(unpremultiply(r), unpremultiply(g), unpremultiply(b)));
            }
            icon.setPixel(x, y, uint(index));
        }
    }
    return icon;
}

QByteArray iconSvg()
{
    const IconShape &s = kIcon;
    auto line = [](const QLineF &l, qreal w) {
        return QStringLiteral("  <line x1=\"%1\" y1=\"%2\" x2=\"%3\" y2=\"%4\" stroke-width=\"%5\"/>\n")
            .arg(num(l.x1()), num(l.y1()), num(l.x2()), num(l.y2()), num(w));
    };
    auto circle = [](QPointF c, qreal r) {
        return QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\"/>\n").arg(num(c.x()), num(c.y()), num(r));
    };
    QString svg;
    svg += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    svg += QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"64\" viewBox=\"0 0 64 64\">\n");
    svg += QStringLiteral(" <title>ルミカータ</title>\n");
    svg += QStringLiteral(" <ellipse cx=\"%1\" cy=\"%2\" rx=\"%3\" ry=\"%4\" fill=\"#ffffff\" stroke=\"#000000\" stroke-width=\"%5\"/>\n")
               .arg(num(s.faceCentre.x()), num(s.faceCentre.y()), num(s.faceRx), num(s.faceRy), num(s.outline));
    svg += QStringLiteral(" <g stroke=\"#000000\" stroke-linecap=\"round\" fill=\"none\">\n");
    svg += line(s.leftTemple, s.templeWidth) + line(s.rightTemple, s.templeWidth) + line(s.bridge, s.templeWidth);
    svg += QStringLiteral(" </g>\n");
    svg += QStringLiteral(" <g fill=\"#00ffff\" stroke=\"#000000\" stroke-width=\"%1\">\n").arg(num(s.frame));
    svg += circle(s.leftLens, s.lensR) + circle(s.rightLens, s.lensR);
    svg += QStringLiteral(" </g>\n");
    svg += QStringLiteral(" <g fill=\"#ffffff\" stroke=\"none\">\n");
    svg += circle(s.leftLens + s.glintOffset, s.glintR) + circle(s.rightLens + s.glintOffset, s.glintR);
    svg += QStringLiteral(" </g>\n");
    svg += QStringLiteral(" <g stroke=\"#000000\" stroke-linecap=\"butt\" fill=\"none\">\n");
    svg += line(s.mouth, s.mouthWidth);
    svg += QStringLiteral(" </g>\n");
    svg += QStringLiteral("</svg>\n");
    return svg.toUtf8();
}

} // namespace artgen

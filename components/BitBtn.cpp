#include "components/BitBtn.h"

#include "components/Image.h"

#include <QDialog>
#include <QFile>
#include <QIconEngine>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace pikora {
namespace {

// The OK glyph is Qt's own built-in picture, taken directly: asking the style
// for it first searches the desktop's icon theme, which costs about 5 ms at
// start-up and makes the glyph vary with the theme. Its PNGs are decoded when
// it is first drawn, so a window that is never shown costs nothing.
class OkGlyphEngine : public QIconEngine {
public:
    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return loaded().pixmap(size, mode, state);
    }

    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return loaded().actualSize(size, mode, state);
    }

    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return loaded().availableSizes(mode, state);
    }

    QIconEngine* clone() const override { return new OkGlyphEngine; }
    QString key() const override { return QStringLiteral("pikora-ok-glyph"); }

    static bool available()
    {
        return QFile::exists(path(16));
    }

private:
    static QString path(int size)
    {
        return QStringLiteral(":/qt-project.org/styles/commonstyle/images/standardbutton-ok-%1.png").arg(size);
    }

    // Shared by every copy: decoded once per program.
    static const QIcon& loaded()
    {
        static const QIcon glyph = [] {
            QIcon icon;
            for (const int size : {16, 32}) // 32 for high-density screens; larger glyphs scale from it
                icon.addPixmap(QPixmap::fromImage(readBuiltInImage(path(size), "png")));
            return icon;
        }();
        return glyph;
    }
};

QIcon okGlyph(const QStyle* style, const QWidget* widget)
{
    if (!OkGlyphEngine::available())
        return style->standardIcon(QStyle::SP_DialogOkButton, nullptr, widget);
    return QIcon(new OkGlyphEngine);
}

} // namespace

TBitBtn::TBitBtn(QWidget* parent)
    : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, [this] {
        if (m_modalResult == mrNone)
            return;
        if (auto* dialog = qobject_cast<QDialog*>(window()))
            dialog->done(m_modalResult);
    });
}

void TBitBtn::setKind(TBitBtnKind kind)
{
    m_kind = kind;
    setIcon(kind == bkOK ? okGlyph(style(), this) : QIcon());
    update();
}

void TBitBtn::setMargin(int margin)
{
    m_margin = margin;
    update();
}

void TBitBtn::setSpacing(int spacing)
{
    m_spacing = spacing;
    update();
}

TBitBtn::Layout TBitBtn::layout() const
{
    const QSize client = size();
    const QSize glyph = icon().isNull() ? QSize() : iconSize();
    const QFontMetrics metrics(font());
    const QSize caption(text().isEmpty() ? 0 : metrics.horizontalAdvance(text()), metrics.height());

    // Glyph left of the caption, both centred vertically.
    int margin = m_margin;
    int spacing = glyph.isEmpty() || caption.width() == 0 ? 0 : m_spacing;
    if (margin == -1) {
        if (spacing == -1) {
            margin = (client.width() - glyph.width() - caption.width()) / 3;
            spacing = margin;
        } else {
            margin = (client.width() - (glyph.width() + spacing + caption.width()) + 1) / 2;
        }
    } else if (spacing == -1) {
        spacing = (client.width() - (margin + glyph.width()) - caption.width()) / 2;
    }
    Layout result;
    result.glyph = QRect(QPoint(margin, (client.height() - glyph.height() + 1) / 2), glyph);
    result.caption = QRect(QPoint(margin + glyph.width() + spacing, (client.height() - caption.height() + 1) / 2),
                           caption);
    return result;
}

QRect TBitBtn::glyphRect() const
{
    return layout().glyph;
}

QRect TBitBtn::captionRect() const
{
    return layout().caption;
}

void TBitBtn::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    Layout parts = layout();
    if (isDown() || isChecked()) {
        const QPoint shift(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                           style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
        parts.glyph.translate(shift);
        parts.caption.translate(shift);
    }
    if (!parts.glyph.isEmpty()) {
        const QIcon::Mode mode = isEnabled() ? QIcon::Normal : QIcon::Disabled;
        painter.drawPixmap(parts.glyph.topLeft(), icon().pixmap(parts.glyph.size(), devicePixelRatio(), mode));
    }
    painter.drawItemText(parts.caption, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextShowMnemonic, palette(),
                         isEnabled(), text(), QPalette::ButtonText);
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
}

} // namespace pikora

#pragma once
// A push button with a glyph beside its caption. With a margin of -1 glyph and
// caption are centred together, spacing pixels apart; with a margin the glyph
// sits that far from the left edge, and a spacing of -1 then centres the
// caption in the space that is left. A button with a modal result ends its
// dialog's modal showing with that result when clicked.

#include <QPushButton>
#include <QRect>

namespace pikora {

class TBitBtn : public QPushButton {
    Q_OBJECT
    Q_PROPERTY(TBitBtnKind kind READ Kind WRITE setKind)
    Q_PROPERTY(int margin READ Margin WRITE setMargin)
    Q_PROPERTY(int spacing READ Spacing WRITE setSpacing)
    Q_PROPERTY(TModalResult modalResult READ ModalResult WRITE setModalResult)

public:
    enum TBitBtnKind { bkCustom, bkOK };
    Q_ENUM(TBitBtnKind)
    enum TModalResult { mrNone = 0, mrOk = 1, mrCancel = 2 };
    Q_ENUM(TModalResult)

    explicit TBitBtn(QWidget* parent = nullptr);

    TBitBtnKind Kind() const { return m_kind; }
    // bkOK takes the standard OK glyph.
    void setKind(TBitBtnKind kind);
    int Margin() const { return m_margin; }
    void setMargin(int margin);
    int Spacing() const { return m_spacing; }
    void setSpacing(int spacing);
    TModalResult ModalResult() const { return m_modalResult; }
    void setModalResult(TModalResult result) { m_modalResult = result; }

    // Where the glyph and the caption are drawn while the button is up.
    QRect glyphRect() const;
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Layout {
        QRect glyph;
        QRect caption;
    };
    Layout layout() const;

    TBitBtnKind m_kind = bkCustom;
    int m_margin = -1;
    int m_spacing = 4;
    TModalResult m_modalResult = mrNone;
};

} // namespace pikora

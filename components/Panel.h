#pragma once
// A panel with a centred caption and bevelled edges. The windows also use it
// as a button: a press and release of the left button inside it is a click.

#include "components/Control.h"

#include <QColor>
#include <QString>

namespace pikora {

class TPanel : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString caption READ Caption WRITE setCaption)
    Q_PROPERTY(TBevelCut bevelOuter READ BevelOuter WRITE setBevelOuter)
    Q_PROPERTY(TBevelCut bevelInner READ BevelInner WRITE setBevelInner)
    Q_PROPERTY(int bevelWidth READ BevelWidth WRITE setBevelWidth)
    Q_PROPERTY(QColor color READ Color WRITE setColor)
    Q_PROPERTY(QColor fontColor READ FontColor WRITE setFontColor)

public:
    enum TBevelCut { bvNone, bvLowered, bvRaised };
    Q_ENUM(TBevelCut)

    explicit TPanel(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    TBevelCut BevelOuter() const { return m_bevelOuter; }
    void setBevelOuter(TBevelCut cut);
    TBevelCut BevelInner() const { return m_bevelInner; }
    void setBevelInner(TBevelCut cut);
    int BevelWidth() const { return m_bevelWidth; }
    void setBevelWidth(int width);
    // Invalid (the default) means the system's button-face colour.
    QColor Color() const { return m_color; }
    void setColor(const QColor& color);
    // Invalid (the default) means the system's window-text colour.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);


protected:
    QMargins alignMargins() const override;
    void paintEvent(QPaintEvent* event) override;

private:
    void bevelsChanged();

    QString m_caption;
    TBevelCut m_bevelOuter = bvRaised;
    TBevelCut m_bevelInner = bvNone;
    int m_bevelWidth = 1;
    QColor m_color;
    QColor m_fontColor;
};

} // namespace pikora

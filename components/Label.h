#pragma once
// A line of text drawn straight onto its parent's background. It sizes itself
// to its text, takes no keyboard focus, and a press and release of the left
// button on it is a click, so the windows also use it as a link.

#include "components/Control.h"

#include <QColor>
#include <QString>

namespace pikora {

class TLabel : public TControl {
    Q_OBJECT
    Q_PROPERTY(QString caption READ Caption WRITE setCaption)
    Q_PROPERTY(QColor fontColor READ FontColor WRITE setFontColor)
    Q_PROPERTY(bool autoSize READ AutoSize WRITE setAutoSize)

public:
    explicit TLabel(QWidget* parent = nullptr);

    QString Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    // Invalid (the default) means the system's window-text colour.
    QColor FontColor() const { return m_fontColor; }
    void setFontColor(const QColor& color);
    bool AutoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize);

    void Loaded() override;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void fitToText();

    QString m_caption;
    QColor m_fontColor;
    bool m_autoSize = true;
    // Until Loaded, fitting is put off: a designed label's font is set two or
    // three times before it is final, and every fit loads the font it has.
    bool m_loading = true;
};

} // namespace pikora

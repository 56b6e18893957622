#pragma once
// A visual component that can be aligned inside its parent the way the
// windows are designed: docked to an edge, filling the rest, or placed freely.
// A parent re-applies the alignment of its children whenever its size or a
// child's size or visibility changes.
//
// A press and release of the left button inside the component is a click;
// a release outside it, and the second press of a double-click, are not.

#include <QMargins>
#include <QWidget>

namespace pikora {

class TControl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TAlign align READ Align WRITE setAlign)

public:
    enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
    Q_ENUM(TAlign)

    explicit TControl(QWidget* parent = nullptr);

    TAlign Align() const { return m_align; }
    void setAlign(TAlign align);

    // Re-applies the alignment of this control's children.
    void Realign();

    // Called once its window's design has been applied in full (positions,
    // fonts); a control that adapts itself to its properties does so here
    // rather than after each property on the way.
    virtual void Loaded() {}

signals:
    void OnClick();

protected:
    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

    // The area children are aligned in, relative to this control.
    virtual QMargins alignMargins() const { return {}; }

private:
    TAlign m_align = alNone;
    bool m_pressed = false;
};

// Places the aligned children of parent inside parent's rectangle less margins:
// top, then bottom, left, right, and last the one that fills the rest.
void alignControls(QWidget* parent, const QMargins& margins);

} // namespace pikora

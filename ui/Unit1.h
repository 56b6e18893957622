#pragma once
// The main window: the scene picture above the bar of Back, Help, Exit and
// Next, the story sequence and the ending animation.

#include "components/PictureCache.h"
#include "ui_Unit1.h"

#include <QWidget>

#include <cstdint>

class TMediaPlayer;

namespace pikora {
class TImage;
class TTimer;
} // namespace pikora

class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The designed components, reachable like the window's published fields.
    Ui::TForm1 ui;
    TMediaPlayer* MediaPlayer1 = nullptr;
    pikora::TTimer* Timer1 = nullptr;

    std::int32_t StepCount = 0;
    bool FrameFlag = false;

    void FormCreate();
    void FormResize();
    void Panel2Click();
    void Panel3Click();
    void Panel4Click();
    void Panel5Click();
    void Timer1Timer();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // The area above the bar, where the ending's frames are drawn.
    QRect sceneArea() const;

    // The ending frame last drawn: the whole source picture of this size,
    // stretched over the scene area. Kept so that a repaint between two
    // ticks shows it again instead of a blank area.
    pikora::TImage* m_drawnFrame = nullptr;
    QSize m_drawnFrameSource;
    // The ending alternates two frames once a second: each is stretched once
    // and then only copied, instead of filtered anew on every tick.
    pikora::PictureCache m_drawnFrames[2];
};

extern TForm1* Form1;

#pragma once
// The main window: the scene picture above the bar of Back, Help, Exit and
// Next, the story sequence and the ending animation.

#include "ui_Unit1.h"

#include <QWidget>

#include <cstdint>

namespace pikora {
class TTimer;
}

class TForm1 : public QWidget {
    Q_OBJECT

public:
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The designed components, reachable like the window's published fields.
    Ui::TForm1 ui;
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
};

extern TForm1* Form1;

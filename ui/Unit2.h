#pragma once
// The help window: three coloured links (the world view, how to play, the
// version window) and an OK button. Opened modally over the main window.

#include "components/DialogForm.h"
#include "ui_Unit2.h"

class TForm2 : public pikora::TDialogForm {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    Ui::TForm2 ui;

    void Label1Click();
    void Label2Click();
    void Label3Click();
    void BitBtn1Click();
};

extern TForm2* Form2;

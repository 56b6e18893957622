#pragma once
// The world-view window: a picture and a read-only text, both read once at
// start-up.

#include "components/DialogForm.h"
#include "ui_Unit4.h"

class TForm4 : public pikora::TDialogForm {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    Ui::TForm4 ui;

    void FormCreate();

protected:
    void showEvent(QShowEvent* event) override;
};

extern TForm4* Form4;

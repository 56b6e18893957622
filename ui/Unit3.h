#pragma once
// The version window: the program's name, version and credits beside a small
// picture read once at start-up.

#include "components/DialogForm.h"
#include "ui_Unit3.h"

class TAboutBox : public pikora::TDialogForm {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    Ui::TAboutBox ui;

    void FormCreate();
};

extern TAboutBox* AboutBox;

#pragma once

#include "ui_Unit3.h"

#include <QDialog>

class TAboutBox : public QDialog {
    Q_OBJECT

public:
    explicit TAboutBox(QWidget* parent = nullptr);

    Ui::TAboutBox ui;
};

extern TAboutBox* AboutBox;

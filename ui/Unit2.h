#pragma once

#include "ui_Unit2.h"

#include <QDialog>

class TForm2 : public QDialog {
    Q_OBJECT

public:
    explicit TForm2(QWidget* parent = nullptr);

    Ui::TForm2 ui;
};

extern TForm2* Form2;

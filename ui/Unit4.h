#pragma once

#include "ui_Unit4.h"

#include <QDialog>

class TForm4 : public QDialog {
    Q_OBJECT

public:
    explicit TForm4(QWidget* parent = nullptr);

    Ui::TForm4 ui;
};

extern TForm4* Form4;

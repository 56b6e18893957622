#include "ui/Unit2.h"

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent)
    : QDialog(parent)
{
    ui.setupUi(this);
}

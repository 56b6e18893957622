#include "ui/Unit4.h"

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent)
    : QDialog(parent)
{
    ui.setupUi(this);
}

#include "ui/Unit2.h"

#include "components/Design.h"
#include "components/Dispatch.h"
#include "components/MessageBox.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

using namespace pikora;

TForm2* Form2 = nullptr;

TForm2::TForm2(QWidget* parent)
    : TDialogForm(parent)
{
    ui.setupUi(this);
    applyDesign(this);
    setFixedSize(size());
    ui.BitBtn1->setFocus();

    connectHandler(ui.Label1, &TLabel::OnClick, this, &TForm2::Label1Click);
    connectHandler(ui.Label2, &TLabel::OnClick, this, &TForm2::Label2Click);
    connectHandler(ui.Label3, &TLabel::OnClick, this, &TForm2::Label3Click);
    connectHandler(ui.BitBtn1, &QPushButton::clicked, this, &TForm2::BitBtn1Click);
}

void TForm2::Label1Click()
{
    Form4->exec();
}

void TForm2::Label2Click()
{
    ShowMessage(QStringLiteral("見たら分かるでしょうが、ボタン押すだけです。"));
}

void TForm2::Label3Click()
{
    AboutBox->exec();
}

void TForm2::BitBtn1Click()
{
    close();
}

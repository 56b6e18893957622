#include "ui/Unit3.h"

#include "components/Design.h"
#include "components/Dispatch.h"

using namespace pikora;

TAboutBox* AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget* parent)
    : TDialogForm(parent)
{
    ui.setupUi(this);
    applyDesign(this);
    setFixedSize(size());
    ui.OKButton->setFocus();

    dispatch([this] { FormCreate(); });
}

void TAboutBox::FormCreate()
{
    ui.Image1->LoadFromFile(QStringLiteral("ver.bmp"));
}

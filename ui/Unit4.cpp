#include "ui/Unit4.h"

#include "components/Design.h"
#include "components/Dispatch.h"

#include <QShowEvent>

using namespace pikora;

TForm4* Form4 = nullptr;

TForm4::TForm4(QWidget* parent)
    : TDialogForm(parent)
{
    ui.setupUi(this);
    applyDesign(this);
    setFixedSize(size());
    ui.Memo1->setFocus();

    dispatch([this] { FormCreate(); });
}

void TForm4::FormCreate()
{
    // The text is not read when the picture fails.
    ui.Image1->LoadFromFile(QStringLiteral("s_1.bmp"));
    ui.Memo1->LoadFromFile(QStringLiteral("v_1.txt"));
}

void TForm4::showEvent(QShowEvent* event)
{
    TDialogForm::showEvent(event);
    if (event->spontaneous())
        return;
    // The text opens focused with nothing selected, the caret where it was.
    ui.Memo1->setFocus();
    QTextCursor cursor = ui.Memo1->textCursor();
    if (cursor.hasSelection()) {
        cursor.clearSelection();
        ui.Memo1->setTextCursor(cursor);
    }
}

#include "ui/Unit1.h"

#include "components/Dispatch.h"
#include "components/Design.h"
#include "components/Image.h"
#include "components/MessageBox.h"
#include "components/Timer.h"
#include "content/Bmp.h"
#include "ui/Unit2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>

#include <algorithm>

using namespace pikora;

TForm1* Form1 = nullptr;

namespace {

constexpr int BarHeight = 25;

QImage titlePicture()
{
    QFile file(QStringLiteral(":/resources/title.bmp"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return toImage(decodeBmp({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())}));
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent)
{
    ui.setupUi(this);
    Timer1 = new TTimer(this);
    applyDesign(this);
    // The bar is drawn above both pictures, whatever their declaration order.
    ui.Panel1->raise();

    connectHandler(ui.Panel2, &TPanel::OnClick, this, &TForm1::Panel2Click);
    connectHandler(ui.Panel3, &TPanel::OnClick, this, &TForm1::Panel3Click);
    connectHandler(ui.Panel4, &TPanel::OnClick, this, &TForm1::Panel4Click);
    connectHandler(ui.Panel5, &TPanel::OnClick, this, &TForm1::Panel5Click);
    connectHandler(Timer1, &TTimer::OnTimer, this, &TForm1::Timer1Timer);

    dispatch([this] { ui.Image1->setPicture(titlePicture()); });
    dispatch([this] { FormCreate(); });
    alignControls(this, {});
    dispatch([this] { FormResize(); });
}

TForm1::~TForm1() = default;

void TForm1::FormCreate()
{
    // Without the system menu the title bar has no menu and no minimise,
    // maximise or close buttons; the window stays sizeable.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    FrameFlag = false;
}

void TForm1::FormResize()
{
    // The pictures are as wide as the whole window with its frame, so their
    // rightmost pixels lie under the border.
    const int height = std::max(0, this->height() - BarHeight);
    const int width = frameGeometry().width();
    ui.Image1->resize(width, height);
    ui.Image2->resize(width, height);
}

void TForm1::Panel2Click()
{
}

void TForm1::Panel3Click()
{
    Form2->exec();
}

void TForm1::Panel4Click()
{
}

void TForm1::Panel5Click()
{
    ShowMessage(QStringLiteral("また見てね"));
    close();
}

void TForm1::Timer1Timer()
{
}

bool TForm1::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Resize:
        alignControls(this, {});
        dispatch([this] { FormResize(); });
        break;
    case QEvent::Move:
        // The frame's width is known only once the window manager has framed
        // the window, which moves the client area but need not resize it.
        dispatch([this] { FormResize(); });
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TForm1::closeEvent(QCloseEvent* event)
{
    event->accept();
    // Closing the main window ends the program, wherever the close came from.
    QCoreApplication::quit();
}

#include "ui/Unit1.h"

#include "components/BorderIcons.h"
#include "components/Dispatch.h"
#include "components/Design.h"
#include "components/Image.h"
#include "components/MessageBox.h"
#include "components/Timer.h"
#include "content/Bmp.h"
#include "media/TMediaPlayer.h"
#include "media/Voice.h"
#include "ui/Unit2.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QResource>
#include <QPainter>

#include <algorithm>

using namespace pikora;

TForm1* Form1 = nullptr;

namespace {

constexpr int BarHeight = 25;

QImage titlePicture()
{
    // Built in uncompressed, so it is decoded where it lies.
    const QResource resource(QStringLiteral(":/resources/title.bmp"));
    if (resource.compressionAlgorithm() == QResource::NoCompression)
        return toImage(decodeBmp({resource.data(), std::size_t(resource.size())}));
    const QByteArray bytes = resource.uncompressedData();
    return toImage(decodeBmp({reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())}));
}

} // namespace

TForm1::TForm1(QWidget* parent)
    : QWidget(parent)
{
    // The invisible components, which a window description cannot hold.
    MediaPlayer1 = new TMediaPlayer(this);
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
    removeSystemMenu(this);
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
    StepCount = 0;
    Timer1->setInterval(0);
    m_drawnFrame = nullptr;
    for (PictureCache& cache : m_drawnFrames)
        cache.clear();
    ui.Image2->hide();
    ui.Image1->show();
    ui.Image1->LoadFromFile(QStringLiteral("start.bmp"));
    ui.Panel2->hide();
}

void TForm1::Panel3Click()
{
    Form2->exec();
}

void TForm1::Panel4Click()
{
    // Wraps instead of overflowing after 2^31 clicks; no row matches then.
    StepCount = std::int32_t(std::uint32_t(StepCount) + 1u);
    TImage* const Image1 = ui.Image1;
    TImage* const Image2 = ui.Image2;
    switch (StepCount) {
    case 1:
        Image1->show();
        Image2->hide();
        Image1->LoadFromFile(QStringLiteral("s_1.bmp"));
        voice(*MediaPlayer1, QStringLiteral("start.wav"));
        break;
    case 2:
        voice(*MediaPlayer1, QStringLiteral("he.wav"));
        Image1->LoadFromFile(QStringLiteral("s_2.bmp"));
        break;
    case 3:
        Image1->LoadFromFile(QStringLiteral("s_3.bmp"));
        voice(*MediaPlayer1, QStringLiteral("hanashi.wav"));
        break;
    case 4:
        Image1->LoadFromFile(QStringLiteral("d_1.bmp"));
        voice(*MediaPlayer1, QStringLiteral("himei1.wav"));
        break;
    case 5:
        Image1->LoadFromFile(QStringLiteral("d_2.bmp"));
        voice(*MediaPlayer1, QStringLiteral("himei2.wav"));
        break;
    case 6:
        Image1->show();
        Image2->hide();
        Image1->LoadFromFile(QStringLiteral("eat.bmp"));
        voice(*MediaPlayer1, QStringLiteral("eat1.wav"));
        break;
    case 7:
        Image2->hide();
        Image1->hide();
        Image1->LoadFromFile(QStringLiteral("1.bmp"));
        Timer1->setInterval(1000);
        Image2->LoadFromFile(QStringLiteral("2.bmp"));
        voice(*MediaPlayer1, QStringLiteral("end.wav"));
        ui.Panel2->show();
        break;
    default:
        break;
    }
}

void TForm1::Panel5Click()
{
    ShowMessage(QStringLiteral("また見てね"));
    close();
}

void TForm1::Timer1Timer()
{
    FrameFlag = !FrameFlag;
    TImage* const source = FrameFlag ? ui.Image1 : ui.Image2;
    // The size is read before the surface is taken: a component without a
    // picture gets an empty one from Canvas(), but this tick copies 0 x 0.
    const QSize size = source->Picture().size();
    source->Canvas();
    if (size.isEmpty())
        return; // a 0 x 0 copy draws nothing; the last frame stays
    m_drawnFrame = source;
    m_drawnFrameSource = size;
    repaint(sceneArea());
}

QRect TForm1::sceneArea() const
{
    return QRect(0, 0, width(), std::max(0, height() - BarHeight));
}

void TForm1::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    if (!m_drawnFrame)
        return;
    QPainter painter(this);
    // A plain stretched copy of the whole source, without aspect correction,
    // over the area measured now.
    const QRect area = sceneArea();
    const QImage& source = m_drawnFrame->Canvas();
    const QRect sourceRect(QPoint(0, 0), m_drawnFrameSource);
    // A kept copy is never larger than the frame itself would be at 32 bits:
    // enlarged frames (a maximised window) are filtered on every draw instead.
    if (qint64(area.width()) * area.height() <= qint64(sourceRect.width()) * sourceRect.height()) {
        PictureCache& drawn = m_drawnFrames[m_drawnFrame == ui.Image1 ? 0 : 1];
        painter.drawImage(area.topLeft(), drawn.stretched(source, sourceRect, area.size(), devicePixelRatioF()));
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(area, source, sourceRect);
    }
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

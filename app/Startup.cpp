#include "app/Startup.h"

#include "app/Fonts.h"
#include "components/Application.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

#include <QIcon>
#include <QImage>
#include <QPixmap>

namespace pikora {

void createWindows(TApplication& application)
{
    application.SetTitle(QStringLiteral("PIKORA!"));
    application.CreateForm(Form1);
    application.CreateForm(Form2);
    application.CreateForm(AboutBox);
    application.CreateForm(Form4);
}

void destroyWindows(TApplication& application)
{
    application.DestroyForms();
    Form1 = nullptr;
    Form2 = nullptr;
    AboutBox = nullptr;
    Form4 = nullptr;
}

int run(TApplication& application)
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    // Naming the format spares QIcon from probing, which loads every image
    // format plug-in (half a megabyte and a millisecond) to identify a PNG.
    QApplication::setWindowIcon(QPixmap::fromImage(QImage(QStringLiteral(":/resources/icon.png"), "PNG")));
    QGuiApplication::setDesktopFileName(QStringLiteral("pikora"));
    substituteDesignFonts();

    createWindows(application);
    Form1->show();
    application.exec();
    destroyWindows(application);
    return 0;
}

} // namespace pikora

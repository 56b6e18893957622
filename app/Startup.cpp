#include "app/Startup.h"

#include "app/Fonts.h"
#include "components/Application.h"
#include "components/Image.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

#include <QIcon>
#include <QPixmap>

namespace pikora {

void prepareApplication(const StartupProbe& probe)
{
    QApplication::setStyle(QStringLiteral("Fusion"));
    // A BMP, not the desktop's PNG: decoding a PNG would bring in libpng's code.
    QApplication::setWindowIcon(QPixmap::fromImage(readBuiltInImage(QStringLiteral(":/resources/icon.bmp"), "bmp")));
    QGuiApplication::setDesktopFileName(QStringLiteral("pikora"));
    if (probe)
        probe("style_and_icon");
    substituteDesignFonts();
    if (probe)
        probe("font_families");
}

void createWindows(TApplication& application, const StartupProbe& probe)
{
    const auto done = [&probe](const char* step) {
        if (probe)
            probe(step);
    };
    application.SetTitle(QStringLiteral("PIKORA!"));
    application.CreateForm(Form1);
    done("main_window");
    application.CreateForm(Form2);
    done("help_window");
    application.CreateForm(AboutBox);
    done("version_window");
    application.CreateForm(Form4);
    done("world_window");
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
    prepareApplication();
    createWindows(application);
    Form1->show();
    application.exec();
    destroyWindows(application);
    return 0;
}

} // namespace pikora

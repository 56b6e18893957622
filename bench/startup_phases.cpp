// Where pikora's start-up goes: the steps of pikora::run (app/Startup.cpp),
// in its order, each timed from main() on, up to the main window's show; then
// the event loop runs until the window is exposed. Prints one line,
// "step=milliseconds ...". Exec and library loading come before main() and
// are not in it.
//
//   pikora-bench-startup-phases      (from the story folder, under an X server)
//
// The steps are repeated here rather than called through run() so that each
// window's creation is timed on its own; keep them in step with Startup.cpp.
// The Fusion style's OK icon and the first Japanese text measurement are also
// timed on their own before the windows, so the windows' figures show only
// what is theirs.

#include "app/Fonts.h"
#include "app/Startup.h"
#include "components/Application.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QStyle>
#include <QTimer>
#include <QWindow>

#include <time.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

double nowMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct Phases {
    std::vector<std::pair<std::string, double>> steps;
    double last = nowMs();

    void mark(const char* name)
    {
        const double now = nowMs();
        steps.emplace_back(name, now - last);
        last = now;
    }

    void print() const
    {
        for (const auto& [name, ms] : steps)
            std::printf("%s=%.2f ", name.c_str(), ms);
        std::printf("\n");
    }
};

} // namespace

int main(int argc, char** argv)
{
    Phases phases;
    pikora::TApplication application(argc, argv);
    phases.mark("application");
    QApplication::setStyle(QStringLiteral("Fusion"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/resources/icon.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("pikora"));
    phases.mark("style_and_icon");
    pikora::substituteDesignFonts();
    phases.mark("font_families");
    {
        const QIcon ok = QApplication::style()->standardIcon(QStyle::SP_DialogOkButton);
        (void)ok.availableSizes();
    }
    phases.mark("ok_glyph_lookup");
    {
        QFont font(QStringLiteral("System"));
        font.setPixelSize(13);
        (void)QFontMetrics(font).horizontalAdvance(QStringLiteral("次→ ヘルプ 終了 ←戻る"));
    }
    phases.mark("first_text");

    application.SetTitle(QStringLiteral("PIKORA!"));
    application.CreateForm(Form1);
    phases.mark("main_window");
    application.CreateForm(Form2);
    phases.mark("help_window");
    application.CreateForm(AboutBox);
    phases.mark("version_window");
    application.CreateForm(Form4);
    phases.mark("world_window");
    Form1->show();
    phases.mark("show");

    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (Form1->windowHandle() && Form1->windowHandle()->isExposed()) {
            phases.mark("until_exposed");
            application.quit();
        }
    });
    poll.start(1);
    QTimer::singleShot(5000, &application, &QCoreApplication::quit);
    application.exec();
    phases.print();
    pikora::destroyWindows(application);
    return 0;
}

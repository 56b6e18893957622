// Where pikora's start-up goes: the steps of pikora::run (app/Startup.cpp),
// in its order, each timed from main() on, up to the main window's show; then
// the event loop runs until the window is exposed. Prints one line,
// "step=milliseconds ...". Exec and library loading come before main() and
// are not in it.
//
//   pikora-bench-startup-phases      (from the story folder, under an X server)
//
// The steps are the program's own (prepareApplication, createWindows), told
// apart by their probe. The first Japanese text measurement is also timed on
// its own before the windows, so the windows' figures show only what is
// theirs.

#include "app/Startup.h"
#include "components/Application.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

#include <QFont>
#include <QFontMetrics>
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
    const auto probe = [&phases](const char* step) { phases.mark(step); };
    pikora::prepareApplication(probe);
    {
        QFont font(QStringLiteral("System"));
        font.setPixelSize(13);
        (void)QFontMetrics(font).horizontalAdvance(QStringLiteral("次→ ヘルプ 終了 ←戻る"));
    }
    phases.mark("first_text");
    pikora::createWindows(application, probe);
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

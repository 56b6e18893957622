// The floor for any Qt Widgets program on this machine: one empty window of
// the main window's designed size, shown, and the event loop.
//
//   pikora-bench-minimal            the empty window
//   pikora-bench-minimal --label    the same with one line of Japanese text,
//                                   which adds the first font match and load
//                                   that any program showing text pays

#include <QApplication>
#include <QLabel>
#include <QWidget>

#include <cstring>

int main(int argc, char** argv)
{
    const bool label = argc > 1 && std::strcmp(argv[1], "--label") == 0;
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("minimal"));
    window.resize(304, 226);
    if (label)
        new QLabel(QStringLiteral("次→ ヘルプ 終了"), &window);
    window.show();
    return application.exec();
}

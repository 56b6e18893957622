// The main window's description, its button bar, the button panels' click
// rules, the farewell box and the error box.

#include "app/Startup.h"
#include "components/Dispatch.h"
#include "components/Image.h"
#include "components/Panel.h"
#include "components/Timer.h"
#include "content/Errors.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/TestMain.h"
#include "ui/Unit1.h"

#include <QDir>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>

using namespace pikora;
using pikora::test::ModalWatcher;
using pikora::test::pressKey;

namespace {

// The mouse events a window system delivers, one event a step.
enum class Step { Press, Release, ReleaseOutside, DoublePress, RightPress, RightRelease };

void send(QWidget* widget, Step step)
{
    const QPointF inside(widget->width() / 2.0, widget->height() / 2.0);
    const QPointF outside(widget->width() + 5.0, widget->height() / 2.0);
    const auto mouse = [&](QEvent::Type type, QPointF pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent event(type, pos, widget->mapToGlobal(pos), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    };
    switch (step) {
    case Step::Press:
        mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
        break;
    case Step::Release:
        mouse(QEvent::MouseButtonRelease, inside, Qt::LeftButton, Qt::NoButton);
        break;
    case Step::ReleaseOutside:
        mouse(QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
        break;
    case Step::DoublePress: // Qt delivers the second press, then the double-click
        mouse(QEvent::MouseButtonPress, inside, Qt::LeftButton, Qt::LeftButton);
        mouse(QEvent::MouseButtonDblClick, inside, Qt::LeftButton, Qt::LeftButton);
        break;
    case Step::RightPress:
        mouse(QEvent::MouseButtonPress, inside, Qt::RightButton, Qt::RightButton);
        break;
    case Step::RightRelease:
        mouse(QEvent::MouseButtonRelease, inside, Qt::RightButton, Qt::NoButton);
        break;
    }
}

} // namespace

Q_DECLARE_METATYPE(std::vector<Step>)

class TestMainWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TForm1> m_form;

private slots:
    void init()
    {
        m_form = std::make_unique<TForm1>();
        Form1 = m_form.get();
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }

    void cleanup()
    {
        m_form.reset();
        Form1 = nullptr;
    }

    void designedWindow()
    {
        TForm1& f = *m_form;
        QCOMPARE(f.windowTitle(), QStringLiteral("ルミカータ"));
        QCOMPARE(f.size(), QSize(304, 226));
        QCOMPARE(f.frameGeometry().topLeft(), QPoint(232, 112));
        QCOMPARE(f.font().pixelSize(), 13);

        const Qt::WindowFlags flags = f.windowFlags();
        for (Qt::WindowType hint : {Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint,
                                    Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
            QVERIFY2(!flags.testFlag(hint), "the title bar must have no menu and no buttons");
        QVERIFY(flags.testFlag(Qt::WindowTitleHint));

        QCOMPARE(f.StepCount, 0);
        QCOMPARE(f.FrameFlag, false);
        QVERIFY(f.ui.Image1->isVisible());
        QVERIFY(f.ui.Image2->isHidden());
        QVERIFY(f.ui.Panel2->isHidden());
        QVERIFY(!f.Timer1->isRunning());

        // The built-in title picture: black title characters on pure cyan.
        const QImage& title = f.ui.Image1->Picture();
        QCOMPARE(title.size(), QSize(300, 200));
        QCOMPARE(title.pixel(2, 2), qRgb(0, 255, 255));
        bool hasBlack = false;
        for (int x = 0; x < title.width() && !hasBlack; ++x)
            hasBlack = title.pixel(x, title.height() / 2) == qRgb(0, 0, 0);
        QVERIFY2(hasBlack, "the title text crosses the picture's middle row");

        for (TPanel* panel : {f.ui.Panel2, f.ui.Panel3, f.ui.Panel4, f.ui.Panel5}) {
            QVERIFY(panel->font().bold());
            QCOMPARE(panel->font().pixelSize(), 13);
            QCOMPARE(panel->FontColor(), QColor(Qt::black));
        }
        QCOMPARE(f.ui.Panel2->Caption(), QStringLiteral("←戻る"));
        QCOMPARE(f.ui.Panel3->Caption(), QStringLiteral("ヘルプ"));
        QCOMPARE(f.ui.Panel4->Caption(), QStringLiteral("次→"));
        QCOMPARE(f.ui.Panel5->Caption(), QStringLiteral("終了"));
    }

    void barLayout_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::addColumn<bool>("backShown");
        QTest::addColumn<QRect>("bar");
        QTest::addColumn<QRect>("back");
        QTest::addColumn<QRect>("help");
        QTest::addColumn<QRect>("next");

        QTest::newRow("designed, Back hidden") << QSize(304, 226) << false << QRect(0, 201, 304, 25) << QRect()
                                               << QRect(1, 1, 215, 23) << QRect(216, 1, 87, 23);
        QTest::newRow("designed, Back shown") << QSize(304, 226) << true << QRect(0, 201, 304, 25)
                                              << QRect(1, 1, 88, 23) << QRect(89, 1, 127, 23)
                                              << QRect(216, 1, 87, 23);
        QTest::newRow("400x300, Back hidden") << QSize(400, 300) << false << QRect(0, 275, 400, 25) << QRect()
                                              << QRect(1, 1, 311, 23) << QRect(312, 1, 87, 23);
        QTest::newRow("400x300, Back shown") << QSize(400, 300) << true << QRect(0, 275, 400, 25)
                                             << QRect(1, 1, 88, 23) << QRect(89, 1, 223, 23)
                                             << QRect(312, 1, 87, 23);
        QTest::newRow("narrower than the buttons") << QSize(120, 60) << true << QRect(0, 35, 120, 25)
                                                   << QRect(1, 1, 88, 23) << QRect(89, 1, 0, 23)
                                                   << QRect(32, 1, 87, 23);
    }

    void barLayout()
    {
        QFETCH(QSize, client);
        QFETCH(bool, backShown);
        QFETCH(QRect, bar);
        QFETCH(QRect, back);
        QFETCH(QRect, help);
        QFETCH(QRect, next);

        TForm1& f = *m_form;
        f.ui.Panel2->setVisible(backShown);
        f.resize(client);
        QCOMPARE(f.size(), client);
        QCOMPARE(f.ui.Panel1->geometry(), bar);
        if (backShown)
            QCOMPARE(f.ui.Panel2->geometry(), back);
        QCOMPARE(f.ui.Panel3->geometry(), help);
        QCOMPARE(f.ui.Panel4->geometry(), next);
        QCOMPARE(f.ui.Panel5->geometry(), QRect(1, 1, 40, 21)); // always at Help's left end

        // Both pictures fill the area above the bar, as wide as the frame.
        for (TImage* image : {f.ui.Image1, f.ui.Image2})
            QCOMPARE(image->geometry(),
                     QRect(0, 0, f.frameGeometry().width(), std::max(0, client.height() - 25)));
        QVERIFY(f.ui.Panel1->geometry().bottom() == f.height() - 1);
    }

    void panelClicks_data()
    {
        QTest::addColumn<std::vector<Step>>("steps");
        QTest::addColumn<int>("clicks");
        using S = Step;
        QTest::newRow("press and release inside") << std::vector{S::Press, S::Release} << 1;
        QTest::newRow("release outside") << std::vector{S::Press, S::ReleaseOutside} << 0;
        QTest::newRow("release without press") << std::vector{S::Release} << 0;
        QTest::newRow("right button") << std::vector{S::RightPress, S::RightRelease} << 0;
        QTest::newRow("double-click") << std::vector{S::Press, S::Release, S::DoublePress, S::Release} << 1;
        QTest::newRow("third quick click")
            << std::vector{S::Press, S::Release, S::DoublePress, S::Release, S::Press, S::Release} << 2;
        QTest::newRow("two separate clicks") << std::vector{S::Press, S::Release, S::Press, S::Release} << 2;
    }

    void panelClicks()
    {
        QFETCH(std::vector<Step>, steps);
        QFETCH(int, clicks);
        TPanel panel;
        panel.resize(80, 20);
        panel.show();
        QSignalSpy spy(&panel, &TPanel::OnClick);
        for (Step step : steps)
            send(&panel, step);
        QCOMPARE(spy.count(), clicks);
    }

    void exitInsideHelpRunsOnlyExit()
    {
        TForm1& f = *m_form;
        QSignalSpy help(f.ui.Panel3, &TPanel::OnClick);
        QSignalSpy exit(f.ui.Panel5, &TPanel::OnClick);
        ModalWatcher watcher(pressKey(Qt::Key_Return));
        QTest::mouseClick(f.ui.Panel5, Qt::LeftButton);
        QCOMPARE(exit.count(), 1);
        QCOMPARE(help.count(), 0);
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        QCOMPARE(watcher.seen()[0].text, QStringLiteral("また見てね"));
    }

    void farewell_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }

    void farewell()
    {
        QFETCH(int, key);
        TForm1& f = *m_form;
        ModalWatcher watcher(pressKey(Qt::Key(key)));
        f.ui.Panel5->OnClick();
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        const auto& box = watcher.seen()[0];
        QCOMPARE(box.title, QStringLiteral("PIKORA!"));
        QCOMPARE(box.text, QStringLiteral("また見てね"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttonCount, 1);
        QCOMPARE(box.framePosition, QPoint(box.screenSize.width() / 2 - box.frameSize.width() / 2,
                                           box.screenSize.height() / 2 - box.frameSize.height() / 2));
        QVERIFY2(!f.isVisible(), "the main window closes once the box is dismissed");
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("Japanese") << QStringLiteral("ﾌｧｲﾙ s_1.bmp は開けません") << QStringLiteral("ﾌｧｲﾙ s_1.bmp は開けません.");
        QTest::newRow("half-width katakana") << QStringLiteral("ｴﾗｰ") << QStringLiteral("ｴﾗｰ.");
        QTest::newRow("letter") << QStringLiteral("abc") << QStringLiteral("abc.");
        QTest::newRow("full stop") << QStringLiteral("abc.") << QStringLiteral("abc.");
        QTest::newRow("space") << QStringLiteral("abc ") << QStringLiteral("abc ");
        QTest::newRow("exclamation") << QStringLiteral("abc!") << QStringLiteral("abc!");
        QTest::newRow("parenthesis") << QStringLiteral("(abc)") << QStringLiteral("(abc)");
        QTest::newRow("comma") << QStringLiteral("abc,") << QStringLiteral("abc,");
        QTest::newRow("hyphen, below the stop") << QStringLiteral("abc-") << QStringLiteral("abc-");
        QTest::newRow("slash, above the stop") << QStringLiteral("abc/") << QStringLiteral("abc/.");
        QTest::newRow("ideographic full stop") << QStringLiteral("終わり。") << QStringLiteral("終わり。.");
        QTest::newRow("outside the BMP") << QStringLiteral("🙂") << QStringLiteral("🙂.");
    }

    void errorBoxText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(pikora::errorBoxText(text), shown);
    }

    void errorInHandler()
    {
        // A handler that changes something, then fails: the change stays, the
        // rest of the handler is skipped, the box shows, the window goes on.
        struct Receiver : QObject {
            int changed = 0;
            int reachedEnd = 0;
            void Handler()
            {
                changed = 41;
                throw EFOpenError(cannotOpenText("s_2.bmp"));
                ++reachedEnd;
            }
        } receiver;
        TPanel panel(m_form.get());
        panel.setGeometry(10, 10, 50, 20);
        panel.show();
        connectHandler(&panel, &TPanel::OnClick, &receiver, &Receiver::Handler);
        ModalWatcher watcher;
        QTest::mouseClick(&panel, Qt::LeftButton);
        QCOMPARE(watcher.seen().size(), std::size_t(1));
        const auto& box = watcher.seen()[0];
        QCOMPARE(box.title, QStringLiteral("PIKORA!"));
        QCOMPARE(box.text, QStringLiteral("ﾌｧｲﾙ s_2.bmp は開けません."));
        QCOMPARE(box.icon, QMessageBox::Critical);
        QCOMPARE(box.buttonCount, 1);
        QCOMPARE(receiver.changed, 41);
        QCOMPARE(receiver.reachedEnd, 0);
        QVERIFY(m_form->isVisible());
        // And the program goes on: the next click runs the handler again.
        QTest::mouseClick(&panel, Qt::LeftButton);
        QCOMPARE(watcher.seen().size(), std::size_t(2));
    }

    void errorEscapingIntoTheEventLoop()
    {
        // The safety net: an exception that a Qt frame would otherwise see.
        struct Thrower : QObject {
            bool event(QEvent* e) override
            {
                if (e->type() == QEvent::User)
                    throw EReadError(std::string(texts::StreamRead));
                return QObject::event(e);
            }
        } thrower;
        ModalWatcher watcher;
        QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
        QTRY_COMPARE(watcher.seen().size(), std::size_t(1));
        QCOMPARE(watcher.seen()[0].text, QStringLiteral("ｽﾄﾘｰﾑからの読み込みｴﾗｰ."));
    }

    void wholeRunEndsWithExitCodeZero()
    {
        // The program's own start-up and run, in an empty folder; Exit ends it.
        m_form.reset();
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        // Start-up shows an error box for each missing file; Exit once the
        // main window is up and no box is open.
        ModalWatcher watcher(pressKey(Qt::Key_Return));
        QTimer exit;
        exit.setInterval(50);
        QObject::connect(&exit, &QTimer::timeout, [&exit] {
            if (Form1 && Form1->isVisible() && !QApplication::activeModalWidget()) {
                exit.stop();
                emit Form1->ui.Panel5->OnClick();
            }
        });
        exit.start();
        const int code = pikora::run(*pikora::Application());
        QDir::setCurrent(previous);
        QCOMPARE(code, 0);
        QVERIFY(!watcher.seen().empty());
        QCOMPARE(watcher.seen().back().text, QStringLiteral("また見てね"));
        QVERIFY(Form1 == nullptr);
    }
};

PIKORA_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

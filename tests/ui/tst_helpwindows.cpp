// The help, world-view and version windows: how they look, their modal
// showing and keys, the start-up loads and their failures, and the world
// text's wrapping and scrolling.

#include "app/Startup.h"
#include "components/BitBtn.h"
#include "components/Image.h"
#include "components/Label.h"
#include "components/Memo.h"
#include "components/Panel.h"
#include "components/SystemColors.h"
#include "components/Timer.h"
#include "content/Errors.h"
#include "tests/support/Fixtures.h"
#include "tests/support/ModalBoxes.h"
#include "tests/support/TestMain.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"
#include "ui/Unit3.h"
#include "ui/Unit4.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace pikora;
using pikora::test::BoxAction;
using pikora::test::ModalWatcher;
using pikora::test::SeenBox;

namespace {

const QString kHelp = QStringLiteral("ヘルプ");
const QString kWorld = QStringLiteral("世界観");
const QString kVersion = QStringLiteral("バージョン情報");
const QString kTitle = QStringLiteral("PIKORA!");

const QColor kLeft(200, 30, 30);
const QColor kRight(30, 30, 200);

// "あいうえお" in code page 932.
const QByteArray kAiueo("\x82\xa0\x82\xa2\x82\xa4\x82\xa6\x82\xa8");

// A picture whose left and right halves differ, so that scaling and clipping
// both show.
QImage halves(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(kRight);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < (size.width() + 1) / 2; ++x)
            image.setPixelColor(x, y, kLeft);
    return image;
}

void writeBmp(const QString& path, const QImage& image)
{
    if (!image.save(path, "BMP"))
        throw std::runtime_error("cannot write fixture " + path.toStdString());
}

// Paragraphs far longer than the world view's width: a number, then
// "あいうえお" six times, each ending in CR LF.
QByteArray longText(int paragraphs, QString* decoded = nullptr)
{
    QByteArray bytes;
    QString text;
    for (int i = 0; i < paragraphs; ++i) {
        const QByteArray number = QByteArray::number(10 + i);
        bytes += number + kAiueo.repeated(6) + "\r\n";
        text += QString::fromLatin1(number) + QStringLiteral("あいうえお").repeated(6) + QLatin1Char('\n');
    }
    if (decoded)
        *decoded = text;
    return bytes;
}

// A temporary working directory for one test; the previous one comes back.
class Folder {
public:
    Folder()
        : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(m_dir.path());
    }
    ~Folder() { QDir::setCurrent(m_previous); }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void write(const QString& name, const QByteArray& bytes) const { test::writeBytes(path(name), bytes); }
    // A 24-bit file, or with indexed an 8-bit one of the same picture.
    void picture(const QString& name, QSize size, bool indexed = false) const
    {
        writeBmp(path(name), indexed ? halves(size).convertToFormat(QImage::Format_Indexed8) : halves(size));
    }
    void remove(const QString& name) const { QFile::remove(path(name)); }

    // The files the help windows read, with small contents.
    void writeAll() const
    {
        picture(QStringLiteral("ver.bmp"), QSize(40, 30));
        picture(QStringLiteral("s_1.bmp"), QSize(50, 40));
        write(QStringLiteral("v_1.txt"), "abc\r\n" + kAiueo);
    }

private:
    QTemporaryDir m_dir;
    QString m_previous;
};

// The four windows as start-up creates them, in its order, from the current
// folder; the main window shown.
struct Windows {
    Windows()
    {
        form1 = std::make_unique<TForm1>();
        Form1 = form1.get();
        form2 = std::make_unique<TForm2>();
        Form2 = form2.get();
        about = std::make_unique<TAboutBox>();
        AboutBox = about.get();
        form4 = std::make_unique<TForm4>();
        Form4 = form4.get();
        form1->show();
        if (!QTest::qWaitForWindowExposed(form1.get()))
            qWarning("the main window was not exposed");
    }
    ~Windows()
    {
        form4.reset();
        about.reset();
        form2.reset();
        form1.reset();
        Form1 = nullptr;
        Form2 = nullptr;
        AboutBox = nullptr;
        Form4 = nullptr;
    }

    std::unique_ptr<TForm1> form1;
    std::unique_ptr<TForm2> form2;
    std::unique_ptr<TAboutBox> about;
    std::unique_ptr<TForm4> form4;
};

// Handles the modal windows in the order they are expected, one step each,
// as a user would. A step runs from the event loop of the window it is given,
// so it may open another modal window; it must close its own window in the
// end. A window out of order is recorded and closed. Should a window stay
// open for good, the watchdog closes every modal window so that the test
// fails instead of hanging.
class Script {
public:
    using Step = std::function<void(QWidget* window)>;

    Script()
    {
        m_watchdog.setSingleShot(true);
        m_watchdog.setInterval(30000);
        QObject::connect(&m_watchdog, &QTimer::timeout, [this] {
            m_timedOut = true;
            for (int i = 0; i < 8; ++i) {
                if (QWidget* modal = QApplication::activeModalWidget())
                    modal->hide();
            }
        });
        m_watchdog.start();
    }

    Script& then(const QString& title, Step step)
    {
        m_steps.push_back({title, std::move(step)});
        return *this;
    }

    BoxAction action()
    {
        return [this](QWidget* modal, const SeenBox& seen) {
            m_titles << seen.title;
            QPointer<QWidget> target(modal);
            if (m_next < m_steps.size() && m_steps[m_next].title == seen.title) {
                Step step = m_steps[m_next++].step;
                QTimer::singleShot(0, modal, [step, target] {
                    if (target)
                        step(target);
                });
            } else {
                m_unexpected << seen.title + QStringLiteral(": ") + seen.text;
                QTimer::singleShot(0, modal, [target] {
                    if (target)
                        target->close();
                });
            }
            return true;
        };
    }

    bool finished() const { return m_next == m_steps.size() && m_unexpected.isEmpty() && !m_timedOut; }
    QStringList titles() const { return m_titles; }
    QString report() const
    {
        return QStringLiteral("windows seen: %1; unexpected: %2; steps done: %3 of %4%5")
            .arg(m_titles.join(QStringLiteral(", ")), m_unexpected.join(QStringLiteral(", ")))
            .arg(m_next)
            .arg(m_steps.size())
            .arg(m_timedOut ? QStringLiteral("; timed out") : QString());
    }

private:
    struct Entry {
        QString title;
        Step step;
    };
    std::vector<Entry> m_steps;
    std::size_t m_next = 0;
    QStringList m_titles;
    QStringList m_unexpected;
    bool m_timedOut = false;
    QTimer m_watchdog;
};

void press(QWidget* window, Qt::Key key)
{
    QWidget* target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key);
}

void click(QWidget* widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, widget->rect().center());
}

// A click that comes from the window system, so that Qt's modal blocking
// applies to it as it does to a real one.
void clickThroughWindowSystem(QWidget* widget)
{
    QWidget* window = widget->window();
    const QPoint at = widget->mapTo(window, widget->rect().center());
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
}

// Opens the help window as the Help button does and runs the script over it.
void openHelp(Windows& windows, Script& script)
{
    ModalWatcher watcher(script.action());
    emit windows.form1->ui.Panel3->OnClick();
}

bool containsColour(const QImage& image, const QRect& area, const QColor& colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

QPoint centred(const QWidget* window)
{
    const QRect screen = window->screen()->geometry();
    const QSize outer = window->frameGeometry().size();
    return {screen.x() + std::max(0, (screen.width() - outer.width()) / 2),
            screen.y() + std::max(0, (screen.height() - outer.height()) / 2)};
}

// The caret's line counted in wrapped lines from the top of the text.
int caretLine(const QPlainTextEdit* memo)
{
    const QTextCursor cursor = memo->textCursor();
    int line = 0;
    for (QTextBlock block = memo->document()->firstBlock(); block.isValid() && block != cursor.block();
         block = block.next())
        line += block.lineCount();
    return line + cursor.block().layout()->lineForTextPosition(cursor.positionInBlock()).lineNumber();
}

void verifyDialogBorder(const QWidget* window, QSize client)
{
    QCOMPARE(window->size(), client);
    QCOMPARE(window->minimumSize(), client);
    QCOMPARE(window->maximumSize(), client);
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags.testFlag(Qt::Dialog));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    for (Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint,
                                Qt::WindowContextHelpButtonHint})
        QVERIFY2(!flags.testFlag(hint), "a dialog border has only a close button");
}

} // namespace

class TestHelpWindows : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { QVERIFY(!QApplication::activeModalWidget()); }

    void helpWindow()
    {
        Folder folder;
        folder.writeAll();
        Windows w;
        TForm2& f = *w.form2;
        verifyDialogBorder(&f, QSize(344, 130));
        QCOMPARE(f.windowTitle(), kHelp);
        QCOMPARE(f.font().family(), QStringLiteral("System"));
        QCOMPARE(f.font().pixelSize(), 13);

        struct Link {
            TLabel* label;
            QString caption;
            QPoint at;
            QColor colour;
        };
        const std::vector<Link> links = {
            {f.ui.Label1, QStringLiteral("このゲームの世界観について"), {16, 16}, QColor(128, 128, 128)},
            {f.ui.Label2, QStringLiteral("遊び方"), {16, 56}, QColor(0, 0, 255)},
            {f.ui.Label3, QStringLiteral("バージョン情報"), {16, 96}, QColor(255, 0, 0)},
        };

        std::optional<QPoint> position;
        QWidget* focus = nullptr;
        QImage shot;
        Script script;
        script.then(kHelp, [&](QWidget* window) {
            position = window->frameGeometry().topLeft();
            focus = QApplication::focusWidget();
            shot = window->grab().toImage();
            press(window, Qt::Key_Return);
        });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));
        QVERIFY(!f.isVisible());

        QCOMPARE(*position, QPoint(328, 128));
        QCOMPARE(focus, f.ui.BitBtn1);
        QVERIFY(f.ui.BitBtn1->isDefault());
        QCOMPARE(f.ui.BitBtn1->geometry(), QRect(232, 96, 81, 25));
        QCOMPARE(f.ui.BitBtn1->text(), QStringLiteral("OK"));
        QVERIFY(!f.ui.BitBtn1->icon().isNull());

        QCOMPARE(shot.pixelColor(2, 2), QColor(128, 255, 255));
        for (const Link& link : links) {
            QCOMPARE(link.label->Caption(), link.caption);
            QCOMPARE(link.label->pos(), link.at);
            QCOMPARE(link.label->font().family(), QStringLiteral("ＭＳ ゴシック"));
            QCOMPARE(link.label->font().pixelSize(), 24);
            // Sized to its caption in that font: the whole text, and only it, is the link.
            const QFontMetrics metrics(link.label->font());
            QCOMPARE(link.label->size(), QSize(metrics.horizontalAdvance(link.caption), metrics.height()));
            QVERIFY(!link.label->font().underline());
            QVERIFY(!link.label->font().bold());
            QCOMPARE(link.label->focusPolicy(), Qt::NoFocus);
            QVERIFY2(!link.label->testAttribute(Qt::WA_SetCursor), "the pointer does not change over a link");
            // Drawn in its colour straight on the window's cyan.
            QVERIFY2(containsColour(shot, link.label->geometry(), link.colour), qPrintable(link.caption));
            QCOMPARE(shot.pixelColor(link.label->geometry().bottomRight() + QPoint(1, 1)), QColor(128, 255, 255));
        }
    }

    void helpToWorldViewAndBack()
    {
        Folder folder;
        folder.writeAll();
        Windows w;
        bool helpOpenUnderWorld = false;
        bool helpOpenAfterWorld = false;
        std::optional<QPoint> worldPosition;
        QWindow* worldTransientParent = nullptr;
        QWindow* helpTransientParent = nullptr;
        Script script;
        script
            .then(kHelp, [&](QWidget* window) {
                helpTransientParent = window->windowHandle()->transientParent();
                click(w.form2->ui.Label1);
            })
            .then(kWorld, [&](QWidget* window) {
                helpOpenUnderWorld = w.form2->isVisible();
                worldPosition = window->frameGeometry().topLeft();
                worldTransientParent = window->windowHandle()->transientParent();
                window->close(); // the title bar's close button
            })
            .then(kHelp, [&](QWidget* window) {
                helpOpenAfterWorld = window->isVisible();
                press(window, Qt::Key_Return);
            });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));
        QVERIFY(helpOpenUnderWorld);
        QVERIFY(helpOpenAfterWorld);
        QCOMPARE(*worldPosition, QPoint(208, 120));
        QCOMPARE(helpTransientParent, w.form1->windowHandle());
        QCOMPARE(worldTransientParent, w.form2->windowHandle());
        QVERIFY(!w.form2->isVisible());
        QVERIFY(!w.form4->isVisible());
        QVERIFY(w.form1->isVisible());
        QVERIFY(!QApplication::activeModalWidget());

        // Opened again, the help window is where it was, unchanged.
        std::optional<QPoint> again;
        Script second;
        second.then(kHelp, [&](QWidget* window) {
            again = window->frameGeometry().topLeft();
            click(w.form2->ui.BitBtn1);
        });
        openHelp(w, second);
        QVERIFY2(second.finished(), qPrintable(second.report()));
        QCOMPARE(*again, QPoint(328, 128));
    }

    void howToPlay_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
    }

    void howToPlay()
    {
        QFETCH(int, key);
        Folder folder;
        folder.writeAll();
        Windows w;
        SeenBox box;
        bool helpStillOpen = false;
        Script script;
        script.then(kHelp, [&](QWidget*) { click(w.form2->ui.Label2); })
            .then(kTitle, [&](QWidget* window) {
                auto* message = qobject_cast<QMessageBox*>(window);
                box.text = message ? message->text() : QString();
                box.icon = message ? message->icon() : QMessageBox::Critical;
                box.buttonCount = message ? int(message->buttons().size()) : 0;
                box.framePosition = window->frameGeometry().topLeft();
                box.frameSize = window->frameGeometry().size();
                box.screenSize = window->screen()->geometry().size();
                press(window, Qt::Key(key));
            })
            .then(kHelp, [&](QWidget* window) {
                helpStillOpen = window->isVisible();
                press(window, Qt::Key_Return);
            });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));
        QCOMPARE(box.text, QStringLiteral("見たら分かるでしょうが、ボタン押すだけです。"));
        QCOMPARE(box.icon, QMessageBox::NoIcon);
        QCOMPARE(box.buttonCount, 1);
        QCOMPARE(box.framePosition, QPoint(box.screenSize.width() / 2 - box.frameSize.width() / 2,
                                           box.screenSize.height() / 2 - box.frameSize.height() / 2));
        QVERIFY(helpStillOpen);
    }

    void escapeClosesNeitherWindow_data()
    {
        QTest::addColumn<bool>("version");
        QTest::newRow("help window") << false;
        QTest::newRow("version window") << true;
    }

    void escapeClosesNeitherWindow()
    {
        QFETCH(bool, version);
        Folder folder;
        folder.writeAll();
        Windows w;
        bool openAfterEscape = false;
        bool closedByEnter = false;
        const auto escapeThenEnter = [&](QWidget* window) {
            press(window, Qt::Key_Escape);
            QCoreApplication::processEvents();
            openAfterEscape = window->isVisible();
            // At once: no event needs to run before it is hidden.
            press(window, Qt::Key_Return);
            closedByEnter = !window->isVisible();
        };
        Script script;
        if (version) {
            script.then(kHelp, [&](QWidget*) { click(w.form2->ui.Label3); })
                .then(kVersion, escapeThenEnter)
                .then(kHelp, [](QWidget* window) { press(window, Qt::Key_Return); });
        } else {
            script.then(kHelp, escapeThenEnter);
        }
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));
        QVERIFY(openAfterEscape);
        QVERIFY(closedByEnter);
        if (version)
            QCOMPARE(w.about->result(), int(QDialog::Accepted));
    }

    void versionWindow()
    {
        Folder folder;
        folder.writeAll();
        Windows w;
        TAboutBox& a = *w.about;
        verifyDialogBorder(&a, QSize(320, 170));
        QCOMPARE(a.windowTitle(), kVersion);
        QCOMPARE(a.font().pixelSize(), 13);
        QCOMPARE(a.ui.ProductName->Caption(), QStringLiteral("ルミカータ"));
        QCOMPARE(a.ui.Version->Caption(), QStringLiteral("Version 1.0"));
        QCOMPARE(a.ui.Copyright->Caption(), QStringLiteral("制作"));
        // Each credit: the role, three spaces, then the makers.
        const QStringList roles = {QStringLiteral("プログラム"), QStringLiteral("グラフィック"),
                                   QStringLiteral("ボイス")};
        const std::vector<TLabel*> credits = {a.ui.Label1, a.ui.Label2, a.ui.Label3};
        for (std::size_t i = 0; i < credits.size(); ++i) {
            const QString caption = credits[i]->Caption();
            QVERIFY2(caption.startsWith(roles[int(i)] + QStringLiteral("   ")), qPrintable(caption));
            QVERIFY(caption.size() > roles[int(i)].size() + 3);
            QVERIFY(caption.at(roles[int(i)].size() + 3) != QLatin1Char(' '));
        }
        QCOMPARE(a.ui.Panel1->geometry(), QRect(11, 11, 302, 150));
        QCOMPARE(a.ui.Panel1->BevelInner(), TPanel::bvRaised);
        QCOMPARE(a.ui.Panel1->BevelOuter(), TPanel::bvLowered);
        QCOMPARE(a.ui.Image1->geometry(), QRect(8, 8, 73, 65));
        QCOMPARE(a.ui.OKButton->geometry(), QRect(242, 126, 55, 27));

        QWidget* focus = nullptr;
        bool isDefault = false;
        QImage shot;
        Script script;
        script.then(kHelp, [&](QWidget*) { click(w.form2->ui.Label3); })
            .then(kVersion, [&](QWidget* window) {
                focus = QApplication::focusWidget();
                isDefault = a.ui.OKButton->isDefault();
                shot = window->grab().toImage();
                press(window, Qt::Key_Return);
            })
            .then(kHelp, [](QWidget* window) { press(window, Qt::Key_Return); });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));
        QCOMPARE(focus, a.ui.OKButton);
        QVERIFY(isDefault);
        // The OK button is drawn above the panel it lies on.
        const QImage button = a.ui.OKButton->grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(shot.copy(a.ui.OKButton->geometry()).convertToFormat(QImage::Format_RGB32), button);
        QCOMPARE(shot.pixelColor(5, 5), clBtnFace());
    }

    void versionWindowKeepsItsPosition()
    {
        Folder folder;
        folder.writeAll();
        Windows w;
        std::optional<QPoint> first, expectedFirst, second;
        const QPoint movedTo(40, 30);
        Script script;
        script.then(kHelp, [&](QWidget*) { click(w.form2->ui.Label3); })
            .then(kVersion, [&](QWidget* window) {
                first = window->frameGeometry().topLeft();
                expectedFirst = centred(window);
                window->move(movedTo);
                press(window, Qt::Key_Return);
            })
            .then(kHelp, [&](QWidget*) { click(w.form2->ui.Label3); })
            .then(kVersion, [&](QWidget* window) {
                second = window->frameGeometry().topLeft();
                window->close();
            })
            .then(kHelp, [](QWidget* window) { press(window, Qt::Key_Return); });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));
        QCOMPARE(*first, *expectedFirst);
        QCOMPARE(*second, movedTo);
    }

    void versionPictureIsStretched_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("indexed");
        QTest::newRow("1 x 1") << QSize(1, 1) << false;
        QTest::newRow("73 x 65") << QSize(73, 65) << false;
        QTest::newRow("300 x 200") << QSize(300, 200) << false;
        QTest::newRow("2000 x 10") << QSize(2000, 10) << false;
        QTest::newRow("7 x 900") << QSize(7, 900) << false;
        QTest::newRow("8-bit, 300 x 200") << QSize(300, 200) << true;
        QTest::newRow("8-bit, 7 x 900") << QSize(7, 900) << true;
    }

    void versionPictureIsStretched()
    {
        QFETCH(QSize, size);
        QFETCH(bool, indexed);
        Folder folder;
        folder.picture(QStringLiteral("ver.bmp"), size, indexed);
        ModalWatcher watcher;
        TAboutBox about;
        QVERIFY(watcher.seen().empty());
        QCOMPARE(about.ui.Image1->Picture().size(), size);
        const QImage shot = about.ui.Image1->grab().toImage();
        QCOMPARE(shot.size(), QSize(73, 65));
        QCOMPARE(shot.pixelColor(0, 0), kLeft);
        QCOMPARE(shot.pixelColor(0, 64), kLeft);
        QCOMPARE(shot.pixelColor(72, 0), size.width() > 1 ? kRight : kLeft);
        QCOMPARE(shot.pixelColor(72, 64), size.width() > 1 ? kRight : kLeft);
    }

    void worldPictureIsClippedNotScaled_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("indexed");
        QTest::newRow("larger, clipped") << QSize(400, 300) << false;
        QTest::newRow("smaller, background around") << QSize(100, 50) << false;
        QTest::newRow("exact") << QSize(305, 209) << false;
        QTest::newRow("8-bit, larger, clipped") << QSize(400, 300) << true;
        QTest::newRow("8-bit, smaller") << QSize(100, 50) << true;
    }

    void worldPictureIsClippedNotScaled()
    {
        QFETCH(QSize, size);
        QFETCH(bool, indexed);
        Folder folder;
        folder.picture(QStringLiteral("s_1.bmp"), size, indexed);
        folder.write(QStringLiteral("v_1.txt"), "");
        TForm4 form;
        const QImage picture = halves(size);
        const QImage shot = form.grab().toImage();
        const QRect image = form.ui.Image1->geometry();
        QCOMPARE(image, QRect(0, 0, 305, 209));
        // Everything left of the text box, and the row below the picture.
        for (int y = 0; y < form.height(); ++y) {
            for (int x = 0; x < 312; ++x) {
                const QPoint p(x, y);
                const bool drawn = image.contains(p) && x < size.width() && y < size.height();
                const QColor expected = drawn ? picture.pixelColor(p) : clBtnFace();
                if (shot.pixelColor(p) != expected)
                    QFAIL(qPrintable(QStringLiteral("at %1,%2").arg(x).arg(y)));
            }
        }
    }

    void creditsClearOfOKButton()
    {
        // The labels size themselves to their texts in the installed fonts:
        // none may run under the OK button or past the panel's bevels.
        Folder folder;
        folder.writeAll();
        TAboutBox about;
        const QRect button = about.ui.OKButton->geometry();
        const QRect inside = about.ui.Panel1->geometry().adjusted(2, 2, -2, -2);
        const auto labels = about.ui.Panel1->findChildren<TLabel*>();
        QCOMPARE(labels.size(), 6);
        for (TLabel* label : labels) {
            const QRect rect(label->mapTo(&about, QPoint(0, 0)), label->size());
            QVERIFY2(!rect.intersects(button), qPrintable(label->Caption()));
            QVERIFY2(inside.contains(rect), qPrintable(label->Caption()));
            for (TLabel* other : labels) {
                if (other != label)
                    QVERIFY2(!label->geometry().intersects(other->geometry()), qPrintable(label->Caption()));
            }
        }
    }

    void okButtonLayouts()
    {
        Folder folder;
        folder.writeAll();
        TForm2 help;
        TAboutBox about;
        for (TBitBtn* button : {help.ui.BitBtn1, about.ui.OKButton}) {
            const QRect glyph = button->glyphRect();
            const QRect caption = button->captionRect();
            QVERIFY(!glyph.isEmpty());
            QVERIFY(caption.width() > 0);
            QVERIFY(glyph.right() < caption.left());
            QVERIFY(std::abs(glyph.top() - (button->height() - 1 - glyph.bottom())) <= 1);
            QVERIFY(std::abs(caption.top() - (button->height() - 1 - caption.bottom())) <= 1);

            // The glyph is drawn where the layout puts it.
            const QImage shot = button->grab().toImage();
            const QImage icon = button->icon().pixmap(glyph.size()).toImage();
            int opaque = 0, matching = 0;
            for (int y = 0; y < icon.height(); ++y) {
                for (int x = 0; x < icon.width(); ++x) {
                    if (qAlpha(icon.pixel(x, y)) != 255)
                        continue;
                    ++opaque;
                    matching += shot.pixel(glyph.topLeft() + QPoint(x, y)) == (icon.pixel(x, y) | 0xff000000);
                }
            }
            QVERIFY(opaque > 0);
            QVERIFY2(matching * 10 >= opaque * 9, qPrintable(button->objectName()));

            // Qt's own check mark, whatever the desktop's icon theme says.
            const QImage builtIn(QStringLiteral(":/qt-project.org/styles/commonstyle/images/standardbutton-ok-16.png"));
            QVERIFY(!builtIn.isNull());
            QCOMPARE(button->icon().pixmap(QSize(16, 16)).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
                     builtIn.convertToFormat(QImage::Format_ARGB32_Premultiplied));
        }

        // BitBtn1: glyph and caption centred together, 4 pixels apart.
        const QRect glyph1 = help.ui.BitBtn1->glyphRect(), caption1 = help.ui.BitBtn1->captionRect();
        QCOMPARE(caption1.left() - glyph1.right() - 1, 4);
        QVERIFY(std::abs(glyph1.left() - (help.ui.BitBtn1->width() - 1 - caption1.right())) <= 1);
        // OKButton: glyph 2 pixels from the left, caption centred in the rest.
        const QRect glyph2 = about.ui.OKButton->glyphRect(), caption2 = about.ui.OKButton->captionRect();
        QCOMPARE(glyph2.left(), 2);
        QVERIFY(std::abs((caption2.left() - glyph2.right() - 1) -
                         (about.ui.OKButton->width() - 1 - caption2.right())) <= 1);
    }

    void longWorldTextWrapsAndScrolls()
    {
        Folder folder;
        folder.writeAll();
        QString expected;
        folder.write(QStringLiteral("v_1.txt"), longText(30, &expected));
        Windows w;
        TMemo* memo = w.form4->ui.Memo1;
        QCOMPARE(memo->toPlainText(), expected);

        struct Opened {
            bool focused = false;
            bool selection = true;
            int caret = -1;
            int firstLineCount = 0;
            bool linesFit = false;
            bool scrollBarsShown = true;
            int horizontalRange = -1;
        } opened;
        std::vector<int> scrolls, lines;
        bool caretInView = true;
        const int presses = 30;
        Script script;
        script.then(kHelp, [&](QWidget*) { click(w.form2->ui.Label1); })
            .then(kWorld, [&](QWidget* window) {
                opened.focused = QApplication::focusWidget() == memo;
                opened.selection = memo->textCursor().hasSelection();
                opened.caret = memo->textCursor().position();
                const QTextBlock first = memo->document()->firstBlock();
                opened.firstLineCount = first.lineCount();
                opened.linesFit = true;
                for (int i = 0; i < first.layout()->lineCount(); ++i)
                    opened.linesFit &= first.layout()->lineAt(i).naturalTextWidth() <= memo->viewport()->width();
                opened.scrollBarsShown =
                    memo->verticalScrollBar()->isVisible() || memo->horizontalScrollBar()->isVisible();
                opened.horizontalRange = memo->horizontalScrollBar()->maximum();
                scrolls.push_back(memo->verticalScrollBar()->value());
                lines.push_back(caretLine(memo));
                for (int i = 0; i < presses; ++i) {
                    QTest::keyClick(memo, Qt::Key_Down);
                    scrolls.push_back(memo->verticalScrollBar()->value());
                    lines.push_back(caretLine(memo));
                    caretInView &= memo->viewport()->rect().contains(memo->cursorRect());
                }
                opened.scrollBarsShown |=
                    memo->verticalScrollBar()->isVisible() || memo->horizontalScrollBar()->isVisible();
                window->close();
            })
            .then(kHelp, [](QWidget* window) { press(window, Qt::Key_Return); });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));

        QVERIFY(opened.focused);
        QVERIFY(!opened.selection);
        QCOMPARE(opened.caret, 0);
        QVERIFY2(opened.firstLineCount >= 2, "the first paragraph wraps at the box's width");
        QVERIFY(opened.linesFit);
        QVERIFY(!opened.scrollBarsShown);
        QCOMPARE(opened.horizontalRange, 0);

        // Each Down moves the caret one line; the view stays until the caret
        // would leave it, then follows it one line a press.
        QCOMPARE(scrolls.front(), 0);
        bool scrolling = false;
        for (int i = 1; i <= presses; ++i) {
            QCOMPARE(lines[i], i);
            const int step = scrolls[i] - scrolls[i - 1];
            if (scrolling)
                QCOMPARE(step, 1);
            else
                QVERIFY(step == 0 || step == 1);
            scrolling |= step == 1;
        }
        QVERIFY2(scrolling, "thirty lines down the text has scrolled");
        QVERIFY(caretInView);
    }

    void emptyWorldText()
    {
        Folder folder;
        folder.writeAll();
        folder.write(QStringLiteral("v_1.txt"), "");
        ModalWatcher watcher;
        TForm4 form;
        QVERIFY(watcher.seen().empty());
        QVERIFY(form.ui.Memo1->toPlainText().isEmpty());
        QVERIFY(!form.ui.Image1->Picture().isNull());
    }

    void memoKeepsTextWhenLoadFails_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("error");
        QTest::newRow("missing") << QByteArray() << QStringLiteral("ﾌｧｲﾙ w.txt は開けません");
        QTest::newRow("too large") << QByteArray(1024 * 1024 + 1, 'a')
                                   << QStringLiteral("文字列の大きさが ﾒﾓ の制限を越えました");
    }

    void memoKeepsTextWhenLoadFails()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, error);
        Folder folder;
        if (!contents.isEmpty())
            folder.write(QStringLiteral("w.txt"), contents);
        TMemo memo;
        memo.setText(QStringLiteral("前のテキスト"));
        QString raised;
        try {
            memo.LoadFromFile(QStringLiteral("w.txt"));
        } catch (const Exception& e) {
            raised = QString::fromUtf8(e.what());
        }
        QCOMPARE(raised, error);
        QCOMPARE(memo.toPlainText(), QStringLiteral("前のテキスト"));
    }

    void memoSameTextChangesNothing()
    {
        Folder folder;
        QString text;
        folder.write(QStringLiteral("w.txt"), longText(20, &text));
        TMemo memo;
        memo.resize(241, 193);
        memo.LoadFromFile(QStringLiteral("w.txt"));
        QTextCursor cursor = memo.textCursor();
        cursor.setPosition(25);
        memo.setTextCursor(cursor);

        memo.LoadFromFile(QStringLiteral("w.txt"));
        QCOMPARE(memo.textCursor().position(), 25);

        folder.write(QStringLiteral("w.txt"), "\x82\xa0\r\n\r\nb\rc\nd");
        memo.LoadFromFile(QStringLiteral("w.txt"));
        QCOMPARE(memo.toPlainText(), QStringLiteral("あ\n\nb\nc\nd"));
        QCOMPARE(memo.textCursor().position(), 0);
    }

    void startUp_data()
    {
        QTest::addColumn<QStringList>("files"); // "bad s_1.bmp": not a bitmap
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("textLoaded");
        QTest::addColumn<bool>("worldPicture");
        QTest::addColumn<bool>("versionPicture");

        const QString ver = QStringLiteral("ver.bmp"), s1 = QStringLiteral("s_1.bmp"), v1 = QStringLiteral("v_1.txt");
        QTest::newRow("every file") << QStringList{ver, s1, v1} << QStringList{} << true << true << true;
        QTest::newRow("no ver.bmp") << QStringList{s1, v1} << QStringList{QStringLiteral("ﾌｧｲﾙ ver.bmp は開けません.")}
                                    << true << true << false;
        QTest::newRow("no s_1.bmp") << QStringList{ver, v1} << QStringList{QStringLiteral("ﾌｧｲﾙ s_1.bmp は開けません.")}
                                    << false << false << true;
        QTest::newRow("no v_1.txt") << QStringList{ver, s1} << QStringList{QStringLiteral("ﾌｧｲﾙ v_1.txt は開けません.")}
                                    << false << true << true;
        QTest::newRow("s_1.bmp not a bitmap")
            << QStringList{ver, QStringLiteral("bad s_1.bmp"), v1}
            << QStringList{QStringLiteral("ﾋﾞｯﾄﾏｯﾌﾟｲﾒｰｼﾞが不正です.")} << false << false << true;
        QTest::newRow("empty folder") << QStringList{}
                                      << QStringList{QStringLiteral("ﾌｧｲﾙ ver.bmp は開けません."),
                                                     QStringLiteral("ﾌｧｲﾙ s_1.bmp は開けません.")}
                                      << false << false << false;
    }

    void startUp()
    {
        QFETCH(QStringList, files);
        QFETCH(QStringList, boxes);
        QFETCH(bool, textLoaded);
        QFETCH(bool, worldPicture);
        QFETCH(bool, versionPicture);

        Folder folder;
        for (const QString& file : files) {
            if (file == QStringLiteral("ver.bmp") || file == QStringLiteral("s_1.bmp"))
                folder.picture(file, QSize(20, 10));
            else if (file == QStringLiteral("bad s_1.bmp"))
                folder.write(QStringLiteral("s_1.bmp"), QByteArray("NOT A BITMAP").leftJustified(64, '.'));
            else
                folder.write(file, "abc\r\n" + kAiueo);
        }

        struct Box {
            QString text;
            QString title;
            QMessageBox::Icon icon;
            bool mainVisible;
        };
        std::vector<Box> seen;
        ModalWatcher watcher([&](QWidget* modal, const SeenBox& box) {
            seen.push_back({box.text, box.title, box.icon, Form1 && Form1->isVisible()});
            return test::pressKey(Qt::Key_Return)(modal, box);
        });

        // Once the main window shows, note what the windows hold, and end.
        bool mainShown = false;
        QString text;
        bool hasWorldPicture = false, hasVersionPicture = false;
        QTimer probe;
        probe.setInterval(10);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!Form1 || !Form1->isVisible() || QApplication::activeModalWidget())
                return;
            probe.stop();
            mainShown = true;
            text = Form4->ui.Memo1->toPlainText();
            hasWorldPicture = !Form4->ui.Image1->Picture().isNull();
            hasVersionPicture = !AboutBox->ui.Image1->Picture().isNull();
            Form1->close();
        });
        probe.start();
        QCOMPARE(pikora::run(*pikora::Application()), 0);

        QVERIFY(mainShown);
        QStringList texts;
        for (const Box& box : seen) {
            texts << box.text;
            QCOMPARE(box.title, kTitle);
            QCOMPARE(box.icon, QMessageBox::Critical);
            QVERIFY2(!box.mainVisible, "start-up errors show before the main window");
        }
        QCOMPARE(texts, boxes);
        QCOMPARE(text, textLoaded ? QStringLiteral("abc\nあいうえお") : QString());
        QCOMPARE(hasWorldPicture, worldPicture);
        QCOMPARE(hasVersionPicture, versionPicture);
    }

    void contentsReadOnlyAtStartUp()
    {
        Folder folder;
        folder.writeAll();
        QString worldText;
        QSize worldPicture, versionPicture;
        Script script;
        script.then(kHelp, [&](QWidget*) { click(Form2->ui.Label1); })
            .then(kWorld, [&](QWidget* window) {
                worldText = Form4->ui.Memo1->toPlainText();
                worldPicture = Form4->ui.Image1->Picture().size();
                window->close();
            })
            .then(kHelp, [&](QWidget*) { click(Form2->ui.Label3); })
            .then(kVersion, [&](QWidget* window) {
                versionPicture = AboutBox->ui.Image1->Picture().size();
                press(window, Qt::Key_Return);
            })
            .then(kHelp, [](QWidget* window) { press(window, Qt::Key_Return); });
        ModalWatcher watcher(script.action());

        QTimer probe;
        probe.setInterval(10);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            if (!Form1 || !Form1->isVisible() || QApplication::activeModalWidget())
                return;
            probe.stop();
            for (const QString& name : {QStringLiteral("ver.bmp"), QStringLiteral("s_1.bmp"), QStringLiteral("v_1.txt")})
                folder.remove(name);
            emit Form1->ui.Panel3->OnClick();
            Form1->close();
        });
        probe.start();
        QCOMPARE(pikora::run(*pikora::Application()), 0);

        QVERIFY2(script.finished(), qPrintable(script.report()));
        QCOMPARE(worldText, QStringLiteral("abc\nあいうえお"));
        QCOMPARE(worldPicture, QSize(50, 40));
        QCOMPARE(versionPicture, QSize(40, 30));
    }

    void nestedModality()
    {
        Folder folder;
        folder.writeAll();
        Windows w;
        // Only whether a click arrives matters here, not what Next does.
        QObject::disconnect(w.form1->ui.Panel4, &TPanel::OnClick, w.form1.get(), nullptr);
        QSignalSpy nextClicks(w.form1->ui.Panel4, &TPanel::OnClick);
        QSignalSpy howToPlayClicks(w.form2->ui.Label2, &TLabel::OnClick);
        TTimer timer;
        QSignalSpy ticks(&timer, &TTimer::OnTimer);
        timer.setInterval(20);

        int clicksUnderHelp = -1, clicksUnderWorld = -1, helpClicksUnderWorld = -1;
        int ticksUnderHelp = 0, ticksUnderWorld = 0;
        Script script;
        script
            .then(kHelp, [&](QWidget*) {
                clickThroughWindowSystem(w.form1->ui.Panel4);
                const int before = int(ticks.count());
                QTest::qWait(300);
                ticksUnderHelp = int(ticks.count()) - before;
                clicksUnderHelp = int(nextClicks.count());
                click(w.form2->ui.Label1);
            })
            .then(kWorld, [&](QWidget* window) {
                clickThroughWindowSystem(w.form1->ui.Panel4);
                clickThroughWindowSystem(w.form2->ui.Label2);
                const int before = int(ticks.count());
                QTest::qWait(300);
                ticksUnderWorld = int(ticks.count()) - before;
                clicksUnderWorld = int(nextClicks.count());
                helpClicksUnderWorld = int(howToPlayClicks.count());
                window->close();
            })
            .then(kHelp, [](QWidget* window) { press(window, Qt::Key_Return); });
        openHelp(w, script);
        QVERIFY2(script.finished(), qPrintable(script.report()));

        QCOMPARE(clicksUnderHelp, 0);
        QCOMPARE(clicksUnderWorld, 0);
        QCOMPARE(helpClicksUnderWorld, 0);
        QVERIFY2(ticksUnderHelp >= 3, qPrintable(QString::number(ticksUnderHelp)));
        QVERIFY2(ticksUnderWorld >= 3, qPrintable(QString::number(ticksUnderWorld)));

        // The same click with nothing modal open does arrive.
        clickThroughWindowSystem(w.form1->ui.Panel4);
        QCOMPARE(nextClicks.count(), 1);
    }
};

PIKORA_TEST_MAIN(TestHelpWindows)
#include "tst_helpwindows.moc"

#pragma once
// The application object: its title, the windows it owns for the whole run,
// and the last safety net for errors that escaped a handler.

#include <QApplication>
#include <QString>

#include <memory>
#include <vector>

class QWidget;

namespace pikora {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;

    QString Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }

    // Creates a window owned by the application until the run ends. Errors of
    // its creation handler are shown by the window itself; creation goes on.
    template <typename Form>
    void CreateForm(Form*& instance)
    {
        auto form = std::make_unique<Form>();
        instance = form.get();
        m_forms.push_back(std::move(form));
    }

    // Destroys the windows, last created first, while Qt is still alive.
    void DestroyForms();

    bool notify(QObject* receiver, QEvent* event) override;

private:
    QString m_title;
    std::vector<std::unique_ptr<QWidget>> m_forms;
};

// The running application, or nullptr outside a run (tests may create their own).
TApplication* Application();

// The caption of every message box: the application's title.
QString applicationTitle();

} // namespace pikora

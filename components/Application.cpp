#include "components/Application.h"

#include "components/Dispatch.h"

#include <QWidget>

namespace pikora {

namespace {
TApplication* g_application = nullptr;
}

TApplication::TApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    g_application = this;
}

TApplication::~TApplication()
{
    DestroyForms();
    g_application = nullptr;
}

void TApplication::DestroyForms()
{
    while (!m_forms.empty())
        m_forms.pop_back();
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    // Handlers catch their own errors through dispatch(); this only keeps a
    // stray exception from terminating the process.
    bool result = false;
    dispatch([&] { result = QApplication::notify(receiver, event); });
    return result;
}

TApplication* Application()
{
    return g_application;
}

QString applicationTitle()
{
    return g_application ? g_application->Title() : QString();
}

} // namespace pikora

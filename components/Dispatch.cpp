#include "components/Dispatch.h"

#include "components/Application.h"
#include "content/Errors.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace pikora {

QString errorBoxText(const QString& text)
{
    return QString::fromStdString(pikora::errorBoxText(text.toStdString()));
}

void showErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), errorBoxText(text), QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void showCurrentException() noexcept
{
    try {
        try {
            throw;
        } catch (const std::exception& e) {
            showErrorBox(QString::fromUtf8(e.what()));
        } catch (...) {
            showErrorBox(QString());
        }
    } catch (...) {
        // Showing the box itself failed (out of memory, say): the handler's
        // error must still not escape into Qt.
        std::fputs("pikora: an error could not be shown\n", stderr);
    }
}

} // namespace pikora

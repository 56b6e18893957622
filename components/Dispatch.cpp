#include "components/Dispatch.h"

#include "components/Application.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace pikora {

QString errorBoxText(const QString& text)
{
    if (text.isEmpty())
        return text;
    // Compare whole code points: a character outside the BMP ends in a low
    // surrogate, which must count as the character it belongs to.
    const char32_t last = text.toStdU32String().back();
    if (last <= U'.')
        return text;
    return text + QLatin1Char('.');
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

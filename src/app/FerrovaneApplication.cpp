#include "app/FerrovaneApplication.h"

#include "wizard/MessageBoxes.h"

#include <stdexcept>

TFerrovaneApplication::TFerrovaneApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    setApplicationName(QStringLiteral("Ferrovane"));
    setApplicationDisplayName(QStringLiteral("Ferrovane"));
    // The installed ferrovane.desktop: Wayland shells find the name and icon through it.
    setDesktopFileName(QStringLiteral("ferrovane"));
}

bool TFerrovaneApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(std::current_exception());
        return false;
    }
}

void TFerrovaneApplication::ShowException(std::exception_ptr error)
{
    QString text;
    try {
        std::rethrow_exception(error);
    } catch (const std::exception &e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unknown error");
    }
    ShowMessageBox(TMessageKind::mkError, text);
}

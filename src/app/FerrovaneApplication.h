#pragma once

#include <QApplication>

#include <exception>
#include <utility>

// The program's application object. An error that escapes a window's handler ends here:
// its message is shown in a message box and the window stays as the handler left it.
class TFerrovaneApplication : public QApplication {
public:
    TFerrovaneApplication(int &argc, char **argv);

    bool notify(QObject *receiver, QEvent *event) override;

    // Shows the error's message in an error box captioned with the application title.
    static void ShowException(std::exception_ptr error);
};

// A window handler as the event loop runs it: whatever it raises goes to the
// application's handler instead of unwinding through the toolkit.
template <class Handler> auto Guarded(Handler handler)
{
    return [handler = std::move(handler)]() mutable {
        try {
            handler();
        } catch (...) {
            TFerrovaneApplication::ShowException(std::current_exception());
        }
    };
}

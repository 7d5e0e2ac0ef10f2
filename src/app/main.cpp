// ferrovane: the desktop program.

#include "app/FerrovaneApplication.h"
#include "app/MainFerrovaneUnit.h"

int main(int argc, char **argv)
{
    TFerrovaneApplication application(argc, argv); // titled "Ferrovane"
    TMainFerrovaneForm mainForm;
    // The hidden "Import Prerequisites" window is created here, after the main window,
    // so that it is destroyed before it (and saves its settings then) at exit.
    mainForm.show();
    return application.exec();
}

// ferrovane: the desktop program.

#include "app/ConfigImportUnit.h"
#include "app/FerrovaneApplication.h"
#include "app/MainFerrovaneUnit.h"
#include "wizard/WindowHost.h"

int main(int argc, char **argv)
{
    TFerrovaneApplication application(argc, argv); // titled "Ferrovane"
    // Imports show their questions, prompts and progress in windows.
    TVxIWindowHost host;
    host.Install();
    TMainFerrovaneForm mainForm;
    // One "Import Prerequisites" window that is never shown: created after the main window,
    // it goes before it at exit and saves its settings then, so every run of the program
    // starts that window from its first values.
    TConfigImportForm unshown(mainForm);
    mainForm.show();
    return application.exec();
}

#include "app/FerrovaneApplication.h"

#include <gtest/gtest.h>

#include <cstdlib>

// The window tests need the program's own application object: it is what turns an
// escaping error into a message box.
int main(int argc, char **argv)
{
    // Also when the test list is read at build time, outside ctest's environment.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    TFerrovaneApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

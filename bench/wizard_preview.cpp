// How long the wizard takes to show its file preview of a large source: the window is
// prepared as Execute prepares it and walked to the preview step, which reads the source.
//   bench_wizard_preview FILE...   (.csv: delimited by ";", a header row; .xlsx: a sheet)

#include "engine/MemoryDataSet.h"
#include "ui_VxIWizForm.h"
#include "wizard/MessageBoxes.h"
#include "wizard/VxIWiz.h"
#include "wizard/VxIWizForm.h"

#include <QApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    SetMessageHandler([](const TMessage &m) {
        std::fprintf(stderr, "message: %s\n", m.Text.toUtf8().constData());
        return true;
    });
    for (int i = 1; i < argc; ++i) {
        const std::string file = argv[i];
        const bool sheet = file.size() > 5 && file.substr(file.size() - 5) == ".xlsx";
        TMemoryDataSet destination(
            {{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 30}, {"AMOUNT", TFieldType::ftFloat}});
        TVxIWizardDlg wizard;
        wizard.DataSet = &destination;
        wizard.TableType = sheet ? TTableTypeImport::teXLS : TTableTypeImport::teText;
        wizard.SourceFileName = file;
        wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
        wizard.RowFirst = 2;
        const auto start = std::chrono::steady_clock::now();
        TfrmVxIWizard window(&wizard);
        wizard.PrepareWindow(window);
        while (window.CurrentStep() < 6) {
            const int before = window.CurrentStep();
            window.GoToStep(before + 1);
            if (window.CurrentStep() == before)
                break;
        }
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        std::printf("%s: step %d in %.0f ms, %d preview rows\n", file.c_str(), window.CurrentStep(), ms,
                    window.Form().sgPreviewFile->rowCount() - 2);
    }
    return 0;
}

#include "Files.h"
#include "engine/MemoryDataSet.h"
#include "TestData.h"
#include "WizardTestSupport.h"
#include "wizard/ConnectionDialog.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

// Every step of the wizard at its size when it opens, as a user sees it. With
// FERROVANE_SCREENSHOT=folder the pictures are kept there (make screenshots); without it
// the steps are still laid out and checked for controls that do not fit.
class WizardScreenshots : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteFile(csv, "Id;Name;Born;Amount\r\n1;Ann Lee;31/12/1980;1.234,50\r\n2;Bob Stone;01/02/1975;99,95\r\n"
                       "3;Cyd Moss;15/07/1990;-12,00\r\n4;Dan Ford;29/02/2000;0,50\r\n");
        WriteFile(fixed, "0001Ann Lee     19801231   1234.50\r\n0002Bob Stone   19750201     99.95\r\n"
                         "0003Cyd Moss    19900715    -12.00\r\n0004Dan Ford    20000229      0.50\r\n");
        wizard.DataSet = &destination;
    }

    Ui::TfrmVxIWizard &Open() { return OpenWizardWindow(wizard, window); }

    void Keep(const char *name) { KeepScreenshot(*window, name); }

    // A folder of a fixed name: the pictures show the path, and must not change by it.
    struct TFixedFolder {
        QString Path = QDir::tempPath() + "/ferrovane-screenshots";
        TFixedFolder() { QDir().mkpath(Path); }
        ~TFixedFolder() { QDir(Path).removeRecursively(); }
        std::string File(const char *name) const { return (Path + "/" + name).toStdString(); }
    } dir;
    std::string csv = dir.File("customers.csv");
    std::string fixed = dir.File("customers.txt");
    TMemoryDataSet destination{{{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat}},
                               "CUSTOMERS"};
    TVxIWizardDlg wizard;
    std::unique_ptr<TfrmVxIWizard> window;
    TMessageRecorder messages;
};

TEST_F(WizardScreenshots, EveryStep)
{
    wizard.SourceFileName = csv;
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.RowFirst = 2;
    wizard.DataFormats.DateOrder = TVxIDateOrder::doDMY;
    wizard.DataFormats.DecimalSeparator = ',';
    wizard.DataFormats.ThousandSeparator = '.';
    Ui::TfrmVxIWizard &ui = Open();
    Keep("wizard-1-file-format");
    for (int step : {2, 3, 4}) {
        Click(ui.btnNext);
        Keep(step == 2 ? "wizard-2-file-name" : step == 3 ? "wizard-3-text-settings" : "wizard-4-data-formats");
    }
    Click(ui.btnNext);
    ASSERT_EQ(window->CurrentStep(), 6);
    Click(ui.imgAutoArrange);
    Keep("wizard-6-file-preview");
    Click(ui.btnNext);
    ui.sgMappings->setCurrentCell(1, 3);
    Click(ui.cbKey);
    ui.sgMappings->setCurrentCell(2, 2);
    Keep("wizard-7-mappings");
    Click(ui.btnNext);
    Keep("wizard-8-data-preview");
    Click(ui.btnNext);
    Keep("wizard-9-summary");
    EXPECT_TRUE(messages.Messages.empty());

    wizard.SourceFileName = fixed;
    wizard.Fixed = true;
    wizard.RowFirst = 1;
    Open();
    QTest::keyClick(window.get(), Qt::Key_5, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 5);
    Keep("wizard-5-columns");

    wizard.TableType = TTableTypeImport::teXLS;
    wizard.SourceFileName = XlsData("table.xlsx");
    wizard.Fixed = false;
    wizard.ShowFileHeader = true;
    Open();
    QTest::keyClick(window.get(), Qt::Key_6, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 6);
    Keep("wizard-6-sheet-preview");

    wizard.TableType = TTableTypeImport::teHTML;
    wizard.SourceFileName = HtmlData("browser-saved.html");
    wizard.ShowFileHeader = false;
    wizard.RowFirst = 2;
    Open();
    QTest::keyClick(window.get(), Qt::Key_6, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 6);
    Keep("wizard-6-html-preview");

    wizard.TableType = TTableTypeImport::teWKS;
    wizard.SourceFileName = TestDataFolder("lotus") + "/KSBASE.WK1";
    wizard.RowFirst = 3;
    Open();
    QTest::keyClick(window.get(), Qt::Key_6, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 6);
    Keep("wizard-6-lotus-preview");

    wizard.TableType = TTableTypeImport::teADT;
    wizard.SourceFileName = TestDataFolder("adt") + "/A.ADT";
    wizard.RowFirst = 1;
    Open();
    QTest::keyClick(window.get(), Qt::Key_6, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 6);
    Keep("wizard-6-advantage-preview");

    wizard.TableType = TTableTypeImport::teAccess;
    WriteFile(dir.File("sales.mdb"), ReadBytes(TestDataFolder("access") + "/testV1997.mdb"));
    wizard.SourceFileName = dir.File("sales.mdb");
    wizard.TableName = "Table1";
    Open();
    QTest::keyClick(window.get(), Qt::Key_2, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 2);
    Keep("wizard-2-access-table");
    QTest::keyClick(window.get(), Qt::Key_6, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 6);
    Keep("wizard-6-access-preview");
}

// Not of the fixture: its folder has a fixed name, and ctest runs tests side by side.
TEST(ConnectionDialogScreenshots, TheConnectionDialog)
{
    TConnectionDialog dialog("Driver={SQLite3};Database=/srv/data/people.sqlite;");
    dialog.show();
    KeepScreenshot(dialog, "connection-dialog");
}

} // namespace

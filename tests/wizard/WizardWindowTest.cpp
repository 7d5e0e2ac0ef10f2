#include "FirebirdTestSupport.h"
#include "Files.h"
#include "wizard/BreakEditor.h"
#include "TestData.h"
#include "WizardTestSupport.h"

#include <QFileDialog>
#include <QRadioButton>

#include <gtest/gtest.h>

namespace {

using WizardWindowTest = TWizardOverPeople;

TEST_F(WizardWindowTest, ADelimitedFileWithAHeaderRowIsImportedStepByStep)
{
    const std::string file = dir.File("people.csv");
    WriteFile(file, "Id;Name\r\n1;Ann\r\n2;Bob\r\n");
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        TypeInto(ui.edFileName, QString::fromStdString(file));
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.rgSeparator->Button(1)); // Semicolon (;)
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        TypeInto(ui.edFirstRow, "2");
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.imgAutoArrange);
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        Click(ui.btnNext);
        steps.push_back(window.CurrentStep());
        EXPECT_EQ(ui.btnCancel->text(), "Execute");
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();

    EXPECT_EQ(steps, (std::vector<int>{1, 2, 3, 4, 6, 7, 8, 9}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Bob"}));
    EXPECT_EQ(wizard.Statistic.TotalAdded, 2);
    EXPECT_EQ(wizard.Mappings.Text(), "ID=Field1\r\nNAME=Field2\r\n");
}

TEST_F(WizardWindowTest, AFixedWidthFileWithABreakMovedByDragging)
{
    const std::string file = dir.File("people.txt");
    WriteFile(file, "0001Ann\r\n0002Bob\r\n0003Cyd\r\n0004Dan\r\n");
    wizard.SourceFileName = file;
    wizard.Fixed = true;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 5);
        ASSERT_EQ(window.CurrentStep(), 5);
        Settle();
        TBreakEditor &editor = *ui.pbBreaks;
        ASSERT_FALSE(editor.Breaks().empty()); // guessed from the destination's widths
        const int w = editor.CharWidth();
        auto at = [&](int column) { return QPoint(column * w + w / 2, editor.TextTop() + editor.LineHeight()); };
        const int first = editor.Breaks().front();
        QTest::mousePress(&editor, Qt::LeftButton, {}, at(first));
        QTest::mouseMove(&editor, at(4));
        QTest::mouseRelease(&editor, Qt::LeftButton, {}, at(4));
        EXPECT_EQ(editor.Breaks().front(), 4);
        if (editor.Breaks().size() < 2)
            QTest::mouseClick(&editor, Qt::LeftButton, {}, at(7));
        Click(ui.btnNext);
        Click(ui.imgAutoArrange);
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(wizard.Mappings[0], "ID=[Text1-4]"); // "-" brackets a name
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Bob", "3:Cyd", "4:Dan"}));
}

TEST_F(WizardWindowTest, OneSheetOfAWorkbookMappedByItsColumnNames)
{
    CreateDatabase(dir.File("sheets.fdb"), {"CREATE TABLE SHEET (A VARCHAR(20), B INTEGER)"});
    TestDestination sheet;
    sheet.Open(dir.File("sheets.fdb"), "SHEET", {"insert into SHEET (A, B) values (:A, :B)"}, {}, {});
    wizard.DataSet = &sheet.Query;
    wizard.TableType = TTableTypeImport::teXLS;
    wizard.SourceFileName = XlsData("three-sheets.xlsx");
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6);
        ASSERT_EQ(window.CurrentStep(), 6);
        ASSERT_EQ(ui.tsSheets->count(), 3);
        Settle();
        QTest::mouseClick(ui.tsSheets, Qt::LeftButton, {}, ui.tsSheets->tabRect(1).center());
        EXPECT_EQ(ui.tsSheets->currentIndex(), 1);
        EXPECT_EQ(window.MappingList(), (TStringList{"A=A", "B=B"}));
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    sheet.Transaction.Commit();
    EXPECT_EQ(wizard.SheetIndex, 1);
    EXPECT_EQ(QueryColumn(dir.File("sheets.fdb"), "SELECT COALESCE(A, '-') || ':' || COALESCE(B, 0) FROM SHEET"),
              (std::vector<std::string>{"sheet 2:0", "-:200"}));
}

TEST_F(WizardWindowTest, ADBaseTableMappedByItsFieldNames)
{
    CreateDatabase(dir.File("dbf.fdb"), {"CREATE TABLE FRIENDS (NAME VARCHAR(20), BIRTHDATE DATE)"});
    TestDestination friends;
    friends.Open(dir.File("dbf.fdb"), "FRIENDS", {"insert into FRIENDS (NAME, BIRTHDATE) values (:NAME, :BIRTHDATE)"},
                 {}, {});
    wizard.DataSet = &friends.Query;
    wizard.TableType = TTableTypeImport::teDBase;
    wizard.SourceFileName = DbfData("people.dbf");
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        for (int i = 0; i < 5; ++i) {
            steps.push_back(window.CurrentStep());
            Click(ui.btnNext);
        }
        steps.push_back(window.CurrentStep());
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    friends.Transaction.Commit();
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 6, 7, 8, 9}));
    EXPECT_EQ(QueryColumn(dir.File("dbf.fdb"), "SELECT TRIM(NAME) || ':' || BIRTHDATE FROM FRIENDS ORDER BY NAME"),
              (std::vector<std::string>{"Alice:1987-03-01", "Bob:1980-11-12"}));
}

TEST_F(WizardWindowTest, AnAdvantageTableMappedByItsFieldNames)
{
    CreateDatabase(dir.File("adt.fdb"), {"CREATE TABLE PROVIDERS (PROVIDERNO VARCHAR(15), CITY VARCHAR(20))"});
    TestDestination providers;
    providers.Open(dir.File("adt.fdb"), "PROVIDERS",
                   {"insert into PROVIDERS (PROVIDERNO, CITY) values (:PROVIDERNO, :CITY)"}, {}, {});
    wizard.DataSet = &providers.Query;
    wizard.TableType = TTableTypeImport::teADT;
    wizard.SourceFileName = TestDataFolder("adt") + "/A.ADT";
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6, steps);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(window.MappingList(), (TStringList{"PROVIDERNO=ProviderNo", "CITY=City"}));
        NextTo(window, ui, 9, steps);
        steps.push_back(window.CurrentStep());
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    providers.Transaction.Commit();
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 6, 7, 8, 9}));
    EXPECT_EQ(QueryColumn(dir.File("adt.fdb"), "SELECT PROVIDERNO || ':' || CITY FROM PROVIDERS"),
              (std::vector<std::string>{"43-SAMPLE:Name of City Here"}));
}

TEST_F(WizardWindowTest, AClarionFileMappedByItsFieldNamesWithoutPrefix)
{
    CreateDatabase(dir.File("cla.fdb"), {"CREATE TABLE CUSTOMERS (ID INTEGER, NAME VARCHAR(12))"});
    TestDestination customers;
    customers.Open(dir.File("cla.fdb"), "CUSTOMERS", {"insert into CUSTOMERS (ID, NAME) values (:ID, :NAME)"}, {}, {});
    wizard.DataSet = &customers.Query;
    wizard.TableType = TTableTypeImport::teClarion;
    wizard.SourceFileName = TestDataFolder("clarion") + "/customers.dat";
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=ID", "NAME=NAME"}));
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    customers.Transaction.Commit();
    EXPECT_EQ(QueryColumn(dir.File("cla.fdb"), "SELECT ID || ':' || NAME FROM CUSTOMERS ORDER BY ID"),
              (std::vector<std::string>{"1:Ann Smith", "3:Bob Jones"}));
}

TEST_F(WizardWindowTest, ADBISAMTableWithItsBlobFile)
{
    CreateDatabase(dir.File("dbi.fdb"), {"CREATE TABLE CUSTOMERS (ID INTEGER, NAME VARCHAR(20), NOTES VARCHAR(800))"});
    TestDestination customers;
    customers.Open(dir.File("dbi.fdb"), "CUSTOMERS",
                   {"insert into CUSTOMERS (ID, NAME, NOTES) values (:ID, :NAME, :NOTES)"}, {}, {});
    wizard.DataSet = &customers.Query;
    wizard.TableType = TTableTypeImport::teDBISAM;
    wizard.SourceFileName = TestDataFolder("dbisam") + "/customers.dat";
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=ID", "NAME=NAME", "NOTES=NOTES"}));
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    customers.Transaction.Commit();
    EXPECT_EQ(QueryColumn(dir.File("dbi.fdb"), "SELECT ID || ':' || NAME || ':' || COALESCE(CHAR_LENGTH(NOTES), 0) "
                                               "FROM CUSTOMERS ORDER BY ID"),
              (std::vector<std::string>{"1:Ann Smith:704", "3:Bob Jones:0"}));
}

TEST_F(WizardWindowTest, AnSPSSFileMappedByItsVariableNames)
{
    wizard.TableType = TTableTypeImport::teSPSS;
    wizard.SourceFileName = TestDataFolder("spss") + "/people.sav";
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6, steps);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=ID", "NAME=NAME"}));
        NextTo(window, ui, 9, steps);
        steps.push_back(window.CurrentStep());
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(steps, (std::vector<int>{1, 2, 6, 7, 8, 9}));
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann Smith", "2:Zo\xC3\xAB M\xC3\xBCller", "3:Bob"}));
}

TEST_F(WizardWindowTest, TheClipboardIsImportedLikeAFile)
{
    host.Clipboard = "1;Ann\r\n2;Bob\r\n";
    wizard.TableType = TTableTypeImport::teClipboard;
    wizard.SourceFileName = "clipboard";
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 6);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(ui.sgPreviewFile->item(3, 2)->text(), "Bob");
        Click(ui.imgAutoArrange);
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Bob"}));
}

TEST_F(WizardWindowTest, TheFileDialogOffersTheChosenTypesFiles)
{
    wizard.TableType = TTableTypeImport::teDBase;
    wizard.SourceFileName = dir.File("old.dbf");
    const std::string chosen = DbfData("people.dbf");
    QStringList filters;
    QString title;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        Click(ui.btnNext);
        Settle();
        QTimer::singleShot(0, [&] {
            auto *dialog = window.findChild<QFileDialog *>("dlgOpenFile");
            if (dialog == nullptr) { // never leave a modal loop waiting for nobody
                if (QWidget *modal = QApplication::activeModalWidget())
                    modal->close();
                FAIL() << "no file dialog";
            }
            filters = dialog->nameFilters();
            title = dialog->windowTitle();
            dialog->selectFile(QString::fromStdString(chosen));
            QMetaObject::invokeMethod(dialog, "accept");
        });
        QTest::mouseClick(ui.btnFileName, Qt::LeftButton); // the dialog opens, the timer answers it
        EXPECT_EQ(ui.edFileName->text().toStdString(), chosen);
        EXPECT_EQ(window.minimumSize(), QSize(640, 450)); // as laid out before the categories' 50
        Click(ui.btnCancel);
    });
    wizard.ConfirmCancelExit = false;
    EXPECT_EQ(wizard.Execute(), TModalResult::mrCancel);
    EXPECT_EQ(title, "Select a file for data importing");
    ASSERT_EQ(filters.size(), 2);
    EXPECT_TRUE(filters[0].contains("*.DBF")) << filters[0].toStdString();
}

// What Execute returns, what it runs, and the order of its events.
TEST_F(WizardWindowTest, CancelOkSetupOnlyCloseHandlerAndErrors)
{
    const std::string file = dir.File("people.csv");
    WriteFile(file, "1;Ann\r\n");
    std::vector<std::string> events;
    wizard.OnBeforeExecute = [&](TVxImportBaseComponent *) { events.push_back("before"); };
    wizard.OnShow = [&](QWidget *) { events.push_back("show"); };
    wizard.OnClose = [&](TVxIWizardDlg *, TModalResult &) { events.push_back("close"); };
    wizard.OnAfterExecute = [&](TVxImportBaseComponent *) { events.push_back("after"); };
    wizard.SourceFileName = file;
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.Mappings = {"ID=Field1", "NAME=Field2"};
    auto finish = [](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        QTest::keyClick(&window, Qt::Key_9, Qt::AltModifier);
        Click(ui.btnCancel);
    };

    {
        TMessageRecorder quit(true); // Yes, leave the wizard
        WhileWizardShows(wizard, [](TfrmVxIWizard &, Ui::TfrmVxIWizard &ui) { Click(ui.btnCancel); });
        EXPECT_EQ(wizard.Execute(), TModalResult::mrCancel);
        ASSERT_EQ(quit.Messages.size(), 1u);
        EXPECT_EQ(quit.Messages[0].rfind("The Import Wizard has not completed.", 0), 0u);
        EXPECT_EQ(events, (std::vector<std::string>{"before", "show", "close", "after"}));
    }
    {
        wizard.SetupSpecificationOnly = true;
        WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
            QTest::keyClick(&window, Qt::Key_4, Qt::AltModifier);
            TypeInto(ui.edLastRow, "7");
            QTest::keyClick(&window, Qt::Key_9, Qt::AltModifier);
            EXPECT_EQ(ui.btnCancel->text(), "&OK");
            Click(ui.btnCancel);
        });
        EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
        EXPECT_EQ(wizard.RowLast, 7); // the settings came back, nothing ran
        wizard.SetupSpecificationOnly = false;
        wizard.RowLast = 2147483647;
    }
    {
        wizard.OnClose = [](TVxIWizardDlg *, TModalResult &action) { action = TModalResult::mrCancel; };
        WhileWizardShows(wizard, finish);
        EXPECT_EQ(wizard.Execute(), TModalResult::mrCancel);
        wizard.OnClose = nullptr;
    }
    EXPECT_TRUE(rows().empty());
    {
        TMessageRecorder error;
        wizard.Mode = TImportMode::imUpdate; // and no key field: the run refuses
        WhileWizardShows(wizard, [](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
            QTest::keyClick(&window, Qt::Key_9, Qt::AltModifier);
            window.Form().rgModeType->SetItemIndex(1);
            Click(ui.btnCancel);
        });
        EXPECT_EQ(wizard.Execute(), TModalResult::mrAbort);
        EXPECT_EQ(error.Messages, (std::vector<std::string>{"An error has occurred during the data import process."}));
        EXPECT_EQ(error.Details, (std::vector<std::string>{"Property DatasetKeys wasn't specified."}));
    }
    {
        wizard.Mode = TImportMode::imAppend;
        WhileWizardShows(wizard, finish);
        EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
        destination.Transaction.Commit();
        EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann"}));
    }
}

} // namespace

// A Lotus 1-2-3 worksheet and a Quattro Pro notebook imported through the wizard the way
// a user goes: type chosen, file named, the rows typed, the preview and the proposed
// mappings looked at, executed; then the rows in the table.

#include "FirebirdTestSupport.h"
#include "TestData.h"
#include "WizardTestSupport.h"

#include <gtest/gtest.h>

namespace {

using WizardLotusTest = TWizardOverPeople;

QString CellText(QTableWidget *grid, int row, int column)
{
    const QTableWidgetItem *item = grid->item(row, column);
    return item ? item->text() : QString("<none>");
}

// The source column of a destination field typed into the mapping grid's editor.
void MapField(Ui::TfrmVxIWizard &ui, int row, const QString &column)
{
    ui.sgMappings->setCurrentCell(row, 2);
    TypeInto(ui.cbFields->lineEdit(), column);
    QTest::keyClick(ui.cbFields->lineEdit(), Qt::Key_Return);
    Settle();
}

TEST_F(WizardLotusTest, RowsOfAWorksheetMappedByColumnLetters)
{
    wizard.TableType = TTableTypeImport::teWKS;
    TMessageRecorder messages;
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 2, steps);
        TypeInto(ui.edFileName, QString::fromStdString(TestDataFolder("lotus") + "/KSBASE.WK1"));
        NextTo(window, ui, 4, steps);
        TypeInto(ui.edFirstRow, "3");
        TypeInto(ui.edLastRow, "5");
        NextTo(window, ui, 6, steps);
        ASSERT_EQ(window.CurrentStep(), 6);
        // The worksheet's cells in the file preview: OBSERV numbers, SOIL letters.
        ASSERT_GE(ui.sgPreviewFile->rowCount(), 2);
        ASSERT_GE(ui.sgPreviewFile->columnCount(), 6);
        EXPECT_EQ(CellText(ui.sgPreviewFile, 2, 1), "4001");
        EXPECT_EQ(CellText(ui.sgPreviewFile, 2, 5), "c");
        NextTo(window, ui, 7, steps);
        // The grid lists the destination's fields, not the worksheet's header names.
        ASSERT_EQ(ui.sgMappings->rowCount(), 3);
        EXPECT_EQ(CellText(ui.sgMappings, 1, 1), "ID");
        EXPECT_EQ(CellText(ui.sgMappings, 2, 1), "NAME");
        MapField(ui, 1, "A");
        MapField(ui, 2, "F");
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=A", "NAME=F"}));
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=A", "NAME=F"}));
        NextTo(window, ui, 9, steps);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(messages.Messages, std::vector<std::string>{});
    EXPECT_EQ(steps.front(), 1);
    EXPECT_EQ(rows(), (std::vector<std::string>{"4001:l", "4002:l", "4003:sal"}));
}

TEST_F(WizardLotusTest, TheNumbersOfAWindowsNotebook)
{
    wizard.TableType = TTableTypeImport::teQuattro;
    wizard.SourceFileName = TestDataFolder("quattro") + "/testQuattro.wb1";
    TMessageRecorder messages;
    std::vector<int> steps;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        NextTo(window, ui, 4, steps);
        TypeInto(ui.edFirstRow, "2");
        NextTo(window, ui, 6, steps);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(CellText(ui.sgPreviewFile, 2, 3), "10");
        NextTo(window, ui, 7, steps);
        MapField(ui, 1, "A");
        MapField(ui, 2, "C");
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=A", "NAME=C"}));
        NextTo(window, ui, 9, steps);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(messages.Messages, std::vector<std::string>{});
    const std::vector<std::string> all = rows();
    ASSERT_EQ(all.size(), 10u);
    EXPECT_EQ(all.front(), "1:10");
    EXPECT_EQ(all.back(), "10:10");
}

} // namespace

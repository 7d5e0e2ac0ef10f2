// Access databases and ODBC connections in the wizard: the table box lists the tables of
// the file or connection typed in step 2, the "..." button builds a connection string,
// and the chosen table is imported down to the rows of the destination.

#include "FirebirdTestSupport.h"
#include "OdbcTestDatabase.h"
#include "TestData.h"
#include "WizardTestSupport.h"

#include <QAbstractItemView>
#include <QLineEdit>
#include <QListWidget>

#include <gtest/gtest.h>

namespace {

using WizardDatabaseSourcesTest = TWizardOverPeople;

// Opens the table box's list as a click on its arrow does, and reads what it offers.
QStringList offeredTables(QComboBox *box)
{
    Settle();
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() - 6, box->height() / 2));
    Settle();
    QStringList names;
    for (int i = 0; i < box->count(); ++i)
        names << box->itemText(i);
    box->hidePopup();
    return names;
}

TEST_F(WizardDatabaseSourcesTest, AnAccessTableChosenFromTheList)
{
    const std::string db = dir.File("access.fdb");
    CreateDatabase(db, {"CREATE TABLE T (ID INTEGER, UNICODE VARCHAR(60))"});
    TestDestination table;
    table.Open(db, "T", {"insert into T (ID, UNICODE) values (:ID, :UNICODE)"}, {}, {});
    wizard.DataSet = &table.Query;
    wizard.TableType = TTableTypeImport::teAccess;
    QStringList offered;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        Click(ui.btnNext);
        ASSERT_EQ(window.CurrentStep(), 2);
        TypeInto(ui.edFileName, QString::fromStdString(TestDataFolder("access") + "/testUnicodeCompV2003.mdb"));
        offered = offeredTables(ui.cbTableNames);
        TypeInto(ui.cbTableNames->lineEdit(), "Table");
        NextTo(window, ui, 6);
        ASSERT_EQ(window.CurrentStep(), 6);
        EXPECT_EQ(ui.sgPreviewFile->item(4, 2)->text(), "\u041C\u0438\u0440");
        EXPECT_EQ(window.MappingList(), (TStringList{"ID=ID", "UNICODE=Unicode"}));
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    table.Transaction.Commit();
    EXPECT_EQ(offered, QStringList{"Table"});
    EXPECT_EQ(
        QueryColumn(db, "SELECT ID || ':' || UNICODE FROM T WHERE ID <= 3 ORDER BY ID"),
        (std::vector<std::string>{"1:only ascii chars", "2:\u00E4\u00E4kk\u00F6si\u00E4", "3:\u041C\u0438\u0440"}));
    EXPECT_EQ(QueryColumn(db, "SELECT COUNT(*) FROM T"), (std::vector<std::string>{"8"}));
}

TEST_F(WizardDatabaseSourcesTest, AnODBCTableThroughTheConnectionDialog)
{
    const std::string connection = WriteOdbcTestDatabase(dir.File("people.sqlite"));
    wizard.TableType = TTableTypeImport::teADO;
    QStringList offered;
    WhileWizardShows(wizard, [&](TfrmVxIWizard &window, Ui::TfrmVxIWizard &ui) {
        Click(ui.btnNext);
        ASSERT_EQ(window.CurrentStep(), 2);
        WhenModalOpens([&](QWidget *dialog) {
            EXPECT_NE(dialog->findChild<QListWidget *>("lbDrivers"), nullptr);
            TypeInto(dialog->findChild<QLineEdit *>("edConnection"), QString::fromStdString(connection));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        Click(ui.btnFileName);
        EXPECT_EQ(ui.edFileName->text().toStdString(), connection);
        offered = offeredTables(ui.cbTableNames);
        TypeInto(ui.cbTableNames->lineEdit(), "people");
        NextTo(window, ui, 9);
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrOk);
    destination.Transaction.Commit();
    EXPECT_EQ(offered, (QStringList{"people", "adults"})); // tables, then views
    EXPECT_EQ(rows(), (std::vector<std::string>{"1:Ann", "2:Zo\xC3\xAB"}));
}

} // namespace

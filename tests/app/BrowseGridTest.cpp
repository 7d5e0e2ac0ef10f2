#include "AppTestSupport.h"
#include "app/DBNavigator.h"
#include "app/DataSetTableModel.h"
#include "app/JvDBGrid.h"
#include "values/RegionalSettings.h"
#include "app/SelectColumnsForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest/QTest>

namespace {

using Btn = TDBNavigator::TNavigateBtn;

class BrowseGridTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        RegionalSettings::override(TFormatSettings{});
        MainWindowTest::SetUp();
        db = dir.File("browse.fdb");
        std::vector<std::string> ddl = {"CREATE TABLE DIGITS (D INTEGER)"};
        for (int d = 0; d < 10; ++d)
            ddl.push_back("INSERT INTO DIGITS VALUES (" + std::to_string(d) + ")");
        ddl.insert(ddl.end(),
                   {"CREATE VIEW MILLION (N) AS SELECT A.D + 10 * B.D + 100 * C.D + 1000 * E.D + 10000 * F.D + "
                    "100000 * G.D FROM DIGITS A, DIGITS B, DIGITS C, DIGITS E, DIGITS F, DIGITS G",
                    "CREATE TABLE PEOPLE (ID INTEGER, NAME VARCHAR(20), PRICE NUMERIC(9,2), "
                    "NOTE BLOB SUB_TYPE TEXT, PIC BLOB SUB_TYPE 0)",
                    "INSERT INTO PEOPLE VALUES (1, 'Ann', 12.5, 'two' || ASCII_CHAR(10) || 'lines', 'bytes')",
                    "INSERT INTO PEOPLE VALUES (2, NULL, NULL, NULL, NULL)",
                    "INSERT INTO PEOPLE VALUES (3, 'Cid', -0.25, 'x', NULL)"});
        CreateDatabase(db, ddl);
        form->resize(900, 700);
        form->show();
        enterLocalDatabase(db);
        clickConnect();
        grid = control<TJvDBGrid>("JvDBGrid1");
        navigator = control<TDBNavigator>("DBNavigator1");
        model = grid->DataSource();
    }

    void TearDown() override
    {
        MainWindowTest::TearDown();
        RegionalSettings::override(RegionalSettings::fromLocale(""));
    }

    QString cell(int row, int column) const { return model->index(row, column).data().toString(); }
    std::vector<bool> navigatorEnabled() const
    {
        std::vector<bool> enabled;
        for (Btn b : {Btn::nbFirst, Btn::nbPrior, Btn::nbNext, Btn::nbLast})
            enabled.push_back(navigator->Button(b)->isEnabled());
        return enabled;
    }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        const QRect rect = grid->visualRect(model->index(row, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, modifiers, rect.center());
    }

    std::string db;
    TJvDBGrid *grid = nullptr;
    TDBNavigator *navigator = nullptr;
    TDataSetTableModel *model = nullptr;
};

TEST_F(BrowseGridTest, AMillionRowsOpenAtOnceAndArriveAsTheViewScrolls)
{
    ASSERT_TRUE(messages.Messages.empty()) << messages.Texts().join('\n').toStdString();
    chooseTable(QStringLiteral("MILLION"));
    EXPECT_EQ(control<QLabel>("lblRecordCount")->text(), QStringLiteral("1000000 records"));
    QApplication::processEvents();
    const int shown = model->rowCount();
    EXPECT_GT(shown, 0);
    EXPECT_LE(shown, 2 * TDataSetTableModel::FetchBatch);
    EXPECT_FALSE(form->IBQuery2.AllFetched());

    grid->scrollToBottom();
    QApplication::processEvents();
    EXPECT_GT(model->rowCount(), shown);
    EXPECT_LE(model->rowCount(), shown + 2 * TDataSetTableModel::FetchBatch);
    EXPECT_EQ(model->rowCount(), form->IBQuery2.RecordCount());
    EXPECT_EQ(form->IBQuery2.RecNo(), 1); // fetching for the view leaves the cursor alone
}

TEST_F(BrowseGridTest, ReadOnlyRowsAsTheFieldsShowThem)
{
    chooseTable(QStringLiteral("PEOPLE"));
    QApplication::processEvents();
    ASSERT_EQ(model->rowCount(), 3);
    ASSERT_EQ(model->columnCount(), 5);
    QStringList titles;
    for (int c = 0; c < 5; ++c)
        titles << model->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, (QStringList{"ID", "NAME", "PRICE", "NOTE", "PIC"}));

    const std::vector<QStringList> rows = {
        {"1", "Ann", "12.5", "two lines", "(BLOB)"},
        {"2", "", "", "", ""},
        {"3", "Cid", "-0.25", "x", ""},
    };
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 5; ++c)
            EXPECT_EQ(cell(r, c), rows[r][c]) << r << "," << c;
    EXPECT_EQ(model->index(0, 2).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    EXPECT_EQ(model->index(0, 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft | Qt::AlignVCenter));
    EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_EQ(model->index(3, 0).data(), QVariant());

    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(grid->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(grid->horizontalHeader()->sectionResizeMode(1), QHeaderView::Interactive);
    grid->horizontalHeader()->resizeSection(1, 211);
    EXPECT_EQ(grid->columnWidth(1), 211);
}

TEST_F(BrowseGridTest, NavigatorGridAndCursorFollowEachOther)
{
    chooseTable(QStringLiteral("PEOPLE"));
    QApplication::processEvents();
    EXPECT_EQ(navigatorEnabled(), (std::vector<bool>{false, false, true, true}));
    EXPECT_EQ(grid->currentIndex().row(), 0);
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), QString(QChar(0x25B6)));

    navigator->Button(Btn::nbNext)->click();
    EXPECT_EQ(form->IBQuery2.RecNo(), 2);
    EXPECT_EQ(grid->currentIndex().row(), 1);
    EXPECT_EQ(model->headerData(1, Qt::Vertical).toString(), QString(QChar(0x25B6)));
    EXPECT_EQ(model->headerData(0, Qt::Vertical).toString(), QString());

    navigator->Button(Btn::nbLast)->click();
    EXPECT_EQ(form->IBQuery2.RecNo(), 3);
    EXPECT_EQ(grid->currentIndex().row(), 2);
    EXPECT_EQ(navigatorEnabled(), (std::vector<bool>{true, true, false, false}));

    navigator->Button(Btn::nbFirst)->click();
    EXPECT_EQ(form->IBQuery2.RecNo(), 1);
    EXPECT_EQ(navigatorEnabled(), (std::vector<bool>{false, false, true, true}));

    clickRow(2);
    EXPECT_EQ(form->IBQuery2.RecNo(), 3);
    clickRow(0, Qt::ControlModifier);
    EXPECT_EQ(form->IBQuery2.RecNo(), 1);
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 2);

    navigator->Button(Btn::nbNext)->click();
    EXPECT_EQ(form->IBQuery2.RecNo(), 2);
    EXPECT_EQ(grid->selectionModel()->selectedRows().size(), 1);
    EXPECT_TRUE(messages.Messages.empty()) << messages.Texts().join('\n').toStdString();

    control<QPushButton>("btnDisconnect")->click();
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_EQ(model->columnCount(), 0);
    EXPECT_EQ(navigatorEnabled(), (std::vector<bool>{false, false, false, false}));
}

TEST(SelectColumnsForm, AtLeastOneColumnStaysVisible)
{
    TMessageRecorder messages;
    TSelectColumnsForm chooser;
    chooser.SetColumns({{"Title A", "A", true}, {"Title B", "B", false}});
    auto *list = chooser.findChild<QListWidget *>(QStringLiteral("lbColumns"));
    auto *realNames = chooser.findChild<QCheckBox *>(QStringLiteral("ckbRealNames"));
    auto *ok = chooser.findChild<QPushButton *>(QStringLiteral("btnOK"));
    ASSERT_TRUE(list && realNames && ok);
    EXPECT_EQ(chooser.windowTitle(), QStringLiteral("Select columns"));
    EXPECT_EQ(realNames->text(), QStringLiteral("[Real Field Name]"));
    EXPECT_EQ(ok->text(), QStringLiteral("&OK"));
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Title A"));
    realNames->click();
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("A"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("B"));

    chooser.show();
    list->item(0)->setCheckState(Qt::Unchecked);
    ok->click();
    EXPECT_EQ(messages.Texts(), QStringList{QStringLiteral("At least 1 column must be visible !")});
    EXPECT_TRUE(chooser.isVisible());

    list->item(1)->setCheckState(Qt::Checked);
    ok->click();
    EXPECT_FALSE(chooser.isVisible());
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.Visible(), (std::vector<bool>{false, true}));
}

TEST_F(BrowseGridTest, TitleButtonHidesColumnsUntilTheNextTable)
{
    chooseTable(QStringLiteral("PEOPLE"));
    QApplication::processEvents();
    QToolButton *title = grid->TitleButton();
    EXPECT_TRUE(title->isVisible());
    EXPECT_LE(title->geometry().left(), grid->frameWidth());
    EXPECT_LE(title->geometry().top(), grid->frameWidth());

    QTimer::singleShot(0, [] {
        auto *chooser = qobject_cast<TSelectColumnsForm *>(QApplication::activeModalWidget());
        ASSERT_NE(chooser, nullptr);
        auto *list = chooser->findChild<QListWidget *>(QStringLiteral("lbColumns"));
        list->item(1)->setCheckState(Qt::Unchecked);
        list->item(3)->setCheckState(Qt::Unchecked);
        chooser->findChild<QPushButton *>(QStringLiteral("btnOK"))->click();
    });
    title->click();
    EXPECT_EQ(grid->ColumnsVisible(), (std::vector<bool>{true, false, true, false, true}));

    chooseTable(QStringLiteral("DIGITS"));
    chooseTable(QStringLiteral("PEOPLE"));
    EXPECT_EQ(grid->ColumnsVisible(), std::vector<bool>(5, true));
}

} // namespace

#include "Files.h"
#include "engine/MemoryDataSet.h"
#include "TempDir.h"
#include "TestData.h"
#include "values/RegionalSettings.h"
#include "WizardTestSupport.h"

#include <QMenu>

#include <set>

#include <gtest/gtest.h>

namespace {

using T = TTableTypeImport;

// The window alone, shown without Execute's modal loop, over a destination in memory.
class WizardStepsTest : public TWizardOverMemory {
protected:
    Ui::TfrmVxIWizard &Open() { return OpenWizardWindow(wizard, window); }

    // Next (or Back) until nothing changes, with the steps passed on the way.
    std::vector<int> Walk(QPushButton *button)
    {
        std::vector<int> steps{window->CurrentStep()};
        for (;;) {
            Click(button);
            if (window->CurrentStep() == steps.back())
                return steps;
            steps.push_back(window->CurrentStep());
        }
    }
};

struct SequenceCase {
    const char *name;
    T type;
    bool fixed;
    std::vector<int> forward, backward;
};

TEST_F(WizardStepsTest, EachSourceTypeWalksItsOwnSteps)
{
    const std::vector<SequenceCase> cases = {
        {"delimited", T::teText, false, {1, 2, 3, 4, 6, 7, 8, 9}, {9, 8, 7, 6, 4, 3, 2, 1}},
        {"fixed", T::teText, true, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, 1}},
        {"dBase", T::teDBase, false, {1, 2, 6, 7, 8, 9}, {9, 8, 7, 6, 2, 1}},
        {"sheet", T::teXLS, false, {1, 2, 4, 6, 7, 8, 9}, {9, 8, 7, 6, 4, 2, 1}},
        {"Paradox", T::teParadox, false, {1, 2, 6, 7, 8, 9}, {9, 8, 7, 6, 2, 1}},
    };
    for (const SequenceCase &c : cases) {
        SCOPED_TRACE(c.name);
        wizard.TableType = c.type;
        wizard.Fixed = c.fixed;
        wizard.SourceFileName = c.type == T::teDBase     ? DbfData("people.dbf")
                                : c.type == T::teXLS     ? XlsData("three-sheets.xlsx")
                                : c.type == T::teParadox ? ParadoxData("db-AREACODES.DB")
                                                         : text;
        wizard.Mappings = {"ID=Field1", "NAME=Field2"};
        Ui::TfrmVxIWizard &ui = Open();
        EXPECT_EQ(Walk(ui.btnNext), c.forward);
        if (c.type != T::teText) { // the file preview showed the source's rows
            EXPECT_GT(ui.sgPreviewFile->rowCount(), 2);
        }
        EXPECT_EQ(Walk(ui.btnPrev), c.backward);
    }
    EXPECT_TRUE(messages.Messages.empty());
}

TEST_F(WizardStepsTest, AltDigitWalksAndStopsWhereAStepRefuses)
{
    wizard.TableType = T::teDBase;
    wizard.SourceFileName = DbfData("people.dbf");
    TMemoryDataSet unrelated({{"CODE", TFieldType::ftInteger}});
    wizard.DataSet = &unrelated; // nothing maps by name: step 8 is refused
    Open();
    QTest::keyClick(window.get(), Qt::Key_9, Qt::AltModifier);
    EXPECT_EQ(window->CurrentStep(), 7);
    EXPECT_EQ(messages.Messages, (std::vector<std::string>{"You did not map any fields."}));

    wizard.DataSet = &destination;
    wizard.Mappings = {"NAME=NAME"};
    Open();
    QTest::keyClick(window.get(), Qt::Key_9, Qt::AltModifier);
    EXPECT_EQ(window->CurrentStep(), 9);
    QTest::keyClick(window.get(), Qt::Key_2, Qt::AltModifier);
    EXPECT_EQ(window->CurrentStep(), 2);
}

struct CheckCase {
    const char *name;
    T type;
    std::string file;
    std::string message; // empty: step 3 (or what follows it) is reached
};

TEST_F(WizardStepsTest, StepTwoRefusesAMissingSource)
{
    const std::vector<CheckCase> cases = {
        {"empty", T::teText, "", "Property File Name wasn't specified."},
        {"no such file", T::teText, "/no/such/file.txt", "Property File Name wasn't specified."},
        {"a file", T::teText, text, ""},
        {"clipboard without a name", T::teClipboard, "", "Property File Name wasn't specified."},
        {"clipboard", T::teClipboard, "clipboard", ""},
        {"connection without a table", T::teADO, "Data Source=x", "Property Table Name wasn't specified."},
    };
    for (const CheckCase &c : cases) {
        SCOPED_TRACE(c.name);
        wizard.TableType = c.type;
        wizard.SourceFileName = c.file;
        messages.Messages.clear();
        Ui::TfrmVxIWizard &ui = Open();
        Click(ui.btnNext);
        EXPECT_EQ(ui.edFileName->isEnabled(), c.type != T::teClipboard);
        Click(ui.btnNext);
        EXPECT_EQ(window->CurrentStep() == 2, !c.message.empty());
        EXPECT_EQ(messages.Messages,
                  c.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.message});
    }
}

TEST_F(WizardStepsTest, SPSSGoesOnToItsFileLikeATable)
{
    wizard.TableType = T::teSPSS;
    Ui::TfrmVxIWizard &ui = Open();
    Click(ui.btnNext);
    EXPECT_EQ(window->CurrentStep(), 2);
    EXPECT_TRUE(messages.Messages.empty());
}

struct ModeCase {
    const char *name;
    bool key;
    TImportModes hidden;
    std::vector<bool> enabled; // Append, Update, Append/Update, Delete, Copy, Append New
};

TEST_F(WizardStepsTest, ModesNeedAKeyAndHiddenModesStayDisabled)
{
    using M = TImportMode;
    const std::vector<ModeCase> cases = {
        {"no key", false, {}, {true, false, false, false, true, false}},
        {"a key", true, {}, {true, true, true, true, true, true}},
        {"a key, three hidden",
         true,
         {M::imAppendUpdate, M::imCopy, M::imAppendNewOnly},
         {true, true, false, true, false, false}},
    };
    for (const ModeCase &c : cases) {
        SCOPED_TRACE(c.name);
        wizard.SourceFileName = text;
        wizard.Mappings = {"ID=Field1", "NAME=Field2"};
        wizard.DatasetKeys = c.key ? "ID" : "";
        wizard.UserAccess.HiddenImportModes = c.hidden;
        Ui::TfrmVxIWizard &ui = Open();
        QTest::keyClick(window.get(), Qt::Key_9, Qt::AltModifier);
        ASSERT_EQ(window->CurrentStep(), 9);
        std::vector<bool> enabled;
        for (int i = 0; i < ui.rgModeType->Count(); ++i)
            enabled.push_back(ui.rgModeType->ItemEnabled(i));
        EXPECT_EQ(enabled, c.enabled);
        EXPECT_EQ(ui.rgModeType->Count(), 6); // all stay visible
    }
}

TEST_F(WizardStepsTest, EverySettingGoesIntoTheWindowAndComesBack)
{
    wizard.TableType = T::teXLS;
    wizard.SourceFileName = "/data/book.xls";
    wizard.CharacterSet = TVxICharacterSet::csiASCII_MSDOS;
    wizard.SetRecordSeparatorCustom("||");
    wizard.SetTextQualifierCustom('#');
    wizard.SetFieldDelimiterCustom('|');
    wizard.Fixed = true;
    wizard.RowFirst = 3;
    wizard.RowLast = 2147483647;
    wizard.RowFieldNames = 2;
    wizard.Mappings = {"ID=[Order No]", "NAME=UPPER(B)"};
    wizard.DataFormats.DateOrder = TVxIDateOrder::doYMD;
    wizard.DataFormats.DateSeparator = '-';
    wizard.DataFormats.TimeSeparator = '.';
    wizard.DataFormats.FourDigitYear = false;
    wizard.DataFormats.LeadingZerosInDate = false;
    wizard.DataFormats.DecimalSeparator = ',';
    wizard.DataFormats.ThousandSeparator = ' ';
    wizard.DataFormats.CurrencyString = "EUR";
    wizard.DataFormats.BooleanTrue = "ja";
    wizard.DataFormats.BooleanFalse = "";
    wizard.Mode = TImportMode::imCopy;
    wizard.TableName = "PEOPLE";
    wizard.LoadCondition.LoadWhen = "ID > 1";
    wizard.LoadCondition.SkipIf = "";
    Ui::TfrmVxIWizard &ui = Open();
    EXPECT_TRUE(ui.edLastRow->text().isEmpty());
    EXPECT_TRUE(ui.cbLoadWhen->isChecked());
    EXPECT_FALSE(ui.cbSkipIf->isChecked());
    EXPECT_TRUE(ui.edFieldNameRow->isVisibleTo(ui.pnlStep4));

    TVxIWizardDlg back;
    window->ApplyToImport(&back);
    EXPECT_EQ(back.TableType, T::teXLS);
    EXPECT_EQ(back.SourceFileName, "/data/book.xls");
    EXPECT_EQ(back.CharacterSet, TVxICharacterSet::csiASCII_MSDOS);
    EXPECT_EQ(back.RecordSeparator(), TVxIRecordSeparator::rsCustom);
    EXPECT_EQ(back.RecordSeparatorCustom(), "||");
    EXPECT_EQ(back.TextQualifierCustom(), '#');
    EXPECT_EQ(back.FieldDelimiterCustom(), '|');
    EXPECT_TRUE(back.Fixed);
    EXPECT_EQ(back.RowFirst, 3);
    EXPECT_EQ(back.RowLast, 2147483647);
    EXPECT_EQ(back.RowFieldNames, 2);
    EXPECT_EQ(back.Mappings, wizard.Mappings);
    EXPECT_EQ(back.DataFormats.DateOrder, TVxIDateOrder::doYMD);
    EXPECT_EQ(back.DataFormats.DateSeparator, '-');
    EXPECT_EQ(back.DataFormats.TimeSeparator, '.');
    EXPECT_FALSE(back.DataFormats.FourDigitYear);
    EXPECT_FALSE(back.DataFormats.LeadingZerosInDate);
    EXPECT_EQ(back.DataFormats.DecimalSeparator, ',');
    EXPECT_EQ(back.DataFormats.ThousandSeparator, ' ');
    EXPECT_EQ(back.DataFormats.CurrencyString, "EUR");
    EXPECT_EQ(back.DataFormats.BooleanTrue, "ja");
    EXPECT_EQ(back.DataFormats.BooleanFalse, "");
    EXPECT_EQ(back.Mode, TImportMode::imCopy);
    EXPECT_EQ(back.TableName, "PEOPLE");
    EXPECT_EQ(back.LoadCondition.LoadWhen, "ID > 1");
    EXPECT_EQ(back.LoadCondition.SkipIf, "");

    // Empty boxes: the system's decimal separator, but no date separator at all.
    ui.edDecimalSymbol->clear();
    ui.edDateDelimiter->clear();
    // Custom, then back to DMY: the custom format stays as it was.
    back.DataFormats.CustomDateTimeFormat = "yyyy";
    ui.cbDateOrder->setCurrentIndex(ui.cbDateOrder->count() - 1);
    EXPECT_TRUE(ui.pnlCustomDate->isVisibleTo(ui.gbFormat));
    ui.cbDateOrder->setCurrentIndex(1);
    EXPECT_FALSE(ui.pnlCustomDate->isVisibleTo(ui.gbFormat));
    window->ApplyToImport(&back);
    EXPECT_EQ(back.DataFormats.DecimalSeparator, RegionalSettings::current().DecimalSeparator);
    EXPECT_EQ(back.DataFormats.DateSeparator, '\0');
    EXPECT_EQ(back.DataFormats.DateOrder, TVxIDateOrder::doDMY);
    EXPECT_EQ(back.DataFormats.CustomDateTimeFormat, "yyyy");
}

TEST_F(WizardStepsTest, TypingASymbolChoosesOtherSymbolAndFirstRowTwoAsksForTheNamesRow)
{
    wizard.SourceFileName = text;
    Ui::TfrmVxIWizard &ui = Open();
    Click(ui.btnNext);
    Click(ui.btnNext);
    ASSERT_EQ(window->CurrentStep(), 3);
    Click(ui.rgSeparator->Button(0));
    EXPECT_FALSE(ui.edSymbol->isEnabled());
    ui.edSymbol->setEnabled(true); // a user reaches the box by its item: the same handling
    TypeInto(ui.edSymbol, "|");
    EXPECT_EQ(ui.rgSeparator->ItemIndex(), 5);
    Click(ui.rbText2);
    Click(ui.btnNext);
    TypeInto(ui.edFirstRow, "2");
    EXPECT_TRUE(ui.lblFieldNameRow->isVisible());
    EXPECT_TRUE(ui.pbBreaks->Breaks().empty());
    TVxIWizardDlg back;
    window->ApplyToImport(&back);
    EXPECT_EQ(back.FieldDelimiter(), TVxIFieldDelimiter::fdCustom);
    EXPECT_EQ(back.FieldDelimiterCustom(), '|');
}

struct RestoreCase {
    TStringList mappings;
    std::vector<int> breaks;
};

TEST_F(WizardStepsTest, FixedWidthMappingsBringTheirBreaksBack)
{
    const std::vector<RestoreCase> cases = {
        {{"ID=Text1-10", "NAME=Text11-25"}, {10, 25}},
        {{"ID=Text5-10"}, {5, 10}},
    };
    for (const RestoreCase &c : cases) {
        wizard.Fixed = true;
        wizard.Mappings = c.mappings;
        Open();
        EXPECT_EQ(window->Form().pbBreaks->Breaks(), c.breaks);
    }
}

TEST_F(WizardStepsTest, ThePopupListMovesAMappingAndBracketsNames)
{
    WriteFile(text, "Order Date;Name;Id\r\n2020-01-01;Ann;1\r\n");
    wizard.SourceFileName = text;
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.TableType = T::teXLS; // by-name sources keep their column names
    wizard.TableType = T::teText;
    Ui::TfrmVxIWizard &ui = Open();
    for (int i = 0; i < 4; ++i)
        Click(ui.btnNext);
    ASSERT_EQ(window->CurrentStep(), 6);
    Click(ui.imgAutoArrange);
    EXPECT_EQ(window->MappingList(), (TStringList{"ID=Field1", "NAME=Field2"}));

    // Column 2 goes to ID instead: NAME loses it.
    QMenu *menu = window->findChild<QMenu *>("pmFieldList");
    ASSERT_NE(menu, nullptr);
    const QRect header = ui.sgPreviewFile->visualRect(ui.sgPreviewFile->model()->index(0, 2));
    QTimer::singleShot(0, [menu] {
        for (QAction *action : menu->actions())
            if (action->text() == "ID")
                action->trigger();
        menu->close();
    });
    QTest::mouseClick(ui.sgPreviewFile->viewport(), Qt::LeftButton, {}, header.center());
    Settle();
    EXPECT_EQ(window->MappingList(), (TStringList{"ID=Field2", "NAME="}));

    EXPECT_EQ(BracketSourceName("Order Date"), "[Order Date]");
    EXPECT_EQ(BracketSourceName("in/out"), "[in/out]");
    EXPECT_EQ(BracketSourceName("[Order Date]"), "[Order Date]");
    EXPECT_EQ(BracketSourceName("\"Order Date\""), "\"Order Date\"");
    EXPECT_EQ(BracketSourceName("Name"), "Name");
}

TEST_F(WizardStepsTest, TheMappingGridKeepsKeysAndEditsSources)
{
    wizard.SourceFileName = text;
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.Mappings = {"ID=Field1", "NAME=Field2"};
    wizard.RowFirst = 2;
    Ui::TfrmVxIWizard &ui = Open();
    QTest::keyClick(window.get(), Qt::Key_7, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 7);
    // Mark ID as key with the floating check box.
    ui.sgMappings->setCurrentCell(1, 3);
    Settle();
    ASSERT_TRUE(ui.cbKey->isVisible());
    Click(ui.cbKey);
    ui.sgMappings->setFocus();
    Settle();
    // Type an expression for NAME.
    ui.sgMappings->setCurrentCell(2, 2);
    Settle();
    ASSERT_TRUE(ui.pnlFields->isVisible());
    ui.cbFields->lineEdit()->selectAll();
    QTest::keyClicks(ui.cbFields->lineEdit(), "UPPER(Field2)");
    ui.sgMappings->setFocus();
    Settle();
    EXPECT_EQ(window->MappingList(), (TStringList{"ID=Field1", "NAME=UPPER(Field2)"}));

    // Back to step 6 and on again: the key mark is still there.
    Click(ui.btnPrev);
    Click(ui.btnNext);
    Click(ui.btnNext);
    ASSERT_EQ(window->CurrentStep(), 8);
    EXPECT_EQ(ui.sgPreview->item(1, 2)->text(), "ANN");
    TVxIWizardDlg back;
    window->ApplyToImport(&back);
    EXPECT_EQ(back.DatasetKeys, "ID");
}

TEST_F(WizardStepsTest, TheMappingGridWorksWithTheKeyboardAlone)
{
    wizard.SourceFileName = text;
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.Mappings = {"ID=", "NAME="};
    wizard.RowFirst = 2;
    Ui::TfrmVxIWizard &ui = Open();
    QTest::keyClick(window.get(), Qt::Key_7, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 7);
    QTableWidget *grid = ui.sgMappings;
    grid->setFocus();
    grid->setCurrentCell(1, 1);
    Settle();
    auto type = [](const char *keys) { QTest::keyClicks(QApplication::focusWidget(), keys); };
    auto press = [](Qt::Key key) {
        QTest::keyClick(QApplication::focusWidget(), key);
        Settle();
    };
    press(Qt::Key_Right); // into the source column: its editor opens
    ASSERT_EQ(QApplication::focusWidget(), ui.cbFields);
    type("Field1");
    press(Qt::Key_Down); // kept, and on to NAME's source
    type("Field2");
    press(Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), grid);
    press(Qt::Key_Right); // the key column
    ASSERT_EQ(QApplication::focusWidget(), ui.cbKey);
    press(Qt::Key_Space);
    press(Qt::Key_Return);
    press(Qt::Key_F2); // opens the key editor again; Escape leaves it as it is
    press(Qt::Key_Escape);
    EXPECT_EQ(window->MappingList(), (TStringList{"ID=Field1", "NAME=Field2"}));
    TVxIWizardDlg back;
    window->ApplyToImport(&back);
    EXPECT_EQ(back.DatasetKeys, "NAME");
    EXPECT_EQ(window->CurrentStep(), 7);
}

struct TypeChangeCase {
    const char *name;
    std::string before;
    T type;
    std::string after;
};

TEST_F(WizardStepsTest, ChoosingATypeRenamesTheSourceForIt)
{
    const std::vector<TypeChangeCase> cases = {
        {"extension", "/data/people.txt", T::teDBase, "/data/people.DBF"},
        {"connection to file", "Provider=X;Data Source=/data/old.mdb;Mode=1", T::teParadox, "/data/old.DB"},
        {"file to connection", "/data/old.mdb", T::teADO, "Data Source=\"/data/old.mdb\""},
    };
    for (const TypeChangeCase &c : cases) {
        SCOPED_TRACE(c.name);
        wizard.SourceFileName = c.before;
        Ui::TfrmVxIWizard &ui = Open();
        QRadioButton *button = nullptr;
        for (QRadioButton *b : ui.sbCategoryContents->findChildren<QRadioButton *>())
            if (b->property("tableType").toInt() == static_cast<int>(c.type))
                button = b;
        ASSERT_NE(button, nullptr);
        Click(button);
        EXPECT_EQ(window->SelectedTableType(), c.type);
        EXPECT_EQ(ui.edFileName->text().toStdString(), c.after);
        EXPECT_EQ(ui.cbTableNames->isEnabledTo(ui.pnlStep2), c.type == T::teADO);
    }
}

TEST_F(WizardStepsTest, ThePlainTypeListHasTwoColumnsFromSixTypesOn)
{
    wizard.Categories.ShowCategories = false;
    wizard.Formats = {T::teParadox, T::teDBase, T::teText, T::teHTML, T::teXLS};
    Ui::TfrmVxIWizard &ui = Open();
    EXPECT_EQ(ui.rgTableType->Count(), 5);
    EXPECT_EQ(ui.rgTableType->Columns(), 1);
    EXPECT_EQ(window->SelectedTableType(), T::teText);
    wizard.Formats.Include(T::teWord);
    wizard.TableType = T::teVCalendar; // not offered: the first item is chosen
    Ui::TfrmVxIWizard &six = Open();
    EXPECT_EQ(six.rgTableType->Columns(), 2);
    EXPECT_EQ(window->SelectedTableType(), T::teParadox);
}

TEST_F(WizardStepsTest, FirstAndLastButtonsAndBothHeaderStyles)
{
    wizard.SourceFileName = text;
    wizard.Mappings = {"ID=Field1"};
    Ui::TfrmVxIWizard &ui = Open();
    EXPECT_TRUE(ui.pnlDescription->isVisible());
    EXPECT_FALSE(ui.lblStep->isVisible());
    Click(ui.btnLast);
    EXPECT_EQ(window->CurrentStep(), 9);
    EXPECT_FALSE(ui.btnLast->isEnabled());
    Click(ui.btnFirst);
    EXPECT_EQ(window->CurrentStep(), 1);

    wizard.WizardStyle = TVxIWizardStyle::wsWindows95;
    Ui::TfrmVxIWizard &old = Open();
    EXPECT_FALSE(old.pnlDescription->isVisible());
    EXPECT_EQ(old.lblStep->text(), "Step 1 of 9  ");
}

TEST_F(WizardStepsTest, EveryControlOfAStepIsReachedWithTab)
{
    wizard.SourceFileName = text;
    wizard.Mappings = {"ID=Field1", "NAME=Field2"};
    Ui::TfrmVxIWizard &ui = Open();
    QWidget *panels[] = {ui.pnlCategory, ui.pnlStep2, ui.pnlStep3, ui.pnlStep4, nullptr,
                         ui.pnlStep6CSV, ui.pnlStep7, ui.pnlStep8, ui.pnlStep9};
    for (int step = 1; step <= 9; ++step) {
        if (step == 5)
            continue; // a delimited file has no breaks
        SCOPED_TRACE(step);
        window->GoToStep(step);
        ASSERT_EQ(window->CurrentStep(), step);
        Settle();
        ui.btnNext->setFocus();
        std::set<QWidget *> reached;
        for (int i = 0; i < 80; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            reached.insert(QApplication::focusWidget());
        }
        for (QWidget *control : panels[step - 1]->findChildren<QWidget *>()) {
            // Radio buttons share one stop per group, reached by the arrow keys.
            const bool stop = (control->focusPolicy() & Qt::TabFocus) && control->isVisible() && control->isEnabled() &&
                              qobject_cast<QRadioButton *>(control) == nullptr && control->focusProxy() == nullptr;
            if (stop) {
                EXPECT_TRUE(reached.count(control)) << control->objectName().toStdString();
            }
        }
        EXPECT_TRUE(reached.count(ui.btnNext) || step == 9);
    }
}

TEST_F(WizardStepsTest, ASavedSpecificationComesBackIntoTheWindow)
{
    wizard.SourceFileName = text;
    wizard.ConfirmCancelExit = false;
    const std::string file = dir.File("saved.vxi");
    WhileWizardShows(wizard, [&](TfrmVxIWizard &shown, Ui::TfrmVxIWizard &ui) {
        QTest::keyClick(&shown, Qt::Key_4, Qt::AltModifier);
        TypeInto(ui.edFirstRow, "3");
        wizard.SaveSpecificationFromWindow("saved", file);
        TypeInto(ui.edFirstRow, "5");
        wizard.LoadSpecificationIntoWindow(file);
        EXPECT_EQ(ui.edFirstRow->text(), "3");
        Click(ui.btnCancel);
    });
    EXPECT_EQ(wizard.Execute(), TModalResult::mrCancel);
    EXPECT_EQ(wizard.RowFirst, 3); // loaded into the component as well
}

TEST_F(WizardStepsTest, TheDataPreviewConvertsAndFiltersAsTheRunWill)
{
    WriteFile(text, "1;31/12/2020;1,5\r\n2;30/02/2021;2,25\r\n3;01/03/2021;3\r\n4;02/03/2021;4\r\n");
    TMemoryDataSet dated({{"ID", TFieldType::ftInteger}, {"BORN", TFieldType::ftDate}, {"AMOUNT", TFieldType::ftFloat}},
                         "DATED");
    wizard.DataSet = &dated;
    wizard.SourceFileName = text;
    wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    wizard.DataFormats.DateOrder = TVxIDateOrder::doDMY;
    wizard.DataFormats.DecimalSeparator = ',';
    wizard.DataFormats.ThousandSeparator = '.';
    wizard.Mappings = {"ID=Field1", "BORN=Field2", "AMOUNT=Field3"};
    wizard.LoadCondition.SkipIf = "Field1 = '4'";
    Ui::TfrmVxIWizard &ui = Open();
    QTest::keyClick(window.get(), Qt::Key_8, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 8);

    auto cell = [&](int row, int column) {
        const QTableWidgetItem *item = ui.sgPreview->item(row, column);
        return item ? item->text().toStdString() : std::string();
    };
    EXPECT_EQ(cell(0, 2), "BORN");
    EXPECT_EQ(cell(1, 1), "1");
    EXPECT_EQ(cell(1, 2), Variant::DateTime(EncodeDate(2020, 12, 31)).AsString());
    EXPECT_EQ(cell(1, 3), Variant(1.5).AsString());
    EXPECT_FALSE(cell(2, 1).empty()); // 30 February: the row the run refuses, with its reason
    EXPECT_EQ(cell(2, 2), "");
    EXPECT_EQ(cell(3, 1), "3");
    EXPECT_EQ(ui.sgPreview->rowCount(), 4); // the skipped fourth row is not there
}

} // namespace

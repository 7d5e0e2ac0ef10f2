#include "Files.h"
#include "TempDir.h"
#include "WizardTestSupport.h"
#include "engine/MemoryDataSet.h"
#include "expr/VxIParsFunctions.h"
#include "ui_VxIEBldr.h"
#include "wizard/VxIEBldr.h"

#include <QListWidget>
#include <QPlainTextEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace {

using TBuilderSteps = std::function<void(TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &)>;

// Works the builder once it shows modally; whatever the steps leave open is cancelled.
// Scheduled after the events already waiting, so that nothing fires it before it opens.
void WhileBuilderShows(TBuilderSteps steps)
{
    Settle();
    QTimer::singleShot(0, [steps] {
        TfrmVxIExpBuilder *builder = nullptr;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (auto *candidate = qobject_cast<TfrmVxIExpBuilder *>(window); candidate && candidate->isVisible())
                builder = candidate;
        if (builder == nullptr) {
            ADD_FAILURE() << "the expression builder did not open";
            return;
        }
        steps(*builder, builder->Form());
        if (builder->isVisible())
            builder->reject();
    });
}

// The list row showing text, -1 when none does.
int RowOf(QListWidget *list, const QString &text)
{
    const QList<QListWidgetItem *> found = list->findItems(text, Qt::MatchExactly);
    return found.isEmpty() ? -1 : list->row(found.front());
}

QStringList Items(QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->item(i)->text();
    return items;
}

// A click on the item showing text, as a user picks it.
void Choose(QListWidget *list, const QString &text)
{
    Settle();
    const int row = RowOf(list, text);
    ASSERT_GE(row, 0) << text.toStdString();
    list->scrollToItem(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
    ASSERT_EQ(list->currentRow(), row);
}

void DoubleClick(QListWidget *list, const QString &text)
{
    Choose(list, text);
    const QPoint at = list->visualItemRect(list->currentItem()).center();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

// Picks an entry through the three lists.
void Pick(Ui::TfrmVxIExpBuilder &ui, const QString &type, const QString &subType, const QString &value)
{
    Choose(ui.lbType, type);
    Choose(ui.lbSubType, subType);
    Choose(ui.lbValue, value);
}

void PutCursorAtEnd(Ui::TfrmVxIExpBuilder &ui)
{
    ui.memoExpression->setFocus();
    ui.memoExpression->moveCursor(QTextCursor::End);
}

// The message boxes with their kind and caption.
class TBoxRecorder {
public:
    struct TBox {
        TMessageKind Kind;
        std::string Caption, Text;
    };
    TBoxRecorder()
        : previous_(SetMessageHandler([this](const TMessage &m) {
              Boxes.push_back({m.Kind, m.Caption.toStdString(), m.Text.toStdString()});
              return true;
          }))
    {
    }
    ~TBoxRecorder() { SetMessageHandler(previous_); }
    std::vector<TBox> Boxes;

private:
    TMessageHandler previous_;
};

// Functions added for one test, the start-up list given back afterwards.
struct TFunctionsGuard {
    TVxIParserFunctions Saved = ParserFunctions();
    ~TFunctionsGuard() { ParserFunctions() = Saved; }
};

class ExpressionBuilderTest : public ::testing::Test {
protected:
    ExpressionBuilderTest()
    {
        orders.SetDisplayLabel(0, "Customer No");
        orders.SetDisplayLabel(1, "Amount");
        orders.SetFieldVisible(2, false);
        TVxIParameter &country = parameters.Add();
        country.SetName("Country");
        country.Caption = "Country of the customer";
        country.Description = "asked before the import";
        parameters.Add().SetName("Rate");
    }

    bool Edit(std::string &expression, bool useDisplayNames, TBuilderSteps steps)
    {
        WhileBuilderShows(std::move(steps));
        return EditExpression(nullptr, expression, {&orders}, columns, useDisplayNames, parameters);
    }

    TMemoryDataSet orders{
        {{"CUSTNO", TFieldType::ftInteger}, {"AMOUNT", TFieldType::ftFloat}, {"INTERNAL", TFieldType::ftString}},
        "qryOrders"};
    std::vector<std::string> columns{"", "Field1", " ", "Order Date"};
    TVxIParameters parameters;
    TBoxRecorder boxes;
};

struct DisplayNameCase {
    bool useDisplayNames;
    QString shown;    // the editor's text on opening
    QString field;    // how the list offers AMOUNT
    QString inserted; // what double-clicking it puts in
};

TEST_F(ExpressionBuilderTest, DisplayNamesComeInQuotedAndGoBackAsFieldNames)
{
    const std::vector<DisplayNameCase> cases = {
        {true, "\"Customer No\" * 2 + \"Customer No\"", "Amount", "[qryOrders.\"Amount\"]"},
        {false, "CUSTNO * 2 + CUSTNO", "AMOUNT", "[qryOrders.AMOUNT]"},
    };
    for (const DisplayNameCase &c : cases) {
        SCOPED_TRACE(c.useDisplayNames);
        std::string expression = "CUSTNO * 2 + CUSTNO";
        const bool taken = Edit(expression, c.useDisplayNames, [&](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
            EXPECT_EQ(ui.memoExpression->toPlainText(), c.shown);
            Choose(ui.lbType, "Data sources");
            EXPECT_EQ(Items(ui.lbSubType), (QStringList{"Source", "qryOrders"}));
            Choose(ui.lbSubType, "qryOrders");
            EXPECT_EQ(Items(ui.lbValue).size(), 2); // INTERNAL is hidden
            PutCursorAtEnd(ui);
            Click(ui.btnPlus);
            DoubleClick(ui.lbValue, c.field);
            EXPECT_EQ(ui.memoExpression->toPlainText(), c.shown + "+" + c.inserted);
            Click(ui.btnOk);
        });
        EXPECT_TRUE(taken);
        EXPECT_EQ(expression, "CUSTNO * 2 + CUSTNO+[qryOrders.AMOUNT]");
    }
}

TEST_F(ExpressionBuilderTest, ButtonsAndEntriesInsertAtTheCursorAndTwoLinesComeBackAsOne)
{
    std::string expression = "(A = 1)";
    const bool taken = Edit(expression, false, [](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        PutCursorAtEnd(ui);
        Click(ui.btnAND);
        QTest::keyClick(ui.memoExpression, Qt::Key_Return);
        Click(ui.btnLParen);
        Pick(ui, "Data sources", "Source", "Field1");
        EXPECT_EQ(Items(ui.lbValue), (QStringList{"Field1", "Order Date"})); // blank columns are left out
        DoubleClick(ui.lbValue, "Field1");
        Click(ui.btnNE);
        Pick(ui, "Constants", "<All>", "True");
        DoubleClick(ui.lbValue, "True");
        Click(ui.btnRParen);
        EXPECT_EQ(ui.memoExpression->toPlainText(), "(A = 1) AND \n( Field1 <> True )");
        Click(ui.btnOk);
    });
    EXPECT_TRUE(taken);
    EXPECT_EQ(expression, "(A = 1) AND ( Field1 <> True )");
}

TEST_F(ExpressionBuilderTest, EachOperatorButtonInsertsItsCaptionOverTheSelection)
{
    const std::vector<std::pair<const char *, QString>> buttons = {
        {"btnPlus", "+"},    {"btnMinus", "-"},  {"btnMul", "*"},    {"btnDiv", "/"},     {"btnEQ", "="},
        {"btnGT", ">"},      {"btnLT", "<"},     {"btnNE", "<>"},    {"btnAND", " AND "}, {"btnOR", " OR "},
        {"btnNOT", " NOT "}, {"btnLParen", "("}, {"btnRParen", ")"},
    };
    TfrmVxIExpBuilder builder(BuildExpBuilderCatalogue({}, {}, false, {}));
    builder.show();
    Ui::TfrmVxIExpBuilder &ui = builder.Form();
    for (const auto &[name, text] : buttons) {
        SCOPED_TRACE(name);
        builder.SetExpression("A ? B");
        QTextCursor cursor = ui.memoExpression->textCursor();
        cursor.setPosition(2);
        cursor.setPosition(3, QTextCursor::KeepAnchor);
        ui.memoExpression->setTextCursor(cursor);
        auto *button = builder.findChild<QToolButton *>(name);
        ASSERT_NE(button, nullptr);
        Click(button);
        EXPECT_EQ(ui.memoExpression->toPlainText(), "A " + text + " B");
    }
}

TEST_F(ExpressionBuilderTest, ValidateShowsWhatTheParserFoundAndKeepsTheWindowOpen)
{
    struct ValidateCase {
        std::string expression;
        TMessageKind kind;
        std::string caption, text;
    };
    const std::vector<ValidateCase> cases = {
        {"(A = 1) AND (B = 2)", TMessageKind::mkInformation, "Information",
         "Expression is valid and no error is found."},
        {"A = 1 AND B = 2", TMessageKind::mkError, "Error", "Compile error: syntax fault."},
        {")(", TMessageKind::mkError, "Error", "Compile error: parenthesis mismatch."},
        {"UPPER(Field1", TMessageKind::mkError, "Error", "Compile error: syntax fault."},
    };
    for (const ValidateCase &c : cases) {
        SCOPED_TRACE(c.expression);
        boxes.Boxes.clear();
        std::string expression = c.expression;
        const bool taken = Edit(expression, false, [](TfrmVxIExpBuilder &builder, Ui::TfrmVxIExpBuilder &ui) {
            Click(ui.btnValidate);
            EXPECT_TRUE(builder.isVisible());
            Click(ui.btnOk); // a faulty expression may still be taken
        });
        EXPECT_TRUE(taken);
        EXPECT_EQ(expression, c.expression);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Kind, c.kind);
        EXPECT_EQ(boxes.Boxes[0].Caption, c.caption);
        EXPECT_EQ(boxes.Boxes[0].Text, c.text);
    }
}

TEST_F(ExpressionBuilderTest, CancelAndEscapeLeaveTheExpressionAsItWas)
{
    for (bool escape : {false, true}) {
        std::string expression = "CUSTNO + 1";
        const bool taken = Edit(expression, true, [escape](TfrmVxIExpBuilder &builder, Ui::TfrmVxIExpBuilder &ui) {
            PutCursorAtEnd(ui);
            QTest::keyClicks(ui.memoExpression, " * 2");
            if (escape)
                QTest::keyClick(&builder, Qt::Key_Escape);
            else
                Click(ui.btnCancel);
            EXPECT_FALSE(builder.isVisible());
        });
        EXPECT_FALSE(taken);
        EXPECT_EQ(expression, "CUSTNO + 1");
    }
}

TEST_F(ExpressionBuilderTest, TheKeyboardAloneInsertsAnEntryAndTakesTheExpression)
{
    std::string expression;
    const bool taken = Edit(expression, false, [](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        Settle();
        ASSERT_EQ(QApplication::focusWidget(), ui.memoExpression);
        auto press = [](Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
            QWidget *focused = QApplication::focusWidget();
            ASSERT_NE(focused, nullptr);
            QTest::keyClick(focused, key, modifiers);
            Settle();
        };
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), ui.lbType);
        press(Qt::Key_Down); // Constants
        press(Qt::Key_Tab);
        press(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), ui.lbValue);
        press(Qt::Key_Down);
        press(Qt::Key_Down); // NULL
        press(Qt::Key_Return);
        EXPECT_EQ(ui.memoExpression->toPlainText(), " NULL ");
        EXPECT_TRUE(ui.lbValue->isVisible()); // Enter on an entry does not close the window
        press(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), ui.btnValidate);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        press(Qt::Key_Tab, Qt::ShiftModifier);
        EXPECT_EQ(QApplication::focusWidget(), ui.lbSubType);
        press(Qt::Key_Return); // OK is the default button
    });
    EXPECT_TRUE(taken);
    EXPECT_EQ(expression, " NULL ");
}

TEST_F(ExpressionBuilderTest, TheListsOfferTheLanguageTheUserFunctionsAndTheParameters)
{
    TFunctionsGuard guard;
    ParserFunctions().Add("RATE(x)=x*1.1", "Finance", "Rates");
    ParserFunctions().Add("HALF(x)=x/2", "Functions", "Math");
    std::string expression;
    Edit(expression, false, [](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        EXPECT_EQ(Items(ui.lbType),
                  (QStringList{"Data sources", "Constants", "Operators", "Functions", "Variables list", "Finance"}));
        for (int i = 0; i < 5; ++i)
            EXPECT_FALSE(ui.lbType->item(i)->icon().isNull()) << i;
        EXPECT_EQ(ui.lbType->currentRow(), 0); // the first type is chosen on opening

        // The placeholder words stop at the first "%a".
        Pick(ui, "Functions", "Program Flow", "IIF(boolean, %a, %a)");
        EXPECT_EQ(ui.lblHint->text(), "IIF(boolean, %a, %a)");
        EXPECT_EQ(ui.lblHintBody->text(),
                  "if first argument is true, then second argument returned. Else third argument returns");
        Pick(ui, "Functions", "Conversion", "CHR(number)");
        EXPECT_EQ(ui.lblHint->text(), "CHR(<character code>)");
        // Functions of the process-wide list join their group at its end.
        Choose(ui.lbSubType, "Math");
        const QStringList math = Items(ui.lbValue);
        EXPECT_EQ(math.mid(math.size() - 4),
                  (QStringList{"PERCENT(number, number)", "SQR1(x)=x*x", "SQRT1(x)=x^(1/2)", "HALF(x)=x/2"}));
        Choose(ui.lbType, "Constants");
        EXPECT_EQ(Items(ui.lbValue), (QStringList{"", "False", "NULL", "True", "PI=3.14"}));
        EXPECT_EQ(ui.lblHint->text(), ""); // the empty first entry has no hint
        EXPECT_EQ(ui.lblHintBody->text(), "");
        Choose(ui.lbType, "Finance");
        EXPECT_EQ(Items(ui.lbSubType), QStringList{"Rates"});
        EXPECT_EQ(Items(ui.lbValue), QStringList{"RATE(x)=x*1.1"});

        Pick(ui, "Variables list", "Custom variables", "Country");
        EXPECT_EQ(Items(ui.lbValue), (QStringList{"Country", "Rate"}));
        EXPECT_EQ(ui.lblHint->text(), "Country of the customer");
        EXPECT_EQ(ui.lblHintBody->text(), "asked before the import");
        Choose(ui.lbSubType, "System variables");
        EXPECT_EQ(Items(ui.lbValue).front(), "StatTotalCount");
        EXPECT_EQ(ui.lblHintBody->text(), "returns the total number of lines/rows which must be imported");
    });
}

TEST(ExpressionBuilderCatalogueTest, CodesFollowThePositionsOfTheSubCategories)
{
    TMemoryDataSet first({{"A", TFieldType::ftString}}, "FIRST");
    TMemoryDataSet second({{"B", TFieldType::ftString}}, "SECOND");
    const TExpBuilderCatalogue withColumns = BuildExpBuilderCatalogue({&first, nullptr, &second}, {"", "Field1"}, false,
                                                                      {});
    const TExpBuilderCatalogue withoutColumns = BuildExpBuilderCatalogue({&first, &second}, {}, false, {});
    for (const TExpBuilderCatalogue *catalogue : {&withColumns, &withoutColumns}) {
        const std::vector<int> sources = catalogue->SubCategoriesOf(0);
        for (std::size_t position = 0; position < sources.size(); ++position) {
            const TExpBuilderSubCategory &sub = catalogue->SubCategories[static_cast<std::size_t>(sources[position])];
            const std::vector<int> entries = catalogue->EntriesOf(static_cast<int>(position));
            ASSERT_EQ(entries.size(), 1u) << sub.Text;
            const TExpBuilderEntry &entry = catalogue->Entries[static_cast<std::size_t>(entries[0])];
            const std::string expected = sub.Text == "Source"  ? " Field1 "
                                         : sub.Text == "FIRST" ? "[FIRST.A]"
                                                               : "[SECOND.B]";
            EXPECT_EQ(catalogue->InsertText(sources[position], entry), expected);
        }
    }
    EXPECT_EQ(withColumns.SubCategoriesOf(0).size(), 3u);
    EXPECT_EQ(withoutColumns.SubCategoriesOf(0).size(), 2u);
}

// Works the wizard window up to its expression boxes, over a destination in memory.
class ExpressionBuilderInWizardTest : public TWizardOverMemory {
protected:
    void SetUp() override
    {
        TWizardOverMemory::SetUp();
        wizard.SourceFileName = text;
        wizard.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
        wizard.Mappings = {"ID=Field1", "NAME=Field2"};
        wizard.RowFirst = 2;
        wizard.Parameters.Add().SetName("Country");
    }
};

TEST_F(ExpressionBuilderInWizardTest, TheBuildersTextLandsInTheMappingGridAndTheLoadCondition)
{
    Ui::TfrmVxIWizard &form = OpenWizardWindow(wizard, window);
    QTest::keyClick(window.get(), Qt::Key_7, Qt::AltModifier);
    ASSERT_EQ(window->CurrentStep(), 7);
    form.sgMappings->setCurrentCell(2, 2);
    Settle();
    ASSERT_TRUE(form.pnlFields->isVisible());

    // Cancelled, the editor stays open with its text.
    WhileBuilderShows([&form](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        EXPECT_TRUE(form.pnlFields->isVisible());
        QTest::keyClicks(ui.memoExpression, " + 1");
        Click(ui.btnCancel);
    });
    QTest::mouseClick(form.btnExpBuilder, Qt::LeftButton);
    Settle();
    EXPECT_TRUE(form.pnlFields->isVisible());
    EXPECT_EQ(window->focusWidget(), form.cbFields);
    EXPECT_EQ(form.cbFields->currentText(), "Field2");

    WhileBuilderShows([](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        EXPECT_EQ(ui.memoExpression->toPlainText(), "Field2");
        Choose(ui.lbType, "Data sources");
        EXPECT_EQ(Items(ui.lbSubType), (QStringList{"Source", "PEOPLE"}));
        EXPECT_EQ(Items(ui.lbValue), (QStringList{"Field1", "Field2"}));
        Pick(ui, "Variables list", "Custom variables", "Country");
        ui.memoExpression->selectAll();
        QTest::keyClicks(ui.memoExpression, "UPPER(Field2) +");
        DoubleClick(ui.lbValue, "Country");
        Click(ui.btnOk);
    });
    QTest::mouseClick(form.btnExpBuilder, Qt::LeftButton);
    Settle();
    EXPECT_FALSE(form.pnlFields->isVisible()); // taken, the text is left as if typed
    EXPECT_EQ(window->focusWidget(), form.sgMappings);
    EXPECT_EQ(form.sgMappings->item(2, 2)->text(), "UPPER(Field2) + Country ");
    EXPECT_EQ(window->MappingList(), (TStringList{"ID=Field1", "NAME=UPPER(Field2) + Country "}));

    Click(form.btnNext);
    ASSERT_EQ(window->CurrentStep(), 8);
    Click(form.cbLoadWhen);
    ASSERT_TRUE(form.btnLoadWhen->isEnabled());
    WhileBuilderShows([](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        EXPECT_EQ(ui.memoExpression->toPlainText(), "");
        Pick(ui, "Data sources", "Source", "Field1");
        DoubleClick(ui.lbValue, "Field1");
        Click(ui.btnGT);
        QTest::keyClicks(ui.memoExpression, "1");
        Click(ui.btnOk);
    });
    QTest::mouseClick(form.btnLoadWhen, Qt::LeftButton);
    Settle();
    EXPECT_EQ(form.edLoadWhen->text(), " Field1 >1");

    // Cancelled, the box keeps its text.
    WhileBuilderShows([](TfrmVxIExpBuilder &, Ui::TfrmVxIExpBuilder &ui) {
        QTest::keyClicks(ui.memoExpression, "2");
        Click(ui.btnCancel);
    });
    QTest::mouseClick(form.btnLoadWhen, Qt::LeftButton);
    Settle();
    EXPECT_EQ(form.edLoadWhen->text(), " Field1 >1");
    TVxIWizardDlg back;
    window->ApplyToImport(&back);
    EXPECT_EQ(back.LoadCondition.LoadWhen, " Field1 >1");
    EXPECT_TRUE(messages.Messages.empty());
}

// The builder as it opens over a mapping being written, a function chosen so that its
// hint shows. With FERROVANE_SCREENSHOT=folder the picture is kept there.
TEST(ExpressionBuilderScreenshots, AFunctionChosenOverARealisticExpression)
{
    TMemoryDataSet customers({{"CUSTNO", TFieldType::ftInteger},
                              {"NAME", TFieldType::ftString, 40},
                              {"BORN", TFieldType::ftDate},
                              {"AMOUNT", TFieldType::ftFloat}},
                             "CUSTOMERS");
    TVxIParameters parameters;
    parameters.Add().SetName("Country");
    TfrmVxIExpBuilder builder(
        BuildExpBuilderCatalogue({&customers}, {"", "Id", "Name", "Born", "Amount"}, false, parameters));
    builder.SetExpression("IIF(ISNULL([Born]), GETDATE, STRTODATE([Born]))");
    builder.show();
    Ui::TfrmVxIExpBuilder &ui = builder.Form();
    Pick(ui, "Functions", "Program Flow", "IIF(boolean, %a, %a)");
    KeepScreenshot(builder, "expression-builder");
    for (QToolButton *button : builder.findChildren<QToolButton *>())
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->objectName().toStdString();
}

} // namespace

#include "FirebirdTestSupport.h"
#include "dbaccess/IBCustomDataSet.h"
#include "engine/ImpCnst.h"
#include "ListSource.h"

#include <gtest/gtest.h>

namespace {

// A destination table CLIENTS(ID, NAME) with rows 1=a and 2=b, written through the
// update statements the prerequisites window generates.
class RunLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("run.fdb");
        CreateDatabase(path, {"CREATE TABLE CLIENTS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(10))",
                              "INSERT INTO CLIENTS VALUES (1, 'a')", "INSERT INTO CLIENTS VALUES (2, 'b')"});
        destination.Open(path, "CLIENTS", {"insert into CLIENTS (ID, NAME) values (:ID, :NAME)"},
                         {"update CLIENTS set ID = :ID, NAME = :NAME where ID = :OLD_ID"},
                         {"delete from CLIENTS where ID = :OLD_ID"});

        source.DataSet = &query;
        source.Host = &host;
        source.Mappings = {"ID=Field1", "NAME=Field2"};
        source.DatasetKeys = "ID";
        source.Rows = {{"2", "B2"}, {"3", "c"}};
    }

    std::vector<std::string> table()
    {
        std::vector<std::string> rows;
        for (query.First(); !query.Eof(); query.Next())
            rows.push_back(query.FieldByName("ID")->AsString() + query.FieldByName("NAME")->AsString());
        std::sort(rows.begin(), rows.end());
        return rows;
    }

    TempDir dir;
    std::string path;
    TestDestination destination;
    TIBDatabase &database = destination.Database;
    TIBTransaction &transaction = destination.Transaction;
    TIBQuery &query = destination.Query;
    TIBUpdateSQL &update = destination.Update;
    TVxIRecordingHost host;
    TListSource source;
};

struct ModeCase {
    TImportMode mode;
    std::vector<std::string> rows;
    int added, updated, deleted, errors;
};

TEST_F(RunLoopTest, EveryModeWritesAndCounts)
{
    const std::vector<ModeCase> cases = {
        {TImportMode::imAppend, {"1a", "2b", "3c"}, 1, 0, 0, 1}, // key 2 exists: the post fails, its add is taken back
        {TImportMode::imUpdate, {"1a", "2B2"}, 0, 1, 0, 0},
        {TImportMode::imAppendUpdate, {"1a", "2B2", "3c"}, 1, 1, 0, 0},
        {TImportMode::imDelete, {"1a"}, 0, 0, 1, 0},
        {TImportMode::imCopy, {"2B2", "3c"}, 2, 0, 2, 0},
        {TImportMode::imAppendNewOnly, {"1a", "2b", "3c"}, 1, 0, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        transaction.Rollback(); // back to rows 1=a and 2=b
        query.Open();
        source.Mode = c.mode;
        source.Execute();
        EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
        EXPECT_EQ(table(), c.rows);
        EXPECT_EQ(source.Statistic.TotalImported, 2);
        EXPECT_EQ(source.Statistic.TotalAdded, c.added);
        EXPECT_EQ(source.Statistic.TotalUpdated, c.updated);
        EXPECT_EQ(source.Statistic.TotalDeleted, c.deleted);
        EXPECT_EQ(source.Statistic.TotalErrors, c.errors);
    }
}

TEST_F(RunLoopTest, ResultIsShownAndTheRunMovesTheDestinationToItsFirstRow)
{
    source.AnimatedStatus = false;
    source.Execute();
    EXPECT_EQ(host.Log.back(), "info: " + ImpTexts().ResultCompleted);
    EXPECT_EQ(query.FieldByName("ID")->AsString(), "1");
    EXPECT_FALSE(query.ControlsDisabled());
}

TEST_F(RunLoopTest, ConfigurationErrorsStopBeforeAnything)
{
    source.Mode = TImportMode::imUpdate;
    source.DatasetKeys.clear();
    EXPECT_THROW(
        {
            try {
                source.Execute();
            } catch (const EVxIError &e) {
                EXPECT_STREQ(e.what(), "Property DatasetKeys wasn't specified.");
                throw;
            }
        },
        EVxIError);
    source.DataSet = nullptr;
    try {
        source.Execute();
        FAIL();
    } catch (const EVxIError &e) {
        EXPECT_STREQ(e.what(), "Property DataSet wasn't specified.");
    }
    EXPECT_TRUE(host.Log.empty());
}

TEST_F(RunLoopTest, DestroyedDestinationIsForgotten)
{
    {
        TIBQuery temporary(&database, &transaction);
        source.DataSet = &temporary;
        TListSource copy;
        copy.Assign(source);
        EXPECT_EQ(copy.DataSet.Get(), &temporary);
    }
    EXPECT_EQ(source.DataSet.Get(), nullptr);
}

TEST_F(RunLoopTest, LoadConditionsAndEmptyRows)
{
    source.Rows = {{"10", "A"}, {"11", "B"}, {"12", "A"}, {"0", ""}, {"00", ""}};
    source.LoadCondition.LoadWhen = "Field2 = 'A'";
    source.Options.Include(TVxIOption::soSkipEmptyRow);
    source.Execute();
    EXPECT_EQ(source.Statistic.TotalSkipped, 3);
    EXPECT_EQ(source.Statistic.TotalAdded, 2);

    source.LoadCondition.LoadWhen.clear();
    source.LoadCondition.SkipIf = "Field2 = 'A'";
    source.Rows = {{"20", "A"}, {"0", ""}, {"00", ""}};
    source.Execute();
    EXPECT_EQ(source.Statistic.TotalSkipped, 2); // 'A' by the condition, "0"/"" as an empty row
    EXPECT_EQ(source.Statistic.TotalAdded, 1);   // "00" is not empty
}

TEST_F(RunLoopTest, AbortFromAfterRecordCancelsTheRun)
{
    source.Rows = {{"10", "x"}, {"11", "x"}, {"12", "x"}, {"13", "x"}, {"14", "x"}};
    source.OnAfterRecordEvent = [](TVxImportBaseComponent *s, bool &abort) { abort = s->Statistic.TotalImported == 3; };
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irCanceled);
    EXPECT_EQ(source.Statistic.TotalImported, 3);
}

TEST_F(RunLoopTest, ErrorHandlerSeesEachFailingRowOnceAndMayStopTheRun)
{
    source.Rows = {{"1", "dup"}, {"x", "bad"}, {"30", "ok"}};
    std::vector<std::string> seen;
    source.OnErrorEvent = [&](TVxImportBaseComponent *, const std::exception &e, bool &abort) {
        seen.push_back(e.what());
        abort = false;
    };
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(source.Statistic.TotalErrors, 2);
    EXPECT_EQ(source.Statistic.TotalAdded, 1);

    transaction.Rollback();
    query.Open();
    seen.clear();
    source.OnErrorEvent = [&](TVxImportBaseComponent *, const std::exception &e, bool &abort) {
        seen.push_back(e.what());
    };
    source.Execute(); // AbortOnProblem: the first error ends the run
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irFailed);
    EXPECT_EQ(source.Statistic.TotalImported, 1);
    EXPECT_EQ(host.Log[host.Log.size() - 2].substr(0, 71),
              "progress: An error has occurred during the data import process.\r\nviolat");
}

TEST_F(RunLoopTest, RowsThatFailBeforeTheWriteAreCountedAsErrors)
{
    // A key field without a mapping: the locate gets fewer values than fields.
    source.Mode = TImportMode::imUpdate;
    source.DatasetKeys = "ID;NAME";
    source.Mappings = {"ID=Field1"};
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
    EXPECT_EQ(source.Statistic.TotalErrors, 2);
    EXPECT_EQ(source.Statistic.TotalUpdated, 0);
}

TEST_F(RunLoopTest, TransactionBatchesAndRowLast)
{
    source.Rows.clear();
    for (int i = 0; i < 100; ++i)
        source.Rows.push_back({std::to_string(100 + i), "n"});
    source.RowLast = 5;
    source.CommitCount = 2;
    std::vector<std::string> events;
    source.OnStartTransaction = [&](TVxImportBaseComponent *s) {
        events.push_back("start@" + std::to_string(s->Statistic.TotalImported));
    };
    source.OnFinishTransaction = [&](TVxImportBaseComponent *s) {
        events.push_back("finish@" + std::to_string(s->Statistic.TotalImported));
    };
    source.Execute();
    EXPECT_EQ(source.Statistic.TotalCount, 5);
    EXPECT_EQ(events, (std::vector<std::string>{"start@2", "finish@4", "start@4", "finish@5"}));

    source.CommitCount = 0;
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irFailed);
}

TEST_F(RunLoopTest, EmptyMappingsAreMadeByPositionAndForgottenAfterTheRun)
{
    source.Mappings.Clear();
    source.Rows = {{"40", "auto"}};
    source.Execute();
    EXPECT_EQ(source.Statistic.TotalAdded, 1);
    EXPECT_TRUE(source.Mappings.Empty());
    EXPECT_EQ(table().back(), "40auto");
}

TEST_F(RunLoopTest, LocateHandlerCanDeclareARowFound)
{
    source.Mode = TImportMode::imUpdate;
    source.Rows = {{"1", "z"}};
    int searched = 0;
    source.OnLocateRecord = [&](TVxImportBaseComponent *, const std::string &keys, const Variant &values, bool &exist,
                                bool &executeLocate) {
        EXPECT_EQ(keys, "ID");
        EXPECT_EQ(values.AsString(), "1");
        executeLocate = false;
        ++searched;
    };
    source.Execute();
    EXPECT_EQ(searched, 1);
    EXPECT_EQ(source.Statistic.TotalUpdated, 1);
    // No search ran: the record that was current (the first) took the row.
    EXPECT_EQ(table(), (std::vector<std::string>{"1z", "2b"}));
}

TEST_F(RunLoopTest, ParametersStatisticsAndSubstitution)
{
    TVxIParameter &country = source.Parameters.Add();
    country.SetName("Country");
    country.Expression = "FR";
    country.ParameterMode = TVxIParameterMode::ipmCalculate;
    source.Mappings = {"ID=STRTOINT(Field1) + StatTotalImported",
                       "NAME=SUBSTITUTE(Field2, \"B2;c\", \"x;y\") + Country"};
    source.Rows = {{"50", "B2"}, {"50", "c"}, {"50", "q"}};
    source.Execute();
    EXPECT_EQ(table(), (std::vector<std::string>{"1a", "2b", "51xFR", "52yFR", "53FR"}));
}

TEST_F(RunLoopTest, LookupFindsARegisteredDataset)
{
    TIBQuery states(&database, &transaction);
    states.ComponentName = "STATES";
    states.SetSQL({"select ID as CODE, NAME from CLIENTS"});
    states.Open();
    TVxIDataSetRegistry::Instance().Register("STATES", &states);
    source.Mappings = {"ID=Field1", "NAME=LOOKUP(STATES, CODE, Field2, NAME)"};
    source.Rows = {{"60", "2"}, {"61", "9"}};
    source.Execute();
    TVxIDataSetRegistry::Instance().Unregister("STATES");
    EXPECT_EQ(table(), (std::vector<std::string>{"1a", "2b", "60b", "61"}));
}

} // namespace

namespace {

TEST_F(RunLoopTest, ParameterPromptFillsValuesOrStopsTheRun)
{
    auto add = [&](const char *name, TVxIParameterEditor editor, TVxIParameterMode mode,
                   const char *expression) -> TVxIParameter & {
        TVxIParameter &p = source.Parameters.Add();
        p.SetName(name);
        p.ParameterEditor = editor;
        p.ParameterMode = mode;
        p.Expression = expression;
        return p;
    };
    add("Fixed", TVxIParameterEditor::ipeEdit, TVxIParameterMode::ipmCalculate, "UPPER('k')");
    add("Name", TVxIParameterEditor::ipeEdit, TVxIParameterMode::ipmAsk, "LOWER(x)");
    add("Flag", TVxIParameterEditor::ipeCheckBox, TVxIParameterMode::ipmCalculateAndAsk, "True");
    TVxIParameter &pick = add("Pick", TVxIParameterEditor::ipeCombobox, TVxIParameterMode::ipmCalculateAndAsk, "");
    pick.ParamPromptValues = {"one", "two"};
    pick.Required = true;

    host.PromptAnswer = false;
    source.Execute();
    ASSERT_EQ(host.LastPrompt.size(), 3u);
    EXPECT_EQ(host.LastPrompt[0].Text, "LOWER(x)"); // asked parameters start from their text
    EXPECT_TRUE(host.LastPrompt[1].Checked);
    EXPECT_EQ(host.LastPrompt[2].ItemIndex, 0);
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irUnknown); // cancelled: nothing ran
    EXPECT_EQ(source.Parameters[0].Value.AsString(), "K");

    host.PromptAnswer = true;
    host.PromptReplies = host.LastPrompt;
    host.PromptReplies[0].Text = "Zoe";
    host.PromptReplies[1].Checked = false;
    host.PromptReplies[2].ItemIndex = 1;
    source.Mappings = {"ID=Field1", "NAME=Name + Pick"};
    source.Rows = {{"70", ""}};
    source.Execute();
    EXPECT_EQ(source.Parameters[2].Value.AsString(), "False");
    EXPECT_EQ(table().back(), "70Zoetwo");

    host.PromptReplies[2].ItemIndex = -1; // a required parameter left without a value
    source.Execute();
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irUnknown);
}

TEST_F(RunLoopTest, ProgressIsRefreshedEveryUpdateStepRows)
{
    source.Rows = {{"80", "x"}, {"81", "x"}, {"82", "x"}, {"83", "x"}, {"84", "x"}};
    source.Statistic.UpdateStep = 2;
    source.Execute();
    const auto updates = std::count_if(host.Log.begin(), host.Log.end(),
                                       [](const std::string &l) { return l.rfind("progress: Importing...", 0) == 0; });
    EXPECT_EQ(updates, 2); // before rows 3 and 5

    host.Log.clear();
    host.ProgressCanBeCreated = false;
    source.Rows = {{"90", "x"}};
    source.Execute();
    EXPECT_NE(std::find(host.Log.begin(), host.Log.end(), "error: Can't create a process dialog"), host.Log.end());
    EXPECT_EQ(source.Statistic.Result, TVxIResult::irExecuted);
}

} // namespace

namespace {

TEST_F(RunLoopTest, ScriptModeBuildsOneStatementPerRowAndTouchesNothing)
{
    source.ActionKind = TVxIActionKind::akGenerateSQL;
    source.SQLOptions.SQLQuote = '\'';
    source.Rows = {{"2", "O'Neil"}, {"9", "x"}, {"1", ""}};
    std::vector<std::string> statements;
    source.OnAfterRecordEvent = [&](TVxImportBaseComponent *s, bool &) { statements.push_back(s->Statistic.LastSQL); };

    const std::vector<std::pair<TImportMode, std::vector<std::string>>> cases = {
        {TImportMode::imAppend,
         {"INSERT INTO CLIENTS (ID, [NAME]) VALUES (2, 'O''Neil')", "INSERT INTO CLIENTS (ID, [NAME]) VALUES (9, 'x')",
          "INSERT INTO CLIENTS (ID, [NAME]) VALUES (1, NULL)"}},
        {TImportMode::imUpdate,
         {"UPDATE CLIENTS SET [NAME]='O''Neil' WHERE (ID=2)", "", "UPDATE CLIENTS SET [NAME]=NULL WHERE (ID=1)"}},
        {TImportMode::imDelete, {"DELETE FROM CLIENTS WHERE (ID=2)", "", "DELETE FROM CLIENTS WHERE (ID=1)"}},
    };
    for (const auto &[mode, expected] : cases) {
        statements.clear();
        source.Mode = mode;
        source.Execute();
        EXPECT_EQ(statements, expected);
    }
    EXPECT_EQ(table(), (std::vector<std::string>{"1a", "2b"}));
}

TEST_F(RunLoopTest, SpecificationsSurviveASaveAndLoad)
{
    source.TableName = "CLIENTS";
    source.Mode = TImportMode::imAppendUpdate;
    source.Mappings = {"ID=Field1", "FLAG=IIF(Field1 = 'Y', 1, 0)"};
    source.SetFieldDelimiter(TVxIFieldDelimiter::fdTab);
    source.SetRecordSeparator(TVxIRecordSeparator::rsCRLF);
    source.DataFormats.CustomDateTimeFormat.clear();
    source.DataFormats.CurrencyString = "EUR";
    source.LoadCondition.SkipIf = "Field2 = ''";
    source.SpecificationDir = dir.Path() + "/specs/";
    std::string savedAs;
    source.OnAfterSaveSpecification = [&](TVxImportBaseComponent *, std::string &name) { savedAs = name; };
    source.SaveSpecification("Clients", dir.File("specs/clients.vxi"), false);
    EXPECT_EQ(savedAs, dir.File("specs/clients.vxi"));

    TListSource loaded;
    loaded.LoadSpecification(savedAs);
    EXPECT_EQ(loaded.TableName, "CLIENTS");
    EXPECT_EQ(loaded.Mode, TImportMode::imAppendUpdate);
    EXPECT_EQ(loaded.Mappings, source.Mappings);
    EXPECT_EQ(loaded.FieldDelimiterCustom(), '\t');
    EXPECT_EQ(loaded.RecordSeparatorCustom(), "\r\n");
    EXPECT_TRUE(loaded.DataFormats == source.DataFormats);
    EXPECT_EQ(loaded.LoadCondition.SkipIf, "Field2 = ''");

    // Keys count wherever they stand; plain values a file lacks become empty; an empty
    // map ends the list.
    dir.Write("odd.vxi", "[Text]\r\nmode=3\r\nMap0=A=1\r\nMap1=\r\nMap2=C=3\r\nFieldDelimiter=3B\r\n");
    loaded.LoadSpecification(dir.File("odd.vxi"));
    EXPECT_EQ(loaded.Mode, TImportMode::imDelete);
    EXPECT_EQ(loaded.Mappings, (TStringList{"A=1"}));
    EXPECT_EQ(loaded.FieldDelimiter(), TVxIFieldDelimiter::fdSemicolon);
    EXPECT_EQ(loaded.DataFormats.CurrencyString, "");

    try {
        loaded.LoadSpecification(dir.File("missing.vxi"));
        FAIL();
    } catch (const EVxIError &e) {
        EXPECT_EQ(std::string(e.what()), "File " + dir.File("missing.vxi") + " not exist.");
    }
    dir.Write("bad.vxi", "TextQualifier=ZZ\r\n");
    EXPECT_THROW(loaded.LoadSpecification(dir.File("bad.vxi")), EVxIError);
}

} // namespace

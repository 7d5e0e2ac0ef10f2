#include "FirebirdTestSupport.h"
#include "dbaccess/IBCustomDataSet.h"
#include "sources/text/VxI2TXT.h"
#include "engine/VxIHost.h"

#include <gtest/gtest.h>

#include <functional>

// A long text file is read ahead of the row loop on a second thread. Whatever the file
// holds and whatever handlers do during the run, the table, the counters and the errors
// must be those of reading each row in the loop itself (which an OnGetCellParams handler
// forces, as it must run while a value is read).

namespace {

struct Outcome {
    std::vector<std::string> rows;
    std::vector<int> counters; // imported, added, skipped, errors
    std::vector<std::string> errors;
    std::vector<bool> ahead; // whether values were read ahead, seen after some rows
};

// Field by field, for readable differences.
void expectSame(const Outcome &a, const Outcome &b)
{
    EXPECT_EQ(a.counters, b.counters);
    EXPECT_EQ(a.errors, b.errors);
    EXPECT_EQ(a.rows, b.rows);
}

// 1,500 rows: more than the rows held ahead at once, so the reading thread waits for the
// loop more than once. Every 97th row has a key that is not a number, every 89th repeats
// the previous key, and the others mix qualified, empty, padded and odd values.
std::string sampleText()
{
    std::string text = "ID;NAME;AMOUNT;BORN;NOTE\r\n";
    for (int i = 1; i <= 1500; ++i) {
        const std::string id = i % 97 == 0 ? std::to_string(i) + "x" : std::to_string(i % 89 == 0 ? i - 1 : i);
        std::string name;
        switch (i % 6) {
        case 0: name = "\"semi;colon \"\"quoted\"\"\""; break;
        case 1: name = ""; break;
        case 2: name = "  padded  "; break;
        case 3: name = "NAME"; break;
        case 4: name = "Zoë Ærø " + std::to_string(i); break;
        default: name = "a name longer than twenty characters"; break;
        }
        const std::string amount = i % 5 == 0 ? "1,234.50" : i % 7 == 0 ? "" : std::to_string(i) + ".25";
        const std::string born = i % 11 == 0 ? "31/31/2001"
                                             : std::to_string(i % 12 + 1) + "/" + std::to_string(i % 28 + 1) + "/19" +
                                                   std::to_string(50 + i % 50);
        text += id + ";" + name + ";" + amount + ";" + born + ";" + (i % 3 ? "note" : "") + "\r\n";
    }
    return text;
}

class TextReadAhead : public ::testing::Test {
protected:
    void SetUp() override { file = dir.Write("items.csv", sampleText()); }

    // One run over a database of its own; `prepare` may assign handlers before it.
    Outcome run(const std::string &name, bool inStep,
                const std::function<void(TVxImportFromText &, Outcome &)> &prepare = {})
    {
        const std::string path = dir.File(name + "-" + std::to_string(++runs) + ".fdb");
        CreateDatabase(path, {"CREATE TABLE ITEMS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(20), "
                              "AMOUNT NUMERIC(10,2), BORN DATE, NOTE VARCHAR(8))"});
        TestDestination destination;
        destination.Open(
            path, "ITEMS",
            {"insert into ITEMS (ID, NAME, AMOUNT, BORN, NOTE) values (:ID, :NAME, :AMOUNT, :BORN, :NOTE)"}, {}, {});
        TVxIRecordingHost host;
        TVxImportFromText source;
        source.DataSet = &destination.Query;
        source.Host = &host;
        source.SourceFileName = file;
        source.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
        source.RowFirst = 2;
        source.TrimSpaces = TVxITrimSpaces::tsTrimLeftRight;
        source.Mappings = {"ID=Field1", "NAME=Field2", "AMOUNT=Field3", "BORN=Field4", "NOTE=Text"};
        Outcome outcome;
        source.OnErrorEvent = [&](TVxImportBaseComponent *s, const std::exception &e, bool &abort) {
            outcome.errors.push_back(std::to_string(s->Statistic.TotalImported) + ": " + e.what());
            abort = false;
        };
        if (inStep)
            source.OnGetCellParams = [](TVxImportBaseComponent *, TField *, Variant &) {};
        if (prepare)
            prepare(source, outcome);
        source.Execute();
        const TVxIStatistic &s = source.Statistic;
        outcome.counters = {s.TotalImported, s.TotalAdded, s.TotalSkipped, s.TotalErrors};
        destination.Transaction.Commit();
        outcome.rows = QueryColumn(path, "select ID || '|' || COALESCE(NAME, '<null>') || '|' || "
                                         "COALESCE(CAST(AMOUNT AS VARCHAR(20)), '<null>') || '|' || "
                                         "COALESCE(CAST(BORN AS VARCHAR(10)), '<null>') || '|' || "
                                         "COALESCE(NOTE, '<null>') from ITEMS order by ID");
        return outcome;
    }

    TempDir dir;
    std::string file;
    int runs = 0;
};

} // namespace

TEST_F(TextReadAhead, GivesTheTableCountersAndErrorsOfReadingInTheLoop)
{
    const auto watch = [](TVxImportFromText &source, Outcome &outcome) {
        source.OnAfterRecordEvent = [&](TVxImportBaseComponent *, bool &) {
            if (source.Statistic.TotalImported % 500 == 0)
                outcome.ahead.push_back(source.ReadsAhead());
        };
    };
    const Outcome ahead = run("ahead", false, watch);
    const Outcome inStep = run("in-step", true, watch);
    EXPECT_EQ(ahead.ahead, (std::vector<bool>{true, true, true}));
    EXPECT_EQ(inStep.ahead, (std::vector<bool>{false, false, false}));
    expectSame(ahead, inStep);
    EXPECT_EQ(ahead.counters[0], 1500);
    EXPECT_GT(ahead.counters[3], 20); // the bad keys, repeated keys and values too long
    EXPECT_EQ(ahead.rows.size(), static_cast<std::size_t>(ahead.counters[1]));
}

// A handler may change what the next rows read: a slot's expression, the date order, the
// trimming, the delimiter. The rows after the change follow it, as they do when read in
// the loop; reading ahead gives up at the change.
TEST_F(TextReadAhead, ChangesMadeByHandlersDuringTheRunTakeEffectOnTheNextRow)
{
    using Change = std::function<void(TVxImportFromText &)>;
    const std::vector<std::pair<std::string, Change>> changes = {
        {"expression",
         [](TVxImportFromText &source) {
             for (int i = 0; i < static_cast<int>(source.RowValues.ArrayCount()); ++i)
                 if (source.RowValues[i][1].AsString() == "Field2")
                     source.RowValues[i][1] = Variant("Field5");
         }},
        {"date order", [](TVxImportFromText &source) { source.DataFormats.DateOrder = TVxIDateOrder::doDMY; }},
        {"trimming", [](TVxImportFromText &source) { source.TrimSpaces = TVxITrimSpaces::tsNoTrim; }},
        {"delimiter", [](TVxImportFromText &source) { source.SetFieldDelimiter(TVxIFieldDelimiter::fdComma); }},
    };
    for (const auto &[what, apply] : changes) {
        const auto change = [&apply](TVxImportFromText &source, Outcome &outcome) {
            source.OnAfterRecordEvent = [&](TVxImportBaseComponent *, bool &) {
                const int row = source.Statistic.TotalImported;
                if (row == 700)
                    apply(source);
                if (row == 699 || row == 701)
                    outcome.ahead.push_back(source.ReadsAhead());
            };
        };
        const Outcome ahead = run("ahead", false, change);
        const Outcome inStep = run("in-step", true, change);
        EXPECT_EQ(ahead.ahead, (std::vector<bool>{true, false})) << what;
        expectSame(ahead, inStep);
    }
}

// A run that stops early leaves the reading thread behind cleanly, and the component
// runs again with the same result.
TEST_F(TextReadAhead, StoppingEarlyAndRunningAgain)
{
    const auto stopAt = [](int last) {
        return [last](TVxImportFromText &source, Outcome &) {
            source.OnAfterRecordEvent = [&source, last](TVxImportBaseComponent *, bool &abort) {
                abort = source.Statistic.TotalImported == last;
            };
        };
    };
    const Outcome stopped = run("stopped", false, stopAt(40));
    EXPECT_EQ(stopped.counters[0], 40);
    expectSame(stopped, run("stopped-in-step", true, stopAt(40)));

    const Outcome whole = run("whole", false, stopAt(-1));
    EXPECT_EQ(whole.counters[0], 1500);
}

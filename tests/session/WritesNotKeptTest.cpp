// A destination that keeps none of the rows it writes, as the runner's is: rows found
// through the compact key index, edits that write only what was given, and held writes
// that a cancelled run never sends.

#include "FirebirdTestSupport.h"
#include "sources/text/VxI2TXT.h"

#include <gtest/gtest.h>

namespace {

class WritesNotKept : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("kept.fdb");
        CreateDatabase(path, {"CREATE TABLE T (ID INTEGER NOT NULL PRIMARY KEY, CODE VARCHAR(5), NAME VARCHAR(20), "
                              "CITY VARCHAR(20))",
                              "INSERT INTO T VALUES (1, 'a', 'Ann', 'Rome')",
                              "INSERT INTO T VALUES (2, 'b', 'Bob', 'Oslo')"});
        dest.Query.KeepPostedRows = false;
        dest.Open(path, "T", {"insert into T (ID, CODE, NAME, CITY) values (:ID, :CODE, :NAME, :CITY)"},
                  {"update T set ID = :ID, CODE = :CODE, NAME = :NAME, CITY = :CITY where ID = :OLD_ID"},
                  {"delete from T where ID = :OLD_ID"});
    }

    // The table as the dataset's own transaction sees it.
    std::vector<std::string> rows()
    {
        std::vector<std::string> result;
        TIBSQL sql(&dest.Database, &dest.Transaction);
        sql.SetSQLText("select ID || '|' || CODE || '|' || NAME || '|' || COALESCE(CITY, '-') from T order by ID");
        for (sql.ExecQuery(); !sql.Eof(); sql.Next())
            result.push_back(sql.FieldAsString(0));
        return result;
    }

    TempDir dir;
    std::string path;
    TestDestination dest;
};

TEST_F(WritesNotKept, RowsAreFoundByAKeyThatIsNotThePrimaryKey)
{
    TIBQuery &q = dest.Query;
    ASSERT_TRUE(q.Locate("CODE", Variant(std::string("b"))));
    EXPECT_EQ(q.FieldByName("ID")->AsString(), "2");
    q.Edit();
    q.FieldByName("NAME")->SetValue(Variant(std::string("Bea")));
    q.Post(); // the city, given no value, keeps what the table holds

    q.Append();
    q.FieldByName("ID")->SetValue(Variant(9));
    q.FieldByName("CODE")->SetValue(Variant(std::string("z")));
    q.FieldByName("NAME")->SetValue(Variant(std::string("Zoe")));
    q.Post();
    EXPECT_FALSE(q.Locate("CODE", Variant(std::string("y"))));
    ASSERT_TRUE(q.Locate("CODE", Variant(std::string("z")))); // a row written by this run
    q.Edit();
    q.FieldByName("CITY")->SetValue(Variant(std::string("Graz")));
    q.Post();
    ASSERT_TRUE(q.Locate("CODE", Variant(std::string("a"))));
    q.Delete();
    EXPECT_FALSE(q.Locate("CODE", Variant(std::string("a"))));

    EXPECT_EQ(rows(), (std::vector<std::string>{"2|b|Bea|Oslo", "9|z|Zoe|Graz"}));
    // Nothing written was kept; browsing fetches the table anew.
    EXPECT_LE(q.RecordCount(), 1);
    std::vector<std::string> browsed;
    for (q.First(); !q.Eof(); q.Next())
        browsed.push_back(q.FieldByName("CODE")->AsString());
    EXPECT_EQ(browsed, (std::vector<std::string>{"b", "z"}));
}

// Presses Cancel once the given number of rows has been counted.
class CancellingHost : public TVxIRecordingHost {
public:
    explicit CancellingHost(int after) : after_(after) {}
    void UpdateProgress(const std::string &status, const TVxIProgressCounters &counters) override
    {
        if (counters.Processed >= after_)
            CancelRequested = true;
    }

private:
    int after_;
};

TEST_F(WritesNotKept, ACancelledRunSendsNothingOfTheBatchItHeld)
{
    std::string text;
    for (int i = 10; i < 400; ++i)
        text += std::to_string(i) + ";c" + std::to_string(i) + "\r\n";
    const std::string source = dir.Write("rows.csv", text);
    const std::string spec = dir.Write("rows.vxi", "[Common]\r\nTableType=Text\r\nSourceFileName=" + source +
                                                       "\r\n[Mappings]\r\nMap0=ID=Field1\r\nMap1=CODE=Field2\r\n"
                                                       "[Text]\r\nFieldDelimiter=3B\r\nRecordSeparator=0D0A\r\n"
                                                       "RowFieldNames=0\r\nRowFirst=1\r\n");
    CancellingHost host(150);
    TVxImportFromText import;
    import.Host = &host;
    import.LoadSpecification(spec);
    import.DataSet = &dest.Query;
    import.AnimatedStatus = true;
    import.Options.Include(TVxIOption::soAutoCloseStatistic);
    import.WriteBatchRows = 100;
    import.Execute();

    // Rows 101 to 151 were read and held when Cancel came: the run ends before them.
    EXPECT_EQ(import.Statistic.Result, TVxIResult::irCanceled);
    EXPECT_EQ(import.Statistic.TotalImported, 100);
    EXPECT_EQ(import.Statistic.TotalAdded, 100);
    EXPECT_GE(dest.Query.WriteBatch().BlocksPrepared(), 1);
    TIBSQL sql(&dest.Database, &dest.Transaction);
    sql.SetSQLText("select count(*) || ' ' || min(ID) || ' ' || max(ID) from T where ID >= 10");
    sql.ExecQuery();
    EXPECT_EQ(sql.FieldAsString(0), "100 10 109");
}

TEST_F(WritesNotKept, AFailingRowIsReportedWithTheCountersItHadWhenWritten)
{
    // Every seventh row repeats the one before: the server refuses it.
    std::string text;
    for (int i = 10; i < 150; ++i)
        text += std::to_string(i % 7 == 0 ? i - 1 : i) + ";c" + std::to_string(i) + "\r\n";
    const std::string source = dir.Write("rows.csv", text);
    const std::string spec = dir.Write("rows.vxi", "[Common]\r\nTableType=Text\r\nSourceFileName=" + source +
                                                       "\r\n[Mappings]\r\nMap0=ID=Field1\r\nMap1=CODE=Field2\r\n"
                                                       "[Text]\r\nFieldDelimiter=3B\r\nRecordSeparator=0D0A\r\n"
                                                       "RowFieldNames=0\r\nRowFirst=1\r\n");
    auto reports = [&](int batchRows) {
        TVxIRecordingHost host;
        TVxImportFromText import;
        import.Host = &host;
        import.LoadSpecification(spec);
        import.DataSet = &dest.Query;
        import.AnimatedStatus = false;
        import.AbortOnProblem = false;
        import.WriteBatchRows = batchRows;
        std::vector<std::string> seen;
        import.OnErrorEvent = [&](TVxImportBaseComponent * s, const std::exception &, bool &) {
            const TVxIStatistic &c = s->Statistic;
        seen.push_back(std::to_string(c.TotalImported) + " " + std::to_string(c.TotalAdded) + " " +
                       std::to_string(c.TotalErrors));
    };
    import.Execute();
    const TVxIStatistic &c = import.Statistic;
    seen.push_back("end " + std::to_string(c.TotalImported) + " " + std::to_string(c.TotalAdded) + " " +
                   std::to_string(c.TotalErrors));
    dest.Transaction.Rollback();
    dest.Query.Open();
    return seen;
};
const std::vector<std::string> single = reports(1);
EXPECT_EQ(single.size(), 21u); // 20 failures and the end
EXPECT_EQ(reports(6), single);
EXPECT_EQ(reports(50), single);
}

} // namespace

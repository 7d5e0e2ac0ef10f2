// The connection source over the SQLite ODBC driver and a database the test writes.

#include "CellText.h"
#include "OdbcTestDatabase.h"
#include "TempDir.h"
#include "sources/odbc/OdbcConnection.h"
#include "sources/odbc/VxI2ADO.h"

#include <gtest/gtest.h>

namespace {

using sources::odbc::TOdbcConnection;

TEST(OdbcSource, ACommandIsSelectOrWithAndABlank)
{
    const std::vector<std::pair<std::string, bool>> cases = {
        {"select * from t", true}, {"SELECT\tid FROM t", true}, {"With x as (select 1) select * from x", true},
        {"selection", false},      {"select", false},           {"people", false},
        {"my table", false},       {" select 1", false}};
    for (const auto &[text, command] : cases)
        EXPECT_EQ(sources::odbc::IsCommand(text), command) << text;
}

TEST(OdbcSource, TablesColumnsAndValues)
{
    TempDir dir;
    const std::string connectionString = WriteOdbcTestDatabase(dir.File("t.sqlite"));
    TOdbcConnection connection(connectionString);
    EXPECT_EQ(connection.TableNames(false), (std::vector<std::string>{"people", "adults"}));

    TVxImportFromADO source;
    source.SourceFileName = connectionString;
    source.SQL = "select id, name, born, score, null as missing, x'00ff41' as bytes from people order by id";
    source.OpenSource();
    source.CreateColumns();
    std::vector<TVxIDataType> types;
    for (int i = 0; i < source.Columns.Count(); ++i)
        types.push_back(source.Columns[i].DataType);
    EXPECT_EQ(types[0], TVxIDataType::itInteger);
    EXPECT_EQ(types[3], TVxIDataType::itFloat);
    EXPECT_EQ(source.GetRowCount(), 10000); // the driver does not know: only the progress shows it
    source.FirstRow();
    std::vector<std::string> values;
    for (; source.HasRow(); source.NextRow())
        for (const char *name : {"ID", "name", "born", "score", "missing"}) {
            Variant value;
            source.GetFieldValue(Variant(name), value);
            values.push_back(ValueText(value));
        }
    source.CloseSource();
    EXPECT_EQ(values, (std::vector<std::string>{"Integer:1", "String:Ann", "Date:1977-05-15 00:00:00", "Double:1.5",
                                                "Null:", "Integer:2", "String:Zo\xC3\xAB", "Date:2001-12-31 00:00:00",
                                                "Double:-3", "Null:"}));

    // A row window of the extremes does not overflow.
    source.RowFirst = -2147483647;
    source.RowLast = 2147483647;
    source.SQL = "adults";
    source.OpenSource();
    source.FirstRow();
    EXPECT_TRUE(source.HasRow());
}

TEST(OdbcSource, TheDriversReasonEndsAFailedOpen)
{
    TempDir dir;
    const std::string connectionString = WriteOdbcTestDatabase(dir.File("t.sqlite"));
    TVxImportFromADO source;
    source.SourceFileName = connectionString;
    source.SQL = "no such table";
    try {
        source.OpenSource();
        ADD_FAILURE() << "no error";
    } catch (const EVxIError &e) {
        EXPECT_NE(std::string(e.what()).find("no such table"), std::string::npos) << e.what();
    }
    EXPECT_THROW(ConnectionTableNames("", false), EVxIError);
    EXPECT_THROW(ConnectionTableNames("Driver=NoSuchDriver;", false), EVxIError);
}

} // namespace

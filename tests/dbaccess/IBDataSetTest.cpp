#include "FirebirdTestSupport.h"
#include "dbaccess/IBCustomDataSet.h"
#include "dbaccess/IBErrors.h"

#include <gtest/gtest.h>

namespace {

// A destination set up as the main window sets it up: one connection, one transaction,
// the browse query with its update object.
class DataSetTest : public ::testing::Test {
protected:
    void open(const std::vector<std::string> &ddl, const std::string &table, int dialect = 3)
    {
        path = dir.File("dest.fdb");
        CreateDatabase(path, ddl, dialect);
        transaction.Params = {"read_committed", "rec_version", "nowait"};
        database.SetDefaultTransaction(&transaction);
        database.Params = {"user_name=SYSDBA", "password=x", "lc_ctype=UTF8"};
        database.SetSQLDialect(dialect);
        database.SetDatabaseName(path);
        database.Open();
        query.SetDatabase(&database);
        query.UpdateObject = &update;
        query.SetSQL({"select * from " + table, ""});
        query.Open();
    }

    std::vector<std::string> committed(const std::string &select)
    {
        database.Close();
        return QueryColumn(path, select);
    }

    TempDir dir;
    std::string path;
    TIBDatabase database;
    TIBTransaction transaction;
    TIBQuery query;
    TIBUpdateSQL update;
};

const std::vector<std::string> clients = {
    "CREATE TABLE CLIENTS (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(30), CITY VARCHAR(20))",
    "INSERT INTO CLIENTS VALUES (1, 'Ann', 'Oslo')",
    "INSERT INTO CLIENTS VALUES (2, 'Bob', NULL)",
    "INSERT INTO CLIENTS VALUES (3, 'Cid', 'Rome')",
};

void setClientStatements(TIBUpdateSQL &update)
{
    update.InsertSQL = {"insert into CLIENTS", "  (ID, NAME, CITY)", "values", "  (:ID, :NAME, :CITY)"};
    update.ModifySQL = {"update CLIENTS", "set",   "  ID = :ID,",   "  NAME = :NAME,",
                        "  CITY = :CITY", "where", "  ID = :OLD_ID"};
    update.DeleteSQL = {"delete from CLIENTS", "where ", "  ID = :OLD_ID"};
}

TEST_F(DataSetTest, FieldsFollowTheServerMetadata)
{
    open({"CREATE TABLE M (ID BIGINT NOT NULL, CODE CHAR(4) NOT NULL, AMOUNT NUMERIC(12,2), "
          "CREATED DATE DEFAULT CURRENT_DATE NOT NULL, DOUBLED COMPUTED BY (ID * 2), NOTE BLOB SUB_TYPE TEXT)"},
         "M");
    struct Expect {
        const char *name;
        TFieldType type;
        bool required, readOnly;
        int size;
    };
    const std::vector<Expect> expected = {
        {"ID", TFieldType::ftLargeint, true, false, 0},      {"CODE", TFieldType::ftFixedChar, true, false, 4},
        {"AMOUNT", TFieldType::ftBCD, false, false, 2},      {"CREATED", TFieldType::ftDate, false, false, 0},
        {"DOUBLED", TFieldType::ftLargeint, false, true, 0}, {"NOTE", TFieldType::ftMemo, false, false, 0},
    };
    ASSERT_EQ(query.FieldCount(), static_cast<int>(expected.size()));
    for (const auto &e : expected) {
        TField *f = query.FieldByName(e.name);
        EXPECT_EQ(f->DataType(), e.type) << e.name;
        EXPECT_EQ(f->Required(), e.required) << e.name;
        EXPECT_EQ(f->ReadOnly(), e.readOnly) << e.name;
        EXPECT_EQ(f->Size(), e.size) << e.name;
    }
    EXPECT_TRUE(query.NeedsRefresh());
    EXPECT_EQ(query.FieldByName("AMOUNT")->Precision(), 12);
}

TEST_F(DataSetTest, AppendPostsThroughTheInsertStatementOncePrepared)
{
    open(clients, "CLIENTS");
    setClientStatements(update);
    for (int id = 10; id < 13; ++id) {
        query.Append();
        query.FieldByName("ID")->SetValue(Variant(id));
        query.FieldByName("NAME")->SetAsString("n" + std::to_string(id));
        query.Post();
    }
    EXPECT_EQ(update.QueriesCreated(), 1);
    EXPECT_EQ(query.FieldByName("ID")->AsString(), "12");
    EXPECT_EQ(query.RecordCount(), 6);
    EXPECT_EQ(committed("select NAME from CLIENTS where ID >= 10 order by ID"),
              (std::vector<std::string>{"n10", "n11", "n12"}));
}

TEST_F(DataSetTest, ModifyMatchingNoRowFailsAndKeepsEditing)
{
    open(clients, "CLIENTS");
    setClientStatements(update);
    update.ModifySQL.back() = "  ID = :OLD_ID + 1000";
    query.Edit();
    query.FieldByName("NAME")->SetAsString("Changed");
    try {
        query.Post();
        FAIL();
    } catch (const EIBClientError &e) {
        EXPECT_EQ(std::string(e.what()), "Update Failed");
        EXPECT_EQ(e.SQLCode, 70);
    }
    EXPECT_EQ(query.State(), TDataSetState::dsEdit);
    query.Cancel();
    EXPECT_EQ(query.FieldByName("NAME")->AsString(), "Ann");
}

TEST_F(DataSetTest, MissingStatementsAndRequiredFields)
{
    open(clients, "CLIENTS");
    query.Append();
    EXPECT_THROW(
        {
            try {
                query.Post();
            } catch (const EDatabaseError &e) {
                EXPECT_STREQ(e.what(), "Le champ 'ID' doit avoir une valeur");
                throw;
            }
        },
        EDatabaseError);
    query.FieldByName("ID")->SetValue(Variant(9));
    const std::vector<std::pair<TUpdateKind, std::string>> cases = {
        {TUpdateKind::ukInsert, "Cannot insert into dataset. (No insert query)"},
        {TUpdateKind::ukModify, "Cannot update. (No update query)"},
        {TUpdateKind::ukDelete, "Cannot delete from dataset. (No delete query)"},
    };
    for (const auto &[kind, message] : cases) {
        try {
            if (kind == TUpdateKind::ukInsert) {
                query.Post();
            } else if (kind == TUpdateKind::ukModify) {
                query.Cancel();
                query.First();
                query.Edit();
                query.Post();
            } else {
                query.Cancel();
                query.Delete();
            }
            FAIL() << message;
        } catch (const EIBClientError &e) {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST_F(DataSetTest, OldParametersQuotedRepeatedAndUnknown)
{
    open(clients, "CLIENTS");
    // NAME twice: each occurrence is filled; NOSUCH matches no field and goes as null.
    update.ModifySQL = {"update CLIENTS set ID = :ID, NAME = :NAME || :name, CITY = :NOSUCH", "where ID = :\"OLD_ID\""};
    ASSERT_TRUE(query.Locate("ID", Variant(3)));
    query.Edit();
    query.FieldByName("ID")->SetValue(Variant(20));
    query.FieldByName("NAME")->SetAsString("Bo");
    query.Post();
    EXPECT_EQ(committed("select ID || ':' || NAME || ':' || COALESCE(CITY, '-') from CLIENTS where ID = 20"),
              std::vector<std::string>{"20:BoBo:-"});
}

TEST_F(DataSetTest, TextIsCutToTheDeclaredSize)
{
    open({"CREATE TABLE S (ID INTEGER, NAME VARCHAR(30), CODE CHAR(3))"}, "S");
    update.InsertSQL = {"insert into S (ID, NAME, CODE) values (:ID, :NAME, :CODE)"};
    query.Append();
    query.FieldByName("ID")->SetValue(Variant(1));
    query.FieldByName("NAME")->SetAsString(std::string(40, 'x'));
    query.FieldByName("CODE")->SetAsString("\xC3\xA9t\xC3\xA9s"); // "étés": 4 characters, 6 bytes
    EXPECT_EQ(query.FieldByName("NAME")->AsString(), std::string(30, 'x'));
    EXPECT_EQ(query.FieldByName("CODE")->AsString(), "\xC3\xA9t\xC3\xA9");
    query.Post();
    EXPECT_EQ(committed("select NAME || '|' || CODE from S"),
              std::vector<std::string>{std::string(30, 'x') + "|\xC3\xA9t\xC3\xA9"});
}

TEST_F(DataSetTest, RefreshOnlyWhenAColumnHasADefault)
{
    open({"CREATE TABLE P (ID INTEGER NOT NULL, NAME VARCHAR(10))"}, "P");
    update.InsertSQL = {"insert into P (ID, NAME) values (:ID, :NAME)"};
    update.RefreshSQL = {"select * from NO_SUCH_TABLE where ID = :ID"}; // would fail if run
    EXPECT_FALSE(query.NeedsRefresh());
    query.Append();
    query.FieldByName("ID")->SetValue(Variant(1));
    EXPECT_NO_THROW(query.Post());
    query.Close();

    TIBSQL ddl(&database, &transaction);
    ddl.SetSQLText("ALTER TABLE P ADD STATUS VARCHAR(8) DEFAULT 'new'");
    ddl.ExecQuery();
    transaction.Commit();
    update.RefreshSQL = {"select ID, NAME, STATUS from P where ID = :ID"};
    query.Open();
    EXPECT_TRUE(query.NeedsRefresh());
    query.Append();
    query.FieldByName("ID")->SetValue(Variant(2));
    query.Post();
    EXPECT_EQ(query.FieldByName("STATUS")->AsString(), "new");
}

TEST_F(DataSetTest, GeneratorDrawsOnAppendEvenWhenCancelled)
{
    open({"CREATE TABLE G (ID INTEGER NOT NULL, BIG BIGINT, NAME VARCHAR(10))", "CREATE SEQUENCE \"seq_g\"",
          "CREATE SEQUENCE SEQ_UP"},
         "G");
    update.InsertSQL = {"insert into G (ID, BIG, NAME) values (:ID, :BIG, :NAME)"};

    query.GeneratorField.Generator = "seq_g"; // only the name: nothing happens
    query.Append();
    EXPECT_TRUE(query.FieldByName("ID")->IsNull());
    query.Cancel();

    query.GeneratorField.Field = "ID";
    query.Append();
    EXPECT_EQ(query.FieldByName("ID")->Value().VarType(), TVarType::varInteger);
    EXPECT_EQ(query.FieldByName("ID")->AsString(), "1");
    query.Cancel();
    query.Append();
    EXPECT_EQ(query.FieldByName("ID")->AsString(), "2");
    query.FieldByName("ID")->SetValue(Variant(50)); // a mapped value replaces the generated one
    query.Post();

    query.GeneratorField.Generator = "SEQ_UP";
    query.GeneratorField.Field = "BIG";
    query.Append();
    EXPECT_EQ(query.FieldByName("BIG")->Value().VarType(), TVarType::varInt64);
    query.Cancel();
    EXPECT_EQ(committed("select gen_id(\"seq_g\", 0) from rdb$database"), std::vector<std::string>{"2"});
}

TEST(GeneratorStatement, NameIsWrittenForTheDialect)
{
    TIBGeneratorField g;
    g.Generator = " seq_Mixed\"x ";
    g.Field = "ID";
    EXPECT_EQ(g.Statement(1), "SELECT GEN_ID(SEQ_MIXED\"X, 1) FROM RDB$DATABASE");
    g.Generator = "seq_Mixed\"x";
    g.IncrementBy = 5;
    EXPECT_EQ(g.Statement(3), "SELECT GEN_ID(\"seq_Mixed\"\"x\", 5) FROM RDB$DATABASE");
}

TEST_F(DataSetTest, LocateMatchesExactlyAndKeepsTheCursorWhenNotFound)
{
    open(clients, "CLIENTS");
    query.Next(); // on Bob
    const std::vector<std::tuple<std::string, Variant, bool, std::string>> cases = {
        {"ID", Variant(3), true, "Cid"},
        {"ID", Variant("1"), true, "Ann"},
        {"NAME", Variant("bob"), false, "Ann"}, // exact case
        {"CITY", Variant::Null(), true, "Bob"}, // Null matches Null only
        {"ID;CITY", Variant::Array({Variant(3), Variant("Rome")}), true, "Cid"},
        {"ID;CITY", Variant::Array({Variant(3), Variant::Null()}), false, "Cid"},
        {"id; name", Variant::Array({Variant(1), Variant("Ann")}), true, "Ann"},
        {"ID", Variant(99), false, "Ann"},
    };
    for (const auto &[fields, values, found, name] : cases) {
        EXPECT_EQ(query.Locate(fields, values), found) << fields;
        EXPECT_EQ(query.FieldByName("NAME")->AsString(), name) << fields;
    }
    EXPECT_THROW(query.Locate("ID;NAME", Variant(1)), EVariantError);
    EXPECT_THROW(query.Locate("NOPE", Variant(1)), EDatabaseError);
}

TEST_F(DataSetTest, LocateStaysRightAcrossPostsEditsAndDeletes)
{
    open(clients, "CLIENTS");
    setClientStatements(update);
    ASSERT_TRUE(query.Locate("ID", Variant(2)));
    query.Append();
    query.FieldByName("ID")->SetValue(Variant(4));
    query.Post();
    EXPECT_TRUE(query.Locate("ID", Variant(4)));

    ASSERT_TRUE(query.Locate("ID", Variant(1)));
    query.Edit();
    query.FieldByName("ID")->SetValue(Variant(100));
    query.Post();
    EXPECT_FALSE(query.Locate("ID", Variant(1)));
    EXPECT_TRUE(query.Locate("ID", Variant(100)));

    ASSERT_TRUE(query.Locate("ID", Variant(3)));
    query.Delete();
    EXPECT_FALSE(query.Locate("ID", Variant(3)));
    EXPECT_EQ(query.FieldByName("ID")->AsString(), "4"); // the row after the deleted one
    EXPECT_EQ(query.RecordCount(), 3);
}

TEST_F(DataSetTest, DeletingEveryRowFromTheFirst)
{
    open(clients, "CLIENTS");
    setClientStatements(update);
    int deleted = 0;
    for (query.First(); !query.Eof(); ++deleted)
        query.Delete();
    EXPECT_EQ(deleted, 3);
    EXPECT_TRUE(query.IsEmpty());
    EXPECT_EQ(committed("select count(*) from CLIENTS"), std::vector<std::string>{"0"});
}

TEST_F(DataSetTest, ValuesRoundTripByType)
{
    open({"CREATE TABLE V (I SMALLINT, N NUMERIC(12,2), F DOUBLE PRECISION, D DATE, T TIME, TS TIMESTAMP, "
          "B BOOLEAN, M BLOB SUB_TYPE TEXT, C CHAR(5))"},
         "V");
    update.InsertSQL = {"insert into V values (:I, :N, :F, :D, :T, :TS, :B, :M, :C)"};
    query.Append();
    query.FieldByName("I")->SetAsString("-12");
    query.FieldByName("N")->SetAsString("1234.5");
    query.FieldByName("F")->SetValue(Variant(0.25));
    query.FieldByName("D")->SetValue(Variant::DateTime(EncodeDate(2024, 2, 29) + 0.5));
    query.FieldByName("T")->SetValue(Variant::DateTime(EncodeTime(13, 45, 30, 0)));
    query.FieldByName("TS")->SetValue(Variant::DateTime(EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 0)));
    query.FieldByName("B")->SetAsString("True");
    query.FieldByName("M")->SetAsString(std::string(70000, 'm'));
    query.FieldByName("C")->SetAsString("ab");
    query.Post();
    query.Close();
    query.Open();
    EXPECT_EQ(query.FieldByName("I")->Value().AsInteger(), -12);
    EXPECT_EQ(query.FieldByName("N")->Value().AsDouble(), 1234.5);
    EXPECT_EQ(query.FieldByName("F")->Value().AsDouble(), 0.25);
    EXPECT_EQ(query.FieldByName("D")->Value().AsDateTime(), EncodeDate(2024, 2, 29));
    EXPECT_NEAR(query.FieldByName("T")->Value().AsDateTime(), EncodeTime(13, 45, 30, 0), 1e-9);
    EXPECT_NEAR(query.FieldByName("TS")->Value().AsDateTime(), EncodeDate(1999, 12, 31) + EncodeTime(23, 59, 59, 0),
                1e-9);
    EXPECT_TRUE(query.FieldByName("B")->Value().AsBoolean());
    EXPECT_EQ(query.FieldByName("M")->AsString(), std::string(70000, 'm'));
    EXPECT_EQ(query.FieldByName("C")->AsString(), "ab");
    EXPECT_THROW(query.FieldByName("I")->SetAsString("x"), EDatabaseError); // not editing
}

// A grid reads fetched rows without moving the cursor and hears of every change that
// matters to it, but nothing while the controls are disabled.
TEST_F(DataSetTest, GridAccessAndNotifications)
{
    std::vector<TDataEvent> events;
    query.OnDataEvent = [&](TDataEvent e) { events.push_back(e); };
    open(clients, "CLIENTS");
    setClientStatements(update);
    EXPECT_EQ(events, std::vector<TDataEvent>{TDataEvent::deDataSetChange}); // not the first row first
    EXPECT_EQ(query.RecordCount(), 1);
    EXPECT_EQ(query.RecordValue(2, 1), nullptr); // not fetched yet

    EXPECT_EQ(query.FetchMore(10), 2);
    EXPECT_TRUE(query.AllFetched());
    EXPECT_EQ(query.RecNo(), 1);
    ASSERT_NE(query.RecordValue(3, 1), nullptr);
    EXPECT_EQ(query.RecordValue(3, 1)->AsString(), "Cid");
    EXPECT_EQ(query.RecordValue(0, 1), nullptr);
    EXPECT_EQ(query.RecordValue(1, 7), nullptr);

    events.clear();
    query.Next();
    query.MoveToRecord(3);
    query.Delete(); // a deleted row no longer counts: row 2 is still Bob, there is no row 3
    EXPECT_EQ(events, (std::vector<TDataEvent>{TDataEvent::deRecordChange, TDataEvent::deRecordChange,
                                               TDataEvent::deDataSetChange}));
    EXPECT_EQ(query.RecordValue(2, 1)->AsString(), "Bob");
    EXPECT_EQ(query.RecordValue(3, 1), nullptr);

    events.clear();
    query.DisableControls();
    query.DisableControls();
    query.First();
    query.Append();
    query.FieldByName("ID")->SetAsString("9");
    query.Post();
    query.EnableControls();
    EXPECT_TRUE(events.empty());
    query.EnableControls();
    EXPECT_EQ(events, std::vector<TDataEvent>{TDataEvent::deDataSetChange});

    events.clear();
    database.Close();
    EXPECT_EQ(events, std::vector<TDataEvent>{TDataEvent::deDataSetChange});
    EXPECT_EQ(query.RecordValue(1, 0), nullptr);
}

} // namespace

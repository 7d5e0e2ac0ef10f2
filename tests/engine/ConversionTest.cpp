#include "FirebirdTestSupport.h"
#include "dbaccess/IBCustomDataSet.h"
#include "ListSource.h"

#include <gtest/gtest.h>

namespace {

class EncodedSource : public TListSource {
public:
    bool Encoded = false;
    bool IsBLOBEncoded() override { return Encoded; }
};

// Values read for destination fields of every conversion group.
class ConversionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = dir.File("conv.fdb");
        CreateDatabase(path, {"CREATE TABLE TYPES (I INTEGER, N NUMERIC(12,2), D DATE, T TIME, B BOOLEAN, "
                              "S VARCHAR(20), M BLOB SUB_TYPE 0)"});
        database.SetDefaultTransaction(&transaction);
        database.Params = {"user_name=SYSDBA", "lc_ctype=UTF8"};
        database.SetDatabaseName(path);
        database.Open();
        query.SetDatabase(&database);
        query.SetSQL({"select * from TYPES"});
        query.Open();
        source.DataSet = &query;
    }

    // The value of one expression over a one-row source, for the named field.
    Variant read(const std::string &field, const std::string &text, const std::string &expression = "Field1")
    {
        source.Rows = {{text}};
        source.SetCurrentRow(0);
        source.CurrentFieldIndex = query.FieldByName(field)->Index();
        Variant value;
        source.EvaluateExpression(Variant(expression), source.CurrentFieldIndex, value);
        source.CurrentFieldIndex = -1;
        return value;
    }

    TempDir dir;
    std::string path;
    TIBDatabase database;
    TIBTransaction transaction;
    TIBQuery query;
    EncodedSource source;
};

struct Case {
    const char *field;
    const char *text;
    Variant expected;
};

void expectCases(ConversionTest *t, const std::vector<Case> &cases,
                 const std::function<Variant(const char *, const char *)> &read)
{
    for (const auto &c : cases) {
        const Variant v = read(c.field, c.text);
        EXPECT_TRUE(v.SameAs(c.expected) ||
                    (v.IsString() && c.expected.IsString() && v.AsString() == c.expected.AsString()))
            << c.field << " <- \"" << c.text << "\" gave " << (v.IsNull() ? "Null" : v.AsString()) << " ("
            << Variant::TypeName(v.VarType()) << ")";
    }
}

TEST_F(ConversionTest, NumbersBooleansAndFieldNames)
{
    source.DataFormats.ThousandSeparator = '.';
    source.DataFormats.DecimalSeparator = ',';
    source.DataFormats.CurrencyString = "$";
    const std::vector<Case> cases = {
        {"N", "1.234,50", Variant(1234.5)},
        {"N", "$12", Variant(12.0)},
        {"N", ",5", Variant(0.5)},
        {"N", "NULL", Variant::Null()},
        {"N", "n", Variant(0)}, // a header row read as data
        {"I", "i", Variant(0)},
        {"I", "12x", Variant("12x")}, // left to the field's own conversion
        {"D", "D", Variant::Null()},
        {"B", "T", Variant(true)},
        {"B", "Y", Variant(true)},
        {"B", "1", Variant(true)},
        {"B", "True", Variant(true)},
        {"B", "t", Variant("t")},
        {"B", "F", Variant(false)},
        {"B", "-1", Variant::Null()},
    };
    expectCases(this, cases, [&](const char *f, const char *t) { return read(f, t); });
}

TEST_F(ConversionTest, DatesAndTimesByTheMasks)
{
    source.DataFormats.DateOrder = TVxIDateOrder::doDMY;
    source.DataFormats.DateSeparator = '/';
    source.DataFormats.FourDigitYear = true;
    EXPECT_TRUE(read("D", "31/12/2003").SameAs(Variant::DateTime(EncodeDate(2003, 12, 31))));
    EXPECT_TRUE(read("D", "5/1/2003").SameAs(Variant::DateTime(EncodeDate(2003, 1, 5))));
    // Inside a function the text is only trimmed; the field converts it later.
    EXPECT_EQ(read("D", "31/12/2003", "TRIM(Field1)").AsString(), "31/12/2003");

    source.DataFormats.DateOrder = TVxIDateOrder::doMDY;
    source.DataFormats.FourDigitYear = false;
    EXPECT_TRUE(read("D", "12/31/2003").SameAs(Variant::DateTime(EncodeDate(2020, 12, 31))));
    source.DataFormats.CustomDateTimeFormat = "dd-mmm-yyyy";
    EXPECT_TRUE(read("D", "31-DEC-2003").SameAs(Variant::DateTime(EncodeDate(2003, 12, 31))));

    EXPECT_NEAR(read("T", "11:30:00 PM").AsDateTime(), EncodeTime(23, 30, 0, 0), 1e-9);
    EXPECT_EQ(read("T", "11:30 PM").AsString(), "11:30 PM"); // unreadable: the error is absorbed
}

TEST_F(ConversionTest, TrimmingAndBlanks)
{
    source.TrimSpaces = TVxITrimSpaces::tsTrimLeftRight;
    EXPECT_TRUE(read("I", "   ").IsNull());
    EXPECT_EQ(read("S", "  x \t").AsString(), "x");
    source.TrimSpaces = TVxITrimSpaces::tsNoTrim;
    EXPECT_TRUE(read("I", "   ").SameAs(Variant(0)));
    source.TrimSpaces = TVxITrimSpaces::tsTrimRight;
    EXPECT_EQ(read("S", "  x  ").AsString(), "  x");
}

TEST_F(ConversionTest, CDataAndBase64Blobs)
{
    EXPECT_EQ(read("S", "[CDATA[abc]]").AsString(), "abc");
    source.Encoded = true;
    EXPECT_EQ(read("M", "[CDATA[SGVsbG8=]]").AsString(), "Hello");
    EXPECT_EQ(read("M", "SGVsbG8=").AsString(), "Hello");
    EXPECT_EQ(read("S", "SGVsbG8=").AsString(), "SGVsbG8="); // not a BLOB field
    // A CDATA section bound for a text field is text, never Base64.
    EXPECT_EQ(read("S", "[CDATA[Tom & Jerry]]").AsString(), "Tom & Jerry");
    EXPECT_EQ(read("S", "[CDATA[a<b]]").AsString(), "a<b");
}

TEST_F(ConversionTest, RowValuesLoseUnknownNamesAndConvertCharacterSets)
{
    source.Mappings = {"S=Field1", "I=Field9", "N=Field2"};
    source.Rows = {{"\xC8\x89", "7"}};
    source.CharacterSet = TVxICharacterSet::csiEBCDIC;
    source.PrepareMappings();
    source.PrepareRowValues();
    source.SetCurrentRow(0);
    ASSERT_TRUE(source.ProcessRow());
    EXPECT_EQ(source.RowValues[0][2].AsString(), "Hi");
    EXPECT_TRUE(source.RowValues[1][2].IsNull()); // no such column: the name came back
    EXPECT_TRUE(source.RowValues[2][2].SameAs(Variant(7.0)));
}

} // namespace

namespace {

TEST_F(ConversionTest, FieldNamesAndLiteralsOfStatements)
{
    const std::vector<std::pair<TVxIFieldCharCase, std::pair<std::string, std::string>>> names = {
        {TVxIFieldCharCase::ifcNormal, {"TYPE", "[TYPE]"}},
        {TVxIFieldCharCase::ifcNormal, {"FIRST NAME", "[FIRST NAME]"}},
        {TVxIFieldCharCase::ifcNormal, {"desc", "[desc]"}},
        {TVxIFieldCharCase::ifcProper, {"CUSTOMER_NAME", "Customer_name"}},
        {TVxIFieldCharCase::ifcLowerCase, {"ID", "id"}},
    };
    for (const auto &[charCase, io] : names) {
        source.SQLOptions.FieldNameCharCase = charCase;
        EXPECT_EQ(source.FormatFieldName(io.first), io.second);
    }

    TFormatSettings comma = RegionalSettings::current();
    comma.DecimalSeparator = ',';
    RegionalSettings::override(comma);
    source.SQLOptions.SQLQuote = '\'';
    EXPECT_EQ(source.FormatLiteral(Variant(3.5), query.FieldByName("N")), "3.5");
    EXPECT_EQ(source.FormatLiteral(Variant(3.5), query.FieldByName("S")), "'3,5'");
    EXPECT_EQ(source.FormatLiteral(Variant("O'Brien"), query.FieldByName("S")), "'O''Brien'");
    EXPECT_EQ(source.FormatLiteral(Variant::Null(), query.FieldByName("I")), "NULL");
    EXPECT_EQ(source.FormatLiteral(Variant(7), nullptr), "'7'");
    RegionalSettings::override(RegionalSettings::fromLocale("C"));
}

} // namespace

#include "sources/text/VxI2TXT.h"

namespace {

TEST_F(ConversionTest, FixedWidthBreaksAreGuessedFromTheFieldWidths)
{
    // I INTEGER, N NUMERIC(12,2), D DATE, T TIME, B BOOLEAN, S VARCHAR(20), M BLOB
    auto guess = [&](const std::string &line, char qualifier) {
        std::vector<TTextPosition> breaks;
        SplitTextLine(&query, true, ',', line, qualifier, breaks);
        std::vector<std::pair<int, int>> pairs;
        for (const auto &b : breaks)
            pairs.emplace_back(b.Start, b.End);
        return pairs;
    };
    using P = std::vector<std::pair<int, int>>;
    EXPECT_EQ(guess(std::string(200, 'x'), '\0'),
              (P{{1, 11}, {12, 26}, {27, 36}, {37, 46}, {47, 51}, {52, 71}, {72, 81}}));
    EXPECT_EQ(guess(std::string(30, 'x'), '\0'), (P{{1, 11}, {12, 26}, {27, 30}}));
    // An empty line, held on the heap so that a read before it shows under the sanitizers
    // (an empty field-name row once made the guess read the byte before the line).
    const std::unique_ptr<char[]> empty(new char[1]);
    std::vector<TTextPosition> breaks;
    SplitTextLine(&query, true, ',', std::string_view(empty.get(), 0), '\0', breaks);
    ASSERT_EQ(breaks.size(), 1u);
    EXPECT_EQ(breaks[0].End, 0);
    // Widths count characters: "é" takes one position of the integer's eleven.
    const std::string accented = "\xC3\xA9" + std::string(29, 'x');
    EXPECT_EQ(guess(accented, '\0'), (P{{1, 11}, {12, 26}, {27, 30}}));
    std::vector<TTextPosition> none;
    SplitTextLine(nullptr, true, ',', "abc", '\0', none);
    EXPECT_TRUE(none.empty());
}

} // namespace

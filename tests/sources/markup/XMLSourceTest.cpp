// The XML source: attribute rows and element records, field lists, records named after the
// destination table, values as attributes, elements and CDATA, the row window, the
// preview, and hostile documents.

#include "Files.h"
#include "TestData.h"
#include "engine/MemoryDataSet.h"
#include "sources/markup/VxI2XML.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace {

constexpr const char *None = "<none>";
using Rows = std::vector<std::vector<std::string>>;

// The named values of every kept record; None where the record has no such value.
Rows readRows(TVxImportFromXML &source, const std::vector<std::string> &names)
{
    Rows rows;
    source.OpenSource();
    for (source.FirstRow(); source.HasRow(); source.NextRow()) {
        source.CurrentLine = source.RecordTexts.at(static_cast<std::size_t>(source.CurrentRowIndex));
        std::vector<std::string> row;
        for (const std::string &name : names) {
            Variant value;
            source.GetFieldValue(Variant(name), value);
            row.push_back(value.AsString() == name ? None : value.AsString());
        }
        rows.push_back(row);
    }
    return rows;
}

Rows readText(const std::string &xml, const std::vector<std::string> &names, const std::string &table = {})
{
    std::istringstream stream(xml);
    TVxImportFromXML source;
    source.SourceStream = &stream;
    source.TableName = table;
    return readRows(source, names);
}

std::vector<std::string> columnNames(const TVxImportFromXML &source)
{
    std::vector<std::string> names;
    for (const TXMLColumnName &c : source.ColumnNames)
        names.push_back(c.Name);
    return names;
}

TEST(XMLSource, ValueLookup)
{
    struct Case {
        const char *what;
        std::string name, text, value;
        bool found;
    };
    const std::vector<Case> cases = {
        {"attribute", "AGE", " NAME=\"x\" AGE=\"3\"/>", "3", true},
        {"any case", "age", " Age=\"3\"", "3", true},
        {"single quotes", "AGE", " AGE='3'/>", "3", true},
        {"tab before the name", "AGE", "\n\tAGE=\"3\"", "3", true},
        {"blanks around =", "AGE", " AGE = '3'", "3", true},
        {"a longer name is another attribute", "AGE", " PAGE=\"1\" AGE=\"2\"", "2", true},
        {"element", "NAME", "<NAME>x</NAME></RECORD>", "x", true},
        {"closing tag with a blank", "NAME", "<NAME>x</NAME ></RECORD>", "x", true},
        {"an attribute wins over an element", "A", "<B A=\"attr\"/><A>elem</A>", "attr", true},
        {"line breaks inside a value", "ADDRESS", "<ADDRESS>12 Main St\nSpringfield</ADDRESS>",
         "12 Main St\nSpringfield", true},
        {"CDATA comes whole", "NOTE", "<NOTE><![CDATA[a<b]]></NOTE>", "[CDATA[a<b]]", true},
        {"CDATA with a '>'", "NOTE", "<NOTE><![CDATA[a>b]]></NOTE>", "[CDATA[a>b]]", true},
        {"Base64 keeps its padding", "PIC", "<PIC><![CDATA[SGVsbG8=]]></PIC>", "[CDATA[SGVsbG8=]]", true},
        {"an empty element", "NOTE", "<NOTE></NOTE>", "", true},
        {"a self-closed element is no value", "NOTE", "<NOTE/>", "", false},
        {"not there", "ZIP", "<NAME>x</NAME>", "", false},
    };
    for (const Case &c : cases) {
        std::string value;
        EXPECT_EQ(FindXMLValue(c.name, c.text, value), c.found) << c.what;
        if (c.found)
            EXPECT_EQ(value, c.value) << c.what;
    }
    EXPECT_EQ(XMLValue("ZIP", "<NAME>x</NAME>"), "ZIP");
}

TEST(XMLSource, FieldTypes)
{
    using D = TVxIDataType;
    const std::vector<std::tuple<const char *, const char *, D>> cases = {
        {"i4", "", D::itInteger},
        {"UI2", "", D::itInteger},
        {"boolean", "", D::itBoolean},
        {"r8", "", D::itFloat},
        {"fixed", "", D::itFloat},
        {"date", "", D::itDate},
        {"time", "", D::itTime},
        {"dateTime", "", D::itDateTime},
        {"blob", "Text", D::itMEMO},
        {"blob", "Graphic", D::itGraphic},
        {"blob", "x", D::itBLOB},
        {"memo", "", D::itMEMO},
        {"picture", "", D::itGraphic},
        {"bin.hex", "Text", D::itMEMO},
        {"bin.hex", "Graphic", D::itGraphic},
        {"bin.hex", "", D::itBLOB},
        {"string", "Image", D::itGraphic},
        {"string", "", D::itString},
    };
    for (const auto &[type, sub, expected] : cases)
        EXPECT_EQ(MapXMLFieldType(type, sub), expected) << type << "/" << sub;
}

TEST(XMLSource, DataPacketWithFieldList)
{
    TVxImportFromXML source;
    source.SourceFileName = XmlData("datapacket.xml");
    // The default records tag is RECORDS, yet a data packet's ROWDATA is read as the
    // preview shows it.
    EXPECT_EQ(
        readRows(source, {"ID", "NAME", "SALARY", "ACTIVE"}),
        (Rows{{"1", "Ann", "1234.5", "TRUE"}, {"2", "Tom & Jerry", "2000", "FALSE"}, {"3", "Zed", None, "TRUE"}}));
    source.CreateColumns();
    ASSERT_EQ(source.Columns.Count(), 6);
    EXPECT_EQ(source.Columns[0].FieldName, "ID");
    EXPECT_EQ(source.Columns[0].DataType, TVxIDataType::itInteger);
    EXPECT_EQ(source.Columns[1].Size, 30);
    EXPECT_EQ(source.Columns[2].DataType, TVxIDataType::itDate);
    EXPECT_EQ(source.Columns[5].DataType, TVxIDataType::itMEMO);
    EXPECT_EQ(source.Columns[5].Caption, "NOTES");
}

TEST(XMLSource, RecordLayouts)
{
    struct Case {
        const char *what;
        std::string file;
        std::string table;
        std::vector<std::string> names;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {"element records",
         "records.xml",
         "",
         {"ID", "NAME", "ADDRESS", "NOTE"},
         {{"1", "Ann Lee", "12 Main St\nSpringfield", "runs a café"},
          {"2", "[CDATA[Tom & Jerry]]", "3 Elm Rd", "[CDATA[a<b]]"},
          {"3", "O'Brien", "7 Oak Ave", None}}},
        {"attribute rows: tabs, line breaks, single quotes, blanks around =",
         "attribute-rows.xml",
         "",
         {"NAME", "AGE"},
         {{"x", "3"}, {"y", "4"}, {"z", "5"}}},
        {"records named after the destination table",
         "customers.xml",
         "customer",
         {"CUST_NO", "NAME", "CITY"},
         {{"1", "Millstone Bakery", "Leeds"}, {"2", "Kite & Co", "Porto"}, {"3", "Harbour Tools, Inc.", "Oslo"}}},
        {"namespaces", "namespaces.xml", "", {"ID", "NAME"}, {{"1", "Ann"}, {"2", "Bob"}}},
        {"UTF-16", "utf16.xml", "", {"NAME"}, {{"Zoë"}, {"Łukasz"}}},
        {"Latin-1", "latin1.xml", "", {"NAME"}, {{"Renée"}, {"Iñigo Muñoz"}}},
    };
    for (const Case &c : cases) {
        TVxImportFromXML source;
        source.SourceFileName = XmlData(c.file);
        source.TableName = c.table;
        EXPECT_EQ(readRows(source, c.names), c.rows) << c.what;
        // Without a field list the first record names the columns.
        const std::vector<std::string> found = columnNames(source);
        for (const std::string &name : c.names)
            EXPECT_NE(std::find(found.begin(), found.end(), name), found.end()) << c.what << ": " << name;
    }
}

TEST(XMLSource, EncodingIsReported)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"utf16.xml", "UTF-16"}, {"latin1.xml", "ISO-8859-1"}, {"records.xml", "UTF-8"}, {"customers.xml", ""}};
    for (const auto &[file, encoding] : cases) {
        TVxImportFromXML source;
        source.SourceFileName = XmlData(file);
        source.OpenSource();
        EXPECT_EQ(source.Encoding, encoding) << file;
    }
}

TEST(XMLSource, TagsAndMalformedRecords)
{
    struct Case {
        const char *what;
        std::string xml;
        Rows rows;
    };
    const std::vector<Case> cases = {
        {"a comment and a blank before the records",
         "<!-- c --> <RECORDS><RECORD><A>1</A></RECORD></RECORDS>",
         {{"1"}}},
        {"records without a records element", "<RECORD><A>1</A></RECORD><RECORD><A>2</A></RECORD>", {{"1"}, {"2"}}},
        {"a record tag with attributes", "<RECORDS><RECORD id=\"7\"><A>1</A></RECORD></RECORDS>", {{"1"}}},
        {"a first child with attributes",
         "<RECORDS><RECORD><A x=\"y>z\">1</A></RECORD><RECORD><A>2</A></RECORD></RECORDS>",
         {{"1"}, {"2"}}},
        // A row element without attributes holds its fields as elements and ends at its
        // own closing tag.
        {"element rows", "<ROWDATA><ROW><A>1</A></ROW><ROW><A>2</A></ROW></ROWDATA>", {{"1"}, {"2"}}},
        {"a '>' in a value",
         "<RECORDS><RECORD><A>x > y</A></RECORD><RECORD><A>2</A></RECORD></RECORDS>",
         {{"x > y"}, {"2"}}},
        {"an empty record", "<RECORDS><RECORD></RECORD><RECORD><A>2</A></RECORD></RECORDS>", {{None}, {"2"}}},
        {"no records element", "<DATA><ITEM><A>1</A></ITEM></DATA>", {}},
        {"a record cut off", "<RECORDS><RECORD><A>1</A><A", {{"1"}}},
        {"lower case tags", "<records><record><A>1</A></record></records>", {{"1"}}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readText(c.xml, {"A"}), c.rows) << c.what;

    std::istringstream stream("<records><record><A>1</A></record></records>");
    TVxImportFromXML source;
    source.SourceStream = &stream;
    source.XMLTags.CaseSensitive = true;
    EXPECT_TRUE(readRows(source, {"A"}).empty());
}

TEST(XMLSource, RowWindowInSixtyFourBits)
{
    const std::string xml = "<ROWDATA><ROW A=\"1\"/><ROW A=\"2\"/><ROW A=\"3\"/></ROWDATA>";
    const std::vector<std::tuple<int, int, Rows>> cases = {{2, 2, {{"2"}}},
                                                           {2, INT_MAX, {{"2"}, {"3"}}},
                                                           {INT_MIN, INT_MAX, {{"1"}, {"2"}, {"3"}}},
                                                           {INT_MAX, INT_MAX, {}}};
    for (const auto &[first, last, rows] : cases) {
        std::istringstream stream(xml);
        TVxImportFromXML source;
        source.SourceStream = &stream;
        source.RowFirst = first;
        source.RowLast = last;
        EXPECT_EQ(readRows(source, {"A"}), rows) << first << ".." << last;
    }
}

TEST(XMLSource, Preview)
{
    TMarkupPreviewRequest request;
    request.FileName = XmlData("datapacket.xml");
    request.PreviewRowCount = 2;
    std::vector<std::string> shown;
    request.OnRow = [&](int columns, int number, const Variant &row, bool) {
        ASSERT_EQ(columns, 6);
        shown.push_back(std::to_string(number) + ":" + row[1].AsString() + "|" + row[3].AsString());
    };
    std::vector<std::string> names;
    BuildXMLPreview(request, names);
    EXPECT_EQ(names, (std::vector<std::string>{"ID", "NAME", "BORN", "SALARY", "ACTIVE", "NOTES"}));
    // Entities are shown as written.
    EXPECT_EQ(shown, (std::vector<std::string>{"1:Ann|1234.5", "2:Tom &amp; Jerry|2000"}));

    request.FileName = XmlData("customers.xml");
    request.TableName = "Customer";
    request.PreviewRowCount = 20;
    shown.clear();
    request.OnRow = [&](int, int, const Variant &row, bool) { shown.push_back(row[1].AsString()); };
    BuildXMLPreview(request, names);
    EXPECT_EQ(names, (std::vector<std::string>{"CUST_NO", "NAME", "CITY"}));
    EXPECT_EQ(shown.size(), 3u);
}

// Malformed markup never raises: a document cut short or with a byte damaged gives fewer
// or other records, read in full.
TEST(XMLSource, DamagedDocumentsStillRead)
{
    for (const char *name : {"datapacket.xml", "records.xml", "attribute-rows.xml", "utf16.xml", "latin1.xml"}) {
        const std::vector<std::uint8_t> bytes = ReadBytes(XmlData(name));
        ASSERT_FALSE(bytes.empty()) << name;
        for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 41, 23))
            EXPECT_NO_THROW(readText(std::string(copy.begin(), copy.end()), {"ID", "NAME", "NOTES"})) << name;
    }
}

TEST(XMLSource, HostileDocumentsGiveRecordsOrNothing)
{
    const std::string big(50u << 20, 'x');
    std::string deep = "<RECORDS><RECORD>";
    for (int i = 0; i < 200000; ++i)
        deep += "<A>";
    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i < 10; ++i)
        laughs += "<!ENTITY lol" + std::to_string(i) + " \"" + std::string(10, '&') + "lol" + std::to_string(i - 1) +
                  ";\">";
    laughs += "]><RECORDS><RECORD><A>&lol9;</A></RECORD></RECORDS>";
    struct Case {
        const char *what;
        std::string xml;
        std::size_t records;
    };
    const std::vector<Case> cases = {
        {"an unterminated tag", "<RECORDS><RECORD><A x=\"1", 1},
        {"an unterminated CDATA section", "<RECORDS><RECORD><A><![CDATA[", 1},
        {"a 50 MB line", big, 0},
        {"a 50 MB value", "<RECORDS><RECORD><A>" + big + "</A></RECORD></RECORDS>", 1},
        {"a 50 MB attribute row", "<ROWDATA><ROW A=\"" + big + "\"/></ROWDATA>", 1},
        {"deep nesting", deep, 1},
        {"entity definitions are not expanded", laughs, 1},
        {"only '<'", "<", 0},
    };
    for (const Case &c : cases)
        EXPECT_EQ(readText(c.xml, {"A"}).size(), c.records) << c.what;
    EXPECT_EQ(readText(laughs, {"A"}).at(0).at(0), "&lol9;");
}

} // namespace

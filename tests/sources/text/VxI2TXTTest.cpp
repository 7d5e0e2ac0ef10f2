#include "TempDir.h"
#include "engine/MemoryDataSet.h"
#include "sources/text/VxI2TXT.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

std::vector<std::string> read(const std::string &data, TReadTextOptions o = {})
{
    std::istringstream in(data);
    TTextLines lines;
    ReadTextLines(o, in, lines);
    return {lines.Lines.begin(), lines.Lines.end()};
}

TEST(ReadTextLines, CutsRecordsOutsideQualifiers)
{
    TReadTextOptions lf;
    lf.RecordSeparator = "\n";
    TReadTextOptions none;
    none.TextQualifier = '\0';
    TReadTextOptions noSeparator;
    noSeparator.RecordSeparator = "";
    struct Case {
        std::string data;
        TReadTextOptions options;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"a\r\nb\r\n", {}, {"a", "b"}}, // no empty line after the last separator
        {"a\r\nb", {}, {"a", "b"}},
        {"\"x\r\ny\",1\r\nz", {}, {"\"x\r\ny\",1", "z"}}, // a quoted field spans lines
        {"a\r\nb\x1A\x1A", {}, {"a", "b"}},               // Ctrl-Z at the end
        {"a\nb\n", lf, {"a", "b"}},
        {"a\r\nb", noSeparator, {"a\r\nb"}},
        {"\"a\r\nb", none, {"\"a", "b"}},
        {std::string("a\0\r\nb", 5), none, {std::string("a\0", 2), "b"}},
        {"", {}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(read(c.data, c.options), c.lines) << c.data;
}

TEST(ReadTextLines, Utf16WithByteOrderMarkReadsLikeItsSingleByteText)
{
    const std::string little("\xFF\xFE"
                             "a\0;\0\xE9\0\r\0\n\0b\0",
                             14);
    const std::string big("\xFE\xFF\0a\0;\0\xE9\0\r\0\n\0b", 14);
    const std::vector<std::string> expected = {"a;\xC3\xA9", "b"};
    EXPECT_EQ(read(little), expected);
    EXPECT_EQ(read(big), expected);
    EXPECT_EQ(read(std::string("\xFF\xFE"
                               "a\0b",
                               5)),
              std::vector<std::string>{"a"}); // an odd last byte is dropped
}

TEST(ReadTextLines, RowNumbersCountSkippedLines)
{
    TReadTextOptions o;
    o.SkipEmpty = true;
    o.RowFirst = 3;
    o.RowLast = 5;
    o.RowFieldNames = 1;
    std::istringstream in("head\r\n  \r\nr3\r\n\r\nr5\r\nr6\r\n");
    TTextLines lines;
    EXPECT_EQ(ReadTextLines(o, in, lines), "head");
    EXPECT_EQ(std::vector<std::string>(lines.Lines.begin(), lines.Lines.end()), (std::vector<std::string>{"r3", "r5"}));

    o = {};
    o.RowLast = 2;
    o.RowFieldNames = 3;
    std::istringstream short_("a\r\nb\r\nnames\r\n");
    EXPECT_EQ(ReadTextLines(o, short_, lines), ""); // reading stopped before the field-name row
}

// The lines of the same text read from a file, a chunk at a time.
std::vector<std::string> readFile(const std::string &data, TReadTextOptions o = {},
                                  std::size_t chunk = TTextLineScanner::ChunkBytes)
{
    TempDir dir;
    const std::string file = dir.Write("lines.txt", data);
    TTextLineScanner scanner(TTextLineScanner::TFile{file, chunk}, o, TTextLineScanner::LastRow(o));
    std::vector<std::string> lines;
    for (std::string_view line; scanner.Next(line);)
        lines.emplace_back(line);
    return lines;
}

TEST(ReadTextLines, AFileReadInChunksCutsLikeTheWholeText)
{
    const std::size_t chunk = TTextLineScanner::ChunkBytes;
    auto filler = [](std::size_t bytes, char c) { return std::string(bytes, c); };
    TReadTextOptions lf;
    lf.RecordSeparator = "\n";
    TReadTextOptions skip;
    skip.SkipEmpty = true;
    skip.RowFirst = 2;
    skip.RowLast = 6;
    struct Case {
        std::string what, data;
        TReadTextOptions options;
    };
    const std::vector<Case> cases = {
        {"small", "a\r\n\"x\r\ny\",1\r\nz\x1A", {}},
        {"separator cut by the chunk's end", filler(chunk - 1, 'a') + "\r\nb\r\nc", {}},
        {"qualified field across the chunk's end", "h\r\n\"" + filler(chunk, 'q') + "\r\nstill\",1\r\nlast\r\n", {}},
        {"a line of three chunks", "x\r\n" + filler(3 * chunk, 'l') + "\r\ny", {}},
        {"end-of-file marks after a chunk", filler(chunk, 'e') + "\x1A\x1B", {}},
        {"nothing but end-of-file marks", "\x1A\x1A", lf},
        {"end-of-file marks after the last separator", "a\nb\n\x1A", lf},
        {"one-character separator", filler(chunk - 3, 'n') + "\n\nb\n", lf},
        {"skipped lines and a last row", "h\r\n  \r\n" + filler(chunk, 's') + "\r\n\r\nr\r\nt\r\nu\r\nv", skip},
        {"empty", "", {}},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(readFile(c.data, c.options), read(c.data, c.options)) << c.what;
        if (c.data.size() >= 100)
            continue;
        for (std::size_t small = 1; small <= 4; ++small) { // every cut of the small texts
            EXPECT_EQ(readFile(c.data, c.options, small), read(c.data, c.options)) << c.what << " " << small;
        }
    }
}

std::vector<std::string> split(const std::string &line, char d = ',', char q = '"')
{
    std::vector<TTextPosition> fields;
    SplitTextLine(nullptr, false, d, line, q, fields);
    std::vector<std::string> texts;
    for (const auto &f : fields)
        texts.push_back(
            f.End < f.Start || f.Start > static_cast<int>(line.size())
                ? std::string()
                : line.substr(static_cast<std::size_t>(f.Start - 1), static_cast<std::size_t>(f.End - f.Start + 1)));
    return texts;
}

TEST(SplitTextLine, DelimitedFields)
{
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
        {"a,,b", {"a", "", "b"}},          {"a,b,", {"a", "b", ""}},          {",a", {"", "a"}},
        {"\"x,y\",z", {"x,y", "z"}},       {"\"a\"\"b\",c", {"a\"\"b", "c"}}, {"", {}},
        {"ab\"c,d\",e", {"ab\"c,d", "e"}}, // a qualifier inside a field opens a section
    };
    for (const auto &[line, fields] : cases)
        EXPECT_EQ(split(line), fields) << line;
    EXPECT_EQ(split("a;\"b;c", ';', '\0'), (std::vector<std::string>{"a", "\"b", "c"}));
}

// The value of each reference on the first line of a text.
std::vector<std::string> values(TVxImportFromText &source, const std::string &text,
                                const std::vector<std::string> &names)
{
    std::istringstream data(text);
    source.SourceStream = &data;
    source.OpenSource();
    source.FirstRow();
    source.ProcessRow();
    std::vector<std::string> result;
    for (const auto &name : names) {
        Variant v;
        source.GetFieldValue(Variant(name), v);
        result.push_back(v.AsString());
    }
    source.CloseSource();
    source.SourceStream = nullptr;
    return result;
}

TEST(TextSource, DelimitedReferences)
{
    TVxImportFromText source;
    source.SetFieldDelimiter(TVxIFieldDelimiter::fdComma);
    EXPECT_EQ(values(source, "\"a\"\"b\",\"\"\"\",c,",
                     {"Field1", "Field2", "Field3", "Field4", "Field5", "Text", "Text1-2", "Fieldx"}),
              (std::vector<std::string>{"a\"b", "\"", "c", "", "", "\"a\"\"b\",\"\"\"\",c,", "Text1-2", ""}));
}

TEST(TextSource, FixedWidthReferences)
{
    TVxImportFromText source;
    source.Fixed = true;
    EXPECT_EQ(values(source, "abcdefgh", {"Text1-5", "Text7-20", "Text0-3", "Field2", "Text3-x", "Text"}),
              (std::vector<std::string>{"abcde", "gh", "Text0-3", "", "", "abcdefgh"}));
}

TEST(TextSource, FixedWidthPositionsCountCharacters)
{
    // "é" is two bytes, "Ω" and "€" three, "𝄞" four: none of them shifts a later field.
    const std::string line = "1\xC3\xA9t\xC3\xA9  \xCE\xA9mega\xE2\x82\xAC"
                             "5 \xF0\x9D\x84\x9Ez";
    const std::vector<std::string> names = {"Text1-1", "Text2-6", "Text7-11", "Text12-13", "Text14-15", "Text16-99"};
    TVxImportFromText source;
    source.Fixed = true;
    EXPECT_EQ(values(source, line, names), (std::vector<std::string>{"1", "\xC3\xA9t\xC3\xA9  ", "\xCE\xA9mega",
                                                                     "\xE2\x82\xAC"
                                                                     "5",
                                                                     " \xF0\x9D\x84\x9E", "z"}));

    // A line that is no UTF-8 is single-byte text, and so is every line of a DOS source.
    const std::string latin1 = "1\xE9t\xE9  Omega";
    EXPECT_EQ(values(source, latin1, {"Text2-6", "Text7-11"}), (std::vector<std::string>{"\xE9t\xE9  ", "Omega"}));
    source.CharacterSet = TVxICharacterSet::csiASCII_MSDOS;
    EXPECT_EQ(values(source, "\xC3\xA9xy", {"Text2-3"})[0], "\xA9x"); // converted from CP850 afterwards
}

// Only the text reader itself reads ahead: a reader built on it that finds its fields its
// own way says so, and any condition keeps the rows in the loop.
TEST(TextSource, ReadersOptInToReadingAhead)
{
    struct TPlainText : TVxImportFromText {
        using TVxImportBaseComponent::ValuesCanBeReadAhead;
    };
    struct TOwnFields : TVxImportFromText {
        bool CanReadAhead() const override { return false; }
        using TVxImportBaseComponent::ValuesCanBeReadAhead;
    };
    TPlainText text;
    EXPECT_TRUE(text.ValuesCanBeReadAhead());
    EXPECT_FALSE(TOwnFields().ValuesCanBeReadAhead());
    text.LoadCondition.SkipIf = "[Field1] = 'x'";
    EXPECT_FALSE(text.ValuesCanBeReadAhead());
}

// A whole run into a destination held in memory: a file with no header row above its data
// maps to the fields by position, and a second run updates by the key.
TEST(TextSource, RunsIntoADestinationInMemory)
{
    TMemoryDataSet destination({{"ID", TFieldType::ftInteger}, {"NAME", TFieldType::ftString, 5}});
    TVxIRecordingHost host;
    TVxImportFromText source;
    source.Host = &host;
    source.DataSet = &destination;
    source.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    std::istringstream first("1;Ann\r\n2;Bobby Joe\r\nx;bad\r\n");
    source.ExecuteFromStream(first);
    EXPECT_EQ(source.Statistic.TotalAdded, 2);
    EXPECT_EQ(source.Statistic.TotalErrors, 1); // no integer

    source.Mode = TImportMode::imAppendUpdate;
    source.DatasetKeys = "ID";
    std::istringstream second("2;Bob\r\n3;Cid\r\n");
    source.ExecuteFromStream(second);
    EXPECT_EQ(source.Statistic.TotalUpdated, 1);
    EXPECT_EQ(source.Statistic.TotalAdded, 1);
    std::vector<std::string> rows;
    for (const auto &row : destination.Rows)
        rows.push_back(row[0].AsString() + "|" + row[1].AsString());
    EXPECT_EQ(rows, (std::vector<std::string>{"1|Ann", "2|Bob", "3|Cid"}));
}

TEST(TextCharacters, PartsOfLines)
{
    struct Case {
        std::string line;
        int from, to;
        TPositionUnit unit;
        std::string part;
    };
    const auto C = TPositionUnit::puCharacter;
    const std::vector<Case> cases = {
        {"abcdef", 2, 4, C, "bcd"},
        {"abcdef", 5, 99, C, "ef"},
        {"abcdef", 7, 9, C, ""},
        {"abcdef", 3, 2, C, ""},
        {"a\xC3\xA9"
         "bc",
         2, 3, C,
         "\xC3\xA9"
         "b"},
        {"a\xC3\xA9"
         "bc",
         4, 4, C, "c"},
        {"a\xC3\xA9"
         "bc",
         2, 3, TPositionUnit::puByte, "\xC3\xA9"},
        {"\xE2\x82\xAC\xE2\x82\xAC", 2, 2, C, "\xE2\x82\xAC"},
        {"\xC3\xA9\xC3", 2, 3, C, "\xA9\xC3"}, // cut sequence: bytes
        {"\xED\xA0\x80x", 4, 4, C, "x"},       // a surrogate is no UTF-8: bytes
        {"\xC0\xAFx", 3, 3, C, "x"},           // neither is an overlong form
        {"\xF0\x9D\x84\x9Ex", 2, 2, C, "x"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(CharacterPart(c.line, c.from, c.to, c.unit), c.part) << c.line << " " << c.from << "-" << c.to;
        EXPECT_EQ(TLineCharacters(c.line, c.unit).Part(c.from, c.to), c.part) << c.line;
    }
    EXPECT_EQ(TLineCharacters("a\xC3\xA9"
                              "b",
                              C)
                  .Count(),
              3);
}

TEST(TextSource, LinesLongerThanTwentyThousandCharactersStayWhole)
{
    TVxImportFromText source;
    source.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    const std::string first(25000, 'x');
    const std::string second(30000, 'y');
    const auto v = values(source, first + ";" + second, {"Field1", "Field2"});
    EXPECT_EQ(v[0], first);
    EXPECT_EQ(v[1], second);
}

TEST(TextSource, ColumnsFromTheHeaderRowAndMissingFiles)
{
    TVxImportFromText source;
    source.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    source.RowFirst = 2;
    std::istringstream data("Id;Full Name\r\n1;x\r\n");
    source.SourceStream = &data;
    source.OpenSource();
    source.CreateColumns();
    ASSERT_EQ(source.Columns.Count(), 2);
    EXPECT_EQ(source.Columns[1].FieldName, "Full Name");
    EXPECT_EQ(source.Columns[1].Caption, "Field2");
    source.SourceStream = nullptr;

    source.SourceFileName = "/nonexistent/file.csv";
    EXPECT_THROW(source.OpenSource(), EVxIError);
    source.SourceFileName.clear();
    std::string property;
    source.DataSet = nullptr;
    EXPECT_TRUE(source.CheckProperties(property));
}

} // namespace

namespace {

TEST(ClipboardSource, ReadsTheHostsTextOncePerRun)
{
    TVxIRecordingHost host;
    host.Clipboard = "a;b\r\nc;d\r\n";
    TVxImportFromClipboard source;
    source.Host = &host;
    source.SetFieldDelimiter(TVxIFieldDelimiter::fdSemicolon);
    source.OpenSource();
    EXPECT_EQ(source.GetRowCount(), 2);
    source.FirstRow();
    source.NextRow();
    source.ProcessRow();
    Variant v;
    source.GetFieldValue(Variant("Field2"), v);
    EXPECT_EQ(v.AsString(), "d");
    source.CloseSource();
    EXPECT_EQ(source.SourceStream, nullptr);
}

} // namespace

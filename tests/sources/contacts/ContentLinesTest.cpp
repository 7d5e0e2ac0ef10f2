// The line handling both the address-book and the calendar reader use: line ends,
// unfolding, quoted-printable with its soft breaks and character sets, parameters in every
// spelling, escapes and dates.

#include "CaseNames.h"
#include "CellText.h"
#include "sources/common/ContentLines.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using sources::ReadContentLines;
using sources::TContentLine;

namespace {

// "NAME=value" for every line, the group in front ("item1.EMAIL=...").
std::vector<std::string> namesAndValues(const std::string &text)
{
    std::vector<std::string> out;
    for (const TContentLine &line : ReadContentLines(text))
        out.push_back((line.Group.empty() ? "" : line.Group + ".") + line.Name + "=" + line.Value);
    return out;
}

struct TLinesCase {
    const char *What;
    std::string Text;
    std::vector<std::string> Lines;
};

class ContentLines : public ::testing::TestWithParam<TLinesCase> {};

TEST_P(ContentLines, AreJoinedAndDecoded)
{
    EXPECT_EQ(namesAndValues(GetParam().Text), GetParam().Lines) << GetParam().What;
}

const TLinesCase linesCases[] = {
    {"LineEnds", "A:1\r\nB:2\nC:3\r\r\nD:4", {"A=1", "B=2", "C=3", "D=4"}},
    {"OnlyCarriageReturns", "A:1\rB:2\r", {"A=1", "B=2"}},
    {"FoldedWithBlankOrTab", "NOTE:one \r\n two\r\n\tthree\r\nX:y", {"NOTE=one twothree", "X=y"}},
    {"FoldKeepsBlanksBeyondTheFirst", "NOTE:a\r\n  b", {"NOTE=a b"}},
    {"FoldInsideTheParameters", "ATTENDEE;CN=Jane;\r\n ROLE=CHAIR:mailto:j@x", {"ATTENDEE=mailto:j@x"}},
    {"BlankLineEndsAProperty", "A:1\r\n\r\n B:2", {"A=1", "B=2"}},
    {"QuotedPrintableSoftBreaks",
     "NOTE;ENCODING=QUOTED-PRINTABLE:caf=C3=A9 =\r\nand=0D=\r\n=0Amore\r\nX:y",
     {"NOTE=caf\xC3\xA9 and\r\nmore", "X=y"}},
    {"SoftBreakTakesALineBeginningWithBlanks", "D;QUOTED-PRINTABLE:a=\r\n  b", {"D=a  b"}},
    {"SoftBreakTakesAnEmptyLine", "ORG;ENCODING=QUOTED-PRINTABLE:x=\r\n\r\nTEL:1", {"ORG=x", "TEL=1"}},
    {"SoftBreakNeverTakesTheEnd", "NOTE;QUOTED-PRINTABLE:a=\r\nEND:VCARD", {"NOTE=a=", "END=VCARD"}},
    {"QuotedPrintableInALatinCharacterSet",
     "N;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:M=FCller",
     {"N=M\xC3\xBCller"}},
    {"UndeclaredLatinBytesAreWindows1252", "N:M\xFCller \x80", {"N=M\xC3\xBCller \xE2\x82\xAC"}},
    {"UndeclaredUtf8StaysUtf8", "N:M\xC3\xBCller", {"N=M\xC3\xBCller"}},
    {"Utf8ByteOrderMark",
     "\xEF\xBB\xBF"
     "A:1",
     {"A=1"}},
    {"Utf16WithItsByteOrderMark",
     std::string("\xFF\xFE"
                 "A\0:\0\xE9\0\r\0\n\0",
                 12),
     {"A=\xC3\xA9"}},
    {"ColonInAQuotedParameter", "ORGANIZER;CN=\"Doe: Jane\":mailto:j@x", {"ORGANIZER=mailto:j@x"}},
    {"GroupAndLowerCaseName", "item1.email;type=pref:a@b", {"item1.EMAIL=a@b"}},
    {"NoPropertyWithoutAColon", "just text\r\n:no name\r\nA:1", {"A=1"}},
    {"IndentedFirstLine", "  BEGIN:VCARD", {"BEGIN=VCARD"}},
    {"TrailingBlanksOfAValueStay", "LOCATION:Room \r\nX:y", {"LOCATION=Room ", "X=y"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, ContentLines, ::testing::ValuesIn(linesCases), NameAfterWhat());

TEST(ContentLineParameters, EverySpellingOfATypeIsFound)
{
    for (const char *text : {"TEL;HOME;VOICE:1", "TEL;TYPE=home,voice:1", "TEL;TYPE=\"voice,HOME\":1",
                             "TEL;type=HOME;type=VOICE:1", "TEL;TYPE=home;TYPE=voice:1"}) {
        const std::vector<TContentLine> lines = ReadContentLines(text);
        ASSERT_EQ(lines.size(), 1u) << text;
        EXPECT_TRUE(lines[0].HasType("home")) << text;
        EXPECT_TRUE(lines[0].HasType("VOICE")) << text;
        EXPECT_FALSE(lines[0].HasType("WORK")) << text;
    }
    const TContentLine line = ReadContentLines("DTSTART;TZID=Europe/Berlin;VALUE=DATE-TIME:20240101T090000")[0];
    EXPECT_EQ(line.NamePart, "DTSTART;TZID=Europe/Berlin;VALUE=DATE-TIME");
    EXPECT_EQ(line.Parameter("tzid"), "Europe/Berlin");
    EXPECT_FALSE(line.HasParameter("CHARSET"));
    const TContentLine photo = ReadContentLines("PHOTO;ENCODING=BASE64;JPEG:/9j/4AAQ\r\n ZZZ")[0];
    EXPECT_TRUE(photo.Binary);
    EXPECT_EQ(photo.Value, "/9j/4AAQZZZ");
    EXPECT_TRUE(photo.HasType("JPEG"));
}

struct TEscapeCase {
    const char *Value;
    bool Full;
    const char *Text;
};

TEST(ContentLineValues, EscapesAreUndoneByVersion)
{
    const TEscapeCase cases[] = {
        {"a\\nb\\Nc", true, "a\nb\nc"}, {"a\\,b\\;c\\:d\\\\e", true, "a,b;c:d\\e"}, {"C:\\temp", true, "C:\\temp"},
        {"end\\", true, "end\\"},       {"C:\\new\\;x", false, "C:\\new;x"},        {"a\\,b", false, "a\\,b"},
    };
    for (const TEscapeCase &c : cases)
        EXPECT_EQ(sources::UnescapeText(c.Value, c.Full), c.Text) << c.Value;
    EXPECT_EQ(sources::SplitComponents("Doe;John\\;Jr;;x\\\\;"),
              (std::vector<std::string>{"Doe", "John\\;Jr", "", "x\\\\", ""}));
}

struct TDateCase {
    const char *Text;
    const char *Date; // as ValueText writes it; null when it is no date
};

TEST(ContentLineValues, DatesInTheFormsFilesWrite)
{
    const TDateCase cases[] = {
        {"19800322", "Date:1980-03-22 00:00:00"},
        {"1980-03-22", "Date:1980-03-22 00:00:00"},
        {"20070108T023000Z", "Date:2007-01-08 02:30:00"},
        {"20070108T023000", "Date:2007-01-08 02:30:00"},
        {"20070108t0230", "Date:2007-01-08 02:30:00"},
        {"2012-03-05T13:32:54Z", "Date:2012-03-05 13:32:54"},
        {"20090808T1430-0500", "Date:2009-08-08 14:30:00"},
        {"20090808T143000.250+01:00", "Date:2009-08-08 14:30:00"},
        {" 20040528 ", "Date:2004-05-28 00:00:00"},
        {"--0203", nullptr},
        {"2007", nullptr},
        {"20070231", nullptr},
        {"20071301", nullptr},
        {"20070108T250000", nullptr},
        {"20070108T", nullptr},
        {"Tuesday", nullptr},
        {"", nullptr},
    };
    for (const TDateCase &c : cases) {
        double date = -1;
        const bool read = sources::ParseContentDateTime(c.Text, date);
        EXPECT_EQ(read, c.Date != nullptr) << c.Text;
        if (read && c.Date) {
            EXPECT_EQ(ValueText(Variant::DateTime(date)), c.Date) << c.Text;
        } else {
            EXPECT_EQ(date, -1) << c.Text;
        }
    }
}

} // namespace

// vCalendar and iCalendar files read into one row per event: field names with their
// parameters, unfolding, alarms inside events, dates, quoted-printable, escapes, repeated
// properties; the source's columns, mappings and filter; the fixtures of
// tests/data/calendar against what python-icalendar read; damage.

#include "CaseNames.h"
#include "CellText.h"
#include "Files.h"
#include "TempDir.h"
#include "TestData.h"
#include "sources/calendar/VCalendarFile.h"
#include "sources/calendar/VxIVCalendar.h"
#include "sources/common/ContentLines.h"
#include "values/StringList.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

std::string calendarData(const std::string &name) { return TestDataFolder("calendar") + "/" + name; }

std::unique_ptr<TVCalendarFile> readText(const std::string &text)
{
    auto reader = std::make_unique<TVCalendarFile>();
    std::istringstream stream(text);
    reader->LoadFromStream(stream);
    return reader;
}

std::string calendar(const std::string &events, const std::string &version = "2.0")
{
    return "BEGIN:VCALENDAR\r\nVERSION:" + version + "\r\nPRODID:-//test//EN\r\n" + events + "END:VCALENDAR\r\n";
}

std::string event(const std::string &body) { return "BEGIN:VEVENT\r\n" + body + "END:VEVENT\r\n"; }

// A cell of an event by its field's name, as ValueText writes it; "-" for none, "?" when
// there is no such field.
std::string cell(TVCalendarFile &reader, int row, const std::string &field)
{
    const int index = reader.FindField(field);
    if (index < 0)
        return "?";
    const TVxICell *c = reader.Sheets[0].Cells.Cell(index, row);
    return c ? ValueText(c->Value) : "-";
}

// ---------------------------------------------------------------- one property

struct TEventCase {
    const char *What;
    std::string Text;
    const char *Field;
    std::string Value; // of the first event, as ValueText writes it
};

class EventProperties : public ::testing::TestWithParam<TEventCase> {};

TEST_P(EventProperties, AreReadAsAUserExpects)
{
    const TEventCase &c = GetParam();
    const auto reader = readText(c.Text);
    ASSERT_GE(reader->EventCount(), 1) << c.What;
    EXPECT_EQ(cell(*reader, 0, c.Field), c.Value) << c.What;
}

const TEventCase eventCases[] = {
    {"TimeZoneParameterNamesTheField", calendar(event("DTSTART;TZID=Europe/Berlin:20240101T090000\r\n")),
     "DTSTART;TZID=Europe/Berlin", "Date:2024-01-01 09:00:00"},
    {"UtcAsWritten", calendar(event("DTSTART:20070108T023000Z\r\n")), "DTSTART", "Date:2007-01-08 02:30:00"},
    {"FloatingAsWritten", calendar(event("DTEND:20070108T023000\r\n")), "DTEND", "Date:2007-01-08 02:30:00"},
    {"DateOnly", calendar(event("DTSTART;VALUE=DATE:20040528\r\n")), "DTSTART;VALUE=DATE", "Date:2004-05-28 00:00:00"},
    {"ExtendedForm", calendar(event("DTSTAMP:2004-05-03T03:55:53Z\r\n")), "DTSTAMP", "Date:2004-05-03 03:55:53"},
    {"LastModified", calendar(event("LAST-MODIFIED:20040504T211728Z\r\n")), "LAST-MODIFIED",
     "Date:2004-05-04 21:17:28"},
    {"Created", calendar(event("CREATED:20070228T090007Z\r\n")), "CREATED", "Date:2007-02-28 09:00:07"},
    {"RecurrenceId", calendar(event("RECURRENCE-ID;TZID=Europe/Paris:20040315T183000\r\n")),
     "RECURRENCE-ID;TZID=Europe/Paris", "Date:2004-03-15 18:30:00"},
    {"UnreadableDateStaysText", calendar(event("DTSTART:tomorrow\r\n")), "DTSTART", "String:tomorrow"},
    {"ImpossibleDateStaysText", calendar(event("DTSTART:20070231T120000Z\r\n")), "DTSTART", "String:20070231T120000Z"},
    {"OtherTimesAreText", calendar(event("DUE:20040505T111500\r\n")), "DUE", "String:20040505T111500"},
    {"Unfolded", calendar(event("SUMMARY:Dental\r\n  Exam\r\n\tat nine\r\n")), "SUMMARY", "String:Dental Examat nine"},
    {"FoldedName", calendar(event("DTSTART;TZ\r\n ID=UTC:20240101T090000\r\n")), "DTSTART;TZID=UTC",
     "Date:2024-01-01 09:00:00"},
    {"AlarmKeepsItsDescription",
     calendar(event("DESCRIPTION:The meeting\r\nBEGIN:VALARM\r\nACTION:DISPLAY\r\nDESCRIPTION:Reminder\r\n"
                    "TRIGGER:-PT15M\r\nEND:VALARM\r\n")),
     "DESCRIPTION", "String:The meeting"},
    {"AlarmBeforeTheDescription",
     calendar(event("BEGIN:VALARM\r\nDESCRIPTION:Reminder\r\nEND:VALARM\r\nDESCRIPTION:The meeting\r\n")),
     "DESCRIPTION", "String:The meeting"},
    {"AlarmsPropertiesAreNoFields", calendar(event("SUMMARY:x\r\nBEGIN:VALARM\r\nTRIGGER:-PT15M\r\nEND:VALARM\r\n")),
     "TRIGGER", "?"},
    {"QuotedPrintableOfVCalendar",
     calendar(event("DESCRIPTION;ENCODING=QUOTED-PRINTABLE:=\r\nJoin us, then=0D=0Amo=\r\nre\r\n"), "1.0"),
     "DESCRIPTION;ENCODING=QUOTED-PRINTABLE", "String:Join us, then\r\nmore"},
    {"QuotedPrintableInACharacterSet",
     calendar(event("SUMMARY;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:K=F6nig\r\n"), "1.0"),
     "SUMMARY;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE", "String:K\xC3\xB6nig"},
    {"ICalendarEscapes", calendar(event("SUMMARY:a\\, b\\; c\\nd\\\\e\r\n")), "SUMMARY", "String:a, b; c\nd\\e"},
    {"VCalendarEscapesOnlySemicolons", calendar(event("SUMMARY:a\\, b\\; c\r\n"), "1.0"), "SUMMARY",
     "String:a\\, b; c"},
    {"RepeatedPropertyKeepsEveryValue",
     calendar(event("ATTENDEE;RSVP=TRUE:mailto:a@x\r\nATTENDEE;RSVP=TRUE:mailto:b@x\r\n")), "ATTENDEE;RSVP=TRUE",
     "String:mailto:a@x\nmailto:b@x"},
    {"RepeatedDateKeepsTheFirst", calendar(event("DTSTART:20240101T090000\r\nDTSTART:20250101T090000\r\n")), "DTSTART",
     "Date:2024-01-01 09:00:00"},
    {"NamesIgnoreCase", calendar(event("Summary:one\r\n") + event("SUMMARY:two\r\n")), "summary", "String:one"},
    {"ColonInAQuotedParameter", calendar(event("ORGANIZER;CN=\"Doe: Jane\":mailto:j@x\r\n")),
     "ORGANIZER;CN=\"Doe: Jane\"", "String:mailto:j@x"},
};

INSTANTIATE_TEST_SUITE_P(Cases, EventProperties, ::testing::ValuesIn(eventCases), NameAfterWhat());

// ---------------------------------------------------------------- events and fields

TEST(VCalendarFile, OneRowPerEvent)
{
    // To-dos and time zones are no events; an empty event is no row; an event cut short by
    // the next one, and the last one of a file cut short, still are.
    const auto reader = readText("BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:Europe/Paris\r\nEND:VTIMEZONE\r\n" +
                                 event("SUMMARY:one\r\n") + "BEGIN:VTODO\r\nSUMMARY:todo\r\nEND:VTODO\r\n" + event("") +
                                 "BEGIN:VEVENT\r\nSUMMARY:two\r\n" + event("SUMMARY:three\r\n") +
                                 "BEGIN:VEVENT\r\nSUMMARY:four\r\nUID:4");
    ASSERT_EQ(reader->EventCount(), 4);
    EXPECT_EQ(reader->Sheets[0].Cells.RowCount, 4);
    const char *summaries[] = {"one", "two", "three", "four"};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(cell(*reader, row, "SUMMARY"), std::string("String:") + summaries[row]);
    EXPECT_EQ(reader->FindField("TZID"), -1);
}

TEST(VCalendarFile, FieldsInTheOrderMetWithTypesAndWidths)
{
    const auto reader = readText(calendar(
        event("UID:1\r\nDTSTART;TZID=Europe/Berlin:20240101T090000\r\nSummary:K\xC3\xB6nig\r\n") +
        event("SUMMARY:longer text\r\nDTSTAMP:20240101T090000Z\r\nATTENDEE:a\r\nATTENDEE:bcd\r\nLOCATION:\r\n")));
    const std::vector<TVCalendarFile::TField> &fields = reader->Fields();
    ASSERT_EQ(fields.size(), 6u);
    const char *names[] = {"UID", "DTSTART;TZID=Europe/Berlin", "Summary", "DTSTAMP", "ATTENDEE", "LOCATION"};
    const int widths[] = {1, 15, 11, 16, 5, 0};
    const TVxIDataType types[] = {TVxIDataType::itString,   TVxIDataType::itDateTime, TVxIDataType::itString,
                                  TVxIDataType::itDateTime, TVxIDataType::itString,   TVxIDataType::itString};
    for (std::size_t i = 0; i < fields.size(); ++i) {
        EXPECT_EQ(fields[i].Name, names[i]);
        EXPECT_EQ(fields[i].Width, widths[i]) << names[i];
        EXPECT_EQ(fields[i].DataType, types[i]) << names[i];
    }
    EXPECT_EQ(cell(*reader, 1, "LOCATION"), "String:");
    EXPECT_EQ(TVCalendarFile::DataTypeOfName("dtend;value=date"), TVxIDataType::itDateTime);
    EXPECT_EQ(TVCalendarFile::DataTypeOfName("DTSTAMP;X=1"), TVxIDataType::itString);
    EXPECT_TRUE(reader->FieldMatchesColumn("SUMMARY", "SUMMARY"));
    EXPECT_FALSE(reader->FieldMatchesColumn("SUMMARY", "Summary"));
}

TEST(VCalendarSource, ColumnsMappingsAndFilter)
{
    TVxImportFromVCalendar source;
    std::string ext, filter;
    source.GetDefaultExt(ext);
    source.GetFileFilter(filter);
    EXPECT_EQ(ext, ".VCS");
    EXPECT_EQ(filter.rfind("VCalendar Data file (*.vcs)|*.VCS|ICalendar Data file (*.ics)|*.ICS|", 0), 0u) << filter;

    TempDir dir;
    source.SourceFileName = dir.Write(
        "one.ics", calendar(event("UID:7\r\nLAST-MODIFIED:20040504T211728Z\r\nDTSTART;TZID=UTC:20240101T090000\r\n") +
                            event("SUMMARY:second\r\n")));
    source.OpenSource();
    source.CreateColumns();
    ASSERT_EQ(source.Columns.Count(), 4);
    EXPECT_EQ(source.Columns[1].FieldName, "LAST-MODIFIED");
    EXPECT_EQ(source.Columns[1].Caption, "LAST-MODIFIED");
    EXPECT_EQ(source.Columns[1].Size, 16);
    EXPECT_EQ(source.Columns[1].DataType, TVxIDataType::itDateTime);
    // Names the expression language would read as more than a name are bracketed.
    source.AutoMapColumns();
    EXPECT_EQ(source.Mappings.Lines(),
              (std::vector<std::string>{"UID=UID", "LAST-MODIFIED=[LAST-MODIFIED]",
                                        "DTSTART;TZID=UTC=[DTSTART;TZID=UTC]", "SUMMARY=SUMMARY"}));
    EXPECT_EQ(TVxImportFromVCalendar::SourceReference("X_1"), "X_1");
    EXPECT_EQ(TVxImportFromVCalendar::SourceReference("2005"), "[2005]");
    source.FirstRow();
    ASSERT_TRUE(source.HasRow());
    source.ProcessRow();
    Variant value;
    source.GetFieldValue(Variant("last-modified"), value);
    EXPECT_EQ(ValueText(value), "Date:2004-05-04 21:17:28");
    // A property of another event is no value here, not its name; other names stay.
    source.GetFieldValue(Variant("SUMMARY"), value);
    EXPECT_EQ(ValueText(value), "Null:");
    source.GetFieldValue(Variant("NO-SUCH"), value);
    EXPECT_EQ(ValueText(value), "String:NO-SUCH");
    EXPECT_EQ(source.GetRowCount(), 2);
    source.CloseSource();
}

void expectError(const std::string &file, const std::string &message)
{
    TVCalendarFile reader;
    try {
        reader.LoadFromFile(file);
        ADD_FAILURE() << "no error for " << file;
    } catch (const ESpreadSheetError &e) {
        EXPECT_EQ(std::string(e.what()), message) << file;
    }
}

TEST(VCalendarFile, WhatCannotBeReadSaysWhy)
{
    TempDir dir;
    expectError(dir.File("missing.ics"), "File is not exists.");
    expectError(dir.Write("notes.ics", "SUMMARY:no calendar around\r\n"), CalendarTexts().NotCalendar);
    expectError(dir.Write("empty.vcs", ""), CalendarTexts().NotCalendar);
    // A calendar without events is a calendar: no rows, no error.
    TVCalendarFile reader;
    reader.LoadFromFile(dir.Write("none.ics", calendar("")));
    EXPECT_EQ(reader.EventCount(), 0);
    EXPECT_EQ(reader.Sheets[0].Caption, "none.ics");
}

// ---------------------------------------------------------------- the fixtures

std::string unescapeTsv(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
    }
    return out;
}

// (event, property name) to its values joined by line feeds.
using TEventValues = std::map<std::pair<int, std::string>, std::string>;

TEventValues expectedValues(const std::string &file)
{
    TEventValues values;
    std::ifstream tsv(calendarData("expected/" + file + ".tsv"));
    std::string line;
    while (std::getline(tsv, line)) {
        const std::size_t a = line.find('\t'), b = line.find('\t', a + 1);
        values[{std::stoi(line.substr(0, a)), line.substr(a + 1, b - a - 1)}] = unescapeTsv(line.substr(b + 1));
    }
    return values;
}

std::string dateText(double date)
{
    int y, m, d, h, n, s, ms;
    DecodeDate(date, y, m, d);
    DecodeTime(date, h, n, s, ms);
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, h, n, s);
    return buffer;
}

// The reader's values under the names without parameters, as the other reader keeps them.
TEventValues readValues(TVCalendarFile &reader)
{
    TEventValues values;
    const TSpreadSheetCells &cells = reader.Sheets[0].Cells;
    for (int row = 0; row < cells.RowCount; ++row)
        for (int f = 0; f < reader.FieldCount(); ++f) {
            const TVxICell *c = cells.Cell(f, row);
            if (!c)
                continue;
            const std::string name = Text::Upper(reader.FieldName(f).substr(0, reader.FieldName(f).find(';')));
            const std::string text = c->Value.IsDate() ? dateText(c->Value.AsDateTime()) : c->Value.AsString();
            std::string &joined = values[{row, name}];
            joined += (joined.empty() ? "" : "\n") + text;
        }
    return values;
}

struct TCalendarFixture {
    const char *File;
    int Events;
    std::set<std::string> NotCompared; // where the other reader is wrong (the folder's README)
};

const std::vector<TCalendarFixture> &calendarFixtures()
{
    static const std::set<std::string> ics = {"DURATION", "TRIGGER", "EXDATE"};
    static const std::set<std::string> vcs = {"DURATION", "TRIGGER", "RRULE"};
    static const std::vector<TCalendarFixture> list = {
        {"AppleICal_1.5.ics", 14, {"DURATION", "TRIGGER", "EXDATE", "RRULE"}}, // its rules' parts come reordered
        {"BillGatesWebcast.vcs", 1, {"DURATION", "TRIGGER", "RRULE", "DESCRIPTION"}},
        {"Evolution_2.8.2_timezone_test.ics", 1, ics},
        {"KOrganizer_3.4_all.vcs", 13, vcs},
        {"KOrganizer_vCalTestCase05.vcs", 1, vcs},
        {"Mozilla_1.0.ics", 4, ics},
        {"eGroupware.ics", 1, ics},
        {"google_aus_holidays.ics", 96, ics},
        {"groupwise.ics", 1, ics},
        {"incoming.vcs", 1, vcs},
    };
    return list;
}

class CalendarFixtures : public ::testing::TestWithParam<TCalendarFixture> {};

TEST_P(CalendarFixtures, ReadAsPythonIcalendarReadThem)
{
    const TCalendarFixture &f = GetParam();
    TVCalendarFile reader;
    reader.LoadFromFile(calendarData(f.File));
    ASSERT_EQ(reader.EventCount(), f.Events);
    const TEventValues expected = expectedValues(f.File);
    ASSERT_FALSE(expected.empty());
    const TEventValues read = readValues(reader);
    for (const auto &[key, value] : expected) {
        if (f.NotCompared.count(key.second))
            continue;
        const auto found = read.find(key);
        ASSERT_NE(found, read.end()) << "event " << key.first << " " << key.second;
        std::string want = value;
        double date = 0;
        // the other reader prints dates its own way; the clock time is compared
        if (found->second != value && sources::ParseContentDateTime(value, date))
            want = dateText(date);
        EXPECT_EQ(found->second, want) << "event " << key.first << " " << key.second;
    }
    for (const auto &[key, value] : read)
        if (!f.NotCompared.count(key.second)) {
            EXPECT_TRUE(expected.count(key)) << "event " << key.first << " " << key.second << " only here";
        }
}

TEST_P(CalendarFixtures, DamagedCopiesGiveAnErrorOrRows)
{
    const std::vector<std::uint8_t> bytes = ReadBytes(calendarData(GetParam().File));
    ASSERT_FALSE(bytes.empty());
    for (const std::vector<std::uint8_t> &copy : DamagedCopies(bytes, 61, 61)) {
        std::istringstream stream(std::string(copy.begin(), copy.end()));
        TVCalendarFile reader;
        try {
            reader.LoadFromStream(stream);
            EXPECT_LE(reader.EventCount(), GetParam().Events + 1);
        } catch (const ESpreadSheetError &) {
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, CalendarFixtures, ::testing::ValuesIn(calendarFixtures()), NameAfterFileField());

TEST(VCalendarFile, TheOutlookDescriptionWhoseSoftBreaksOtherReadersLose)
{
    TVCalendarFile reader;
    reader.LoadFromFile(calendarData("BillGatesWebcast.vcs"));
    EXPECT_EQ(cell(reader, 0, "DESCRIPTION;ENCODING=QUOTED-PRINTABLE"),
              "String:Join Bill Gates as he keynotes CES 2007 demonstrating how Microsoft is delivering a new "
              "generation of connected experiences. Bill will be joined by Robbie Bach in announcing several new "
              "offerings from Windows Vista, Xbox 360, Microsoft TV and more.\r\n\r\nYou will need Windows Media "
              "Player <http://www.microsoft.com/windows/windowsmedia/player/11/default.aspx>  to view. \r\n\r\n");
}

} // namespace

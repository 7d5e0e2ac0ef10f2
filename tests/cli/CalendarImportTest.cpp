// Calendars loaded by the runner (TableType=VCalendar) into a real database: events with
// their dates, names with parameters and dashes mapped in brackets, an alarm that keeps to
// itself; and the files it cannot read refused with their reason.

#include "Files.h"
#include "FirebirdTestSupport.h"
#include "RunImport.h"
#include "TempDir.h"
#include "TestData.h"

#include <gtest/gtest.h>

namespace {

RunResult importInto(const TempDir &dir, const std::string &db, const std::string &file, const std::string &mappings)
{
    dir.Write("load.vxi", "[Common]\r\nTableName=EVENTS\r\nTableType=VCalendar\r\nMode=0\r\nSourceFileName=" + file +
                              "\r\n[Mappings]\r\n" + mappings);
    return runImport("--database " + db + " --user SYSDBA --charset UTF8 --dialect 3 --quiet --errors " +
                     dir.File("errors.txt") + " --spec " + dir.File("load.vxi"));
}

class CalendarImportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDatabase(db, {"CREATE TABLE EVENTS (UID VARCHAR(120) NOT NULL PRIMARY KEY, SUMMARY VARCHAR(80), "
                            "STARTS TIMESTAMP, DAY_START DATE, CHANGED TIMESTAMP, NOTES VARCHAR(200))"});
    }
    std::vector<std::string> events()
    {
        return QueryColumn(db, "select UID || '|' || COALESCE(SUMMARY, '-') || '|' || COALESCE(STARTS, '-') || '|' || "
                               "COALESCE(DAY_START, '-') || '|' || COALESCE(CHANGED, '-') || '|' || "
                               "COALESCE(NOTES, '-') from EVENTS order by UID");
    }
    TempDir dir;
    std::string db = dir.File("calendar.fdb");
};

TEST_F(CalendarImportTest, EventsOfAnICalendarRowByRow)
{
    // Times as written (UTC here); the date-only event has its start in a field of its own.
    const RunResult r = importInto(
        dir, db, TestDataFolder("calendar") + "/Mozilla_1.0.ics",
        "Map0=UID=UID\r\nMap1=SUMMARY=SUMMARY\r\nMap2=STARTS=DTSTART\r\nMap3=DAY_START=[DTSTART;VALUE=DATE]\r\n"
        "Map4=CHANGED=[LAST-MODIFIED]\r\nMap5=NOTES=DESCRIPTION\r\n");
    ASSERT_EQ(r.status, 0) << r.out << ReadFile(dir.File("errors.txt"));
    EXPECT_EQ(events(),
              (std::vector<std::string>{
                  "06ef0474-1dd2-11b2-853d-cc63771f70dd|Convivium at 2707 Anderson Dr, Raleigh, 27608|2004-05-16 "
                  "20:00:00.0000|-|2004-05-04 21:17:28.0000|-",
                  "896c9eb4-1dd2-11b2-b487-b1bef43989c3|Dental Exam|2004-05-10 09:00:00.0000|-|-|15-501 E Durham, lt "
                  "Easttowne Dr, 3rd left Providence, 3rd drive rt, up on ste 200",
                  "918141053|Performance with Anne|2004-05-23 17:00:00.0000|-|2004-05-03 20:27:15.0000|-",
                  "9387e0e8-9ea1-11d8-86ed-b77ddbb7d081|Yemassee Graduation|-|2004-05-28|-|-"}));
}

TEST_F(CalendarImportTest, AnAlarmKeepsItsDescriptionToItself)
{
    const RunResult r = importInto(dir, db, TestDataFolder("calendar") + "/incoming.vcs",
                                   "Map0=UID=UID\r\nMap1=SUMMARY=[SUMMARY;LANGUAGE=en-us]\r\nMap2=STARTS=DTSTART\r\n"
                                   "Map3=CHANGED=[LAST-MODIFIED]\r\nMap4=NOTES=DESCRIPTION\r\n");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(events(), (std::vector<std::string>{
                            "040000008200E00074C5B7101A82E0080000000090DB63B49BA3C7010000000000000000100000"
                            "00F5B89F999A6C82478B44AA0D4DC13407|This is a test appointment|2007-05-31 04:00:00.0000|-|"
                            "2007-05-31 03:57:08.0000|When: Thursday, May 31, 2007 4:00 PM-4:30 PM (GMT+12:00) "
                            "Auckland, Wellington.\nWhere: Babbage\n\n*~*~*~*~*~*~*~*~*~*\n\n\n"}));
}

TEST_F(CalendarImportTest, WhatCannotBeReadEndsWithItsReason)
{
    struct TCase {
        std::string File;
        const char *Message;
    };
    const TCase cases[] = {
        {dir.File("missing.ics"), "File is not exists."},
        {dir.Write("notes.ics", "SUMMARY:no calendar\r\n"), "The file is not a vCalendar or iCalendar file"},
    };
    for (const TCase &c : cases) {
        const RunResult r = importInto(dir, db, c.File, "Map0=UID=UID\r\n");
        EXPECT_EQ(r.status, 2) << c.File << "\n" << r.out;
        EXPECT_NE(r.out.find(c.Message), std::string::npos) << r.out;
    }
    EXPECT_EQ(QueryColumn(db, "select count(*) from EVENTS"), (std::vector<std::string>{"0"}));
}

} // namespace

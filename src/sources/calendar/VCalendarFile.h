#pragma once

#include "engine/VxITypes.h"
#include "sources/cells/VxCellsFile.h"
#include "sources/common/ContentLines.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// The texts the calendar reader shows a user, replaceable as a whole.
struct TCalendarTexts {
    std::string NotCalendar = "The file is not a vCalendar or iCalendar file: it holds no BEGIN:VCALENDAR or "
                              "BEGIN:VEVENT";
    std::string Unreadable = "The calendar cannot be read: %s";
};

TCalendarTexts &CalendarTexts();

// A vCalendar 1.0 (.vcs) or iCalendar (.ics) file read into the cell model: one sheet
// named after the file, one row per event (VEVENT), one field per property name as
// written before the value's colon, parameters included ("DTSTART;TZID=Europe/Berlin"),
// in the order the names first appear.
//
// Lines are unfolded and quoted-printable values decoded first; the properties of a
// component inside an event (an alarm) are the component's, not the event's. Text values
// of iCalendar lose their escapes. Time stamps (DTSTAMP, LAST-MODIFIED, CREATED,
// DCREATED, and DTSTART, DTEND, RECURRENCE-ID with any parameters) are dates: the clock
// time as written, in UTC for values ending in Z, in the named zone for TZID values and
// the local time of the event otherwise; nothing is converted, since a value with a TZID
// can be placed only with the time-zone rules the file may or may not carry. A value such
// a field cannot read as a date stays text. A property written more than once in one
// event keeps every value, one per line (attendees, categories); of a time stamp the
// first.
class TVCalendarFile : public TSpreadSheetFile {
public:
    struct TField {
        std::string Name;
        int Width = 0; // the longest value, in characters
        TVxIDataType DataType = TVxIDataType::itString;
    };

    TVCalendarFile();

    void LoadFromFile(const std::string &fileName) override;
    void LoadFromStream(std::istream &stream) override;

    int FieldCount() const override { return static_cast<int>(fields_.size()); }
    std::string FieldName(int index) const override;
    int FindField(const std::string &name) const override;
    bool FieldMatchesColumn(const std::string &field, const std::string &column) const override
    {
        return field == column;
    }

    const std::vector<TField> &Fields() const { return fields_; }
    int EventCount() const { return eventCount_; }

    // Whether values of a property of that name part are dates.
    static TVxIDataType DataTypeOfName(std::string_view name);

private:
    class TEventRow;

    // False when the text holds neither a calendar nor an event.
    bool Parse(std::string_view text);
    int FieldOf(const std::string &name);

    std::vector<TField> fields_;
    std::unordered_map<std::string, int, sources::TNameHash, sources::TNameEqual> fieldsByName_;
    int eventCount_ = 0;
};

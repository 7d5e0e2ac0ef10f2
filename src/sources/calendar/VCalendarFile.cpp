#include "sources/calendar/VCalendarFile.h"

#include "engine/DataSet.h"
#include "sources/common/CompanionFile.h"
#include "sources/common/ContentLines.h"
#include "values/StringList.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

using sources::TContentLine;

TCalendarTexts &CalendarTexts()
{
    static TCalendarTexts texts;
    return texts;
}

// ---------------------------------------------------------------- one event

// The values of the event being read, by field. Repeated values are joined here and
// become cells only when the event ends, so that an event with thousands of attendees
// costs no more than their text.
class TVCalendarFile::TEventRow {
public:
    explicit TEventRow(TVCalendarFile &file) : file_(file) {}

    void Take(const TContentLine &line, bool fullEscapes)
    {
        const std::size_t field = static_cast<std::size_t>(file_.FieldOf(line.NamePart));
        const bool dateField = file_.fields_[field].DataType == TVxIDataType::itDateTime;
        std::string text = line.Binary || dateField ? line.Value : sources::UnescapeText(line.Value, fullEscapes);
        if (slots_.size() <= field)
            slots_.resize(field + 1);
        TSlot &slot = slots_[field];
        if (!slot.Taken) {
            slot.Taken = true;
            taken_.push_back(field);
            slot.IsDate = dateField && sources::ParseContentDateTime(text, slot.DateTime);
            slot.Text = std::move(text);
        } else if (!dateField && !text.empty()) {
            slot.Text += slot.Text.empty() ? "" : "\n";
            slot.Text += text;
        }
    }

    void Deliver()
    {
        if (!taken_.empty()) {
            for (std::size_t field : taken_)
                Report(field);
            ++file_.eventCount_;
        }
        taken_.clear();
    }

private:
    struct TSlot {
        bool Taken = false;
        bool IsDate = false;
        double DateTime = 0;
        std::string Text;
    };

    void Report(std::size_t field)
    {
        TSlot &slot = slots_[field];
        TField &f = file_.fields_[field];
        f.Width = std::max(f.Width, static_cast<int>(std::min<std::size_t>(sources::Utf8Length(slot.Text), INT32_MAX)));
        const Variant value = slot.IsDate ? Variant::DateTime(slot.DateTime) : Variant(std::move(slot.Text));
        if (file_.OnCellValue)
            file_.OnCellValue(&file_, 0, file_.eventCount_, static_cast<int>(field), 0, value,
                              TAlignment::taLeftJustify);
        slot = TSlot();
    }

    TVCalendarFile &file_;
    std::vector<TSlot> slots_;
    std::vector<std::size_t> taken_;
};

// ---------------------------------------------------------------- the reader

TVCalendarFile::TVCalendarFile() { NameKind = TVxIColumnNameKind::nkFieldName; }

void TVCalendarFile::LoadFromFile(const std::string &fileName)
{
    TSpreadSheetFile::LoadFromFile(fileName);
    std::ifstream file(fileName, std::ios::binary);
    if (!file)
        throw ESpreadSheetError(FormatMessage(CalendarTexts().Unreadable, {std::strerror(errno)}));
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad())
        throw ESpreadSheetError(FormatMessage(CalendarTexts().Unreadable, {std::strerror(errno)}));
    if (!Parse(text))
        throw ESpreadSheetError(CalendarTexts().NotCalendar);
}

void TVCalendarFile::LoadFromStream(std::istream &stream)
{
    PrepareLoad();
    const std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (!Parse(text))
        throw ESpreadSheetError(CalendarTexts().NotCalendar);
}

std::string TVCalendarFile::FieldName(int index) const
{
    if (index < 0 || index >= FieldCount())
        return {};
    return fields_[static_cast<std::size_t>(index)].Name;
}

int TVCalendarFile::FindField(const std::string &name) const
{
    const auto found = fieldsByName_.find(std::string_view(name));
    return found == fieldsByName_.end() ? -1 : found->second;
}

TVxIDataType TVCalendarFile::DataTypeOfName(std::string_view name)
{
    const std::string upper = Text::Upper(name);
    for (const char *exact : {"DTSTAMP", "LAST-MODIFIED", "CREATED", "DCREATED"})
        if (upper == exact)
            return TVxIDataType::itDateTime;
    for (const char *lead : {"DTSTART", "DTEND", "RECURRENCE-ID"})
        if (upper.starts_with(lead))
            return TVxIDataType::itDateTime;
    return TVxIDataType::itString;
}

// Names are found without regard to case; a field keeps the spelling it was first met in.
int TVCalendarFile::FieldOf(const std::string &name)
{
    const auto [found, added] = fieldsByName_.emplace(name, FieldCount());
    if (added)
        fields_.push_back({name, 0, DataTypeOfName(name)});
    return found->second;
}

bool TVCalendarFile::Parse(std::string_view text)
{
    fields_.clear();
    fieldsByName_.clear();
    eventCount_ = 0;
    Sheets.GetSheet(0).Caption = sources::FileNameWithoutFolder(FileName);
    const std::vector<TContentLine> lines = sources::ReadContentLines(text);
    TEventRow event(*this);
    bool found = false;
    bool inEvent = false;
    bool fullEscapes = true; // vCalendar 1.0 escapes no more than the semicolon
    int depth = 0;           // of the components inside the event
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const TContentLine &line = lines[i];
        if (i % 4096 == 0)
            ReportProgress(static_cast<std::int64_t>(i), static_cast<std::int64_t>(lines.size()));
        const bool begin = line.Name == "BEGIN", end = line.Name == "END";
        const bool beginsEvent = begin && line.ValueIs("VEVENT");
        found = found || beginsEvent || (begin && line.ValueIs("VCALENDAR"));
        if (!inEvent) {
            inEvent = beginsEvent;
            depth = 0;
            if (line.Name == "VERSION")
                fullEscapes = !line.ValueIs("1.0");
        } else if (beginsEvent && depth == 0) {
            event.Deliver(); // the event before was cut short: it ends where the next begins
        } else if (begin) {
            ++depth;
        } else if (end && depth > 0) {
            --depth;
        } else if (end) {
            event.Deliver();
            inEvent = false;
        } else if (depth == 0) {
            event.Take(line, fullEscapes);
        }
    }
    if (inEvent)
        event.Deliver(); // a file cut short keeps its last event
    if (OnDimensions)
        OnDimensions(this, 0, 0, eventCount_, 0, FieldCount());
    return found;
}

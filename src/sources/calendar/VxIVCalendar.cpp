#include "sources/calendar/VxIVCalendar.h"

#include "sources/calendar/VCalendarFile.h"

#include <algorithm>

std::unique_ptr<TSpreadSheetFile> CreateVCalendarReader(const std::string &)
{
    return std::make_unique<TVCalendarFile>();
}

TVxImportFromVCalendar::TVxImportFromVCalendar(TVxImportBaseComponent *owner) : TVxImportFromCell(owner)
{
    TableType = TTableTypeImport::teVCalendar;
    ApplyDefaultSourceFileName();
}

std::unique_ptr<TSpreadSheetFile> TVxImportFromVCalendar::CreateSpreadSheetFile()
{
    return CreateVCalendarReader(SourceFileName);
}

void TVxImportFromVCalendar::GetFileFilter(std::string &filter) const
{
    filter = CellFileFilter(*this, "VCalendar Data file (*.vcs)|*.VCS|ICalendar Data file (*.ics)|*.ICS");
}

void TVxImportFromVCalendar::CreateColumns()
{
    const auto *reader = dynamic_cast<const TVCalendarFile *>(SpreadSheetFile());
    if (!reader)
        return;
    for (const TVCalendarFile::TField &field : reader->Fields()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = field.Name;
        column.Caption = field.Name;
        column.Size = field.Width;
        column.DataType = field.DataType;
    }
}

std::string TVxImportFromVCalendar::SourceReference(const std::string &name)
{
    const bool plain = !name.empty() && !(name.front() >= '0' && name.front() <= '9') &&
                       std::all_of(name.begin(), name.end(), [](char c) {
                           return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                                  c == '_';
                       });
    return plain ? name : "[" + name + "]";
}

// Field names match columns exactly; each mapping names its field so that the
// expression language reads it as one name. Names differ even ignoring case, so the one
// field found for a column is the only candidate: a file of thousands of names maps in
// linear time.
void TVxImportFromVCalendar::AutoMapColumns()
{
    Mappings.Clear();
    const TSpreadSheetFile *reader = SpreadSheetFile();
    if (!reader)
        return;
    for (int c = 0; c < Columns.Count(); ++c) {
        const std::string &column = Columns[c].FieldName;
        const int field = reader->FindField(column);
        if (field >= 0 && reader->FieldMatchesColumn(reader->FieldName(field), column))
            Mappings.Add(reader->FieldName(field) + "=" + SourceReference(column));
    }
}

void TVxImportFromVCalendar::GetFieldValue(const Variant &name, Variant &value)
{
    if (!GetReaderFieldValue(name, value))
        TVxImportFromCell::GetFieldValue(name, value);
}

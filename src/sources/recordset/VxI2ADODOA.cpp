#include "sources/recordset/VxI2ADODOA.h"

#include <limits>

namespace {

// The row count a progress display shows when the database does not tell it.
constexpr std::int32_t UnknownRowCount = 10000;

} // namespace

TVxImportFromADODOA::~TVxImportFromADODOA() = default;

void TVxImportFromADODOA::SetRecordset(std::unique_ptr<TRecordset> recordset)
{
    recordset_ = std::move(recordset);
    counter_ = 0;
}

void TVxImportFromADODOA::CloseSource() { recordset_.reset(); }

void TVxImportFromADODOA::FirstRow()
{
    counter_ = 0;
    if (recordset_)
        recordset_->MoveFirst();
}

void TVxImportFromADODOA::NextRow()
{
    ++counter_;
    if (recordset_)
        recordset_->MoveNext();
}

bool TVxImportFromADODOA::HasRow()
{
    // In 64 bits: the window's width overflows 32 for extreme first and last rows.
    return recordset_ && !recordset_->Eof() &&
           counter_ <= static_cast<std::int64_t>(RowLast) - static_cast<std::int64_t>(RowFirst);
}

std::int32_t TVxImportFromADODOA::GetRowCount()
{
    if (!recordset_)
        return 0;
    // A count the database does not know (a driver's -1) is no count: only the progress
    // display uses this one.
    const std::optional<std::int64_t> count = recordset_->RecordCount();
    if (!count || *count < 0)
        return UnknownRowCount;
    return static_cast<std::int32_t>(std::min<std::int64_t>(*count, std::numeric_limits<std::int32_t>::max()));
}

void TVxImportFromADODOA::GetFieldValue(const Variant &name, Variant &value)
{
    value = Variant::Null();
    if (!recordset_ || recordset_->Eof())
        return;
    std::string text = name.AsString();
    int field = recordset_->FindField(text);
    // A column offered as "[First Name]" may be asked for as it is offered.
    if (field < 0 && text.size() > 2 && text.front() == '[' && text.back() == ']')
        field = recordset_->FindField(text.substr(1, text.size() - 2));
    if (field >= 0)
        value = recordset_->Value(field);
}

void TVxImportFromADODOA::CreateColumns()
{
    Columns.Clear();
    if (!recordset_)
        return;
    for (const TRecordsetField &field : recordset_->Fields()) {
        TVxIColumn &column = Columns.Add();
        column.FieldName = ColumnName(field);
        column.Caption = column.FieldName;
        column.DataType = field.DataType;
        column.Alignment = field.Alignment;
        column.Size = field.Size;
        column.Precision = field.Precision;
    }
}

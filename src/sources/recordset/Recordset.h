#pragma once

#include "engine/VxITypes.h"
#include "values/Variant.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A field of a record set as the database describes it.
struct TRecordsetField {
    std::string Name;
    TVxIDataType DataType = TVxIDataType::itString;
    TAlignment Alignment = TAlignment::taLeftJustify;
    std::int32_t Size = 0;
    std::int32_t Precision = 0;
};

// The rows of a table or query of a database reached through a library (an Access file,
// an ODBC connection): read forward, one record at a time.
class TRecordset {
public:
    virtual ~TRecordset() = default;

    const std::vector<TRecordsetField> &Fields() const { return fields_; }
    // The index of the field of that name, ignoring case; -1 when none.
    int FindField(const std::string &name) const;

    // Goes to the first record; Eof() tells whether there is one.
    virtual void MoveFirst() = 0;
    virtual void MoveNext() = 0;
    virtual bool Eof() const = 0;
    // The number of records, when the database tells it before they are read.
    virtual std::optional<std::int64_t> RecordCount() const = 0;
    // The current record's value of a field; Null for no value.
    virtual Variant Value(int field) = 0;

protected:
    std::vector<TRecordsetField> fields_;
};

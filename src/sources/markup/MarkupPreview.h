#pragma once

#include "values/Variant.h"

#include <functional>
#include <string>
#include <vector>

// What the wizard hands the HTML and XML preview routines, and what they hand back.
struct TMarkupPreviewRequest {
    std::string FileName;
    const std::string *ColumnList = nullptr; // "Field1;Field3" or "NAME;AGE"; none lists what was found
    // One previewed row: an array of texts, one per column name; rows numbered from 1.
    std::function<void(int columnCount, int rowNumber, const Variant &row, bool oem)> OnRow;
    bool Oem = false;
    int PreviewRowCount = 20;
    int FieldNameRow = 1; // HTML: the table row that names the columns
    int LastRow = 2147483647;
    int FirstRow = 1;
    std::string TableName;   // XML: records may be named after it
    std::string SourceTable; // a database's table (or an ODBC command) the source reads
    bool Images = false;     // HTML: an image cell reads as its address
};

// The ";"-separated entries of a column list text.
std::vector<std::string> SplitColumnList(const std::string &text);

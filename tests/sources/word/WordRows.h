#pragma once

#include "TestData.h"
#include "sources/word/VxI2Word.h"

#include <string>
#include <vector>

using Rows = std::vector<std::vector<std::string>>;

inline std::string wordData(const std::string &name) { return TestDataFolder("word") + "/" + name; }

// Every row the source serves, each column read by its name.
inline Rows readRows(TVxImportFromWord &source)
{
    Rows rows;
    source.OpenSource();
    for (source.FirstRow(); source.HasRow(); source.NextRow()) {
        std::vector<std::string> row;
        for (const std::string &name : source.ColumnNames()) {
            Variant value;
            source.GetFieldValue(Variant(name), value);
            row.push_back(value.AsString());
        }
        rows.push_back(row);
    }
    return rows;
}

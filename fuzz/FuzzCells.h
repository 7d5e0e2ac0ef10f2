#pragma once

#include "FuzzImport.h"
#include "engine/MemoryDataSet.h"
#include "sources/cells/VxI2Cell.h"

#include <exception>
#include <sstream>
#include <string>

// A grid-shaped file read as an import reads it: the sheet, its columns, up to 500 rows
// of 64 columns as text; then an import of its first columns and first 2,000 rows into a
// destination in memory. One cell record far down a sheet makes tens of thousands of
// empty rows, which the import walks in linear time: the window keeps executions fast.
// A refused file is refused with its message: that is all we ask.
inline void ReadCellSource(TVxImportFromCell &source, const std::string &bytes, bool update)
{
    std::istringstream stream(bytes);
    source.SourceStream = &stream;
    try {
        source.OpenSource();
        source.CreateColumns();
        Variant value;
        int rows = 0;
        for (source.FirstRow(); source.HasRow() && rows < 500; source.NextRow(), ++rows)
            for (int c = 0; c < source.Columns.Count() && c < 64; ++c) {
                source.GetFieldValue(Variant(source.Columns[c].FieldName), value);
                (void)value.AsString();
            }
        source.CloseSource();
    } catch (const std::exception &) {
    }
    source.RowLast = 2000;
    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat}});
    ImportIntoMemory(source, destination, stream, update, {"ID=A", "NAME=B", "BORN=C", "AMOUNT=D"});
}

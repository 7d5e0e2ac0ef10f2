#pragma once

#include "FuzzImport.h"
#include "engine/MemoryDataSet.h"
#include "sources/cells/VxI2Cell.h"
#include "values/StringList.h"

#include <exception>
#include <memory>
#include <sstream>
#include <string>

// A cell source whose reader keeps the first 256 columns and 4,096 rows. One cell record
// far out makes a sheet as wide or as long as it says, which every later step walks in
// linear time; the window keeps executions fast and hides nothing of the records' decoding.
template <class TSource> class TWindowed : public TSource {
public:
    std::unique_ptr<TSpreadSheetFile> CreateSpreadSheetFile() override
    {
        std::unique_ptr<TSpreadSheetFile> reader = TSource::CreateSpreadSheetFile();
        if (reader) {
            reader->Range.LastCol = 255;
            reader->Range.LastRow = 4095;
        }
        return reader;
    }
};

// How a harness reads its source: by column letters (a grid) or by the names the reader
// gives its columns (address books, calendars), and the mappings of the import.
struct TCellReading {
    bool ByNames = false;
    TStringList Mappings = {"ID=A", "NAME=B", "BORN=C", "AMOUNT=D"};
};

// A grid-shaped file read as an import reads it: the sheet, its columns, up to 500 rows
// of 64 columns as text; then an import of its first columns into a destination in
// memory. A refused file is refused with its message: that is all we ask.
inline void ReadCellSource(TVxImportFromCell &source, const std::string &bytes, bool update,
                           const TCellReading &how = {})
{
    std::istringstream stream(bytes);
    source.SourceStream = &stream;
    try {
        source.OpenSource();
        source.CreateColumns();
        if (how.ByNames)
            source.AutoMapColumns();
        Variant value;
        int rows = 0;
        for (source.FirstRow(); source.HasRow() && rows < 500; source.NextRow(), ++rows) {
            if (how.ByNames)
                source.ProcessRow();
            for (int c = 0; c < source.Columns.Count() && c < 64; ++c) {
                source.GetFieldValue(Variant(source.Columns[c].FieldName), value);
                (void)value.AsString();
            }
        }
        source.CloseSource();
    } catch (const std::exception &) {
    }
    TMemoryDataSet destination({{"ID", TFieldType::ftInteger, 0, true},
                                {"NAME", TFieldType::ftString, 12},
                                {"BORN", TFieldType::ftDate},
                                {"AMOUNT", TFieldType::ftFloat}});
    ImportIntoMemory(source, destination, stream, update, how.Mappings);
}

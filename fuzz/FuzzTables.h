#pragma once

#include "FuzzInput.h"
#include "sources/cells/VxCellsFile.h"

#include <exception>
#include <fstream>

// A table file and its companion (memo or BLOB file) from one input: a length byte pair
// says where the table ends. The records are read in row mode, as an import reads them,
// every value converted to text as the engine would.
template <class TReader>
void FuzzTable(const std::uint8_t *data, std::size_t size, const char *table, const char *companion, TReader &reader)
{
    TFuzzInput input(data, size);
    const std::size_t tableSize = input.Byte() | static_cast<std::size_t>(input.Byte()) << 8 |
                                  static_cast<std::size_t>(input.Byte()) << 16;
    const std::string path = FuzzFile(table, input.Take(tableSize));
    FuzzFile(companion, input.Rest());
    reader.OnCellValue = [](TCustomSpreadSheetFile *, int, int, int, int, const Variant &value, TAlignment) {
        try {
            (void)value.AsString();
        } catch (const std::exception &) {
        }
    };
    try {
        reader.FileName = path;
        std::ifstream in(path, std::ios::binary);
        reader.LoadFromStream(in);
        for (int row = 0; row < 100000 && reader.HasRecordFor(row); ++row)
            reader.ReadRow(row);
        reader.EndOfRows();
    } catch (const std::exception &) {
    }
}

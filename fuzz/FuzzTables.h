#pragma once

#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/cells/VxCellsFile.h"

#include <exception>
#include <sstream>

// A table file and its companion (memo or BLOB file) from one input, both read from
// memory: three bytes say where the table ends (the top two bits, beyond any length the
// fuzzer makes, choose the regional settings). The records are read in row mode, as an
// import reads them, every value turned into text as the engine would.
template <class TReader> void FuzzTable(TFuzzInput &input, TReader &reader, std::istream *&companionStream)
{
    std::size_t tableSize = input.Byte() | static_cast<std::size_t>(input.Byte()) << 8 |
                            static_cast<std::size_t>(input.Byte()) << 16;
    TFuzzGlobals globals(static_cast<unsigned>(tableSize >> 22));
    tableSize &= (std::size_t{1} << 22) - 1;
    std::istringstream table{std::string(input.Take(tableSize))};
    std::istringstream companion{std::string(input.Rest())};
    companionStream = &companion;
    reader.OnCellValue = [](TCustomSpreadSheetFile *, int, int, int, int, const Variant &value, TAlignment) {
        try {
            (void)value.AsString();
        } catch (const std::exception &) {
        }
    };
    try {
        reader.LoadFromStream(table);
        for (int row = 0; row < 100000 && reader.HasRecordFor(row); ++row)
            reader.ReadRow(row);
        reader.EndOfRows();
    } catch (const std::exception &) {
    }
    companionStream = nullptr;
}

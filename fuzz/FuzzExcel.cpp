// Excel workbooks: BIFF record streams, compound documents and Open XML packages, read
// from memory the way an import reads them: the sheet, its columns, every cell as text.

#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/excel/VxI2XLS.h"

#include <exception>
#include <sstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // The name decides the reader, as it does for a user's file; two bits the regional settings.
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 1);
    std::istringstream bytes{std::string(input.Rest())};
    TVxImportFromXLS source;
    source.SourceFileName = (choice & 1) ? "book.xlsx" : "book.xls";
    source.SourceStream = &bytes;
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
        // a damaged workbook is refused with its message: that is all we ask
    }
    return 0;
}

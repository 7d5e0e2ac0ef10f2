// Excel workbooks: BIFF record streams, compound documents and Open XML packages, read
// from memory the way an import reads them: the sheet, its columns, every cell as text;
// then imported into a destination in memory.

#include "FuzzCells.h"
#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/excel/VxI2XLS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // The name decides the reader, as it does for a user's file; two bits the regional settings.
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 1);
    TWindowed<TVxImportFromXLS> source;
    source.SourceFileName = (choice & 1) ? "book.xlsx" : "book.xls";
    ReadCellSource(source, std::string(input.Rest()), false);
    return 0;
}

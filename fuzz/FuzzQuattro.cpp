// Quattro Pro notebooks: DOS and Windows record streams and compound documents, read as an
// import reads them, then imported into a destination in memory.

#include "FuzzCells.h"
#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/lotus/VxI2WKS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // A byte: the mode (bit 0), a sheet other than the first (bit 1), the regional settings.
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 2);
    TWindowed<TVxImportFromQuattro> source;
    source.SetSheetIndex((choice & 2) ? 1 : 0);
    ReadCellSource(source, std::string(input.Rest()), (choice & 1) != 0);
    return 0;
}

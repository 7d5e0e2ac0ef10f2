// SPSS data files read through libreadstat from memory, then imported into a destination
// in memory.

#include "FuzzCells.h"
#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/spss/VxI2SPSS.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // A byte: the mode (bit 0), the regional settings (upper bits).
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 2);
    TWindowed<TVxImportFromSPSS> source;
    ReadCellSource(source, std::string(input.Rest()), (choice & 1) != 0);
    return 0;
}

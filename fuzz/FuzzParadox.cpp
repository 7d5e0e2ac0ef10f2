// Paradox tables with their BLOB files.

#include "FuzzTables.h"
#include "sources/paradox/VxParadox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    TDBParadox reader;
    FuzzTable(input, reader, reader.BLOBStream);
    return 0;
}

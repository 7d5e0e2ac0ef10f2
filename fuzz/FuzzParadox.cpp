// Paradox tables with their BLOB files.

#include "FuzzTables.h"
#include "sources/paradox/VxParadox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TDBParadox reader;
    FuzzTable(data, size, "t.db", "t.mb", reader);
    return 0;
}

// Advantage tables with their BLOB files.

#include "FuzzTables.h"
#include "sources/advantage/VxADT.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    TADT reader;
    // The first byte chooses what is delivered: deleted records too, BLOB texts or block numbers.
    const std::uint8_t choice = input.Byte();
    if (choice & 1)
        reader.LoadRowStatuses = {TVxIRowStatus::rsNormal, TVxIRowStatus::rsDeleted};
    reader.ParseBLOB = !(choice & 2);
    FuzzTable(input, reader, reader.BlobStream);
    return 0;
}

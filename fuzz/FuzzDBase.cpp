// dBase, FoxPro and Visual FoxPro tables with their memo files.

#include "FuzzTables.h"
#include "sources/dbase/VxDBF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    TDBF reader;
    // The first byte chooses what is delivered: deleted records too, memo texts or block numbers.
    const std::uint8_t choice = input.Byte();
    if (choice & 1)
        reader.LoadRowStatuses = {TVxIRowStatus::rsNormal, TVxIRowStatus::rsDeleted};
    reader.ParseBLOB = !(choice & 2);
    FuzzTable(input, reader, reader.MemoStream);
    return 0;
}

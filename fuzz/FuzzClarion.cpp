// Clarion data files with their memo files.

#include "FuzzTables.h"
#include "sources/clarion/VxClarion.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    TClarion reader;
    // The first byte chooses: error records too, memo texts or positions, dates in long
    // fields, the prefix kept.
    const std::uint8_t choice = input.Byte();
    if (choice & 1)
        reader.LoadRowStatuses = {TVxIRowStatus::rsNormal, TVxIRowStatus::rsError};
    reader.ParseBLOB = !(choice & 2);
    reader.DateAutodetect = !(choice & 4);
    reader.AutoPatchFieldNames = !(choice & 8);
    FuzzTable(input, reader, reader.MemoStream);
    return 0;
}

// dBase, FoxPro and Visual FoxPro tables with their memo files.

#include "FuzzTables.h"
#include "sources/dbase/VxDBF.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    TDBF reader;
    reader.LoadRowStatuses = {TVxIRowStatus::rsNormal, TVxIRowStatus::rsDeleted};
    // dBase looks for a .dbt memo file, FoxPro for .fpt: the first byte decides which one is there.
    const bool fox = data[0] & 1;
    RemoveFuzzFile(fox ? "t.dbt" : "t.fpt");
    FuzzTable(data + 1, size - 1, "t.dbf", fox ? "t.fpt" : "t.dbt", reader);
    return 0;
}

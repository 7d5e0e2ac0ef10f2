// Address books of vCards read from memory as an import reads them (the cards, the
// address book's columns, the rows), then imported by their column names into a
// destination in memory.

#include "FuzzCells.h"
#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/contacts/VxIWAB.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // A byte: the mode (bit 0), the regional settings (upper bits).
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 2);
    TWindowed<TVxImportFromWAB> source;
    ReadCellSource(source, std::string(input.Rest()), (choice & 1) != 0,
                   {true, {"ID=HOME_ADDRESS_POSTAL_CODE", "NAME=DISPLAY_NAME", "BORN=BIRTHDAY", "AMOUNT=[GENDER]"}});
    return 0;
}

// vCalendar and iCalendar files read from memory as an import reads them (the events, a
// column per property name, the rows, the mappings made of the columns), then imported by
// property names into a destination in memory.

#include "FuzzCells.h"
#include "FuzzGlobals.h"
#include "FuzzInput.h"
#include "sources/calendar/VxIVCalendar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TFuzzInput input(data, size);
    // A byte: the mode (bit 0), the regional settings (upper bits).
    const std::uint8_t choice = input.Byte();
    TFuzzGlobals globals(choice >> 2);
    TWindowed<TVxImportFromVCalendar> source;
    ReadCellSource(source, std::string(input.Rest()), (choice & 1) != 0,
                   {true, {"ID=SEQUENCE", "NAME=SUMMARY", "BORN=DTSTART", "AMOUNT=[LAST-MODIFIED]"}});
    return 0;
}
